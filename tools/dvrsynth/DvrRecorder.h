#pragma once
#include "DvrEventTable.h"
#include "DvrImageWriter.h"
#include "DvrPicture.h"
#include "QXTimestamp.h"

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

// Records a synthetic DVR disk image: channels of generated scenes, sound, an event table, in
// the shapes real disks come in (fresh, or a circular recording that has wrapped), with damage
// on request.
class DvrRecorder {
public:
    enum class Shape { Fresh, Wrapped };
    enum class DamageKind { InvalidPacket, TruncatedFrame, OversizedFrame };
    struct Damage {
        DamageKind kind;
        std::uint64_t index; // stream packet for InvalidPacket, frame number otherwise
    };

    struct Options {
        std::string output;
        std::vector<int> channels{0, 1, 2, 3}; // channel codes 0-3, or {4} for the composite
        int slices = 7;                        // 7, 9, 14 or 17: the picture geometry
        int keyPeriod = 30; // frames per channel from one key picture to the next
        int quantiser = 4;  // 1-15
        int intervalCode = 0;
        double seconds = 10;
        std::tm start{}; // recording start (tm_year etc. as std::tm)
        bool audio = true;
        bool audioTime = true;  // audio packets carry the recording time
        bool padFrames = false; // every frame starts a data packet
        bool motion = true;
        Shape shape = Shape::Fresh;
        std::uint64_t diskBytes = 0; // 0: just large enough for a fresh recording
        int events = 1;              // recording spans in the event table
        int eventFirstIndex = 0;     // where they begin in the table's ring: even, 0-128
        std::vector<Damage> damage;
        // An older recording of that many seconds, recorded a day before `start`, left on the
        // disk from this packet on, beyond the stream's end (0: none).
        std::uint64_t olderRunPacket = 0;
        double olderRunSeconds = 5;
    };

    struct FrameTruth {
        std::uint64_t number = 0; // in recording order
        std::uint64_t packet = 0; // disk packet in which the reader completes the frame
        int channel = 0;          // channel code
        QXTimestamp timestamp;    // of that packet
        bool key = false;
        int slices = 0;
        bool damaged = false;
        std::uint64_t picture = 0; // index of the source picture within its channel
    };

    struct Result {
        bool ok = false;
        std::string error;
        std::uint64_t diskBytes = 0;
        std::uint64_t packetsWritten = 0; // stream packets produced (before any wrap)
        std::uint64_t streamLength = 0;   // index of the last recorded packet on the disk
        std::vector<FrameTruth> frames;   // surviving frames in disk order
        std::vector<DvrEventTable::Event> events;
        std::vector<std::int16_t> sound; // the source sound, 8000 samples per second
        // The disk packets of the older recording, when one was asked for.
        std::uint64_t olderRunFirst = 0;
        std::uint64_t olderRunLast = 0;
        std::vector<FrameTruth> olderFrames; // its frames, their packets on this disk
    };

    // Called with each source picture in recording order (for the ground truth).
    using PictureSink = std::function<void(int channel, std::uint64_t index, const DvrPicture&)>;

    explicit DvrRecorder(Options options) : m_options(std::move(options)) {}
    void SetPictureSink(PictureSink sink) { m_pictureSink = std::move(sink); }

    Result Record();

    static constexpr int kSampleRate = 8000;
    static constexpr int kSamplesPerPacket = 4000;

private:
    // Records the older recording into a scratch image and copies its packets into `writer`.
    bool PlantOlderRun(DvrImageWriter& writer, Result& result) const;

    Options m_options;
    PictureSink m_pictureSink;
};
