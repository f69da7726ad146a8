// qvtool export: writes a range of a drive's recording into one file per channel (MP4, or MKV
// for lossless copies), with a report of where the footage came from and the SHA-256 of the
// raw packets read and of every file. The drive is only read. The files are written under
// temporary names and renamed into place when the export is complete; an export that fails or
// is interrupted (Ctrl+C) leaves them named ".partial" and says so in its report.
#include "CQXStorageDevice.h"
#include "CQXTimeSearch.h"
#include "KWReplaceFile.h"
#include "KWTick.h"
#include "QvToolCaptionText.h"
#include "QvToolCommand.h"
#include "QvToolDrive.h"
#include "QvToolEvidenceExport.h"
#include "QvToolEvidenceHash.h"
#include "QvToolEvidenceReport.h"
#include "QvToolJson.h"

extern "C" {
#include <libavutil/log.h>
}

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>

namespace fs = std::filesystem;

namespace {
const char* const kName = "export";
const char* const kUsage =
    "usage: qvtool export IMAGE|--drive PATH --out DIR [--from \"YYYY-MM-DD HH:MM:SS\" --to "
    "\"YYYY-MM-DD HH:MM:SS\" | --from-packet P --to-packet Q] [--channels 1,3|composite] "
    "[--format mp4|mkv] [--burn-in]";
const char* const kPartialSuffix = ".partial";
const char* const kBurnIn = "--burn-in";
constexpr std::uint32_t kProgressEveryMs = 1000;
// How far back from the time search's packet the start is looked for at first; the step
// doubles until a packet recorded before the range's start is found.
constexpr std::uint32_t kFirstBackStep = 64;
// Reading starts this long before the range so that every channel meets a key picture first.
constexpr std::int64_t kKeyLeadSeconds = 30;
constexpr int kFirstYear = 2000;
constexpr int kLastYear = 2255;

std::atomic<bool> g_stop{false};

void OnStopSignal(int) {
    g_stop.store(true);
}

struct Options {
    std::string out;
    std::string from, to;
    unsigned long fromPacket = 0, toPacket = 0;
    bool packets = false;
    QvToolEvidenceExport::Setup setup;
};

bool ParsePacket(const std::string& text, unsigned long& value) {
    char* end = nullptr;
    value = std::strtoul(text.c_str(), &end, 10);
    return !text.empty() && text[0] != '-' && *end == '\0' && value <= UINT32_MAX;
}

bool ParseChannels(const std::string& text, std::set<int>& channels) {
    for (std::size_t at = 0; at <= text.size();) {
        const std::size_t comma = std::min(text.find(',', at), text.size());
        const std::string item = text.substr(at, comma - at);
        if (item == "composite")
            channels.insert(QXChannelSet::kCompositeIndex);
        else if (item.size() == 1 && item[0] >= '1' && item[0] <= '4')
            channels.insert(item[0] - '1');
        else
            return false;
        at = comma + 1;
    }
    return true;
}

// "YYYY-MM-DD HH:MM:SS" with a year the recorder can hold.
bool ParseTime(const std::string& text, QXTimestamp& time) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, length = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%n", &year, &month, &day, &hour, &minute,
                    &second, &length) != 6 ||
        static_cast<std::size_t>(length) != text.size() || year < kFirstYear || year > kLastYear)
        return false;
    time = QXTimestamp{static_cast<std::uint8_t>(year - kFirstYear),
                       static_cast<std::uint8_t>(month),
                       static_cast<std::uint8_t>(day),
                       static_cast<std::uint8_t>(hour),
                       static_cast<std::uint8_t>(minute),
                       static_cast<std::uint8_t>(second)};
    return time.IsValid();
}

int ParseOptions(const std::vector<std::string>& rest, Options& options) {
    for (std::size_t i = 0; i < rest.size();) {
        const std::string& option = rest[i];
        if (option == kBurnIn) {
            options.setup.burnIn = true;
            ++i;
            continue;
        }
        i += 2;
        const std::string value = i <= rest.size() ? rest[i - 1] : std::string();
        bool good = !value.empty();
        if (option == "--out")
            options.out = value;
        else if (option == "--from")
            options.from = value;
        else if (option == "--to")
            options.to = value;
        else if (option == "--from-packet" || option == "--to-packet")
            good = good && ParsePacket(value, option == "--from-packet" ? options.fromPacket
                                                                        : options.toPacket);
        else if (option == "--channels")
            good = good && ParseChannels(value, options.setup.channels);
        else if (option == "--format" && (value == "mp4" || value == "mkv"))
            options.setup.format = value == "mp4" ? QvToolEvidenceFile::Format::kMp4
                                                  : QvToolEvidenceFile::Format::kMkv;
        else
            good = false;
        if (!good)
            return QvToolCommand::UsageError(kName,
                                             "bad argument '" + option + "' (" + kUsage + ")");
    }
    const bool timed = !options.from.empty() || !options.to.empty();
    options.packets = std::find(rest.begin(), rest.end(), "--from-packet") != rest.end() ||
                      std::find(rest.begin(), rest.end(), "--to-packet") != rest.end();
    if (options.packets && (std::find(rest.begin(), rest.end(), "--from-packet") == rest.end() ||
                            std::find(rest.begin(), rest.end(), "--to-packet") == rest.end()))
        return QvToolCommand::UsageError(kName, "--from-packet and --to-packet go together");
    if (options.out.empty())
        return QvToolCommand::UsageError(kName, std::string("--out is required (") + kUsage + ")");
    if (timed && options.packets)
        return QvToolCommand::UsageError(kName, "give the range as times or as packets, not both");
    if (timed && (options.from.empty() || options.to.empty()))
        return QvToolCommand::UsageError(kName, "--from and --to go together");
    if (options.packets && options.fromPacket > options.toPacket)
        return QvToolCommand::UsageError(kName, "--from-packet lies after --to-packet");
    QXTimestamp from, to;
    if (timed && (!ParseTime(options.from, from) || !ParseTime(options.to, to)))
        return QvToolCommand::UsageError(
            kName, "--from and --to take \"YYYY-MM-DD HH:MM:SS\" from 2000 to 2255");
    if (timed) {
        options.setup.range.timed = true;
        options.setup.range.from = QvToolEvidenceExport::Seconds(from);
        options.setup.range.to = QvToolEvidenceExport::Seconds(to);
        if (options.setup.range.from > options.setup.range.to)
            return QvToolCommand::UsageError(kName, "--from lies after --to");
    }
    return QvToolCommand::kExitOk;
}

int Fail(const std::string& text) {
    std::fprintf(stderr, "qvtool %s: %s\n", kName, text.c_str());
    return QvToolCommand::kExitFailure;
}

// The recorded second of packet `index` when it is a data packet.
bool DataTime(CQXStorageDevice& device, KWRawDrive& handle, std::uint32_t index,
              std::int64_t& seconds) {
    CQX4KPacket packet;
    if (!device.SeekSector(std::uint64_t{index} * CQX4KPacket::kSectors, &handle) ||
        !device.ReadPacket(packet, &handle) || packet.GetType() != CQX4KPacket::kTypeData ||
        !packet.IsValid())
        return false;
    seconds = QvToolEvidenceExport::Seconds(packet.GetTimestamp());
    return true;
}

// Where reading starts for a time range: the time search finds a packet of the start's minute
// (or of the end's), then steps back until a packet recorded kKeyLeadSeconds before the start;
// the export itself refines to the second, frame by frame. Packet 0 when the search finds neither
// minute.
std::uint32_t StartOfTimeRange(CQXStorageDevice& device, std::int64_t from, std::int64_t to) {
    KWRawDrive handle;
    if (!device.OpenDriveHandle(handle))
        return 0;
    for (const std::int64_t seconds : {from, to}) {
        const std::time_t t = static_cast<std::time_t>(seconds);
        std::tm tm{};
        gmtime_r(&t, &tm);
        const QXTimestamp minute{static_cast<std::uint8_t>(tm.tm_year + 1900 - kFirstYear),
                                 static_cast<std::uint8_t>(tm.tm_mon + 1),
                                 static_cast<std::uint8_t>(tm.tm_mday),
                                 static_cast<std::uint8_t>(tm.tm_hour),
                                 static_cast<std::uint8_t>(tm.tm_min),
                                 0};
        const CQXTimeSearch::Result found = CQXTimeSearch(device, handle).Search(minute);
        if (found.outcome != CQXTimeSearch::Outcome::kFound)
            continue;
        std::uint32_t start = found.packet;
        for (std::uint32_t step = kFirstBackStep; start > 0; step *= 2) {
            start = start > step ? start - step : 0;
            std::int64_t recorded = 0;
            if (DataTime(device, handle, start, recorded) && recorded < from - kKeyLeadSeconds)
                break;
        }
        return start;
    }
    return 0;
}

// The model a block device reports through the system, or nothing (image files have none).
std::string DriveModel(const std::string& path) {
    std::error_code error;
    const fs::path device = fs::canonical(path, error);
    if (error || device.parent_path() != "/dev")
        return "";
    std::ifstream in(fs::path("/sys/class/block") / device.filename() / "device" / "model");
    std::string model;
    std::getline(in, model);
    while (!model.empty() && model.back() == ' ')
        model.pop_back();
    return model;
}

std::string CommandLine(const std::vector<std::string>& arguments) {
    std::string line = std::string("qvtool ") + kName;
    for (const std::string& argument : arguments)
        line += " " + (argument.find_first_of(" \"'\\$") == std::string::npos
                           ? argument
                           : QvToolJson::String(argument));
    return line;
}

std::string TimeText(const QXTimestamp& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year + kFirstYear, t.month,
                  t.day, t.hour, t.minute, t.second);
    return text;
}

// Prints how far the export is, at most once a second.
class ProgressPrinter {
public:
    ProgressPrinter(std::uint32_t first, std::uint32_t last) : m_first(first), m_last(last) {}
    void operator()(const QvToolEvidenceExport::Progress& progress) {
        const std::uint32_t now = KWGetTickCount();
        if (KWTicksSince(m_lastPrint, now) < kProgressEveryMs)
            return;
        m_lastPrint = now;
        const double done = progress.packet - m_first;
        const double total = m_last - m_first + 1.0;
        const double elapsed = KWTicksSince(m_start, now) / 1000.0;
        const double left = done > 0 ? elapsed * (total - done) / done : 0;
        std::fprintf(stderr,
                     "qvtool %s: packet %u of %u to %u (%.0f%%), %ld frames written, about %.0f "
                     "s left\n",
                     kName, progress.packet, m_first, m_last, 100.0 * done / total, progress.frames,
                     left);
    }

private:
    const std::uint32_t m_first, m_last;
    const std::uint32_t m_start = KWGetTickCount();
    std::uint32_t m_lastPrint = KWGetTickCount();
};

int RunExport(const std::vector<std::string>& arguments) {
    std::string path;
    std::vector<std::string> rest;
    if (int status = QvToolDrive::SplitArguments(
            kName, arguments,
            {"--out", "--from", "--to", "--from-packet", "--to-packet", "--channels", "--format"},
            path, rest))
        return status;
    Options options;
    if (int status = ParseOptions(rest, options))
        return status;
    std::error_code error;
    if (fs::exists(options.out, error) && !fs::is_empty(options.out, error))
        return Fail(options.out + " is not empty: choose a new or empty folder for the export");
    const bool createdFolder = fs::create_directories(options.out, error);
    if (error || !fs::is_directory(options.out))
        return Fail("cannot create the folder " + options.out + ": " + error.message());
    // A failure before anything was written leaves no folder behind that the export made.
    auto failEmpty = [&](const std::string& text) {
        if (createdFolder)
            fs::remove(options.out, error);
        return Fail(text);
    };

    QvToolDrive::Stream stream;
    if (int status = QvToolDrive::Open(kName, path, stream)) {
        failEmpty("no export was made");
        return status;
    }
    CQXStorageDevice& device = *stream.device;
    const std::uint32_t packetCount = device.GetPacketCount();
    QvToolEvidenceExport::Range& range = options.setup.range;
    if (options.packets) {
        if (options.toPacket >= packetCount)
            return failEmpty("packet " + std::to_string(options.toPacket) +
                             " lies beyond the drive's last packet " +
                             std::to_string(packetCount - 1));
        range.first = static_cast<std::uint32_t>(options.fromPacket);
        range.last = static_cast<std::uint32_t>(options.toPacket);
    } else {
        range.last = device.GetStreamLength();
        if (range.timed)
            range.first = StartOfTimeRange(device, range.from, range.to);
    }
    options.setup.folder = options.out;

    // Burnt-in captions are drawn with the viewer's caption font through Qt.
    std::optional<QvToolCaptionText> captionText;
    if (options.setup.burnIn)
        captionText.emplace();
    av_log_set_level(AV_LOG_ERROR);
    std::signal(SIGINT, OnStopSignal);
    std::signal(SIGTERM, OnStopSignal);
    QvToolEvidenceExport exporter;
    ProgressPrinter printer(range.first, range.last);
    const bool exported = exporter.Run(device, options.setup, g_stop, std::ref(printer));
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);

    QvToolEvidenceReport report;
    report.version = QVTOOL_VERSION;
    report.commandLine = CommandLine(arguments);
    report.drivePath = device.GetDrivePath();
    report.driveBytes = device.GetSectorCount() * CQX4KPacket::kSectorSize;
    report.driveModel = DriveModel(report.drivePath);
    report.firstPacket = exporter.GetFirstPacket();
    report.lastPacket = exporter.GetLastPacket();
    std::string problem = exported ? "" : exporter.GetError();
    std::string hashError;
    if (!QvToolEvidenceHash::OfPackets(device, report.firstPacket, report.lastPacket,
                                       report.packetsSha256, hashError) &&
        exported)
        problem = "the packets read could not be read again for their hash: " + hashError;
    stream.manager->CloseAllDevices();
    report.complete = problem.empty();
    if (exporter.IsInterrupted())
        problem = "interrupted before the end of the range; the files end early";
    report.note = problem;

    long frames = 0;
    for (QvToolEvidenceExport::Output& output : exporter.GetOutputs()) {
        // A channel whose file could not be created, or none of whose frames decoded, has none.
        if (!output.file || !fs::exists(output.temporary, error))
            continue;
        QvToolEvidenceReport::File file;
        file.name = output.name + (report.complete ? "" : kPartialSuffix);
        const std::string final = (fs::path(options.out) / file.name).string();
        if (std::rename(output.temporary.c_str(), final.c_str()) != 0 ||
            !QvToolEvidenceHash::OfFile(final, file.sha256, problem))
            return Fail("cannot put " + file.name + " in place: " + problem);
        file.bytes = fs::file_size(final, error);
        file.channel = output.channel == QXChannelSet::kCompositeIndex
                           ? "composite"
                           : std::to_string(output.channel + 1);
        file.videoCodec = output.videoCodec;
        file.soundCodec = output.soundCodec;
        file.width = output.width;
        file.height = output.height;
        file.frames = output.frames;
        file.soundSamples = output.soundSamples;
        file.first = TimeText(output.first);
        file.last = TimeText(output.last);
        for (const auto& gap : output.gaps)
            file.gaps.push_back({TimeText(gap.before), TimeText(gap.after), gap.seconds});
        for (const auto& skipped : output.skipped)
            file.skipped.push_back({skipped.packet, TimeText(skipped.time), skipped.reason});
        frames += output.frames;
        report.files.push_back(std::move(file));
    }
    if (report.files.empty() && report.complete)
        return failEmpty("no frame of the chosen channels lies in the range");
    const std::string json = report.ToJson();
    const std::string text = report.ToText();
    const fs::path folder(options.out);
    if (!KWReplaceFile((folder / QvToolEvidenceReport::kJsonName).string(), json.data(),
                       json.size()) ||
        !KWReplaceFile((folder / QvToolEvidenceReport::kTextName).string(), text.data(),
                       text.size()))
        return Fail("cannot write the report into " + options.out);
    if (!report.complete)
        return Fail(report.note + " (the files are named " + kPartialSuffix + ")");
    std::printf("{\"folder\":%s,\"files\":%zu,\"frames\":%ld,\"first_packet\":%u,"
                "\"last_packet\":%u}\n",
                QvToolJson::String(options.out).c_str(), report.files.size(), frames,
                report.firstPacket, report.lastPacket);
    return QvToolCommand::kExitOk;
}

const QvToolCommand::Registration kRegistration(
    kName, {"export a time or packet range into one MP4/MKV file per channel with a hash report "
            "(--out DIR)",
            RunExport});
} // namespace
