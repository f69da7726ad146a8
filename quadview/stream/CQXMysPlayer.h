#pragma once
#include "CKWThread.h"
#include "CQXAudioFrame.h"
#include "CQXChannelCycle.h"
#include "CQXMysFrameHistory.h"
#include "CQXPictureRestorer.h"
#include "CQXVideoFrame.h"
#include "QXMysFileHeader.h"
#include "QXMysRecordHeader.h"
#include "QXPlayMode.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

// Plays one MYS file on its own worker thread in the play modes of the device reader: reads
// records, loads video records into a ring of four video frames and audio records into an
// audio frame, and paces them by the time differences stored in the file. Fast forward skips
// whole records and lands on key records; backward modes step back over video records to the
// exact record the channel cycle names (CQXChannelCycle), and the frame they show carries its
// true picture (CQXPictureRestorer). Frames go to the listeners (the MYS file manager) by
// synchronous messages; a listener gives a video frame back by resetting it.
class CQXMysPlayer : public CKWThread {
public:
    static constexpr std::uint32_t kMessageMode = 0x1410;
    static constexpr std::uint32_t kMessageError = 0x1411;
    static constexpr std::uint32_t kMessageVideo = 0x1412;
    static constexpr std::uint32_t kMessageAudio = 0x1413;
    static constexpr std::uint32_t kMessagePosition = 0x1414;

    static constexpr std::uint32_t kFrames = 4;
    static constexpr std::uint32_t kSearchWindow = 1048576;
    static constexpr std::uint32_t kPacingMarginMs = 6;
    // A record is the file's last when its data ends at or after the file size less this.
    static constexpr std::uint32_t kLastRecordMargin = 56;
    // The file position after reading the first record's header is below this.
    static constexpr std::uint64_t kFirstRecordEnd = 85;
    static constexpr std::uint32_t kStandardNone = 2;
    static constexpr const char* kErrorText =
        "Unknown frame type detected.\r\nPlayback will be stopped.\r\n";
    static constexpr const char* kErrorCaption = "MYS Playback Error";

    // kEndOfRecords: forward play met bytes that are no record and no key record follows them;
    // the last record read was the last good one.
    enum ReadResult {
        kFailed = 0,
        kAudio = 1,
        kVideo = 2,
        kKeyVideo = 3,
        kAbandoned = -1,
        kEndOfRecords = -2
    };
    enum Edge : std::uint8_t { kEdgeFirst = 0, kEdgeInside = 1, kEdgeLast = 2 };

    CQXMysPlayer();
    ~CQXMysPlayer() override;

    // Opens the file, starts the worker and queues "play". Fails while a file is playing.
    [[nodiscard]] int Open(const std::string& path);
    void Close();
    // Queues a mode change; nothing for "none" or the current mode. `parameter` is a file
    // offset for "onef" (QXPlayMode::kNoTarget: none).
    void SetPlayMode(std::uint32_t mode, std::uint32_t parameter);
    // Off: records follow each other without waiting (tools and tests).
    void SetPacing(bool pacing) { m_pacing = pacing; }

    std::uint32_t GetPlayMode() const { return m_mode.load(); }
    std::string GetFileName() const;
    // The length the player goes by: the header's file size, or the length up to the last
    // whole record when the header was never finished.
    std::uint32_t GetFileLength() const { return static_cast<std::uint32_t>(m_fileLength.load()); }
    std::uint32_t GetVideoStandard() const { return m_standard.load(); }
    // True while Close waits for the worker: waits on the worker's behalf should end.
    bool IsClosing() const { return m_closing.load(); }

protected:
    void OnProcess() override;
    void OnCommand(const Command* command) override;
    void OnThreadExit() override;
    void OnTerminate() override;

    // Open without the worker: the file, its header, the frames and the search buffer.
    int OpenFile(const std::string& path);
    // Reads the next record after skipping `skip` video records forward, landing on a key
    // record; see ReadResult.
    int ReadRecord(int skip);
    // Steps back from the record the channel cycle names to the video record a backward mode
    // moving `cycles` cycles per cycle shown goes to, and reads it; at the first record it
    // reads that one (edge state first). See ReadResult.
    int ReadRecordBefore(int cycles);
    // Finds a key video record within the search window after (or before) `offset` and
    // positions the file there.
    int SeekKeyRecord(std::uint64_t offset, bool backward);
    // The records a fast forward mode skips at this step.
    int SkipCount(std::uint32_t mode) const;

    std::uint64_t GetPosition() const { return m_position; }
    Edge GetEdgeState() const { return m_edge; }
    std::uint8_t GetChannelCount() const { return m_cycle.GetChannelCount(); }
    std::uint8_t GetCycleCounter() const { return m_cycle.GetCounter(); }
    const CQXPictureRestorer& GetRestorer() const { return m_restorer; }
    CQXVideoFrame& GetFrame(std::uint32_t index) { return *m_frames[index]; }
    std::uint32_t GetFrameIndex() const { return m_frameIndex; }
    CQXAudioFrame& GetAudioFrame() { return *m_audio; }

private:
    bool ReadHeader(QXMysRecordHeader& header);
    // Reads the record header at the position; bytes that are not one send it to the next key
    // record after them or, when `mayGoBack`, to one before them. False when no record can be
    // found.
    bool ReadRecordHeader(QXMysRecordHeader& header, bool mayGoBack);
    bool IsLastRecord(const QXMysRecordHeader& header) const;
    // Loads the record whose header was just read; a video record landed on by a backward mode
    // gets its true picture.
    int LoadRecord(const QXMysRecordHeader& header, bool landed);
    int LoadFoundRecord(const QXMysRecordHeader& header, bool landed, std::uint64_t start,
                        Edge edge);
    int LoadAudio(const QXMysRecordHeader& header);
    int LoadVideo(const QXMysRecordHeader& header, bool landed);
    void Pace(const QXMysRecordHeader& header);
    // Sleeps 1 ms at a time until `done`; false when the player is being closed first.
    bool WaitUntil(const std::function<bool()>& done, bool endOnCommand);
    void AdvanceFrameIndex();
    void CloseFile();

    std::atomic<std::uint32_t> m_mode{QXPlayMode::kNone};
    std::uint64_t m_firstPosition = 0;
    CQXChannelCycle m_cycle;
    std::uint32_t m_lastFrameTick = 0;
    std::unique_ptr<std::uint8_t[]> m_readBuffer;
    mutable std::mutex m_nameMutex;
    std::string m_fileName;
    int m_file = -1;
    QXMysFileHeader m_header;
    std::atomic<std::uint64_t> m_fileLength{0};
    std::uint64_t m_position = 0;
    // The position was set from outside (the file's start, a jump) rather than reached by
    // reading records. Only then may a search for a record go back: on a walk through the
    // records it would play the same records again and again.
    bool m_landing = true;
    std::atomic<std::uint32_t> m_standard{kStandardNone};
    Edge m_edge = kEdgeFirst;
    std::uint32_t m_frameIndex = 0;
    std::array<std::unique_ptr<CQXVideoFrame>, kFrames> m_frames;
    std::unique_ptr<CQXAudioFrame> m_audio;
    CQXMysFrameHistory m_history;
    CQXPictureRestorer m_restorer;
    std::atomic<bool> m_pacing{true};
    std::atomic<bool> m_closing{false};
};
