// qvtool frames: lists the frames of a drive's stream as a play mode shows them (forward play by
// default), without pacing, decoded, one JSON line per frame shown.
#include "CQXFrameLister.h"
#include "QvToolCommand.h"
#include "QvToolDrive.h"

#include <cstdio>
#include <cstdlib>

namespace {
const char* const kName = "frames";
const char* const kUsage = "usage: qvtool frames IMAGE|--drive PATH [--mode MODE] "
                           "[--from-packet P | --from-end] [--count N]";

// A mode that reads, by the name the device information prints.
bool ParseMode(const std::string& name, std::uint32_t& mode) {
    for (std::uint32_t code = QXPlayMode::kNone; code <= QXPlayMode::kPause; ++code) {
        if (name == QXPlayMode::Name(code)) {
            mode = code;
            return !QXPlayMode::IsStopped(code);
        }
    }
    return false;
}

bool ParseNumber(const std::string& text, unsigned long& value) {
    char* end = nullptr;
    value = std::strtoul(text.c_str(), &end, 10);
    return !text.empty() && text[0] != '-' && *end == '\0';
}

int RunFrames(const std::vector<std::string>& arguments) {
    QvToolDrive::Stream stream;
    std::vector<std::string> rest;
    if (int status = QvToolDrive::OpenStream(kName, arguments,
                                             {"--mode", "--from-packet", "--count"}, stream, rest))
        return status;
    CQXFrameLister::Walking walking;
    bool fromPacket = false;
    for (std::size_t i = 0; i < rest.size(); ++i) {
        const std::string& option = rest[i];
        const std::string value = i + 1 < rest.size() ? rest[i + 1] : std::string();
        unsigned long number = 0;
        bool good = true;
        if (option == "--from-end") {
            walking.fromEnd = true;
        } else if (option == "--mode") {
            good = ParseMode(value, walking.mode);
            ++i;
        } else if (option == "--from-packet") {
            good = ParseNumber(value, number) && number < QXPlayMode::kNoTarget;
            walking.fromPacket = static_cast<std::uint32_t>(number);
            fromPacket = true;
            ++i;
        } else if (option == "--count") {
            good = ParseNumber(value, number) && number > 0 && number <= 0x7FFFFFFFul;
            walking.count = static_cast<long>(number);
            ++i;
        } else {
            good = false;
        }
        if (!good)
            return QvToolCommand::UsageError(kName, "bad argument '" + option + "' (" + kUsage +
                                                        "; MODE: onef, play, oner, rev, ff2 ... "
                                                        "ff64, rew2 ... rew64)");
    }
    if (fromPacket && walking.fromEnd)
        return QvToolCommand::UsageError(
            kName, std::string("--from-packet and --from-end exclude each other (") + kUsage + ")");
    if (walking.fromPacket > stream.device->GetStreamLength()) {
        std::fprintf(stderr, "qvtool frames: packet %u lies beyond the stream's last packet %u\n",
                     walking.fromPacket, stream.device->GetStreamLength());
        stream.manager->CloseAllDevices();
        return QvToolCommand::kExitFailure;
    }
    CQXFrameLister lister;
    const long frames = lister.Walk(
        *stream.device,
        [](const std::string& line) {
            std::fwrite(line.data(), 1, line.size(), stdout);
            std::fputc('\n', stdout);
        },
        walking);
    stream.manager->CloseAllDevices();
    if (frames < 0) {
        std::fprintf(stderr, "qvtool frames: the video decoders could not be set up\n");
        return QvToolCommand::kExitFailure;
    }
    return QvToolCommand::kExitOk;
}

const QvToolCommand::Registration
    kRegistration(kName, {"list and decode the frames of IMAGE (or --drive PATH) as a play mode "
                          "shows them, one JSON line each",
                          RunFrames});
} // namespace
