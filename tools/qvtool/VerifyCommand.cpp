// qvtool verify: checks the files of an evidence export against the SHA-256 its report holds,
// and, with a drive, the packets the export read against the hash of their raw bytes. Prints
// one JSON object; exit status 0 when nothing changed, 1 when a file or the drive differs or is
// missing.
#include "CQXStorageDevice.h"
#include "QvToolCommand.h"
#include "QvToolDrive.h"
#include "QvToolEvidenceHash.h"
#include "QvToolEvidenceReport.h"
#include "QvToolJson.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {
const char* const kName = "verify";
const char* const kUsage = "usage: qvtool verify DIR [--drive PATH]";
const char* const kUnchanged = "unchanged";
const char* const kChanged = "changed";
const char* const kMissing = "missing";

int RunVerify(const std::vector<std::string>& arguments) {
    std::string folder, drive;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "--drive" && i + 1 < arguments.size() && drive.empty())
            drive = arguments[++i];
        else if (arguments[i].rfind("--", 0) != 0 && folder.empty())
            folder = arguments[i];
        else
            return QvToolCommand::UsageError(kName, "bad argument '" + arguments[i] + "' (" +
                                                        kUsage + ")");
    }
    if (folder.empty())
        return QvToolCommand::UsageError(kName, kUsage);

    const fs::path reportPath = fs::path(folder) / QvToolEvidenceReport::kJsonName;
    std::ifstream in(reportPath, std::ios::binary);
    const std::string json((std::istreambuf_iterator<char>(in)), {});
    QvToolEvidenceReport report;
    std::string error;
    if (!in.is_open() || !report.FromJson(json, error)) {
        std::fprintf(stderr, "qvtool %s: %s cannot be used: %s\n", kName,
                     reportPath.string().c_str(),
                     in.is_open() ? error.c_str() : "there is no such report");
        return QvToolCommand::kExitFailure;
    }

    bool ok = true;
    std::string files;
    for (const QvToolEvidenceReport::File& file : report.files) {
        const fs::path path = fs::path(folder) / file.name;
        std::string sha;
        const char* status = kUnchanged;
        if (!fs::exists(path))
            status = kMissing;
        else if (!QvToolEvidenceHash::OfFile(path.string(), sha, error) || sha != file.sha256)
            status = kChanged;
        if (status != kUnchanged) {
            ok = false;
            std::fprintf(stderr, "qvtool %s: %s is %s since the export\n", kName, file.name.c_str(),
                         status);
        }
        files += (files.empty() ? "" : ",") + std::string("{\"name\":") +
                 QvToolJson::String(file.name) + ",\"status\":" + QvToolJson::String(status) + "}";
    }

    std::string driveJson = "null";
    if (!drive.empty()) {
        QvToolDrive::Stream stream;
        if (int status = QvToolDrive::Open(kName, drive, stream))
            return status;
        std::string sha;
        const bool read = QvToolEvidenceHash::OfPackets(*stream.device, report.firstPacket,
                                                        report.lastPacket, sha, error);
        stream.manager->CloseAllDevices();
        const char* status = read && sha == report.packetsSha256 ? kUnchanged : kChanged;
        if (status != kUnchanged) {
            ok = false;
            std::fprintf(stderr, "qvtool %s: packets %u to %u of %s %s\n", kName,
                         report.firstPacket, report.lastPacket, drive.c_str(),
                         read ? "differ from those exported" : error.c_str());
        }
        driveJson = "{\"path\":" + QvToolJson::String(drive) +
                    ",\"status\":" + QvToolJson::String(status) + "}";
    }
    if (!report.complete)
        std::fprintf(stderr, "qvtool %s: the export in %s did not finish; its files end early\n",
                     kName, folder.c_str());
    std::printf("{\"folder\":%s,\"complete\":%s,\"files\":[%s],\"drive\":%s,\"ok\":%s}\n",
                QvToolJson::String(folder).c_str(), report.complete ? "true" : "false",
                files.c_str(), driveJson.c_str(), ok ? "true" : "false");
    return ok ? QvToolCommand::kExitOk : QvToolCommand::kExitFailure;
}

const QvToolCommand::Registration kRegistration(
    kName,
    {"check an export's files (and with --drive PATH the drive) against its report", RunVerify});
} // namespace
