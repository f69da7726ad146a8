// qvtool export-avi: plays a drive's stream from a packet as the viewer's "play" does, but without
// waiting in real time, and writes the view into an AVI file as the viewer's AVI capture would
// on a fast machine: one uncaptioned frame of the view for every 200 ms of played stream time.
// The file is written beside the destination and renamed into place once complete.
#include "CKWImageBuffer.h"
#include "CQXFrameReader.h"
#include "CQXOffscreenView.h"
#include "KWAviCodecs.h"
#include "KWAviWriter.h"
#include "KWFileKind.h"
#include "KWReplaceFile.h"
#include "KWTick.h"
#include "QXPlayMode.h"
#include "QvToolCaptionText.h"
#include "QvToolCommand.h"
#include "QvToolDrive.h"
#include "QvToolJson.h"
#include "QvToolMessageLog.h"

extern "C" {
#include <libavutil/log.h>
}

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {
const char* const kName = "export-avi";
const char* const kUsage = "usage: qvtool export-avi IMAGE|--drive PATH --from PACKET --seconds S "
                           "--out FILE.avi [--codec raw|mjpeg|mpeg4|ffv1|h264] [--size WxH]";
constexpr long kDefaultWidth = 608;
constexpr long kDefaultHeight = 450;
// The frame period the viewer's capture writes; one frame is taken per period of stream time.
constexpr std::uint32_t kFramePeriodMs = 200;
constexpr double kMaxSeconds = 24 * 3600;
constexpr std::uint32_t kProgressEveryMs = 1000;

struct Options {
    unsigned long from = 0;
    bool fromGiven = false;
    double seconds = 0;
    std::string out;
    const KWAviCodecs::Info* codec = KWAviCodecs::Find(KWAviCodec::kFullFrames);
    long width = kDefaultWidth;
    long height = kDefaultHeight;
};

int ParseOptions(const std::vector<std::string>& rest, Options& options) {
    for (std::size_t i = 0; i < rest.size(); i += 2) {
        const std::string& option = rest[i];
        const std::string value = i + 1 < rest.size() ? rest[i + 1] : std::string();
        char* end = nullptr;
        if (option == "--from" && !value.empty() &&
            (options.from = std::strtoul(value.c_str(), &end, 10), *end == '\0') &&
            options.from < QXPlayMode::kNoTarget) {
            options.fromGiven = true;
        } else if (option == "--seconds" && !value.empty() &&
                   (options.seconds = std::strtod(value.c_str(), &end), *end == '\0') &&
                   options.seconds > 0 && options.seconds <= kMaxSeconds) {
        } else if (option == "--out" && !value.empty()) {
            options.out = value;
        } else if (option == "--codec" && KWAviCodecs::FindKey(value) != nullptr) {
            options.codec = KWAviCodecs::FindKey(value);
        } else if (option != "--size" ||
                   !QvToolCommand::ParseViewSize(value, options.width, options.height)) {
            return QvToolCommand::UsageError(kName,
                                             "bad argument '" + option + "' (" + kUsage + ")");
        }
    }
    if (!options.fromGiven || options.seconds == 0 || options.out.empty())
        return QvToolCommand::UsageError(kName, kUsage);
    return QvToolCommand::kExitOk;
}

int Fail(QvToolMessageLog& log, const std::string& text) {
    log.Print(stderr);
    std::fprintf(stderr, "qvtool %s: %s\n", kName, text.c_str());
    return QvToolCommand::kExitFailure;
}

// Takes the view into the AVI file at each frame period of stream time, and tells how far the
// export is now and then.
class FrameTaker {
public:
    FrameTaker(CQXScreenManager4& screen, KWAviWriterState& avi, const Options& options)
        : m_screen(screen), m_avi(avi), m_options(options),
          m_limitMs(std::llround(options.seconds * 1000)) {}

    // Adds a frame for every period that starts before `timeMs` (or at it, when `through`)
    // and inside the export. False when a frame could not be taken or added.
    bool TakeUntil(std::int64_t timeMs, bool through) {
        while (m_nextMs < m_limitMs && (m_nextMs < timeMs || (through && m_nextMs == timeMs))) {
            CKWImageBuffer picture;
            if (!m_screen.CaptureFrameToImage(picture)) {
                m_error = "the view could not be taken";
                return false;
            }
            KWAviCompressOptions options;
            options.codec = m_options.codec->codec;
            if (GetAviFrameCount(&m_avi) == 0 &&
                SetVideoCompression(&m_avi, &picture, &options, {}) != AVIERR_OK)
                return false;
            if (AddAviFrame(&m_avi, &picture) != AVIERR_OK)
                return false;
            m_width = picture.GetWidth();
            m_height = picture.GetHeight();
            m_nextMs += kFramePeriodMs;
            ShowProgress();
        }
        return true;
    }
    bool IsDone(std::int64_t timeMs) const { return timeMs >= m_limitMs; }
    const std::string& GetError() const { return m_error; }
    std::int32_t GetWidth() const { return m_width; }
    std::int32_t GetHeight() const { return m_height; }

private:
    void ShowProgress() {
        const std::uint32_t now = KWGetTickCount();
        if (KWTicksSince(m_lastProgress, now) < kProgressEveryMs)
            return;
        m_lastProgress = now;
        std::fprintf(stderr, "qvtool %s: %.1f of %.1f s, %u frames\n", kName, m_nextMs / 1000.0,
                     m_options.seconds, GetAviFrameCount(&m_avi));
    }

    CQXScreenManager4& m_screen;
    KWAviWriterState& m_avi;
    const Options& m_options;
    const std::int64_t m_limitMs;
    std::int64_t m_nextMs = 0;
    std::uint32_t m_lastProgress = KWGetTickCount();
    std::string m_error;
    std::int32_t m_width = 0;
    std::int32_t m_height = 0;
};

// Shows the stream from the reader's place until the export's time is played or the stream
// ends, with the frames taken in between. Frames are shown at the times "play" paces them to.
bool Play(CQXFrameReader& reader, CQXOffscreenView& view, FrameTaker& taker, std::string& error) {
    std::int64_t shownMs = 0;
    bool first = true;
    for (;;) {
        const int result = reader.ReadFrame(0);
        if (result == CQXFrameReader::kNothing && reader.IsAtEnd())
            break;
        if (result != CQXFrameReader::kVideo)
            continue;
        CQXVideoFrame& frame = *reader.GetCompletedFrame();
        const std::int64_t atMs =
            first ? 0
                  : shownMs + CQXStorageDeviceManager::PlayIntervalMs(
                                  frame.GetSliceCount(), reader.GetPacket().GetIntervalCode());
        if (!taker.TakeUntil(atMs, false))
            return false;
        if (taker.IsDone(atMs)) {
            frame.Reset();
            return true;
        }
        if (!view.Show(frame)) {
            error = "the screen manager did not draw a frame";
            return false;
        }
        shownMs = atMs;
        first = false;
    }
    return taker.TakeUntil(shownMs, true);
}

int RunExportAvi(const std::vector<std::string>& arguments) {
    std::string path;
    std::vector<std::string> rest;
    if (int status = QvToolDrive::SplitArguments(
            kName, arguments, {"--from", "--seconds", "--out", "--codec", "--size"}, path, rest))
        return status;
    Options options;
    if (int status = ParseOptions(rest, options))
        return status;
    QvToolMessageLog log;
    // FFmpeg's notes would mix with the progress lines; its errors still show.
    av_log_set_level(AV_LOG_ERROR);
    if (!KWAviCodecs::IsAvailable(options.codec->codec))
        return Fail(log,
                    std::string("this machine's FFmpeg has no encoder for ") + options.codec->key);

    const QvToolCaptionText captionText;
    CQXOffscreenView view(static_cast<std::int32_t>(options.width),
                          static_cast<std::int32_t>(options.height));
    if (!view.Open())
        return Fail(log, "the view could not be created");
    QvToolDrive::Stream stream;
    if (int status = QvToolDrive::Open(kName, path, stream))
        return status;
    if (options.from > stream.device->GetStreamLength())
        return Fail(log, "packet " + std::to_string(options.from) +
                             " lies beyond the stream's last packet " +
                             std::to_string(stream.device->GetStreamLength()));

    if (const std::string problem = KWOutputFileProblem(options.out); !problem.empty())
        return Fail(log, problem);
    const std::string temporary = KWTemporaryNameBeside(options.out);
    KWAviWriterState* avi = CreateAvi(temporary, kFramePeriodMs, nullptr);
    if (avi == nullptr)
        return Fail(log, "cannot create " + options.out);
    FrameTaker taker(view.GetScreenManager(), *avi, options);
    CQXFrameReader reader(*stream.device);
    reader.Seek(static_cast<std::uint32_t>(options.from));
    std::string error;
    const bool played = Play(reader, view, taker, error);
    const std::uint32_t frames = GetAviFrameCount(avi);
    std::string reason;
    const bool closed = CloseAvi(avi, &reason) == AVIERR_OK;
    stream.manager->CloseAllDevices();
    if (played && closed && std::rename(temporary.c_str(), options.out.c_str()) == 0) {
        std::printf("{\"file\":%s,\"codec\":%s,\"frames\":%u,\"width\":%d,\"height\":%d}\n",
                    QvToolJson::String(options.out).c_str(),
                    QvToolJson::String(options.codec->key).c_str(), frames, taker.GetWidth(),
                    taker.GetHeight());
        return QvToolCommand::kExitOk;
    }
    std::remove(temporary.c_str());
    if (!taker.GetError().empty())
        error = taker.GetError();
    if (error.empty())
        error = reason.empty() ? "cannot rename the finished file to " + options.out : reason;
    return Fail(log, "no AVI file was written: " + error);
}

const QvToolCommand::Registration kRegistration(
    kName, {"write the view of S seconds of play from packet PACKET into an AVI file, one frame "
            "per 200 ms of stream time",
            RunExportAvi});
} // namespace
