#pragma once
#include <cstdint>

class CQXVideoFrame;
struct QXMysRecordHeader;

// A MYS file's video records as the frames the device reader collected.
namespace QXMysVideoRecord {
// Loads the record with `header`, whose data begins at `dataOffset` of the open file, into
// `frame` as the device reader had it: the frame from its header byte on with the next frame's
// start code put back after it, its slices found, its channels and time from the record header.
// The frame is not marked complete. False when the data cannot be read whole.
bool Load(int file, std::uint64_t dataOffset, const QXMysRecordHeader& header,
          CQXVideoFrame& frame);
// The channel index of such a frame, given the byte that follows its start code in the record:
// the composite picture's when the record says so, else the one in that byte.
std::uint8_t Channel(const QXMysRecordHeader& header, std::uint8_t frameHeader);
} // namespace QXMysVideoRecord
