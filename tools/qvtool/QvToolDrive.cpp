#include "QvToolDrive.h"

#include "KWTick.h"
#include "QvToolCommand.h"

#include <cstdio>

namespace {
constexpr std::uint32_t kBusyPollMs = 5;
}

void QvToolDrive::WaitUntilIdle(CQXStorageDeviceManager& manager) {
    while (manager.IsAnyDeviceBusy())
        KWSleep(kBusyPollMs);
}

int QvToolDrive::SplitArguments(const std::string& command,
                                const std::vector<std::string>& arguments,
                                const std::set<std::string>& valueOptions, std::string& path,
                                std::vector<std::string>& rest) {
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        const bool takesValue = a == "--drive" || valueOptions.count(a) != 0;
        if (takesValue && i + 1 == arguments.size())
            return QvToolCommand::UsageError(command, a + " needs a value");
        if (a == "--drive" || a.rfind("--", 0) != 0) {
            if (!path.empty())
                return QvToolCommand::UsageError(command, "more than one drive given");
            path = a == "--drive" ? arguments[++i] : a;
        } else {
            rest.push_back(a);
            if (takesValue)
                rest.push_back(arguments[++i]);
        }
    }
    if (path.empty())
        return QvToolCommand::UsageError(command, "no drive given (an image file or --drive PATH)");
    return QvToolCommand::kExitOk;
}

int QvToolDrive::OpenDrives(const std::string& command, CQXStorageDeviceManager& manager,
                            bool named, CQXVideoSink* screenManager,
                            CQXMysFileManager* mysFileManager) {
    manager.OpenAllDevices(screenManager, nullptr, mysFileManager);
    WaitUntilIdle(manager);
    if (!named)
        return QvToolCommand::kExitOk;
    int status = QvToolCommand::kExitOk;
    for (const QXDriveFinding& finding : manager.GetDriveFindings()) {
        if (finding.verdict != QXDriveFinding::Verdict::kRefused)
            continue;
        std::fprintf(stderr, "qvtool %s: %s %s\n", command.c_str(), finding.path.c_str(),
                     finding.Reason().c_str());
        status = QvToolCommand::kExitFailure;
    }
    return status;
}

int QvToolDrive::Open(const std::string& command, const std::string& path, Stream& stream,
                      CQXVideoSink* screenManager, CQXMysFileManager* mysFileManager) {
    stream.manager = std::make_unique<CQXStorageDeviceManager>(KWDriveList{path});
    if (int status = OpenDrives(command, *stream.manager, true, screenManager, mysFileManager))
        return status;
    if (stream.manager->GetFormattedCount() == 0) {
        std::fprintf(stderr, "qvtool %s: %s holds no recorded stream\n", command.c_str(),
                     path.c_str());
        return QvToolCommand::kExitFailure;
    }
    stream.device = stream.manager->GetDevice(stream.manager->GetFormattedDevice(0));
    return QvToolCommand::kExitOk;
}

int QvToolDrive::OpenStream(const std::string& command, const std::vector<std::string>& arguments,
                            const std::set<std::string>& valueOptions, Stream& stream,
                            std::vector<std::string>& rest, CQXMysFileManager* mysFileManager) {
    std::string path;
    if (int status = SplitArguments(command, arguments, valueOptions, path, rest))
        return status;
    return Open(command, path, stream, nullptr, mysFileManager);
}
