#include "CQXMysRecorder.h"

#include "CQXAudioFrame.h"
#include "CQXVideoFrame.h"
#include "KWErrorReport.h"
#include "KWPrepareDirectory.h"
#include "KWTick.h"
#include "QXNumberedFile.h"

#include <filesystem>
#include <sys/uio.h>
#include <unistd.h>

CQXMysRecorder::CQXMysRecorder(std::uint32_t fileSizeLimit) : m_fileSizeLimit(fileSizeLimit) {
    m_className = "CQXMysRecorder";
}

CQXMysRecorder::~CQXMysRecorder() {
    Close();
}

int CQXMysRecorder::Open(const std::string& directory, std::uint32_t standard) {
    if (standard >= kStandardNone || directory.empty() || IsRunning())
        return 0;
    std::error_code error;
    const std::string absolute = std::filesystem::absolute(directory, error).string();
    if (error || !PrepareDirectory("", absolute))
        return 0;

    m_writeIndex = 0;
    m_failed = false;
    m_directory = absolute;
    m_standard = standard;
    {
        std::lock_guard lock(m_producerMutex);
        for (auto& buffer : m_buffers)
            buffer = std::make_unique<CQXMysFrame>();
        m_ringIndex = 0;
        m_keyTaken = false;
        m_accepting = true;
    }
    if (!Start(kWaitTimeoutMs)) {
        Shutdown();
        return 0;
    }
    SendToListeners(kMessageRecording, 1, 0);
    return 1;
}

void CQXMysRecorder::Close() {
    std::int32_t exitCode = 0;
    Stop(exitCode, kCloseTimeoutMs);
    if (IsRunning())
        Terminate(1, 0);
}

std::string CQXMysRecorder::GetFileName() const {
    std::lock_guard lock(m_nameMutex);
    return m_fileName;
}

CQXMysFrame* CQXMysRecorder::ClaimBuffer() {
    if (!m_accepting)
        return nullptr;
    CQXMysFrame* buffer = m_buffers[m_ringIndex].get();
    return buffer && !buffer->IsInUse() ? buffer : nullptr;
}

void CQXMysRecorder::QueueBuffer(CQXMysFrame& buffer) {
    buffer.Publish();
    m_ringIndex = (m_ringIndex + 1) % kRecordBuffers;
}

std::uint8_t CQXMysRecorder::DisplayChannels(const CQXVideoFrame& frame) const {
    // Without a screen the frame's own channels are what would be shown.
    const std::uint8_t set =
        m_screenManager ? m_screenManager->GetDisplayMask() : frame.GetChannelSet();
    return QXMysRecordHeader::ChannelsFromSet(set);
}

int CQXMysRecorder::WriteVideo(const CQXVideoFrame& frame) {
    // Read each once: the screen manager may release the frame while it is being copied. Its
    // bytes stay, since only the caller's thread refills it; a released frame has no time.
    const std::uint32_t length = frame.GetLength();
    const QXTimestamp timestamp = frame.GetTimestamp();
    const bool key = frame.IsKeyFrame() == 1;
    if (!timestamp.IsValid())
        return 0;

    std::lock_guard lock(m_producerMutex);
    CQXMysFrame* buffer = ClaimBuffer();
    if (!buffer)
        return 0;
    const std::uint32_t now = KWGetTickCount();
    std::uint32_t difference = 0;
    if (!m_keyTaken) {
        if (!key)
            return 1; // a file begins with a key frame
    } else {
        difference = KWTicksSince(m_lastVideoTick, now);
    }
    if (!buffer->LoadVideo(frame, length))
        return 0;
    m_keyTaken = true;
    m_lastVideoTick = now;

    QXMysRecordHeader& header = buffer->Header();
    header.magic = QXMysRecordHeader::kVideoMagic;
    header.timeDifference = difference;
    header.timestamp = timestamp;
    header.channels = DisplayChannels(frame);
    header.keyFlag = key ? 1 : 0;
    QueueBuffer(*buffer);
    return 1;
}

int CQXMysRecorder::WriteAudio(const CQXAudioFrame& frame) {
    std::lock_guard lock(m_producerMutex);
    CQXMysFrame* buffer = ClaimBuffer();
    if (!buffer || !m_keyTaken || !buffer->LoadAudio(frame))
        return 0;
    QXMysRecordHeader& header = buffer->Header();
    header.magic = QXMysRecordHeader::kAudioMagic;
    header.timeDifference = 0;
    header.timestamp.Clear();
    header.channels = 0;
    header.keyFlag = 0;
    QueueBuffer(*buffer);
    return 1;
}

// Every waiting record is written at each tick, so a stream read faster than one frame per
// millisecond (unpaced play of small pictures) does not fill the ring and lose frames.
void CQXMysRecorder::OnProcess() {
    for (std::uint32_t i = 0; i < kRecordBuffers && WriteNext(); ++i) {
    }
}

bool CQXMysRecorder::IsFull() {
    std::lock_guard lock(m_producerMutex);
    return m_accepting && !ClaimBuffer();
}

void CQXMysRecorder::OnStop() {
    {
        std::lock_guard lock(m_producerMutex);
        m_accepting = false;
    }
    while (!m_failed && WriteNext()) {
    }
}

bool CQXMysRecorder::WriteNext() {
    if (m_file >= 0 && m_header.fileSize > m_fileSizeLimit)
        CloseFile();

    CQXMysFrame* buffer = m_buffers[m_writeIndex].get();
    if (!buffer || !buffer->IsInUse())
        return false;
    if (m_file < 0) {
        // Audio has no time and cannot name a file; a record without a valid time is dropped.
        const QXTimestamp timestamp = buffer->Header().timestamp;
        if (!timestamp.IsValid()) {
            buffer->Reset();
            m_writeIndex = (m_writeIndex + 1) % kRecordBuffers;
            return true;
        }
        if (!OpenNextFile(timestamp)) {
            Fail();
            return false;
        }
    }
    if (!WriteRecord(*buffer)) {
        Fail(); // the record stays queued; the recorder ends
        return false;
    }
    buffer->Reset();
    m_writeIndex = (m_writeIndex + 1) % kRecordBuffers;
    return true;
}

int CQXMysRecorder::WriteRecord(CQXMysFrame& buffer) {
    // The writer links the records of the file it writes, so that records taken before a file
    // was closed and written into the next one still form an unbroken chain there.
    QXMysRecordHeader header = buffer.Header();
    if (m_header.recordCount == 0) {
        m_sequence = 0;
        m_previousLength = 0;
        header.timeDifference = 0;
    }
    header.sequence = m_sequence;
    header.previousLength = m_previousLength;

    std::uint8_t bytes[QXMysRecordHeader::kSize];
    header.ToBytes(bytes);
    iovec parts[2] = {{bytes, sizeof bytes}, {buffer.GetData(), header.length}};
    const ssize_t expected = static_cast<ssize_t>(sizeof bytes + header.length);
    if (writev(m_file, parts, 2) != expected)
        return 0;

    ++m_sequence;
    m_previousLength = header.length;
    ++m_header.recordCount;
    m_header.fileSize += header.length + QXMysRecordHeader::kSize;
    m_header.lastTimestamp = header.timestamp;
    m_header.channels |= header.channels;
    m_header.channelsCopy = m_header.channels;
    m_bytesWritten = m_header.fileSize;
    return 1;
}

int CQXMysRecorder::OpenNextFile(const QXTimestamp& timestamp) {
    m_header = QXMysFileHeader{};
    std::string name;
    m_file = QXNumberedFile::Create(m_directory, timestamp, ".mys", name);
    if (m_file >= 0) {
        std::lock_guard lock(m_nameMutex);
        m_fileName = name;
    }
    if (m_file < 0)
        return 0;

    if (m_standard != 0)
        m_header.channels = m_header.channelsCopy = QXMysFileHeader::kPalBit;
    m_header.firstTimestamp = timestamp;
    // On disk the size and count stay 0 until the file is closed.
    std::uint8_t bytes[QXMysFileHeader::kSize];
    m_header.ToBytes(bytes);
    if (write(m_file, bytes, sizeof bytes) != static_cast<ssize_t>(sizeof bytes)) {
        CloseFile();
        return 0;
    }
    m_header.fileSize = QXMysFileHeader::kSize;
    m_bytesWritten = m_header.fileSize;
    return 1;
}

void CQXMysRecorder::CloseFile() {
    if (m_file >= 0) {
        const bool hasRecords = m_header.recordCount != 0;
        if (hasRecords) {
            // A failed rewrite keeps the file: its records are whole and a reader of a header
            // without size goes by the file's real length.
            std::uint8_t bytes[QXMysFileHeader::kSize];
            m_header.ToBytes(bytes);
            (void)!pwrite(m_file, bytes, sizeof bytes, 0);
            // A record a full disk cut short is no record: the file ends where its header says.
            (void)!ftruncate(m_file, static_cast<off_t>(m_header.fileSize));
        }
        close(m_file);
        m_file = -1;
        if (!hasRecords)
            unlink(GetFileName().c_str());
    }
    {
        std::lock_guard lock(m_nameMutex);
        m_fileName.clear();
    }
    m_keyTaken = false;
    m_sequence = 0;
    m_previousLength = 0;
    m_header = QXMysFileHeader{};
    m_bytesWritten = 0;
}

void CQXMysRecorder::Fail() {
    m_failed = true;
    SendToListeners(kMessageError, 0, 0);
    PushFrontCommand(kCommandStop);
}

void CQXMysRecorder::OnThreadExit() {
    Shutdown();
}

void CQXMysRecorder::OnTerminate() {
    Shutdown();
}

void CQXMysRecorder::Shutdown() {
    {
        std::lock_guard lock(m_producerMutex);
        if (!m_buffers[0])
            return; // already shut down
        m_accepting = false;
    }
    CloseFile();
    {
        std::lock_guard lock(m_producerMutex);
        for (auto& buffer : m_buffers)
            buffer.reset();
        m_ringIndex = 0;
    }
    m_writeIndex = 0;
    m_standard = kStandardNone;
    m_directory.clear();
    SendToListeners(kMessageRecording, 0, 0);
}
