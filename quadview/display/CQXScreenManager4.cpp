#include "CQXScreenManager4.h"

#include "CQXVideoFrame.h"
#include "KWDisplayWindow.h"
#include "KWErrorReport.h"
#include "KWMessageBox.h"
#include "KWPrepareDirectory.h"
#include "KWTick.h"
#include "QXChannelSet.h"
#include "QXNumberedFile.h"

#include <cerrno>
#include <filesystem>
#include <unistd.h>
#include <utility>

namespace {
const char* const kPrimaryFailure = "Primary Surface Creation Fail";
const char* const kConversionFailure = "Conversion Surface Creation Fail";
const char* const kCaptureFailure = "Capture Surface Creation Fail";

constexpr std::uint32_t kWorkerTickMs = 1;
constexpr std::uint32_t kTimerPeriodMs = 100;
constexpr std::uint32_t kSecondPeriodMs = 1000;
constexpr std::uint32_t kPeriodicTimer = 1;
constexpr std::int32_t kStopTimeoutMs = 50;

constexpr std::uint8_t kChannelBits = 0x0F;
constexpr std::uint8_t kRequestCompositeBit = 0x80;
constexpr int kQuadCaptionChannels = 3;

const char* const kCaptureDoneCaption = "Screen Capture Message";
const char* const kCaptureDoneText = "Screen Capturing Completed\r\n\r\nFile Name:\t";
const char* const kCaptureFailedCaption = "Screen Capture Error";
const char* const kCaptureFailedText = "Screen Capturing Failed\r\n"
                                       "An error occurred while \r\n"
                                       "capturing the screen.";
const char* const kJpegExtension = ".jpg";
const char* const kBmpExtension = ".bmp";

const KWRect kCaptionUpper{0, 0, 640, 20};
const KWRect kCaptionLower{0, 20, 640, 40};
const KWRect kCaptionUpperLeft{0, 0, 320, 20};

// The blank's bit in ViewChanges: past the video surfaces.
constexpr int kBlankIndex = CQXScreenManager4::kVideoSurfaces;
constexpr int kPictureSurfaces = QXChannelSet::kCompositeIndex + 1;

constexpr std::uint32_t SurfaceBit(int index) {
    return 1u << index;
}

// The lowest channel index (0 = channel 1) whose bit is in the mask, or -1.
int LowestChannel(std::uint8_t mask) {
    for (int index = 0; index < QXChannelSet::kCompositeIndex; ++index) {
        if (QXChannelSet::Has(mask, index))
            return index;
    }
    return -1;
}
} // namespace

CQXScreenManager4::CQXScreenManager4() {
    m_className = "CQXScreenManager4";
}

CQXScreenManager4::~CQXScreenManager4() {
    Destroy();
}

std::uint8_t CQXScreenManager4::BuildDisplayMask(std::uint8_t recorded, std::uint8_t request) {
    std::uint8_t mask = 0;
    if ((recorded & QXChannelSet::kCompositeBit) && !(request & kRequestCompositeBit))
        mask |= QXChannelSet::kCompositeBit;
    for (int index = 0; index < QXChannelSet::kCompositeIndex; ++index) {
        const std::uint8_t bit = static_cast<std::uint8_t>(1u << (3 - index));
        if ((recorded & bit) && !(request & (1u << index)))
            mask |= bit;
    }
    return mask;
}

std::uint8_t CQXScreenManager4::ReadDisplayRequest() const {
    return m_displayRequest ? m_displayRequest->load() : 0;
}

int CQXScreenManager4::FailCreate(const char* message) {
    ReportFatalError(m_className, message);
    Destroy();
    return 0;
}

int CQXScreenManager4::Create(KWDisplayWindow* videoWindow, KWWindowHandle ownerWindow,
                              std::atomic<std::uint8_t>* displayRequest) {
    Destroy();
    m_videoWindow = videoWindow;
    m_ownerWindow = ownerWindow;
    m_displayRequest = displayRequest;
    // The surfaces are made before the worker and the timers exist, so nothing else uses them.
    if (!videoWindow ||
        !m_primary.Create(videoWindow, CKWDirectDrawSurface7Primary::kScreenWindowed))
        return FailCreate(kPrimaryFailure);
    const char* failure = nullptr;
    if (!m_blank.Create(m_primary, kBlankWidth, kBlankHeight, CKWDirectDrawSurface7::kFormatRGB565))
        failure = kConversionFailure;
    else if (!m_capture.Create(m_primary, m_primary.GetViewWidth(),
                               m_primary.GetViewHeight() +
                                   CQXDirectDrawSurface7Capture::kCaptionHeight,
                               CKWDirectDrawSurface7::kFormatRGB565))
        failure = kCaptureFailure;
    for (auto& video : m_video) {
        if (!failure && !video.Create(m_primary, kInitialVideoSize, kInitialVideoSize,
                                      CKWDirectDrawSurface7::kFormatYV12))
            failure = kConversionFailure;
    }
    if (!failure) {
        const KWSize client = videoWindow->GetClientSize();
        m_layout = QXScreenLayout::Compute(client.width, client.height);
    }
    for (std::size_t index = 0; index < m_information.size() && !failure; ++index) {
        if (!m_information[index].Create(m_primary, kCaptionWidth, kCaptionHeight,
                                         CKWDirectDrawSurface7::kFormatRGB565))
            failure = kConversionFailure;
        else
            m_information[index].SetChannel(static_cast<std::uint8_t>(index));
    }
    if (failure)
        return FailCreate(failure);
    m_primary.Clear();
    m_viewChanged = true;
    WatchWindow(nullptr, videoWindow);
    m_blank.Clear();
    m_capture.Clear();
    for (auto& information : m_information)
        information.Clear();

    if (!Start(kWorkerTickMs)) {
        Destroy();
        return 0;
    }
    SetPriority(kPriorityAboveNormal);
    {
        std::lock_guard lock(m_statisticsMutex);
        m_secondDue = KWGetTickCount() + kSecondPeriodMs;
    }
    {
        std::lock_guard lock(m_timerMutex);
        m_timerState = TimerState::kResting;
    }
    WakeTimer();
    if (!m_timer) {
        Destroy();
        return 0;
    }
    return 1;
}

void CQXScreenManager4::Destroy() {
    KWDisplayWindow* window = nullptr;
    {
        std::lock_guard lock(m_drawMutex);
        window = std::exchange(m_videoWindow, nullptr);
    }
    WatchWindow(window, nullptr);
    std::uint32_t timer = 0;
    {
        std::lock_guard lock(m_timerMutex);
        m_timerState = TimerState::kStopped;
        timer = m_timer.exchange(0);
    }
    // Outside the timer's lock: the kill waits for a callback that may be waiting for it.
    if (timer)
        KillTimer(timer);
    KWSleep(1);
    std::int32_t exitCode = 0;
    if (!Stop(exitCode, kStopTimeoutMs))
        Terminate(1, 1);
    // A worker that never started has not released anything.
    ReleaseAll();
}

void CQXScreenManager4::ReleaseAll() {
    {
        std::lock_guard lock(m_drawMutex);
        for (auto& video : m_video)
            video.Release();
        for (auto& information : m_information)
            information.Release();
        m_blank.Release();
        m_capture.Release();
        m_primary.Release();
    }
    ReleaseQueuedFrames();
}

void CQXScreenManager4::ReleaseQueuedFrames() {
    std::lock_guard lock(m_queueMutex);
    for (CQXVideoFrame* frame : m_queue) {
        if (frame)
            frame->Reset();
    }
    m_queue.clear();
}

void CQXScreenManager4::OnThreadExit() {
    ReleaseAll();
}

void CQXScreenManager4::OnTerminate() {
    ReleaseAll();
}

void CQXScreenManager4::SubmitFrame(CQXVideoFrame* frame) {
    bool wake = false;
    {
        std::lock_guard lock(m_queueMutex);
        if (m_queue.size() >= kMaxQueuedFrames) {
            if (frame)
                frame->Reset();
            return;
        }
        m_queue.push_back(frame);
        wake = std::exchange(m_asleep, false);
    }
    // A worker that found nothing to show sleeps until this frame; from here it ticks again,
    // one frame per tick.
    if (wake) {
        SetWaitTimeout(kWorkerTickMs);
        PostCommand(kCommandTick);
        WakeTimer();
    }
}

void CQXScreenManager4::OnProcess() {
    CQXVideoFrame* frame = nullptr;
    {
        std::lock_guard lock(m_queueMutex);
        if (m_queue.empty()) {
            // Nothing to show: sleep until SubmitFrame wakes the worker.
            m_asleep = true;
            SetWaitTimeout(kWaitForCommand);
            return;
        }
        ++m_framesTaken;
        frame = m_queue.front();
        if (!frame)
            m_queue.pop_front();
    }
    if (!frame)
        return;
    ShowFrame(*frame);
    std::lock_guard lock(m_queueMutex);
    m_queue.pop_front();
    // Released only off the queue: its producer may submit it again at once, and it must then
    // find room for it.
    frame->Reset();
    // The last queued frame is shown: sleep now rather than tick once more to find that out.
    if (m_queue.empty()) {
        m_asleep = true;
        SetWaitTimeout(kWaitForCommand);
    }
}

void CQXScreenManager4::ShowFrame(const CQXVideoFrame& frame) {
    const std::uint8_t channel = frame.GetChannel();
    if (channel == CQXVideoFrame::kNoChannel)
        return;
    m_channelIndex = channel;
    const std::uint8_t recorded = frame.GetChannelSet();
    if (!QXChannelSet::Equal(recorded, m_recordedChannels) && m_displayRequest)
        m_displayRequest->store(0);
    m_recordedChannels = recorded;

    std::lock_guard lock(m_drawMutex);
    ViewChanges changes{SurfaceBit(channel), 0};
    if (channel == QXChannelSet::kCompositeIndex) {
        m_displayMask = m_displayMask | QXChannelSet::kCompositeBit;
        if (!m_video[channel].Decode(&frame)) {
            ++m_decodeFailures;
            return;
        }
        CountShown(frame);
        if (m_information[channel].Draw(m_dateTime, m_displayMask,
                                        CQXDirectDrawSurface7Information::kModeSingle))
            changes.captions |= SurfaceBit(channel);
        Compose(changes);
        return;
    }
    if (channel > QXChannelSet::kCompositeIndex)
        return;
    const std::uint8_t mask = BuildDisplayMask(recorded, ReadDisplayRequest());
    m_displayMask = mask;
    if (!m_video[channel].Decode(&frame)) {
        ++m_decodeFailures;
        return;
    }
    CountShown(frame);
    const auto mode = QXChannelSet::Count(mask) >= kQuadCaptionChannels
                          ? CQXDirectDrawSurface7Information::kModeQuad
                          : CQXDirectDrawSurface7Information::kModeSingle;
    for (int index = 0; index < QXChannelSet::kCompositeIndex; ++index) {
        if (m_information[index].Draw(m_dateTime, mask, mode))
            changes.captions |= SurfaceBit(index);
    }
    Compose(changes);
}

void CQXScreenManager4::CountShown(const CQXVideoFrame& frame) {
    ++m_shownThisSecond;
    ++m_shownThis100Ms;
    m_dateTime = frame.GetTimestamp();
}

// Called with m_drawMutex held.
std::uint64_t CQXScreenManager4::WindowGeneration() const {
    return m_videoWindow ? m_videoWindow->GetBufferGeneration() : 0;
}

std::uint32_t CQXScreenManager4::LoadedPictures() const {
    std::uint32_t loaded = 0;
    for (int index = 0; index < kPictureSurfaces; ++index) {
        if (m_video[index].HasPicture())
            loaded |= SurfaceBit(index);
    }
    return loaded;
}

// Called with m_drawMutex held. Draws what `changes` names; the whole view when its layout, its
// shown channels, the pictures it has or the window's frame buffer changed since it was last
// drawn, since each of those may give a part of the view another surface.
void CQXScreenManager4::Compose(ViewChanges changes) {
    const std::uint64_t generation = WindowGeneration();
    const std::uint8_t mask = m_displayMask;
    const std::uint32_t loaded = LoadedPictures();
    if (m_viewChanged.exchange(false) || generation != m_composedGeneration ||
        mask != m_composedMask || loaded != m_composedPictures ||
        (m_wholeViewDrawing && (changes.pictures | changes.captions)))
        changes = ViewChanges{~0u, ~0u};
    m_composedGeneration = generation;
    m_composedMask = mask;
    m_composedPictures = loaded;

    const auto& video = m_layout.video;
    const auto& bar = m_layout.bar;
    const auto picture = [&](const KWRect& area, int index) {
        if (!(changes.pictures & SurfaceBit(index)))
            return;
        if (index == kBlankIndex)
            m_primary.BlitSurface(area, m_blank);
        else
            m_primary.BlitSurface(area, m_video[index]);
    };
    const auto caption = [&](const KWRect& area, int index, const KWRect& strip) {
        if (changes.captions & SurfaceBit(index))
            m_primary.Blit(area, m_information[index], strip);
    };
    if (mask & QXChannelSet::kCompositeBit) {
        const int c = QXChannelSet::kCompositeIndex;
        if (!m_video[c].HasPicture()) {
            if (changes.pictures & SurfaceBit(kBlankIndex))
                m_primary.BlitToView(m_blank);
            return;
        }
        picture(video[QXScreenLayout::kSingle], c);
        caption(bar[QXScreenLayout::kSingle], c, kCaptionUpper);
        caption(m_layout.bottomBar, c, kCaptionLower);
        return;
    }
    switch (QXChannelSet::Count(mask)) {
    case 1: {
        const int c = LowestChannel(mask);
        picture(video[QXScreenLayout::kSingle], m_video[c].HasPicture() ? c : kBlankIndex);
        caption(bar[QXScreenLayout::kSingle], c, kCaptionUpper);
        caption(m_layout.bottomBar, c, kCaptionLower);
        return;
    }
    case 2: {
        int side = QXScreenLayout::kLeft;
        for (int c = 0; c < QXChannelSet::kCompositeIndex; ++c) {
            if (!QXChannelSet::Has(mask, c))
                continue;
            if (m_video[c].HasPicture()) {
                picture(video[side], c);
                caption(bar[side], c, kCaptionUpperLeft);
            }
            side = QXScreenLayout::kRight;
        }
        caption(m_layout.bottomBar, 1, kCaptionLower);
        return;
    }
    default:
        // A quadrant whose channel is hidden or has no picture shows the blank.
        for (int c = 0; c < QXChannelSet::kCompositeIndex; ++c) {
            const bool shown = m_video[c].HasPicture() && QXChannelSet::Has(mask, c);
            picture(video[c], shown ? c : kBlankIndex);
            caption(bar[c], c, kCaptionUpperLeft);
        }
        return;
    }
}

// Called each timer period. While no frame comes the view is drawn again only where something
// changed it or its window's frame buffer was replaced; the video area keeps the last drawing
// for its own repaints.
void CQXScreenManager4::OnTimer(std::uint32_t timerId) {
    if (timerId != m_timer)
        return;
    bool idle;
    {
        std::lock_guard lock(m_statisticsMutex);
        m_tenthRate.Add(m_shownThis100Ms.exchange(0));
        AddDueSeconds();
        idle = m_tenthRate.GetLast() == 0;
    }
    if (!idle)
        return;
    {
        std::lock_guard lock(m_drawMutex);
        Compose(ViewChanges{});
    }
    RestTimerWhenStill();
}

// Called with m_statisticsMutex held. One sample per second that passed, also for the seconds
// the timer rested through: no frame was shown in those.
void CQXScreenManager4::AddDueSeconds() {
    const std::uint32_t now = KWGetTickCount();
    while (static_cast<std::int32_t>(now - m_secondDue) >= 0) {
        m_frameRate.Add(m_shownThisSecond.exchange(0));
        m_secondDue += kSecondPeriodMs;
    }
}

void CQXScreenManager4::WakeTimer() {
    std::lock_guard lock(m_timerMutex);
    if (m_timerState != TimerState::kResting)
        return;
    {
        std::lock_guard statistics(m_statisticsMutex);
        AddDueSeconds();
    }
    std::uint32_t id = 0;
    if (!CreateTimer(id, kTimerPeriodMs, kPeriodicTimer))
        return;
    m_timer = id;
    m_timerState = TimerState::kRunning;
}

// On the timer's own thread, after an idle period. A frame or a change of the view that comes
// after these checks finds the timer resting and wakes it.
void CQXScreenManager4::RestTimerWhenStill() {
    std::lock_guard lock(m_timerMutex);
    if (m_timerState != TimerState::kRunning)
        return;
    {
        std::lock_guard queue(m_queueMutex);
        if (!m_asleep)
            return;
    }
    {
        std::lock_guard draw(m_drawMutex);
        if (m_viewChanged || WindowGeneration() != m_composedGeneration)
            return;
    }
    m_timerState = TimerState::kResting;
    KillTimer(m_timer.exchange(0));
}

// A replaced frame buffer wakes the resting timer, which draws the view into it. Called without
// m_drawMutex: the handler may be running and waiting for the timer's lock, whose holder may
// wait for m_drawMutex.
void CQXScreenManager4::WatchWindow(KWDisplayWindow* previous, KWDisplayWindow* next) {
    if (previous && previous != next)
        previous->SetBufferReplacedHandler(nullptr);
    if (next && next != previous)
        next->SetBufferReplacedHandler([this] { WakeTimer(); });
}

void CQXScreenManager4::SetWindow(KWDisplayWindow* videoWindow, KWWindowHandle ownerWindow) {
    KWDisplayWindow* previous = nullptr;
    {
        std::lock_guard lock(m_drawMutex);
        previous = std::exchange(m_videoWindow, videoWindow);
        m_ownerWindow = ownerWindow;
        const KWSize client = videoWindow ? videoWindow->GetClientSize() : KWSize{};
        m_layout = QXScreenLayout::Compute(client.width, client.height);
        m_viewChanged = true;
    }
    WatchWindow(previous, videoWindow);
    WakeTimer();
}

void CQXScreenManager4::ClearPictures() {
    for (auto& video : m_video)
        video.ClearPicture();
    m_viewChanged = true;
    WakeTimer();
}

std::size_t CQXScreenManager4::GetQueuedFrameCount() {
    std::lock_guard lock(m_queueMutex);
    return m_queue.size();
}

int CQXScreenManager4::Capture(const std::string& directory, int format) {
    return CaptureNamed(directory, format, true);
}

int CQXScreenManager4::CaptureFrame(const std::string& directory) {
    return CaptureNamed(directory, CQXDirectDrawSurface7Capture::kImageBmp, false);
}

// A directory that cannot be made, a file that cannot be created and a capture already running
// are failures the user is told of like any other. With all 99 names of the time taken the
// capture runs without a file, which reports it.
int CQXScreenManager4::CaptureNamed(const std::string& directory, int format, bool captioned) {
    const bool jpeg = captioned && format == CQXDirectDrawSurface7Capture::kImageJpeg;
    const QXTimestamp time = GetDateTime();
    std::error_code error;
    const std::string current = std::filesystem::current_path(error).string();
    std::string path;
    std::string name;
    int result = 0;
    std::unique_lock capturing(m_captureMutex, std::try_to_lock);
    if (capturing.owns_lock() && PrepareDirectory(current, directory)) {
        const int file =
            QXNumberedFile::Create(directory, time, jpeg ? kJpegExtension : kBmpExtension, path);
        if (file >= 0 || errno == EEXIST) {
            name = path.substr(path.rfind('/') + 1);
            result = CaptureView(file, name, format, captioned);
            if (!result && file >= 0)
                unlink(path.c_str());
        }
    }
    if (capturing.owns_lock())
        capturing.unlock();
    if (!result) {
        KWMessageBox(kCaptureFailedText, kCaptureFailedCaption, KWMessageBoxFlags::kOk);
        return 0;
    }
    m_lastCapturePath = path;
    KWMessageBox(kCaptureDoneText + name + "\r\nDirectory:\t" + directory, kCaptureDoneCaption,
                 KWMessageBoxFlags::kOk);
    return 1;
}

int CQXScreenManager4::CaptureFrameToFile(int file) {
    std::lock_guard capturing(m_captureMutex);
    return CaptureView(file, std::string(), CQXDirectDrawSurface7Capture::kImageBmp, false);
}

int CQXScreenManager4::CaptureFrameToImage(CKWImageBuffer& image) {
    std::lock_guard capturing(m_captureMutex);
    FitCaptureToView();
    return m_capture.CaptureFrameToImage(image);
}

// Called with m_captureMutex held.
int CQXScreenManager4::CaptureView(int file, const std::string& fileName, int format,
                                   bool captioned) {
    FitCaptureToView();
    return captioned ? m_capture.CaptureToFile(file, fileName, format)
                     : m_capture.CaptureFrameToFile(file);
}

// The canvas follows the video window when its size changed since the surfaces were made; a
// canvas that cannot be made again is reported by the capture.
void CQXScreenManager4::FitCaptureToView() {
    std::lock_guard lock(m_drawMutex);
    if (!m_videoWindow || !m_primary.GetSurface())
        return;
    const KWSize client = m_videoWindow->GetClientSize();
    const auto width = static_cast<std::uint32_t>(client.width);
    const auto height =
        static_cast<std::uint32_t>(client.height + CQXDirectDrawSurface7Capture::kCaptionHeight);
    if (client.width <= 0 || client.height <= 0 ||
        (m_capture.GetWidth() == width && m_capture.GetHeight() == height))
        return;
    static_cast<void>(
        m_capture.Create(m_primary, width, height, CKWDirectDrawSurface7::kFormatRGB565));
}

QXTimestamp CQXScreenManager4::GetDateTime() const {
    std::lock_guard lock(m_drawMutex);
    return m_dateTime;
}

std::uint32_t CQXScreenManager4::GetDecoderCounter(CQXVideoDecoder::Counter counter) const {
    std::lock_guard lock(m_drawMutex);
    std::uint32_t sum = 0;
    for (int index = 0; index <= QXChannelSet::kCompositeIndex; ++index)
        sum += m_video[index].GetCounter(counter);
    return sum;
}

std::string CQXScreenManager4::FormatFrameRate() {
    std::lock_guard lock(m_statisticsMutex);
    AddDueSeconds();
    return m_frameRate.Format();
}

QXScreenLayout CQXScreenManager4::GetLayout() const {
    std::lock_guard lock(m_drawMutex);
    return m_layout;
}

std::string CQXScreenManager4::GetPrimaryDescription() const {
    std::lock_guard lock(m_drawMutex);
    return m_primary.GetDescription();
}

std::string CQXScreenManager4::GetBlankDescription() const {
    std::lock_guard lock(m_drawMutex);
    return CKWDirectDrawSurface7::FormatName(m_primary.GetFormat()) +
           CKWDirectDrawSurface7::SizeText(m_blank.GetWidth(), m_blank.GetHeight());
}

std::string CQXScreenManager4::GetCaptureDescription() const {
    std::lock_guard lock(m_drawMutex);
    return m_capture.GetDescription();
}

std::string CQXScreenManager4::GetConversionDescription(int index) const {
    std::lock_guard lock(m_drawMutex);
    return index >= 0 && index < kVideoSurfaces ? m_video[index].GetDescription() : "";
}

std::string CQXScreenManager4::GetInformationDescription(int index) const {
    std::lock_guard lock(m_drawMutex);
    return index >= 0 && index < kVideoSurfaces ? m_information[index].GetDescription() : "";
}
