#pragma once
#include "CQXVideoDecoder.h"
#include "QXChannelSet.h"
#include "QXTimestamp.h"
#include "QvToolBurnIn.h"
#include "QvToolEvidenceFile.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

class CQXPacketSource;

// The evidence export behind `qvtool export`: reads a packet range of a drive's stream once, in
// order, decodes every frame of the chosen channels with one decoder per channel and writes
// each channel into a file of its own, its frames stamped with their recorded time kept in step
// by the recording's pace, the sound in the file of the first channel. Notes for the report
// what every file holds: frames, first and last recorded time, gaps, skipped frames.
class QvToolEvidenceExport {
public:
    // A recorded time seconds apart from the previous frame's by more than this is a gap.
    static constexpr std::int64_t kGapSeconds = 2;

    struct Range {
        std::uint32_t first = 0; // the packet reading starts at
        std::uint32_t last = 0;  // the last packet read
        // Only frames recorded from `from` to `to` (seconds since 1970, UTC) are exported; the
        // reading stops at the first frame after them. Frames before them are decoded, not
        // written, so that the range's first frames have the key pictures they build on.
        bool timed = false;
        std::int64_t from = 0;
        std::int64_t to = 0;
    };
    struct Setup {
        std::string folder;
        QvToolEvidenceFile::Format format = QvToolEvidenceFile::Format::kMp4;
        std::set<int> channels; // channel indices 0-4; empty: every recorded channel
        Range range;
        bool burnIn = false; // the recorded date and time drawn into every picture
    };
    struct Gap {
        QXTimestamp before;
        QXTimestamp after;
        std::int64_t seconds = 0; // negative where the recorded time went back
    };
    struct Skipped {
        std::uint32_t packet = 0; // where the frame was completed
        QXTimestamp time;
        std::string reason;
    };
    struct Output {
        int channel = 0;       // index 0-3, or the composite picture
        std::string name;      // the file's name in the folder
        std::string temporary; // where it is written until the export is complete
        int width = 0;
        int height = 0;
        long frames = 0;
        QXTimestamp first;
        QXTimestamp last;
        std::vector<Gap> gaps;
        std::vector<Skipped> skipped;
        std::uint64_t soundSamples = 0;
        std::string videoCodec;
        std::string soundCodec;                   // empty when the file holds no sound
        std::unique_ptr<QvToolEvidenceFile> file; // null when no frame could be decoded
    };
    struct Progress {
        std::uint32_t packet = 0; // read up to here
        long frames = 0;          // written so far
    };
    using ProgressSink = std::function<void(const Progress&)>;

    QvToolEvidenceExport();

    // Exports; false with GetError set when a decoder, a file or the drive failed, or when
    // `stop` was raised (IsInterrupted). Finished or not, the files written so far are complete
    // and playable under their temporary names.
    bool Run(CQXPacketSource& source, const Setup& setup, const std::atomic<bool>& stop,
             const ProgressSink& progress);

    std::vector<Output>& GetOutputs() { return m_outputs; }
    // The packets actually read: from the range's first to the last one a frame came from.
    std::uint32_t GetFirstPacket() const { return m_firstPacket; }
    std::uint32_t GetLastPacket() const { return m_lastPacket; }
    bool IsInterrupted() const { return m_interrupted; }
    const std::string& GetError() const { return m_error; }

    // A file's name in the export folder: "channel1.mp4" ... "channel4.mp4", "composite.mp4".
    static std::string FileName(int channel, QvToolEvidenceFile::Format format);
    static std::int64_t Seconds(const QXTimestamp& time);

private:
    // The frame's presentation time: the recording's pace, held within its recorded second.
    std::int64_t Present(const QXTimestamp& time, std::uint32_t intervalMs);
    // The channel's entry, made at its first frame; its file is opened at the first picture.
    Output& OutputOf(int channel);
    bool OpenFile(Output& output, int width, int height, std::uint32_t intervalMs);
    bool AddSound(const std::uint8_t* companded, std::int64_t timeMs);
    // The picture with the recorded time burnt into a copy of it.
    const std::uint8_t* const* Caption(const std::uint8_t* const* planes, int width, int height,
                                       const QXTimestamp& time);

    Setup m_setup;
    bool m_ready = false;
    CQXVideoDecoder m_decoders[QXChannelSet::kChannelIndices];
    std::vector<Output> m_outputs;
    QvToolBurnIn m_burnIn;
    std::vector<std::uint8_t> m_captioned; // a picture with its caption burnt in
    std::uint8_t* m_captionPlanes[3] = {};
    int m_soundChannel = -1;                // the channel whose file takes the sound
    std::vector<std::int16_t> m_earlySound; // sound read before that file was opened
    std::int64_t m_earlySoundMs = 0;
    bool m_clockStarted = false;
    std::int64_t m_clockMs = 0;
    std::int64_t m_clockBase = 0; // the recorded second of time 0
    std::int64_t m_lastRecorded = 0;
    std::uint32_t m_firstPacket = 0;
    std::uint32_t m_lastPacket = 0;
    bool m_interrupted = false;
    std::string m_error;
};
