// A MYS file: the record walk of the file tools and of a file whose header was never finished,
// then the player's reads in the modes that move through the file differently - play to the
// end, reverse, fast forward and rewind.
#include "CQXMysPlayer.h"
#include "CQXMysRecordWalker.h"
#include "FuzzMemoryFile.h"
#include "QXMysFileHeader.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace {
// Runs the player's steps on the fuzzer's thread, giving every frame back at once.
class StepPlayer : public CQXMysPlayer {
public:
    StepPlayer() { SetPacing(false); }
    using CQXMysPlayer::OpenFile;

    // Sets the mode and reads up to `steps` records in it; stops at a failure, at the end of
    // the records it can pass, or at the edge of the file it is moving to. Returns false when
    // all steps were taken without stopping.
    bool Steps(std::uint32_t mode, std::uint64_t steps) {
        const Command command{mode, QXPlayMode::kNoTarget, 0};
        OnCommand(&command);
        const int cycles = QXPlayMode::BackwardCycles(mode);
        for (std::uint64_t n = 0; n < steps; ++n) {
            const int result = cycles > 0 ? ReadRecordBefore(cycles) : ReadRecord(SkipCount(mode));
            for (std::uint32_t i = 0; i < kFrames; ++i)
                GetFrame(i).Reset();
            if (result == kFailed || result == kEndOfRecords ||
                (cycles == 0 && GetEdgeState() == kEdgeLast) ||
                (cycles > 0 && GetEdgeState() == kEdgeFirst))
                return true;
        }
        return false;
    }
};

constexpr std::uint64_t kTurnSteps = 16;
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static FuzzMemoryFile file;
    static StepPlayer player;
    file.Assign(data, size);

    // Every record is a header at least: a walk that takes more steps has gone round.
    const std::uint64_t records = size / QXMysRecordHeader::kSize + 1;
    CQXMysRecordWalker walker(file.Descriptor(), size);
    QXMysRecordHeader header;
    std::uint64_t offset = 0;
    std::uint64_t walked = 0;
    while (walker.Next(header, offset))
        if (++walked > records)
            std::abort();
    if (walker.GetEnd() > std::max<std::uint64_t>(size, QXMysFileHeader::kSize))
        std::abort();
    CQXMysRecordWalker::PlayableLength(file.Descriptor(), 0);

    if (!player.OpenFile(file.Path()))
        return 0;
    // Playing forward reads each record once at most: one that keeps going has gone back to
    // records it played before.
    if (!player.Steps(QXPlayMode::kPlay, records))
        std::abort();
    player.Steps(QXPlayMode::kReverse, kTurnSteps);
    player.Steps(QXPlayMode::kFastForward4, kTurnSteps);
    player.Steps(QXPlayMode::kRewind8, kTurnSteps);
    return 0;
}
