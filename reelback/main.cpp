#include "CKWAviConverter.h"
#include "CPlayerApp.h"
#include "KWQtPlatform.h"

#include <QApplication>

#include <csignal>
#include <cstdio>
#include <cstring>

namespace {
constexpr const char* kConvertOption = "--convert";

// `reelback --convert IN OUT`: converts without any window or display.
int RunConversion(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: reelback --convert INPUT.av OUTPUT.avi\n");
        return 2;
    }
    // A file size limit is a full disk here: the write fails and the conversion says so, rather
    // than the program being killed with its temporary file left behind.
    std::signal(SIGXFSZ, SIG_IGN);
    CKWAviConverter converter;
    if (!converter.Convert(argv[2], argv[3])) {
        std::fprintf(stderr, "reelback: cannot convert %s to %s: %s\n", argv[2], argv[3],
                     converter.GetError().c_str());
        return 1;
    }
    return 0;
}
} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], kConvertOption) == 0) {
        return RunConversion(argc, argv);
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName("Reelback");
    KWInstallQtPlatform();
    CPlayerApp player;
    return player.Run(QApplication::arguments());
}
