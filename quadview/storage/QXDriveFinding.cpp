#include "QXDriveFinding.h"

#include <cerrno>
#include <cstring>

namespace {
constexpr const char* kCannotOpen = "cannot be opened: ";
constexpr const char* kNotADrive = "is neither a block device nor a disk image file";
constexpr const char* kNoGeometry = "its size cannot be read: ";
constexpr const char* kNoSizeProbe = "its size probe cannot start: ";
constexpr const char* kNoScan = "its scan cannot start: ";
constexpr const char* kExamining = "is still being examined";
constexpr const char* kEmpty = "is empty (0 sectors)";
constexpr const char* kNoRecording = "holds no recorded stream (";
constexpr const char* kSectorsExamined = " sectors examined)";
constexpr const char* kUnknownError = "unknown error";
constexpr const char* kRecorded = "holds a recorded stream";

std::string ErrorText(int error) {
    return error != 0 ? std::strerror(error) : kUnknownError;
}
} // namespace

std::string QXDriveFinding::Reason() const {
    using Failure = CKWStorageDevice::OpenFailure;
    switch (verdict) {
    case Verdict::kRecorded:
        return {};
    case Verdict::kExamining:
        return kExamining;
    case Verdict::kEmpty:
        return kEmpty;
    case Verdict::kNoRecording:
        return kNoRecording + std::to_string(sectors) + kSectorsExamined;
    case Verdict::kRefused:
        break;
    }
    switch (failure) {
    case Failure::kNoGeometry:
        return kNoGeometry + ErrorText(error);
    case Failure::kNoSizeProbe:
        return kNoSizeProbe + ErrorText(error);
    case Failure::kNoScan:
        return kNoScan + ErrorText(error);
    case Failure::kCannotOpen:
    case Failure::kNone:
        break;
    }
    // The drive opens only block devices and regular files; anything else is refused as ENODEV.
    return error == ENODEV ? kNotADrive : kCannotOpen + ErrorText(error);
}

std::string QXDriveFinding::Line() const {
    const std::string reason = Reason();
    return "drive " + std::to_string(driveNumber) + " (" + path +
           "): " + (reason.empty() ? kRecorded : reason);
}
