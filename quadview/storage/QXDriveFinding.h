#pragma once
#include "CKWStorageDevice.h"

#include <cstdint>
#include <string>

// What detection learnt about one drive of the drive list: whether it holds a recorded stream
// and, when it does not, why not - so that a user can tell a drive the program may not read from
// one that holds no recording.
struct QXDriveFinding {
    enum class Verdict {
        kRecorded,   // holds a recorded stream
        kRefused,    // could not be opened (see failure and error)
        kExamining,  // still being probed or scanned
        kEmpty,      // has no sectors
        kNoRecording // was read and holds no recorded stream
    };

    std::uint8_t driveNumber = 0;
    std::string path;
    Verdict verdict = Verdict::kRefused;
    CKWStorageDevice::OpenFailure failure = CKWStorageDevice::OpenFailure::kNone;
    int error = 0; // the system's error number of a refused drive, 0 when it has none
    std::uint64_t sectors = 0;

    bool IsRecorded() const { return verdict == Verdict::kRecorded; }
    // Why the drive is not a DVR disk, empty when it is one: "cannot be opened: Permission denied".
    std::string Reason() const;
    // "drive 1 (/dev/sdb): cannot be opened: Permission denied".
    std::string Line() const;
};
