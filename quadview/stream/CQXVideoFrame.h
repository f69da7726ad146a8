#pragma once
#include "CKWBuffer.h"
#include "CQXCodedPicture.h"
#include "QXTimestamp.h"

#include <atomic>
#include <cstdint>
#include <memory>

class CQXVideoDecoder;
struct QXDecodedPicture;

// Collects the bytes of one video frame from the stream: its header byte, then one slice per
// macroblock row, each beginning with 00 00 01. A complete frame belongs to its consumer until
// the consumer calls Reset; the complete mark is the hand-over between threads.
//
// A frame shown out of stream order (backward play) cannot be decoded onto its channel's previous
// picture, which is then a later one: its reader decodes it ahead, in stream order, and the frame
// carries the resulting picture to its consumer.
class CQXVideoFrame : public CKWBuffer_BYTE, public CQXCodedPicture {
public:
    static constexpr std::uint32_t kCapacity = 131072;
    static constexpr std::uint8_t kMaxSlices = 19;
    static constexpr std::uint8_t kMaxFoundSlices = 18;
    static constexpr std::uint8_t kNoChannel = 7;
    static constexpr std::uint32_t kNotComplete = 0xFFFFFFFF;

    CQXVideoFrame();

    void Reset();
    // Consumes stream bytes, advancing `pointer` and reducing `length` past them. Returns with
    // `length` != 0 only when the frame has just been completed; the remaining bytes follow the
    // start code that completed it and belong to the next frame.
    void Feed(const std::uint8_t*& pointer, std::uint16_t& length, const QXTimestamp& timestamp,
              std::uint8_t channelSet);
    // Records the slices of a frame loaded whole (at most 18).
    void FindSlices();

    bool IsComplete() const override { return m_complete.load(std::memory_order_acquire); }
    void SetComplete(bool complete) { m_complete.store(complete, std::memory_order_release); }
    void SetInFrame(bool inFrame) { m_inFrame = inFrame; }
    bool IsInFrame() const { return m_inFrame; }

    // Header byte: bits 0-2 channel, 3-6 quantiser, 7 key picture.
    static std::uint8_t ChannelOf(std::uint8_t header) { return header & 0x07; }
    static bool IsKeyHeader(std::uint8_t header) { return (header >> 7) != 0; }
    std::uint8_t GetChannel() const;
    std::uint8_t GetQuantiser() const override;
    std::uint32_t IsKeyFrame() const override;
    std::uint8_t GetSliceCount() const override;
    int GetSliceAddress(std::uint8_t index, const std::uint8_t*& address) const override;
    const std::uint8_t* GetPictureEnd() const override { return GetData() + m_fillLength; }
    std::uint32_t GetSliceOffset(std::uint8_t index) const;
    QXTimestamp GetTimestamp() const;
    std::uint8_t GetChannelSet() const { return m_channelSet; }

    std::uint32_t GetLength() const { return m_fillLength; }
    // Lengths beyond the buffer are cut to its size.
    void SetLength(std::uint32_t length);
    void SetTimestamp(const QXTimestamp& timestamp) { m_timestamp = timestamp; }
    // A recorded file stores channel 1 in bit 0 up to channel 4 in bit 3: reverse them into the
    // stream's order. A composite picture also becomes channel 4 in the header byte.
    void SetChannelSetFromRecord(std::uint8_t recordChannels);

    // The picture decoded ahead for this frame, or null; Reset drops it.
    void SetDecodedPicture(std::shared_ptr<const QXDecodedPicture> picture) {
        m_decodedPicture = std::move(picture);
    }
    const QXDecodedPicture* GetDecodedPicture() const { return m_decodedPicture.get(); }
    // What a consumer shows for this frame with its channel's decoder: the picture decoded
    // ahead when there is one (the decoder continues from it), else the frame decoded onto the
    // decoder's picture. The decoder's output planes, or null when nothing can be shown.
    const std::uint8_t* const* DecodeWith(CQXVideoDecoder& decoder) const;

private:
    void RecordSlice(std::uint32_t offset);

    QXTimestamp m_timestamp;
    std::uint8_t m_channelSet = 0;
    bool m_inFrame = false;
    std::uint32_t m_fillLength = 0;
    std::atomic<bool> m_complete{false};
    std::uint8_t m_sliceCount = 0;
    std::uint32_t m_sliceOffsets[kMaxSlices] = {};
    std::shared_ptr<const QXDecodedPicture> m_decodedPicture;
};
