#include "CQXMysPlayer.h"

#include "CQXMysRecordWalker.h"
#include "KWErrorReport.h"
#include "KWFileKind.h"
#include "KWTick.h"
#include "QXMysVideoRecord.h"

#include <algorithm>
#include <unistd.h>

namespace {
// Video records fast forward skips at a cycle start, per channel: ff2 .. ff64.
constexpr int kForwardSkips[] = {1, 3, 7, 15, 31, 64};
} // namespace

CQXMysPlayer::CQXMysPlayer() {
    m_className = "CQXMysPlayer";
}

CQXMysPlayer::~CQXMysPlayer() {
    Close();
    CloseFile();
}

int CQXMysPlayer::Open(const std::string& path) {
    if (IsRunning() || !OpenFile(path))
        return 0;
    if (!Start(0)) {
        CloseFile();
        return 0;
    }
    PostCommand(QXPlayMode::kPlay, 0, 0);
    return 1;
}

int CQXMysPlayer::OpenFile(const std::string& path) {
    CloseFile();
    m_file = KWOpenInputFile(path);
    if (m_file < 0)
        return 0;
    std::uint8_t bytes[QXMysFileHeader::kSize];
    if (pread(m_file, bytes, sizeof bytes, 0) != static_cast<ssize_t>(sizeof bytes)) {
        CloseFile();
        return 0;
    }
    // The header is not otherwise examined: a foreign file fails at its first record.
    m_header = QXMysFileHeader::FromBytes(bytes);
    m_fileLength = CQXMysRecordWalker::PlayableLength(m_file, m_header.fileSize);
    m_position = QXMysFileHeader::kSize;
    m_landing = true;
    m_standard = m_header.GetStandard();
    m_edge = kEdgeFirst;
    m_cycle = CQXChannelCycle{};
    m_cycle.Restart(m_position);
    m_firstPosition = 0;
    m_lastFrameTick = 0;
    if (!m_audio) {
        for (auto& frame : m_frames)
            frame = std::make_unique<CQXVideoFrame>();
        m_audio = std::make_unique<CQXAudioFrame>();
        m_readBuffer.reset(new (std::nothrow)
                               std::uint8_t[kSearchWindow + QXMysRecordHeader::kSize]);
    }
    if (!m_readBuffer) {
        CloseFile();
        return 0;
    }
    m_history.Attach(m_file);
    m_restorer.Clear();
    m_frameIndex = 0;
    std::lock_guard lock(m_nameMutex);
    m_fileName = path;
    return 1;
}

void CQXMysPlayer::Close() {
    m_closing = true;
    std::int32_t exitCode = 0;
    Stop(exitCode, kWaitForever);
    m_closing = false;
}

void CQXMysPlayer::SetPlayMode(std::uint32_t mode, std::uint32_t parameter) {
    if (mode == m_mode || mode == QXPlayMode::kNone)
        return;
    PostCommand(mode, parameter, 0);
}

std::string CQXMysPlayer::GetFileName() const {
    std::lock_guard lock(m_nameMutex);
    return m_fileName;
}

void CQXMysPlayer::OnCommand(const Command* command) {
    if (!QXPlayMode::IsValid(command->code) || command->code == m_mode)
        return;
    m_mode = command->code;
    if (command->code == QXPlayMode::kOneForward && command->parameter1 != QXPlayMode::kNoTarget) {
        m_position = command->parameter1;
        m_landing = true;
        m_cycle.Restart(m_position);
    }
    SendToListeners(kMessageMode, m_mode, 0);
}

int CQXMysPlayer::SkipCount(std::uint32_t mode) const {
    if (!QXPlayMode::IsFastForward(mode) || !m_cycle.IsCycleStart())
        return 0;
    return kForwardSkips[mode - QXPlayMode::kFastForward2] * m_cycle.GetChannelCount();
}

void CQXMysPlayer::OnProcess() {
    const std::uint32_t mode = m_mode;
    if (QXPlayMode::IsStopped(mode)) {
        KWSleep(1);
        return;
    }
    const int cycles = QXPlayMode::BackwardCycles(mode);
    // Forward play needs no pictures decoded ahead; single steps may turn back at once.
    if (cycles == 0 && mode != QXPlayMode::kOneForward)
        m_restorer.Clear();
    const int result = cycles > 0 ? ReadRecordBefore(cycles) : ReadRecord(SkipCount(mode));
    if (result == kAbandoned)
        return;
    if (result == kEndOfRecords) {
        m_edge = kEdgeLast;
        PushFrontCommand(QXPlayMode::kPause);
        m_cycle.EndCycle();
        return;
    }
    if (result == kFailed) {
        ShowWarning(kErrorText, kErrorCaption);
        PushFrontCommand(kCommandStop);
        return;
    }
    SendToListeners(kMessagePosition, 0, static_cast<KWLParam>(m_position));
    if (result == kAudio) {
        if (mode == QXPlayMode::kPlay)
            SendToListeners(kMessageAudio, 1, reinterpret_cast<KWLParam>(m_audio.get()));
    } else {
        SendToListeners(kMessageVideo, 0, reinterpret_cast<KWLParam>(m_frames[m_frameIndex].get()));
        AdvanceFrameIndex();
    }

    if (m_firstPosition == 0) {
        m_firstPosition = m_position;
        // A file whose first record is also its last still pauses there.
        if (m_edge != kEdgeLast)
            m_edge = kEdgeInside;
    }
    if (m_cycle.IsCycleStart() &&
        (mode == QXPlayMode::kOneForward || mode == QXPlayMode::kOneReverse)) {
        PushFrontCommand(QXPlayMode::kPause);
        return;
    }
    if (m_edge == kEdgeFirst) {
        PushFrontCommand(QXPlayMode::kOneForward); // parameter 0: back to the file's start
    } else if (m_edge == kEdgeLast) {
        PushFrontCommand(QXPlayMode::kPause);
        m_cycle.EndCycle();
    }
}

void CQXMysPlayer::AdvanceFrameIndex() {
    WaitUntil(
        [this] {
            m_frameIndex = (m_frameIndex + 1) % kFrames;
            return !m_frames[m_frameIndex]->IsComplete();
        },
        false);
}

bool CQXMysPlayer::WaitUntil(const std::function<bool()>& done, bool endOnCommand) {
    while (!done()) {
        if (m_closing || IsTerminateRequested())
            return false;
        if (endOnCommand && GetQueuedCommandCount() != 0)
            return true;
        KWSleep(1);
    }
    return true;
}

bool CQXMysPlayer::ReadHeader(QXMysRecordHeader& header) {
    if (!QXMysRecordHeader::Read(m_file, m_position, header))
        return false;
    m_position += QXMysRecordHeader::kSize;
    return true;
}

bool CQXMysPlayer::ReadRecordHeader(QXMysRecordHeader& header, bool mayGoBack) {
    for (;;) {
        if (!ReadHeader(header))
            return false;
        if (header.IsRecord())
            return true;
        // Not at a record (the file header, a jump target, damage): go to a key record.
        const std::uint64_t after = m_position;
        const bool found = SeekKeyRecord(after, false) || (mayGoBack && SeekKeyRecord(after, true));
        if (m_pacing)
            KWSleep(1);
        if (!found)
            return false;
    }
}

bool CQXMysPlayer::IsLastRecord(const QXMysRecordHeader& header) const {
    return m_position + header.length + kLastRecordMargin >= m_fileLength;
}

int CQXMysPlayer::ReadRecord(int skip) {
    const std::uint64_t start = m_position;
    Edge edge = kEdgeInside;
    QXMysRecordHeader header;
    // A walk that runs into damage it cannot pass has ended; the next read meets it again.
    const auto endOfRecords = [this, start] {
        m_position = start;
        return m_landing ? kFailed : kEndOfRecords;
    };
    if (!ReadRecordHeader(header, m_landing))
        return endOfRecords();
    if (IsLastRecord(header))
        edge = kEdgeLast;

    while (skip > 0) {
        if (edge == kEdgeLast) {
            // Nothing lies beyond: show the last key record.
            if (!header.IsKeyVideo() && (!SeekKeyRecord(m_position, true) || !ReadHeader(header)))
                return kFailed;
            break;
        }
        m_position += header.length;
        if (!ReadRecordHeader(header, false))
            return endOfRecords();
        if (IsLastRecord(header))
            edge = kEdgeLast;
        if (header.IsVideo()) {
            if (skip > 1)
                --skip;
            else if (header.IsKeyVideo())
                skip = 0;
        }
    }

    const int result = LoadFoundRecord(header, false, start, edge);
    if (result != kFailed && result != kAbandoned && edge == kEdgeLast)
        m_position -= header.length + QXMysRecordHeader::kSize; // stays the next one to read
    return result;
}

int CQXMysPlayer::ReadRecordBefore(int cycles) {
    const std::uint64_t start = m_position;
    std::uint64_t anchor = 0;
    int frames = 0;
    m_cycle.BackwardTarget(cycles, anchor, frames);
    m_position = anchor;
    QXMysRecordHeader header;
    if (!ReadRecordHeader(header, true))
        return kFailed;
    Edge edge = kEdgeInside;
    while (frames > 0) {
        // The record before starts its previous length and two headers further back.
        const std::uint64_t back =
            std::uint64_t{header.previousLength} + 2 * std::uint64_t{QXMysRecordHeader::kSize};
        m_position = m_position >= back + QXMysFileHeader::kSize ? m_position - back
                                                                 : QXMysFileHeader::kSize;
        if (!ReadHeader(header))
            return kFailed;
        if (m_position < kFirstRecordEnd) {
            edge = kEdgeFirst;
            break;
        }
        if (header.IsVideo())
            --frames;
    }

    return LoadFoundRecord(header, true, start, edge);
}

// Loads the record a step found; an abandoned load puts the read back where the step began.
int CQXMysPlayer::LoadFoundRecord(const QXMysRecordHeader& header, bool landed, std::uint64_t start,
                                  Edge edge) {
    const int result = LoadRecord(header, landed);
    if (result == kAbandoned)
        m_position = start;
    if (result == kFailed || result == kAbandoned)
        return result;
    m_edge = edge;
    m_landing = false;
    return result;
}

int CQXMysPlayer::LoadRecord(const QXMysRecordHeader& header, bool landed) {
    if (header.IsAudio())
        return LoadAudio(header);
    if (header.IsVideo())
        return LoadVideo(header, landed);
    return kFailed;
}

int CQXMysPlayer::LoadAudio(const QXMysRecordHeader& header) {
    CQXAudioFrame& audio = *m_audio;
    audio.Reset();
    // A block longer than the frame is cut to it; the rest of the record is passed over.
    const std::uint32_t block = header.length > QXMysRecordHeader::kAudioLead
                                    ? header.length - QXMysRecordHeader::kAudioLead
                                    : 0;
    const std::uint32_t take = std::min(block, audio.GetSize());
    const ssize_t got = pread(m_file, audio.GetData(), take,
                              static_cast<off_t>(m_position + QXMysRecordHeader::kAudioLead));
    if (got < 0)
        return kFailed;
    m_position += header.length;
    audio.SetLength(static_cast<std::uint32_t>(got));
    audio.SetFlag(1);
    return kAudio;
}

int CQXMysPlayer::LoadVideo(const QXMysRecordHeader& header, bool landed) {
    CQXVideoFrame& frame = *m_frames[m_frameIndex];
    if (!WaitUntil([&frame] { return !frame.IsComplete(); }, false))
        return kAbandoned;
    const std::uint64_t place = m_position - QXMysRecordHeader::kSize;
    if (!QXMysVideoRecord::Load(m_file, m_position, header, frame))
        return kFailed;
    m_position += header.length;
    // Complete before anyone is told of it, so that the restorer can read it.
    frame.SetComplete(true);
    if (landed)
        frame.SetDecodedPicture(m_restorer.Restore(frame, place, m_history));

    Pace(header);
    m_lastFrameTick = KWGetTickCount();
    m_cycle.Count(place, frame.GetChannelSet());
    return header.keyFlag ? kKeyVideo : kVideo;
}

void CQXMysPlayer::Pace(const QXMysRecordHeader& header) {
    const std::uint32_t mode = m_mode;
    const bool paced = mode == QXPlayMode::kPlay || mode == QXPlayMode::kReverse;
    if (!m_pacing)
        return;
    if (header.previousLength == 0 || (!paced && m_position == m_firstPosition)) {
        KWSleep(1);
        return;
    }
    const std::uint32_t wait =
        header.timeDifference > kPacingMarginMs ? header.timeDifference - kPacingMarginMs : 0;
    // A mode change ends the wait early, so that a damaged time never holds the player.
    WaitUntil([this, wait] { return KWTicksSince(m_lastFrameTick, KWGetTickCount()) >= wait; },
              true);
}

int CQXMysPlayer::SeekKeyRecord(std::uint64_t offset, bool backward) {
    const std::uint64_t length = m_fileLength;
    std::uint64_t window = kSearchWindow;
    std::uint64_t start = offset;
    if (backward)
        start =
            offset >= window + QXMysFileHeader::kSize ? offset - window : QXMysFileHeader::kSize;
    if (start + window > length)
        window = length > start + 1 ? length - start - 1 : 0;
    if (window < QXMysRecordHeader::kSize)
        return 0;
    std::uint8_t* buffer = m_readBuffer.get();
    if (pread(m_file, buffer, window, static_cast<off_t>(start)) != static_cast<ssize_t>(window))
        return 0;
    const std::uint64_t last = window - QXMysRecordHeader::kSize;
    for (std::uint64_t n = 0; n <= last; ++n) {
        const std::uint64_t i = backward ? last - n : n;
        if (QXMysRecordHeader::IsKeyVideoAt(buffer + i)) {
            m_position = start + i;
            return 1;
        }
    }
    return 0;
}

void CQXMysPlayer::CloseFile() {
    if (m_file >= 0)
        close(m_file);
    m_file = -1;
    m_history.Attach(-1);
}

void CQXMysPlayer::OnThreadExit() {
    CloseFile();
    m_mode = QXPlayMode::kNone;
    {
        std::lock_guard lock(m_nameMutex);
        m_fileName.clear();
    }
    m_header = QXMysFileHeader{};
    m_fileLength = 0;
    m_position = 0;
    m_standard = kStandardNone;
    m_firstPosition = 0;
    m_lastFrameTick = 0;
    SendToListeners(kMessageMode, QXPlayMode::kNone, 0);
}

void CQXMysPlayer::OnTerminate() {
    OnThreadExit();
}
