#pragma once
#include "KWAviCompressOptions.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

class CConfigFileManager;
class CKWImageBuffer;
class CQXScreenManager4;
class CQXStorageDeviceManager;
class QWidget;
struct KWAviWriterState;

// The viewer's AVI capture: records what the video area shows into an AVI file. The command
// (Toggle) asks for the file and the compressor and starts a capture thread, or ends the capture
// running. The thread sets the device playing and, until the capture is ended, takes the view
// as an uncaptioned BMP picture ("test.bmp" in the MYS directory), loads it and adds it as a
// frame, one for every 200 ms (the file's frame period) of the capture, so the file plays in
// the time it recorded. When it ends it finishes the file and says whether it is complete.
//
// Side effects the viewer keeps: the MYS directory is created when missing (one level) and
// becomes the current directory, and test.bmp stays there.
class CAviCapture {
public:
    static constexpr std::uint32_t kFramePeriodMs = 200;
    // How soon the thread sees the capture ended while it waits for the next frame period.
    static constexpr std::uint32_t kStopPollMs = 50;
    static constexpr const char* kPictureName = "test.bmp";

    // `owner` owns the dialogs; the engines and the configuration outlive this object.
    CAviCapture(QWidget& owner, CQXScreenManager4& screen, CQXStorageDeviceManager& devices,
                CConfigFileManager& config);
    // Ends a running capture and finishes its file.
    ~CAviCapture();
    CAviCapture(const CAviCapture&) = delete;
    CAviCapture& operator=(const CAviCapture&) = delete;

    // The AVI command, on the user-interface thread: starts a capture, or marks the running one
    // ended (its thread finishes the file after its current frame).
    void Toggle();
    // Ends a running capture and waits until its thread has finished the file and told the
    // user; messages sent meanwhile to the calling thread are delivered.
    void Stop();
    // True from the start of the command until the capture is ended (the AVI button blinks).
    bool IsRunning() const { return m_running.load(); }
    // The compressor chosen last; the next capture's dialog starts from it.
    const KWAviCompressOptions& GetOptions() const { return m_options; }

private:
    void Start();
    void WaitForThread();
    // The capture thread's loop; it owns `state` and closes it.
    void Capture(KWAviWriterState* state, const std::string& aviPath,
                 const std::string& picturePath);
    // Writes the view as a BMP file at `path` and loads it back. false when either fails.
    bool TakePicture(const std::string& path, CKWImageBuffer& picture);

    QWidget& m_owner;
    CQXScreenManager4& m_screen;
    CQXStorageDeviceManager& m_devices;
    CConfigFileManager& m_config;
    KWAviCompressOptions m_options;
    std::atomic<bool> m_running{false};
    std::atomic<bool> m_threadDone{true};
    std::thread m_thread;
};
