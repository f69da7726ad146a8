#pragma once
#include "CKWBuffer.h"
#include "QXMysRecordHeader.h"

#include <atomic>
#include <cstdint>

class CQXAudioFrame;
class CQXVideoFrame;

// One record of a MYS file in memory: its header and its data. The recorder's reader-side
// producer fills a free frame and marks it in use; the writer thread writes it and resets it,
// which frees it again. The in-use mark is the hand-over between the two threads.
class CQXMysFrame : public CKWBuffer_BYTE {
public:
    static constexpr std::uint32_t kCapacity = 131072;

    CQXMysFrame();

    // Clears the header, marks it free (key flag 2) and gives the frame back to the producer.
    void Reset();
    // In use from Publish until Reset.
    bool IsInUse() const { return m_inUse.load(std::memory_order_acquire); }
    bool IsVideo() const { return m_header.IsVideo(); }

    // Fills the record from a complete video frame: the start code, then the frame's bytes up
    // to its own trailing start code. `length` is the frame's fill length as the caller read
    // it once; 0 when it does not fit or is too short to hold a frame.
    [[nodiscard]] int LoadVideo(const CQXVideoFrame& frame, std::uint32_t length);
    // Fills the record from an audio block: the filler bytes, then the block in sample order.
    [[nodiscard]] int LoadAudio(const CQXAudioFrame& frame);
    // Hands the filled record to the writer.
    void Publish() { m_inUse.store(m_header.IsRecord(), std::memory_order_release); }

    QXMysRecordHeader& Header() { return m_header; }
    const QXMysRecordHeader& Header() const { return m_header; }

private:
    QXMysRecordHeader m_header;
    std::atomic<bool> m_inUse{false};
};
