// Frame assembly: stream bytes handed to a video frame in pieces, as packets deliver them. The
// first input byte sets the piece length, the rest is the stream. Every completed frame must
// keep its slices inside its own bytes.
#include "CQX4KPacket.h"
#include "CQXVideoFrame.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace {
void CheckComplete(const CQXVideoFrame& frame) {
    const std::uint8_t* start = frame.GetData();
    const std::uint8_t* end = frame.GetPictureEnd();
    if (frame.GetLength() > CQXVideoFrame::kCapacity ||
        frame.GetSliceCount() > CQXVideoFrame::kMaxSlices)
        std::abort();
    for (std::uint8_t i = 0; i < frame.GetSliceCount(); ++i) {
        const std::uint8_t* slice = nullptr;
        if (!frame.GetSliceAddress(i, slice) || slice < start || slice + 3 > end)
            std::abort();
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    static CQXVideoFrame frame;
    frame.Reset();
    const std::size_t piece = 1 + data[0] * CQX4KPacket::kPayloadSize / 256;
    const QXTimestamp time{26, 12, 1, 12, 0, 0};
    for (std::size_t at = 1; at < size;) {
        const auto taken = static_cast<std::uint16_t>(std::min(piece, size - at));
        const std::uint8_t* pointer = data + at;
        std::uint16_t length = taken;
        frame.Feed(pointer, length, time, 0x0F);
        // Bytes left over follow a completed frame's start code: they begin the next frame.
        while (length != 0) {
            if (!frame.IsComplete() || pointer < data + at || pointer + length != data + at + taken)
                std::abort();
            CheckComplete(frame);
            frame.Reset();
            frame.SetInFrame(true);
            frame.Feed(pointer, length, time, 0x0F);
        }
        if (frame.IsComplete()) {
            CheckComplete(frame);
            frame.Reset();
            frame.SetInFrame(true);
        }
        at += taken;
    }
    return 0;
}
