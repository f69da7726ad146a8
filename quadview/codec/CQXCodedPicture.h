#pragma once
#include <cstdint>

// What the video decoder reads of a collected frame: its header fields and its slices. The
// stream's video frame provides it; the decoder needs nothing else of the stream.
class CQXCodedPicture {
public:
    virtual bool IsComplete() const = 0;
    virtual std::uint8_t GetQuantiser() const = 0;
    // 1 for a key picture; something other than 0 and 1 while the frame is not complete.
    virtual std::uint32_t IsKeyFrame() const = 0;
    virtual std::uint8_t GetSliceCount() const = 0;
    // The start of slice `index` (its 00 00 01 prefix); 0 and null for a slice not found.
    virtual int GetSliceAddress(std::uint8_t index, const std::uint8_t*& address) const = 0;
    // One past the frame's last byte.
    virtual const std::uint8_t* GetPictureEnd() const = 0;

protected:
    ~CQXCodedPicture() = default;
};
