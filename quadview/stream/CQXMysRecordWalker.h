#pragma once
#include "QXMysRecordHeader.h"

#include <cstdint>

// Steps through the records of an open MYS file from the first one on, reading headers only.
// The walk ends at the file's end, at bytes that are not a record header, or at a record whose
// data runs past the end (what a capture cut short leaves behind).
class CQXMysRecordWalker {
public:
    enum Stop { kRunning, kAtEnd, kForeignBytes, kCutShort, kReadError };

    // `fileDescriptor` stays the caller's; `length` is the file's real length.
    CQXMysRecordWalker(int fileDescriptor, std::uint64_t length);

    // The next whole record: its header and the offset of that header. False once the walk has
    // ended; GetStop says why.
    bool Next(QXMysRecordHeader& header, std::uint64_t& offset);
    Stop GetStop() const { return m_stop; }
    // The end of the last whole record reached.
    std::uint64_t GetEnd() const { return m_offset; }

    // The length a reader of the file should go by: the header's file size when it is usable,
    // else the real length cut back to the end of the last whole record.
    static std::uint64_t PlayableLength(int fileDescriptor, std::uint32_t headerFileSize);

private:
    int m_file;
    std::uint64_t m_length;
    std::uint64_t m_offset;
    Stop m_stop = kRunning;
};
