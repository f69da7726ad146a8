// The video decoder on one or two collected frames: the first two input bytes give the length
// of the first frame, the rest is the second, decoded onto the first's picture as a non-key
// picture would be.
#include "CQXVideoDecoder.h"
#include "CQXVideoFrame.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace {
void LoadWhole(CQXVideoFrame& frame, const std::uint8_t* data, std::size_t size) {
    frame.Reset();
    const auto length = static_cast<std::uint32_t>(std::min<std::size_t>(size, frame.GetSize()));
    std::copy_n(data, length, frame.GetData());
    frame.SetLength(length);
    frame.FindSlices();
    frame.SetComplete(true);
}

void Decode(CQXVideoDecoder& decoder, CQXVideoFrame& frame) {
    if (decoder.Decode(&frame) == nullptr)
        return;
    if (decoder.GetWidth() <= 0 || decoder.GetWidth() > CQXVideoDecoder::kMaxWidth ||
        decoder.GetHeight() <= 0 || decoder.GetHeight() > CQXVideoDecoder::kMaxHeight)
        std::abort(); // a decoded picture lies within the planes
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    static CQXVideoDecoder decoder;
    static CQXVideoFrame frame;
    if (decoder.Initialize() != 1)
        std::abort();
    const std::size_t first = std::min<std::size_t>(data[0] | (data[1] << 8), size - 2);
    LoadWhole(frame, data + 2, first);
    Decode(decoder, frame);
    if (2 + first < size) {
        LoadWhole(frame, data + 2 + first, size - 2 - first);
        Decode(decoder, frame);
    }
    return 0;
}
