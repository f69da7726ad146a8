// qvtool find-time: searches a drive's stream for a recording time the way the viewer's time
// search does and prints the outcome as one JSON object. Exit status 0 when the time was found,
// 1 when it was not, 2 on a usage error or when the drive does not read. The drive is only read.
#include "CQXStreamJumps.h"
#include "QvToolCommand.h"
#include "QvToolDrive.h"
#include "QvToolJson.h"

#include <cstdio>

namespace {
const char* const kName = "find-time";
const char* const kUsage = "usage: qvtool find-time IMAGE|--drive PATH --time \"YYYY-MM-DD HH:MM\"";
constexpr int kFirstYear = 2000;
constexpr int kLastYear = 2255;

// "YYYY-MM-DD HH:MM" with a year the recorder can hold and a valid time of day.
bool ParseTarget(const std::string& text, QXTimestamp& target) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, length = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d%n", &year, &month, &day, &hour, &minute,
                    &length) != 5 ||
        static_cast<std::size_t>(length) != text.size() || year < kFirstYear || year > kLastYear)
        return false;
    target = QXTimestamp{static_cast<std::uint8_t>(year - kFirstYear),
                         static_cast<std::uint8_t>(month),
                         static_cast<std::uint8_t>(day),
                         static_cast<std::uint8_t>(hour),
                         static_cast<std::uint8_t>(minute),
                         0};
    return target.IsValid();
}

int RunFindTime(const std::vector<std::string>& arguments) {
    QvToolDrive::Stream stream;
    std::vector<std::string> rest;
    // A drive that cannot be opened or holds no stream is a read error here, not a miss.
    if (QvToolDrive::OpenStream(kName, arguments, {"--time"}, stream, rest) !=
        QvToolCommand::kExitOk)
        return QvToolCommand::kExitUsage;
    std::string time;
    for (std::size_t i = 0; i < rest.size(); i += 2) {
        if (rest[i] != "--time" || i + 1 == rest.size())
            return QvToolCommand::UsageError(kName,
                                             "unknown argument '" + rest[i] + "' (" + kUsage + ")");
        time = rest[i + 1];
    }
    QXTimestamp target;
    if (time.empty())
        return QvToolCommand::UsageError(kName, std::string("--time is required (") + kUsage + ")");
    if (!ParseTarget(time, target))
        return QvToolCommand::UsageError(kName, "--time takes \"YYYY-MM-DD HH:MM\" from 2000 to " +
                                                    std::to_string(kLastYear));

    QvToolCommand::QuietMessageBoxes();
    CQXStreamJumps jumps(stream.device, nullptr);
    const CQXStreamJumps::TimeSearch search = jumps.SeekToTime(target);
    const std::string path = stream.device->GetDrivePath();
    stream.manager->CloseAllDevices();
    const bool found = search.result.outcome == CQXTimeSearch::Outcome::kFound;
    std::printf("{\"target\":%s,\"found\":%s,\"packet\":%s,\"steps\":%u,\"message\":%s}\n",
                QvToolJson::String(target.Format()).c_str(), found ? "true" : "false",
                found ? std::to_string(search.result.packet).c_str() : "null", search.result.steps,
                QvToolJson::String(search.message).c_str());
    switch (search.result.outcome) {
    case CQXTimeSearch::Outcome::kFound:
        return QvToolCommand::kExitOk;
    case CQXTimeSearch::Outcome::kNotFound:
        return QvToolCommand::kExitFailure;
    case CQXTimeSearch::Outcome::kReadError:
        break;
    }
    std::fprintf(stderr, "qvtool find-time: %s cannot be read\n", path.c_str());
    return QvToolCommand::kExitUsage;
}

const QvToolCommand::Registration kRegistration(
    kName,
    {"find a recording time in IMAGE (or --drive PATH): --time \"YYYY-MM-DD HH:MM\"", RunFindTime});
} // namespace
