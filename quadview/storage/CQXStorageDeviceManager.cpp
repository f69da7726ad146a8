#include "CQXStorageDeviceManager.h"

#include "CQXMysFileManager.h"
#include "KWMailbox.h"
#include "KWTick.h"

#include <algorithm>

namespace {
constexpr std::uint8_t kNoDevice = 0xFF;

// Frame geometry (slices per frame) of the two video standards and the unit of their frame
// interval codes.
constexpr std::uint8_t kNtscSlices = 14;
constexpr std::uint8_t kPalSlices = 17;
constexpr std::uint8_t kNtscHalfSlices = 7;
constexpr std::uint8_t kPalHalfSlices = 9;
constexpr std::uint32_t kNtscUnitMs = 33;
constexpr std::uint32_t kPalUnitMs = 25;
} // namespace

CQXStorageDeviceManager::CQXStorageDeviceManager(KWDriveList drives)
    : m_stepper(m_source, [this] { return IsCommandWaiting(); }) {
    m_className = "CQXStorageDeviceManager";
    m_drives = std::make_shared<const KWDriveList>(std::move(drives));
    for (auto& device : m_devices) {
        device.SetDriveList(m_drives);
        device.AddListenerObject(this);
    }
}

CQXStorageDeviceManager::~CQXStorageDeviceManager() {
    StopStreaming();
    // Stop every device first, so that none is still notifying this object.
    for (auto& device : m_devices)
        device.Close();
    for (auto& device : m_devices)
        device.RemoveListenerObject(this);
}

bool CQXStorageDeviceManager::OpenAllDevices(CQXVideoSink* screenManager, CQXAudioSink* waveManager,
                                             CQXMysFileManager* mysFileManager) {
    m_screenManager = screenManager;
    m_waveManager = waveManager;
    m_mysFileManager = mysFileManager;
    m_refusedDrives.clear();
    for (unsigned drive = 0; drive < kMaxDevices; ++drive) {
        CQXStorageDevice& device = m_devices[m_deviceCount];
        if (device.Open(static_cast<std::uint8_t>(drive), m_deviceCount)) {
            ++m_deviceCount;
        } else {
            // A drive opened but refused its scan stays out of the table; its slot is reused.
            device.Close();
            // An empty entry is a drive that is not there, not one that was examined.
            if (drive < m_drives->size() && !(*m_drives)[drive].empty()) {
                QXDriveFinding refused;
                refused.driveNumber = static_cast<std::uint8_t>(drive);
                refused.path = (*m_drives)[drive];
                refused.failure = device.GetOpenFailure();
                refused.error = device.GetOpenErrno();
                m_refusedDrives.push_back(refused);
            }
        }
        if (m_deviceCount == kMaxDevices)
            break;
    }
    // A scan may have ended before its device was counted.
    RebuildFormattedList();
    return m_deviceCount != 0;
}

void CQXStorageDeviceManager::CloseAllDevices() {
    for (std::uint8_t i = 0; i < m_deviceCount; ++i)
        m_devices[i].Close();
    m_deviceCount = 0;
    m_refusedDrives.clear();
    RebuildFormattedList();
}

std::vector<QXDriveFinding> CQXStorageDeviceManager::GetDriveFindings() {
    using Verdict = QXDriveFinding::Verdict;
    std::vector<QXDriveFinding> findings = m_refusedDrives;
    for (std::uint8_t i = 0; i < m_deviceCount; ++i) {
        CQXStorageDevice& device = m_devices[i];
        QXDriveFinding finding;
        finding.driveNumber = device.GetDriveNumber();
        finding.path = device.GetDrivePath();
        finding.sectors = device.GetSectorCount();
        finding.verdict = device.IsBusy()        ? Verdict::kExamining
                          : device.IsFormatted() ? Verdict::kRecorded
                          : finding.sectors == 0 ? Verdict::kEmpty
                                                 : Verdict::kNoRecording;
        findings.push_back(finding);
    }
    std::sort(findings.begin(), findings.end(),
              [](const QXDriveFinding& a, const QXDriveFinding& b) {
                  return a.driveNumber < b.driveNumber;
              });
    return findings;
}

std::uint8_t CQXStorageDeviceManager::GetFormattedCount() const {
    std::lock_guard lock(m_formattedLock);
    return m_formattedCount;
}

std::uint8_t CQXStorageDeviceManager::GetFormattedDevice(std::uint8_t n) const {
    std::lock_guard lock(m_formattedLock);
    return n < m_formattedCount ? m_formatted[n] : kNoDevice;
}

void CQXStorageDeviceManager::RebuildFormattedList() {
    std::lock_guard lock(m_formattedLock);
    m_formattedCount = 0;
    for (std::uint8_t i = 0; i < m_deviceCount; ++i) {
        if (m_devices[i].IsFormatted())
            m_formatted[m_formattedCount++] = i;
    }
}

void CQXStorageDeviceManager::OnListenerPost(std::uint32_t message, KWWParam, KWLParam) {
    if (message == CQXStorageDevice::kMessageScanEnded)
        RebuildFormattedList();
}

CQXStorageDevice* CQXStorageDeviceManager::GetDevice(std::uint8_t index) {
    return index < kMaxDevices ? &m_devices[index] : nullptr;
}

const CQXStorageDevice* CQXStorageDeviceManager::Device(std::uint8_t index) const {
    return index < kMaxDevices ? &m_devices[index] : nullptr;
}

std::uint32_t CQXStorageDeviceManager::GetPacketCount(std::uint8_t index) const {
    const CQXStorageDevice* device = Device(index);
    return device ? device->GetPacketCount() : 0;
}

std::uint64_t CQXStorageDeviceManager::GetSectorCount(std::uint8_t index) const {
    const CQXStorageDevice* device = Device(index);
    return device ? device->GetSectorCount() : 0;
}

std::string CQXStorageDeviceManager::GetMediaTypeName(std::uint8_t index) const {
    const CQXStorageDevice* device = Device(index);
    return device ? device->GetMediaTypeName() : std::string();
}

int CQXStorageDeviceManager::IsIdeDevice(std::uint8_t index) const {
    const CQXStorageDevice* device = Device(index);
    return device ? device->IsIdeDevice() : 0;
}

bool CQXStorageDeviceManager::IsBusy(std::uint8_t index) {
    CQXStorageDevice* device = GetDevice(index);
    return device && device->IsBusy();
}

bool CQXStorageDeviceManager::IsFormatted(std::uint8_t index) const {
    const CQXStorageDevice* device = Device(index);
    return device && device->IsFormatted();
}

std::uint32_t CQXStorageDeviceManager::GetStreamLength(std::uint8_t index) const {
    const CQXStorageDevice* device = Device(index);
    return device ? device->GetStreamLength() : 0;
}

std::uint32_t CQXStorageDeviceManager::GetPosition(std::uint8_t index) const {
    const CQXStorageDevice* device = Device(index);
    return device ? device->GetPosition() : 0;
}

bool CQXStorageDeviceManager::IsAnyDeviceBusy() {
    for (std::uint8_t i = 0; i < m_deviceCount; ++i) {
        if (m_devices[i].IsBusy())
            return true;
    }
    return false;
}

int CQXStorageDeviceManager::AddListenerWindow(KWWindowHandle window) {
    if (!CKWThread::AddListenerWindow(window))
        return 0;
    for (auto& device : m_devices) {
        if (!device.AddListenerWindow(window))
            return 0;
    }
    return 1;
}

int CQXStorageDeviceManager::AddListenerObject(CKWObject* object) {
    if (!CKWThread::AddListenerObject(object))
        return 0;
    for (auto& device : m_devices) {
        if (!device.AddListenerObject(object))
            return 0;
    }
    return 1;
}

void CQXStorageDeviceManager::RemoveListenerWindow(KWWindowHandle window) {
    CKWThread::RemoveListenerWindow(window);
    for (auto& device : m_devices)
        device.RemoveListenerWindow(window);
}

void CQXStorageDeviceManager::RemoveListenerObject(CKWObject* object) {
    CKWThread::RemoveListenerObject(object);
    for (auto& device : m_devices)
        device.RemoveListenerObject(object);
}

int CQXStorageDeviceManager::SelectedDeviceSource::ReadPacket(std::uint32_t index,
                                                              CQX4KPacket& packet) {
    return device ? device->ReadPacket(index, packet) : 0;
}

std::uint32_t CQXStorageDeviceManager::SelectedDeviceSource::GetStreamLength() const {
    return device ? device->GetStreamLength() : 0;
}

int CQXStorageDeviceManager::StartStreaming(std::uint8_t n) {
    const std::uint8_t index = GetFormattedDevice(n);
    // The reader's device must not change under a running worker.
    if (index == kNoDevice || !m_devices[index].IsFormatted() || IsRunning())
        return 0;
    m_selected = n;
    m_source.device = &m_devices[index];
    m_stepper.Forget();
    m_stepper.Seek(m_source.device->GetPosition());
    if (!Start(0)) {
        m_selected = kNoSelection;
        m_source.device = nullptr;
        return 0;
    }
    PostCommand(QXPlayMode::kPlay, 0, 0);
    PostToListeners(kMessageDeviceOpened, 0, 0);
    return 1;
}

void CQXStorageDeviceManager::StopStreaming() {
    std::int32_t exitCode = 0;
    if (!Stop(exitCode, kStopTimeoutMs))
        Terminate(1, 0);
    m_selected = kNoSelection;
    m_source.device = nullptr;
    m_playMode = QXPlayMode::kNone;
}

void CQXStorageDeviceManager::SetPlayMode(std::uint32_t mode, std::uint32_t parameter) {
    // The mode in force says nothing of the commands still queued: a play asked right after a
    // jump would be dropped as the mode already playing, and the jump's single step would then
    // pause. The worker passes over a command for the mode it is in.
    if (mode == QXPlayMode::kNone || (mode == m_playMode && GetQueuedCommandCount() == 0))
        return;
    PostCommand(mode, parameter, 0);
}

std::uint8_t CQXStorageDeviceManager::GetCurrentDeviceIndex() const {
    const std::uint8_t selected = m_selected;
    return selected == kNoSelection ? kNoSelection : GetFormattedDevice(selected);
}

bool CQXStorageDeviceManager::IsCommandWaiting() const {
    return GetQueuedCommandCount() != 0 || IsTerminateRequested();
}

void CQXStorageDeviceManager::OnCommand(const Command* command) {
    SetWaitTimeout(0);
    const std::uint32_t mode = command->code;
    if (!QXPlayMode::IsValid(mode) || mode == m_playMode)
        return;
    m_playMode = mode;
    // A jump the drive refuses leaves the reader where it was.
    if (mode == QXPlayMode::kOneForward && command->parameter1 != QXPlayMode::kNoTarget &&
        m_source.device->SeekPacket(command->parameter1))
        m_stepper.Seek(command->parameter1);
    SendToListeners(kMessageModeChanged, mode, 0);
}

void CQXStorageDeviceManager::OnProcess() {
    const std::uint32_t mode = m_playMode;
    if (mode == QXPlayMode::kNone || mode == QXPlayMode::kPause) {
        m_stepper.EndCycle();
        // Nothing to read until the next command changes the mode.
        SetWaitTimeout(kWaitForCommand);
        return;
    }
    const int result = m_stepper.Step(mode);
    CQXFrameReader& reader = m_stepper.GetReader();
    if (result == CQXFrameReader::kAudio) {
        // The reader said audio, so the packet is one: the load cannot refuse it.
        static_cast<void>(m_audioFrame.LoadPacket(reader.GetPacket()));
    } else if (result == CQXFrameReader::kVideo) {
        Pace(*reader.GetCompletedFrame(), mode);
        const std::uint32_t now = KWGetTickCount();
        m_lastFrameTick = now != 0 ? now : 1;
    }
    // Backward steps read elsewhere on the way; the device reports the reader's place.
    if (m_source.device->GetPosition() != reader.GetPosition())
        static_cast<void>(m_source.device->SeekPacket(reader.GetPosition()));
    PostToListeners(kMessageDevicePosition, 0, m_source.device->GetPosition());
    // The reader gave up waiting for a frame's release: the waiting command goes first, and the
    // read resumes where it stopped at the next step.
    if (m_stepper.WasInterrupted())
        return;

    if (result == CQXFrameReader::kAudio && mode == QXPlayMode::kPlay)
        DeliverAudioFrame(m_audioFrame);
    else if (result == CQXFrameReader::kVideo)
        DeliverVideoFrame(*reader.GetCompletedFrame(), reader.GetCompletedPacket());
    else if (result == CQXFrameReader::kAudio)
        PostToListeners(kMessageAudioSkipped, 0, 0);
    // Pushed commands run before anything queued: the start shows its first cycle (onef with
    // parameter 0 goes to packet 0), the end steps back one cycle, a single step pauses after
    // the frame that completes its cycle.
    const std::uint32_t next = m_stepper.GetNextMode(mode, result);
    if (next != QXPlayMode::kNone)
        PushFrontCommand(next);
}

std::uint32_t CQXStorageDeviceManager::PlayIntervalMs(std::uint8_t sliceCount,
                                                      std::uint8_t intervalCode) {
    if (sliceCount == kNtscSlices)
        return (intervalCode + 1u) * kNtscUnitMs;
    if (sliceCount == kPalSlices)
        return (intervalCode + 1u) * kPalUnitMs;
    return 0;
}

std::uint32_t CQXStorageDeviceManager::RecordingIntervalMs(std::uint8_t sliceCount,
                                                           std::uint8_t intervalCode) {
    if (sliceCount == kNtscHalfSlices)
        sliceCount = kNtscSlices;
    else if (sliceCount == kPalHalfSlices)
        sliceCount = kPalSlices;
    return PlayIntervalMs(sliceCount, intervalCode);
}

void CQXStorageDeviceManager::Pace(const CQXVideoFrame& frame, std::uint32_t mode) {
    if (frame.GetSliceCount() == kNtscSlices)
        m_videoStandard = kStandardNtsc;
    else if (frame.GetSliceCount() == kPalSlices)
        m_videoStandard = kStandardPal;
    std::uint32_t waitMs =
        PlayIntervalMs(frame.GetSliceCount(), m_stepper.GetReader().GetPacket().GetIntervalCode());
    // The first frame after the start is not delayed.
    if (waitMs == 0 || m_lastFrameTick == 0)
        return;
    if (mode == QXPlayMode::kFastForward2)
        waitMs /= 2;
    else if (mode != QXPlayMode::kPlay && mode != QXPlayMode::kReverse)
        return;
    // A waiting command cuts the wait short; the frame is still shown.
    const std::uint32_t elapsed = KWTicksSince(m_lastFrameTick, KWGetTickCount());
    if (elapsed < waitMs)
        static_cast<void>(WaitForCommandPosted(waitMs - elapsed));
}

// The capture copies the frame before the screen manager gets it: once queued, the screen
// manager may draw and release it at any moment (or release it at once when its queue is full),
// and a released frame would be refused by the recorder and lost from the capture.
void CQXStorageDeviceManager::DeliverVideoFrame(CQXVideoFrame& frame, std::uint32_t) {
    // With room waited for, the recorder refuses a frame only once it has stopped recording,
    // which it reports to the window itself.
    if (m_mysFileManager && WaitForCaptureRoom())
        static_cast<void>(m_mysFileManager->WriteVideo(frame));
    if (m_screenManager)
        m_screenManager->SubmitFrame(&frame);
    else
        frame.Reset();
}

// The recorder stores samples in recording order: the wave manager exchanges the byte pairs
// back when it takes the frame. With the sound off (no open output) the capture still gets the
// sound, exchanged here.
void CQXStorageDeviceManager::DeliverAudioFrame(CQXAudioFrame& frame) {
    if (m_waveManager && m_waveManager->IsOpen()) {
        while (!m_waveManager->Play(frame, true)) {
            if (IsCommandWaiting())
                return;
            KWSleep(1);
        }
    } else {
        QXExchangeBytes(frame.GetData(), frame.GetLength());
    }
    if (m_mysFileManager && WaitForCaptureRoom())
        static_cast<void>(m_mysFileManager->WriteAudio(frame));
}

// A capture keeps every frame: while the recorder's buffers are all waiting to be written, the
// reader waits for room (giving up only for a command or the stop).
bool CQXStorageDeviceManager::WaitForCaptureRoom() {
    while (m_mysFileManager->IsRecorderFull()) {
        if (IsCommandWaiting())
            return false;
        KWSleep(1);
    }
    return true;
}

int CQXStorageDeviceManager::StartCapture(const std::string& directory) {
    if (m_playMode != QXPlayMode::kPause || !m_mysFileManager)
        return 0;
    if (m_mysFileManager->IsPlaying())
        m_mysFileManager->ClosePlayer();
    // A recorder that cannot open (no directory, no room) leaves the stream paused.
    if (!m_mysFileManager->OpenRecorder(directory.c_str(), m_videoStandard))
        return 0;
    SetPlayMode(QXPlayMode::kPlay, QXPlayMode::kNoTarget);
    return 1;
}

void CQXStorageDeviceManager::StopCapture() {
    SetPlayMode(QXPlayMode::kPause, QXPlayMode::kNoTarget);
    // Without a running reader no mode change can take effect, and none is needed.
    KWWaitDeliveringSends(KWEvent::kInfinite,
                          [this] { return m_playMode == QXPlayMode::kPause || !IsRunning(); });
    if (m_mysFileManager)
        m_mysFileManager->CloseRecorder();
}
