#include "CQXMysFileManager.h"

#include "KWErrorReport.h"
#include "KWTick.h"

CQXMysFileManager::CQXMysFileManager(std::uint32_t fileSizeLimit) : m_recorder(fileSizeLimit) {
    m_className = "CQXMysFileManager";
    m_recorder.AddListenerObject(this);
    m_player.AddListenerObject(this);
}

CQXMysFileManager::~CQXMysFileManager() {
    // Both workers still report to this object while they end.
    m_player.Close();
    m_recorder.Close();
    m_player.RemoveAllListeners();
    m_recorder.RemoveAllListeners();
}

void CQXMysFileManager::SetOutputs(CQXVideoSink* screenManager, CQXAudioSink* waveManager) {
    m_screenManager = screenManager;
    m_waveManager = waveManager;
    m_recorder.SetScreenManager(screenManager);
}

int CQXMysFileManager::OpenRecorder(const char* directory, std::uint32_t standard) {
    if (!directory) {
        ReportFatalError(m_className, "NULL path.");
        return 0;
    }
    if (standard == CQXMysRecorder::kStandardNone) {
        ReportFatalError(m_className, "Invalid Video Standard.");
        return 0;
    }
    const int opened = m_recorder.Open(directory, standard);
    m_status = opened ? kStatusRecording : kStatusIdle;
    return opened;
}

void CQXMysFileManager::CloseRecorder() {
    m_recorder.Close();
    m_status = kStatusIdle;
}

void CQXMysFileManager::SetPlayMode(std::uint32_t index, std::uint32_t parameter) {
    if (index < kFirstModeIndex || index > kLastModeIndex)
        return;
    m_player.SetPlayMode(QXPlayMode::kNone + index - 1, parameter);
}

std::uint32_t CQXMysFileManager::GetFileLength() {
    if (m_player.IsRunning())
        return m_player.GetFileLength();
    if (m_recorder.IsRunning())
        return m_recorder.GetBytesWritten();
    return 0;
}

KWResult CQXMysFileManager::OnListenerSend(std::uint32_t message, KWWParam wParam,
                                           KWLParam lParam) {
    switch (message) {
    case CQXMysRecorder::kMessageRecording:
        // A recorder that ended by itself (after a write error) is no longer recording.
        if (wParam == 0 && m_status == kStatusRecording)
            m_status = kStatusIdle;
        break;
    case CQXMysRecorder::kMessageError:
    case CQXMysPlayer::kMessageError:
    case CQXMysPlayer::kMessagePosition:
        PostToListeners(message, wParam, lParam);
        break;
    case CQXMysPlayer::kMessageMode: {
        const auto mode = static_cast<std::uint32_t>(wParam);
        m_status = mode == QXPlayMode::kNone ? kStatusIdle : ModeIndex(mode);
        PostToListeners(kMessagePlayerMode, m_status, 0);
        break;
    }
    case CQXMysPlayer::kMessageVideo: {
        auto* frame = reinterpret_cast<CQXVideoFrame*>(lParam);
        if (m_screenManager)
            m_screenManager->SubmitFrame(frame);
        else if (frame)
            frame->Reset(); // nobody shows it: give it straight back
        break;
    }
    case CQXMysPlayer::kMessageAudio: {
        auto* frame = reinterpret_cast<CQXAudioFrame*>(lParam);
        if (!frame)
            break;
        // The player's thread waits here until the sound is taken; closing the player ends
        // the wait, as the sound is then no longer wanted.
        while (m_waveManager && !m_waveManager->Play(*frame, false) && !m_player.IsClosing())
            KWSleep(kAudioRetryMs);
        frame->Reset();
        break;
    }
    default:
        break;
    }
    return 0;
}
