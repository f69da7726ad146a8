#pragma once
#include "CKWBuffer.h"
#include "CQXCodedPicture.h"
#include "QXTimestamp.h"

#include <atomic>
#include <cstdint>

// Collects the bytes of one video frame from the stream: its header byte, then one slice per
// macroblock row, each beginning with 00 00 01. A complete frame belongs to its consumer until
// the consumer calls Reset; the complete mark is the hand-over between threads.
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

private:
    void RecordSlice(std::uint32_t offset);

    QXTimestamp m_timestamp;
    std::uint8_t m_channelSet = 0;
    bool m_inFrame = false;
    std::uint32_t m_fillLength = 0;
    std::atomic<bool> m_complete{false};
    std::uint8_t m_sliceCount = 0;
    std::uint32_t m_sliceOffsets[kMaxSlices] = {};
};
