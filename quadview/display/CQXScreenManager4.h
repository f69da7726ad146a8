#pragma once
#include "CKWDirectDrawSurface7Memory.h"
#include "CKWDirectDrawSurface7Primary.h"
#include "CKWRateStatistics.h"
#include "CKWThread.h"
#include "CQXDirectDrawSurface7Capture.h"
#include "CQXDirectDrawSurface7Conversion.h"
#include "CQXDirectDrawSurface7Information.h"
#include "CQXVideoSink.h"
#include "QXScreenLayout.h"
#include "QXTimestamp.h"

#include <array>
#include <atomic>
#include <deque>
#include <mutex>
#include <string>

class CKWImageBuffer;
class CQXVideoFrame;
class KWDisplayWindow;

// Shows the four cameras' video in the video window. Producers hand it complete frames with
// SubmitFrame; its worker decodes each into the video surface of the frame's channel, redraws
// the caption bars whose text changed and draws onto the primary surface, in the layout the
// shown channels call for, the parts of the view that changed: the frame's own picture and the
// redrawn captions, or the whole view after a change of layout, of shown channels or of the
// window. It then releases the frame (resets it) back to its producer. A timer repaints the
// view while no frames arrive and feeds the frame-rate statistics; it rests while the view is
// still and nothing changed it.
class CQXScreenManager4 : public CKWThread, public CQXVideoSink {
public:
    static constexpr int kVideoSurfaces = 7;
    static constexpr std::size_t kMaxQueuedFrames = 2;
    static constexpr std::uint32_t kBlankWidth = 320;
    static constexpr std::uint32_t kBlankHeight = 240;
    static constexpr std::uint32_t kCaptionWidth = 640;
    static constexpr std::uint32_t kCaptionHeight = 40;
    static constexpr std::uint32_t kInitialVideoSize = 32;

    CQXScreenManager4();
    ~CQXScreenManager4() override;

    // Creates the surfaces on the video window, starts the worker and the timer. On a
    // failure reports it, stops everything and returns 0. `displayRequest` is the owner's byte
    // of hidden channels (bit 0 channel 1 ... bit 3 channel 4, bit 7 the composite picture).
    [[nodiscard]] int Create(KWDisplayWindow* videoWindow, KWWindowHandle ownerWindow,
                             std::atomic<std::uint8_t>* displayRequest);
    // Stops the timer and the worker; the worker's exit releases the surfaces and the frames.
    void Destroy();

    // From a producer's thread: queues a complete frame, or releases it at once when two are
    // already queued. The frame comes back to the producer when it is reset.
    void SubmitFrame(CQXVideoFrame* frame) override;
    // The video window changed (size): recompute the layout from its client area. A window
    // must outlive the manager's use of it: until Destroy or the next SetWindow.
    void SetWindow(KWDisplayWindow* videoWindow, KWWindowHandle ownerWindow);
    // Forget every channel's picture (working mode change).
    void ClearPictures();
    // Draws the whole view for every frame instead of its changed parts: the reference the
    // partial drawing is measured and checked against.
    void SetWholeViewDrawing(bool whole) { m_wholeViewDrawing = whole; }

    // Saves what the view shows into `directory` (made when missing) under the name of the last
    // shown frame's time (QXNumberedFile): format 1 a JPEG, anything else a BMP, with a caption
    // line above the view. Says how it went in a "Screen Capture Message" or "Screen Capture
    // Error" box; a file that could not be completed is removed. Runs on the thread that
    // creates and destroys the screen manager; one capture at a time. 1/0.
    int Capture(const std::string& directory, int format);
    // The same without the caption, always BMP: the frame picture as exports take it.
    int CaptureFrame(const std::string& directory);
    // The uncaptioned BMP into an open file, which is closed; for an export on its own thread,
    // where it waits for a capture that is running.
    int CaptureFrameToFile(int file);
    // The uncaptioned picture into memory, for exports that need no file; waits like
    // CaptureFrameToFile.
    int CaptureFrameToImage(CKWImageBuffer& image);
    // The file the last successful capture wrote; empty before one.
    std::string GetLastCapturePath() const { return m_lastCapturePath; }
    // Frames submitted and not yet drawn and released.
    std::size_t GetQueuedFrameCount();

    std::uint8_t GetRecordedChannels() const { return m_recordedChannels; }
    std::uint8_t GetDisplayMask() const override { return m_displayMask; }
    QXTimestamp GetDateTime() const;
    // A decoder error counter summed over the video surfaces of channels 1-4 and the composite.
    std::uint32_t GetDecoderCounter(CQXVideoDecoder::Counter counter) const;
    std::uint32_t GetFramesTaken() const { return m_framesTaken; }
    std::uint32_t GetDecodeFailures() const { return m_decodeFailures; }
    std::string FormatFrameRate();
    QXScreenLayout GetLayout() const;

    std::string GetPrimaryDescription() const;
    std::string GetBlankDescription() const;
    std::string GetCaptureDescription() const;
    std::string GetConversionDescription(int index) const;
    std::string GetInformationDescription(int index) const;

    // The display request rule: the recorded channels less those the request hides.
    static std::uint8_t BuildDisplayMask(std::uint8_t recordedChannels, std::uint8_t request);

protected:
    void OnProcess() override;
    void OnTimer(std::uint32_t timerId) override;
    void OnThreadExit() override;
    void OnTerminate() override;

private:
    // What a compose draws: bit i (SurfaceBit) for the picture or the caption of surface i
    // (channels 1-4, then the composite picture); the blank's bit only with the whole view.
    struct ViewChanges {
        std::uint32_t pictures = 0;
        std::uint32_t captions = 0;
    };
    enum class TimerState { kStopped, kRunning, kResting };

    void ShowFrame(const CQXVideoFrame& frame);
    void CountShown(const CQXVideoFrame& frame);
    void Compose(ViewChanges changes);
    std::uint32_t LoadedPictures() const;
    std::uint64_t WindowGeneration() const;
    void WatchWindow(KWDisplayWindow* previous, KWDisplayWindow* next);
    void AddDueSeconds();
    void WakeTimer();
    void RestTimerWhenStill();
    void ReleaseAll();
    void ReleaseQueuedFrames();
    int FailCreate(const char* message);
    int CaptureNamed(const std::string& directory, int format, bool captioned);
    int CaptureView(int file, const std::string& fileName, int format, bool captioned);
    void FitCaptureToView();
    std::uint8_t ReadDisplayRequest() const;

    KWDisplayWindow* m_videoWindow = nullptr;
    KWWindowHandle m_ownerWindow = nullptr;
    std::atomic<std::uint8_t> m_recordedChannels{0};
    std::atomic<std::uint8_t> m_channelIndex{7};
    std::atomic<std::uint8_t>* m_displayRequest = nullptr;

    // Surfaces, rectangles and the last frame time are used under m_drawMutex: decoding,
    // captions and composing on the worker, repainting on the timer thread, layout changes and
    // descriptions on the user-interface thread.
    mutable std::mutex m_drawMutex;
    CKWDirectDrawSurface7Primary m_primary;
    CKWDirectDrawSurface7Memory m_blank;
    CQXDirectDrawSurface7Capture m_capture{m_drawMutex};
    std::array<CQXDirectDrawSurface7Conversion, kVideoSurfaces> m_video;
    std::array<CQXDirectDrawSurface7Information, kVideoSurfaces> m_information;
    QXScreenLayout m_layout;
    QXTimestamp m_dateTime;

    // Held by a capture while it uses the capture surface.
    std::mutex m_captureMutex;
    std::string m_lastCapturePath;

    std::atomic<std::uint32_t> m_framesTaken{0};
    std::atomic<std::uint32_t> m_decodeFailures{0};
    std::atomic<std::uint32_t> m_shownThisSecond{0};
    std::atomic<std::uint32_t> m_shownThis100Ms{0};
    std::mutex m_statisticsMutex;
    CKWRateStatistics m_frameRate{"fps"};
    CKWRateStatistics m_tenthRate;
    // The tick at which the next one-second sample is due (guarded by m_statisticsMutex).
    std::uint32_t m_secondDue = 0;

    std::mutex m_queueMutex;
    std::deque<CQXVideoFrame*> m_queue;
    // Something changed the view since it was last drawn (the layout, the pictures cleared).
    std::atomic<bool> m_viewChanged{true};
    // What the view was last drawn for (guarded by m_drawMutex): the window's frame buffer, the
    // display mask and the surfaces that had a picture (SurfaceBit).
    std::uint64_t m_composedGeneration = 0;
    std::uint8_t m_composedMask = 0;
    std::uint32_t m_composedPictures = 0;
    // The worker found the queue empty and waits for a command (guarded by m_queueMutex).
    bool m_asleep = false;
    std::atomic<std::uint8_t> m_displayMask{0};
    std::atomic<bool> m_wholeViewDrawing{false};

    // The repaint and statistics timer. It rests (is killed) while the worker sleeps, no frame
    // was shown in its last period and the view is drawn as it stands; a frame, a change of the
    // view or of the window's frame buffer wakes it.
    std::mutex m_timerMutex;
    TimerState m_timerState = TimerState::kStopped; // guarded by m_timerMutex
    std::atomic<std::uint32_t> m_timer{0};
};
