#pragma once
#include "CKWThread.h"
#include "CQXMysFrame.h"
#include "CQXVideoSink.h"
#include "QXMysFileHeader.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

class CQXAudioFrame;
class CQXVideoFrame;

// Copies the frames the device reader produces into MYS files in a chosen directory. The
// reader's thread only copies each frame into the next of 32 record buffers (WriteVideo,
// WriteAudio); the recorder's worker writes the buffers in the order they were filled, opens
// each file named after the time of its first record, and starts a new file once one has grown
// past the size limit. A frame the recorder cannot take at once is refused, never waited for.
class CQXMysRecorder : public CKWThread {
public:
    static constexpr std::uint32_t kMessageRecording = 0x1400; // 1 opened / 0 ended
    static constexpr std::uint32_t kMessageError = 0x1401;
    static constexpr std::uint32_t kRecordBuffers = 32;
    static constexpr std::uint32_t kFileSizeLimit = 700u * 1048576u;
    static constexpr std::uint32_t kWaitTimeoutMs = 1;
    static constexpr std::int32_t kCloseTimeoutMs = 200;
    static constexpr std::uint32_t kStandardNone = 2;

    // A smaller limit lets tests see the file split without writing 700 MB.
    explicit CQXMysRecorder(std::uint32_t fileSizeLimit = kFileSizeLimit);
    ~CQXMysRecorder() override;

    // Where video records take their channel byte from: the channels it shows. Not owned.
    void SetScreenManager(CQXVideoSink* screenManager) { m_screenManager = screenManager; }

    // Prepares the directory and starts the writer; no file is created before the first key
    // frame. Standard 0 NTSC, 1 PAL; anything else is refused.
    [[nodiscard]] int Open(const std::string& directory, std::uint32_t standard);
    void Close();

    // Called on the reader's thread. 1: taken (or, before the first key frame of a file, a
    // non-key frame skipped); 0: refused (not recording, no free buffer, frame not usable).
    [[nodiscard]] int WriteVideo(const CQXVideoFrame& frame);
    // True while the recorder takes records but every record buffer is still waiting to be
    // written; a producer that must not lose frames waits for room.
    bool IsFull();
    // Audio is taken only once a file has its first key frame.
    [[nodiscard]] int WriteAudio(const CQXAudioFrame& frame);

    // The size of the file being written (its header's file size), 0 when none is open.
    std::uint32_t GetBytesWritten() const { return m_bytesWritten.load(); }
    std::string GetFileName() const;
    std::uint32_t GetVideoStandard() const { return m_standard.load(); }
    // Whether a write failed (a full disk) since the recorder was opened; the recorder then
    // closed its file like a normal stop and ended.
    bool HasFailed() const { return m_failed.load(); }

protected:
    void OnProcess() override;
    // A normal stop first writes the records already taken.
    void OnStop() override;
    void OnThreadExit() override;
    void OnTerminate() override;

private:
    // Takes the free buffer at the ring index for the producer, or null.
    CQXMysFrame* ClaimBuffer();
    void QueueBuffer(CQXMysFrame& buffer);
    std::uint8_t DisplayChannels(const CQXVideoFrame& frame) const;
    int OpenNextFile(const QXTimestamp& timestamp);
    // Writes the next queued record, opening a file first when none is open; true when a
    // record was taken off the queue.
    bool WriteNext();
    int WriteRecord(CQXMysFrame& buffer);
    void CloseFile();
    void Fail();
    void Shutdown();

    const std::uint32_t m_fileSizeLimit;
    CQXVideoSink* m_screenManager = nullptr;
    std::atomic<std::uint32_t> m_standard{kStandardNone};

    // Producer side, under m_producerMutex: whether frames are taken at all, the ring index,
    // the tick of the last video record taken.
    std::mutex m_producerMutex;
    bool m_accepting = false;
    std::uint32_t m_ringIndex = 0;
    std::uint32_t m_lastVideoTick = 0;
    // Cleared by the writer when it closes a file: the producer then waits for a key frame so
    // that every file begins with one, and refuses audio until then.
    std::atomic<bool> m_keyTaken{false};

    // Writer side: the next buffer to write, the open file and its header and back-link chain.
    std::uint32_t m_writeIndex = 0;
    std::atomic<bool> m_failed{false};
    std::string m_directory;
    mutable std::mutex m_nameMutex;
    std::string m_fileName;
    int m_file = -1;
    QXMysFileHeader m_header;
    std::atomic<std::uint32_t> m_bytesWritten{0};
    std::uint32_t m_sequence = 0;
    std::uint32_t m_previousLength = 0;

    std::array<std::unique_ptr<CQXMysFrame>, kRecordBuffers> m_buffers;
};
