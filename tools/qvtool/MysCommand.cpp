// qvtool mys: describes a MYS file - its header, then one JSON line per record with a check of
// the record's back link - or, with --decode, plays it through the player in "play" without
// pacing and describes every frame shown as `qvtool frames` does.
#include "CQXFrameLister.h"
#include "CQXMysPlayer.h"
#include "CQXMysRecordWalker.h"
#include "KWFileKind.h"
#include "KWTick.h"
#include "QXMysFileHeader.h"
#include "QvToolCommand.h"
#include "QvToolJson.h"

#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const char* const kName = "mys";
const char* const kUsage = "usage: qvtool mys FILE [--decode]";
constexpr std::uint32_t kPollMs = 2;

const char* const kStopNames[] = {"running", "end", "foreign_bytes", "cut_short", "read_error"};

std::string Time(const QXTimestamp& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year + 2000, t.month, t.day,
                  t.hour, t.minute, t.second);
    return text;
}

std::string HeaderJson(const QXMysFileHeader& h, std::uint64_t realSize) {
    char json[512];
    std::snprintf(json, sizeof json,
                  "{\"magic_ok\":%s,\"file_size\":%u,\"real_size\":%llu,\"first\":%s,"
                  "\"last\":%s,\"channels\":%u,\"pal\":%s,\"record_count\":%u}",
                  h.magic == QXMysFileHeader::kMagic ? "true" : "false", h.fileSize,
                  static_cast<unsigned long long>(realSize),
                  QvToolJson::String(Time(h.firstTimestamp)).c_str(),
                  QvToolJson::String(Time(h.lastTimestamp)).c_str(),
                  h.channels & ~QXMysFileHeader::kPalBit & 0xFF, h.GetStandard() ? "true" : "false",
                  h.recordCount);
    return json;
}

std::string RecordJson(long n, std::uint64_t offset, const QXMysRecordHeader& r, bool linked) {
    char json[512];
    std::snprintf(json, sizeof json,
                  "{\"n\":%ld,\"offset\":%llu,\"type\":%s,\"key\":%u,\"sequence\":%u,"
                  "\"time_difference\":%u,\"previous_length\":%u,\"length\":%u,"
                  "\"timestamp\":%s,\"channels\":%u,\"back_link\":%s}",
                  n, static_cast<unsigned long long>(offset),
                  QvToolJson::String(r.IsVideo() ? "video" : "audio").c_str(), r.keyFlag,
                  r.sequence, r.timeDifference, r.previousLength, r.length,
                  QvToolJson::String(Time(r.timestamp)).c_str(), r.channels,
                  linked ? "true" : "false");
    return json;
}

// Prints the header and the records; 0 when every record is linked to the one before it and
// the walk reached the end of the file.
int List(const std::string& path) {
    const int file = KWOpenInputFile(path);
    struct stat info {};
    std::uint8_t bytes[QXMysFileHeader::kSize];
    if (file < 0 || fstat(file, &info) != 0 ||
        pread(file, bytes, sizeof bytes, 0) != static_cast<ssize_t>(sizeof bytes)) {
        std::fprintf(stderr, "qvtool mys: cannot read a MYS file header from %s\n", path.c_str());
        if (file >= 0)
            close(file);
        return QvToolCommand::kExitFailure;
    }
    const auto realSize = static_cast<std::uint64_t>(info.st_size);
    const QXMysFileHeader header = QXMysFileHeader::FromBytes(bytes);
    std::printf("%s\n", HeaderJson(header, realSize).c_str());

    CQXMysRecordWalker walker(file, realSize);
    QXMysRecordHeader record;
    std::uint64_t offset = 0;
    std::uint32_t previousLength = 0;
    long records = 0;
    long broken = 0;
    long video = 0;
    while (walker.Next(record, offset)) {
        const bool linked = record.previousLength == previousLength;
        broken += linked ? 0 : 1;
        video += record.IsVideo() ? 1 : 0;
        std::printf("%s\n", RecordJson(records++, offset, record, linked).c_str());
        previousLength = record.length;
    }
    close(file);
    const bool clean = walker.GetStop() == CQXMysRecordWalker::kAtEnd;
    std::printf("{\"records\":%ld,\"video\":%ld,\"audio\":%ld,\"broken_links\":%ld,"
                "\"end\":%s,\"end_offset\":%llu}\n",
                records, video, records - video, broken,
                QvToolJson::String(kStopNames[walker.GetStop()]).c_str(),
                static_cast<unsigned long long>(walker.GetEnd()));
    return broken == 0 && clean ? QvToolCommand::kExitOk : QvToolCommand::kExitFailure;
}

// Describes every frame the player shows and gives it back at once.
class FramePrinter : public CKWObject {
public:
    KWResult OnListenerSend(std::uint32_t message, KWWParam, KWLParam lParam) override {
        if (message == CQXMysPlayer::kMessagePosition)
            m_position = static_cast<std::uint32_t>(lParam);
        if (message == CQXMysPlayer::kMessageVideo) {
            auto* frame = reinterpret_cast<CQXVideoFrame*>(lParam);
            std::printf("%s\n", m_lister.Describe(m_frames++, *frame, m_position).c_str());
            frame->Reset();
        }
        return 0;
    }
    long GetFrames() const { return m_frames; }

private:
    CQXFrameLister m_lister;
    long m_frames = 0;
    std::uint32_t m_position = 0;
};

int Decode(const std::string& path) {
    FramePrinter printer;
    CQXMysPlayer player;
    player.SetPacing(false);
    player.AddListenerObject(&printer);
    if (!player.Open(path)) {
        std::fprintf(stderr, "qvtool mys: cannot open %s\n", path.c_str());
        return QvToolCommand::kExitFailure;
    }
    // The player pauses at the last record, or stops on a record it cannot read.
    while (player.IsRunning() && player.GetPlayMode() != QXPlayMode::kPause)
        KWSleep(kPollMs);
    const bool reachedEnd = player.GetPlayMode() == QXPlayMode::kPause;
    player.Close();
    return reachedEnd ? QvToolCommand::kExitOk : QvToolCommand::kExitFailure;
}

int RunMys(const std::vector<std::string>& arguments) {
    std::string path;
    bool decode = false;
    for (const std::string& argument : arguments) {
        if (argument == "--decode")
            decode = true;
        else if (path.empty() && argument.rfind("--", 0) != 0)
            path = argument;
        else
            return QvToolCommand::UsageError(kName, "unknown argument '" + argument + "' (" +
                                                        kUsage + ")");
    }
    if (path.empty())
        return QvToolCommand::UsageError(kName, std::string("a file is needed (") + kUsage + ")");
    return decode ? Decode(path) : List(path);
}

const QvToolCommand::Registration
    kRegistration(kName,
                  {"describe a MYS file's records and back links (--decode: its frames)", RunMys});
} // namespace
