// qvtool frames: lists every frame of a drive's stream as forward play reads it, decoded, one
// JSON line per frame.
#include "CQXFrameLister.h"
#include "QvToolCommand.h"
#include "QvToolDrive.h"

#include <cstdio>

namespace {
const char* const kName = "frames";

int RunFrames(const std::vector<std::string>& arguments) {
    QvToolDrive::Stream stream;
    std::vector<std::string> rest;
    if (int status = QvToolDrive::OpenStream(kName, arguments, {}, stream, rest))
        return status;
    if (!rest.empty())
        return QvToolCommand::UsageError(kName, "unknown argument '" + rest[0] +
                                                    "' (usage: qvtool frames IMAGE|--drive PATH)");
    CQXFrameLister lister;
    const long frames = lister.Walk(*stream.device, [](const std::string& line) {
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fputc('\n', stdout);
    });
    stream.manager->CloseAllDevices();
    if (frames < 0) {
        std::fprintf(stderr, "qvtool frames: the video decoders could not be set up\n");
        return QvToolCommand::kExitFailure;
    }
    return QvToolCommand::kExitOk;
}

const QvToolCommand::Registration kRegistration(
    kName,
    {"list and decode every frame of IMAGE (or --drive PATH), one JSON line each", RunFrames});
} // namespace
