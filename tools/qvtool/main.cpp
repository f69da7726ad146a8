#include "QvToolCommand.h"

#include "KWMessageBox.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>

namespace QvToolCommand {
std::map<std::string, Entry>& Table() {
    static std::map<std::string, Entry> table;
    return table;
}

int UsageError(const std::string& name, const std::string& text) {
    std::fprintf(stderr, "qvtool %s: %s\n", name.c_str(), text.c_str());
    return kExitUsage;
}

void QuietMessageBoxes() {
    KWSetMessageBoxHandler([](const KWMessageBoxRequest&) { return KWMessageBoxAnswer::kOk; });
}

bool ParseViewSize(const std::string& text, long& width, long& height) {
    auto side = [](const std::string& digits, long& value) {
        char* end = nullptr;
        value = std::strtol(digits.c_str(), &end, 10);
        return !digits.empty() && *end == '\0' && value > 0 && value <= kMaxViewSide;
    };
    const std::size_t x = text.find('x');
    return x != std::string::npos && side(text.substr(0, x), width) &&
           side(text.substr(x + 1), height);
}
} // namespace QvToolCommand

namespace {
int PrintUsage(std::FILE* out) {
    std::fprintf(out, "usage: qvtool COMMAND [ARGUMENTS]\n\ncommands:\n");
    for (const auto& [name, entry] : QvToolCommand::Table())
        std::fprintf(out, "  %-10s %s\n", name.c_str(), entry.summary.c_str());
    return out == stdout ? QvToolCommand::kExitOk : QvToolCommand::kExitUsage;
}
} // namespace

int main(int argc, char** argv) {
    // A file size limit is a full disk to the commands: the write fails and they say so, rather
    // than being killed with a partial output left behind.
    std::signal(SIGXFSZ, SIG_IGN);
    if (argc < 2)
        return PrintUsage(stderr);
    const std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help")
        return PrintUsage(stdout);
    auto it = QvToolCommand::Table().find(name);
    if (it == QvToolCommand::Table().end()) {
        std::fprintf(stderr, "qvtool: unknown command '%s'\n", name.c_str());
        return PrintUsage(stderr);
    }
    return it->second.run(std::vector<std::string>(argv + 2, argv + argc));
}
