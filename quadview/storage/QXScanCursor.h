#pragma once
#include <cstdint>

// Where the data scan of a drive tests next: the last recorded packet found so far (the stream
// length) plus a step. The step doubles after every hit, falls back to 1 after a miss and near
// the end of the known size; a miss with step 1 ends the scan. The scan so tests packet 0, then
// 1, 3, 7, 15, ... and needs a number of reads logarithmic in the stream length per run of hits.
struct QXScanCursor {
    enum class Outcome {
        kContinue, // test the next packet
        kGrow,     // a recorded packet lies at or past the known size: grow it to length + 1
        kEnd,      // the scan is over
    };

    std::uint32_t length = 0;
    std::uint64_t step = 0;

    std::uint64_t Next() const { return length + step; }
    // The packet at Next() is recorded; `packetCount` is the drive's size known so far.
    Outcome Hit(std::uint32_t packetCount);
    // The packet at Next() is not recorded or could not be read.
    Outcome Miss();
};
