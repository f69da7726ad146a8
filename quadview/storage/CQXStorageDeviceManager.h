#pragma once
#include "CKWThread.h"
#include "CQXAudioFrame.h"
#include "CQXAudioSink.h"
#include "CQXPlaybackStepper.h"
#include "CQXStorageDevice.h"
#include "CQXVideoSink.h"
#include "KWDriveList.h"
#include "QXDriveFinding.h"
#include "QXPlayMode.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class CQXMysFileManager;

// The table of the machine's drives as DVR storage devices: opens every drive, keeps the list of
// those that hold a recorded stream, and passes its listeners on to every device so that a
// window listening here hears the devices' notifications too.
//
// Playback of the selected device's stream runs on this object's worker thread, one frame per
// step (CQXPlaybackStepper), in the play mode the owner chooses (QXPlayMode); mode changes are
// queued commands, so they take effect between steps. Completed video frames go to the screen
// manager without copying (it resets them when drawn, which hands them back to the reader);
// frames shown by backward modes carry their true pictures. Audio read in "play" goes to the
// wave manager. Posts to its listeners:
//   kMessageDeviceOpened (0, 0)          streaming started
//   kMessageModeChanged (mode, 0)        the play mode changed (sent, not posted)
//   kMessageAudioSkipped (0, 0)          an audio packet was read while the mode is not "play"
//   kMessageDevicePosition (0, position) after every frame read
//
// The video standard (0 NTSC, 1 PAL) follows the frames' geometry: every frame of 14 slices
// makes it NTSC, every frame of 17 slices PAL, the first frame after a start included; a stream
// of other geometries keeps the standard it had, NTSC from construction.
class CQXStorageDeviceManager : public CKWThread {
public:
    static constexpr std::uint8_t kMaxDevices = 32;
    static constexpr std::uint8_t kNoSelection = 0xFF;
    static constexpr std::uint32_t kMessageDeviceOpened = 0x1480;
    static constexpr std::uint32_t kMessageModeChanged = 0x1481;
    static constexpr std::uint32_t kMessageAudioSkipped = 0x1482;
    static constexpr std::uint32_t kMessageDevicePosition = 0x1483;
    static constexpr std::int32_t kStopTimeoutMs = 100;
    static constexpr std::uint32_t kStandardNtsc = 0;
    static constexpr std::uint32_t kStandardPal = 1;

    // The drives to open; the system's drive list by default.
    explicit CQXStorageDeviceManager(KWDriveList drives = KWSystemDriveList());
    ~CQXStorageDeviceManager() override;

    // Opens drive numbers 0-31 in order into dense device indices; true when one opened. The
    // three managers receive the frames of playback; they are not owned.
    bool OpenAllDevices(CQXVideoSink* screenManager, CQXAudioSink* waveManager,
                        CQXMysFileManager* mysFileManager);
    void CloseAllDevices();

    std::uint8_t GetDeviceCount() const { return m_deviceCount; }
    std::uint8_t GetFormattedCount() const;
    // The device index of the n-th formatted device, ascending; 0xFF when there is none.
    std::uint8_t GetFormattedDevice(std::uint8_t n) const;
    // The device in slot `index`, or null beyond the table.
    CQXStorageDevice* GetDevice(std::uint8_t index);

    // Per-device queries by device index; an index beyond the table answers 0 / false.
    std::uint32_t GetPacketCount(std::uint8_t index) const;
    std::uint64_t GetSectorCount(std::uint8_t index) const;
    std::string GetMediaTypeName(std::uint8_t index) const;
    int IsIdeDevice(std::uint8_t index) const;
    bool IsBusy(std::uint8_t index);
    bool IsFormatted(std::uint8_t index) const;
    std::uint32_t GetStreamLength(std::uint8_t index) const;
    std::uint32_t GetPosition(std::uint8_t index) const;
    // True while any open device probes, scans or is about to scan.
    bool IsAnyDeviceBusy();
    // Every drive of the list that OpenAllDevices examined, in drive order, with what it found:
    // the refused drives and, for the open devices, their state at the time of asking.
    std::vector<QXDriveFinding> GetDriveFindings();

    // Applied to this object and then to all 32 devices in index order; an add stops at the
    // first device that refuses and then answers 0.
    int AddListenerWindow(KWWindowHandle window) override;
    int AddListenerObject(CKWObject* object) override;
    void RemoveListenerWindow(KWWindowHandle window) override;
    void RemoveListenerObject(CKWObject* object) override;

    // Rebuilds the formatted list when a device's scan has ended.
    void OnListenerPost(std::uint32_t message, KWWParam wParam, KWLParam lParam) override;

    // Plays the n-th formatted device from its position: starts the worker in "play" and posts
    // kMessageDeviceOpened. 0 when there is no such device or a stream is already playing.
    int StartStreaming(std::uint8_t n);
    // Stops the worker (forcing it after kStopTimeoutMs); no device is selected afterwards and
    // the mode is "none".
    void StopStreaming();
    // Queues a mode change unless `mode` is the current mode or "none". For "onef" the
    // parameter is the packet to go to, or QXPlayMode::kNoTarget.
    void SetPlayMode(std::uint32_t mode, std::uint32_t parameter);
    std::uint32_t GetPlayMode() const { return m_playMode; }
    const char* GetPlayModeName() const { return QXPlayMode::Name(m_playMode); }
    bool IsPlayModeSet() const { return QXPlayMode::IsSet(m_playMode); }
    // The selected entry of the formatted list, kNoSelection when none.
    std::uint8_t GetSelected() const { return m_selected; }
    // The device index of the selected device, kNoSelection when none.
    std::uint8_t GetCurrentDeviceIndex() const;
    std::uint32_t GetVideoStandard() const { return m_videoStandard; }
    // How long "play" shows a frame of `sliceCount` slices, read from a packet with the interval
    // code, before the next: code + 1 units of 33 ms (NTSC) or 25 ms (PAL). 0 for other
    // geometries, which are not paced.
    static std::uint32_t PlayIntervalMs(std::uint8_t sliceCount, std::uint8_t intervalCode);
    // The interval the recorder took frames at: as PlayIntervalMs, and for the half-height
    // geometries of each standard (7 slices NTSC, 9 PAL) too. 0 for unknown geometries.
    static std::uint32_t RecordingIntervalMs(std::uint8_t sliceCount, std::uint8_t intervalCode);

    // Stream capture into MYS files, only from "pause": closes a MYS file that is playing,
    // opens the recorder on `directory` with the stream's video standard and plays. 0 when the
    // stream is not paused or there is no MYS file manager.
    [[nodiscard]] int StartCapture(const std::string& directory);
    // Pauses the stream, waits until the pause has taken effect and closes the recorder, which
    // writes everything it has taken.
    void StopCapture();

protected:
    void OnProcess() override;
    void OnCommand(const Command* command) override;

    // Hands a completed video frame (completed in packet `packet`) to the stream capture and to
    // the screen manager, which releases it when it has drawn it; without a screen manager it is
    // released at once.
    virtual void DeliverVideoFrame(CQXVideoFrame& frame, std::uint32_t packet);
    // Hands an audio frame read in "play" to the wave manager with its byte pairs exchanged
    // back, offering it every millisecond until it is taken (gives up when a command or the
    // stop is waiting), then to the stream capture.
    virtual void DeliverAudioFrame(CQXAudioFrame& frame);

    CQXVideoSink* m_screenManager = nullptr;
    CQXAudioSink* m_waveManager = nullptr;
    CQXMysFileManager* m_mysFileManager = nullptr;

private:
    bool WaitForCaptureRoom();

    // The reader's view of the selected device; set only while the worker is stopped.
    class SelectedDeviceSource : public CQXPacketSource {
    public:
        int ReadPacket(std::uint32_t index, CQX4KPacket& packet) override;
        std::uint32_t GetStreamLength() const override;
        CQXStorageDevice* device = nullptr;
    };

    void RebuildFormattedList();
    const CQXStorageDevice* Device(std::uint8_t index) const;

    void Pace(const CQXVideoFrame& frame, std::uint32_t mode);
    // True while a command (a mode change, the stop) or termination waits for the step to end.
    bool IsCommandWaiting() const;

    std::shared_ptr<const KWDriveList> m_drives;
    std::vector<QXDriveFinding> m_refusedDrives; // set by OpenAllDevices
    // Read by the devices' workers when they rebuild the formatted list.
    std::atomic<std::uint8_t> m_deviceCount{0};
    std::array<CQXStorageDevice, kMaxDevices> m_devices;
    mutable std::mutex m_formattedLock;
    std::uint8_t m_formattedCount = 0;
    std::array<std::uint8_t, kMaxDevices> m_formatted{};

    // Playback state. The tick and the stepper belong to the worker.
    SelectedDeviceSource m_source;
    CQXPlaybackStepper m_stepper;
    CQXAudioFrame m_audioFrame;
    std::atomic<std::uint32_t> m_videoStandard{kStandardNtsc};
    std::atomic<std::uint32_t> m_playMode{QXPlayMode::kNone};
    std::atomic<std::uint8_t> m_selected{kNoSelection};
    std::uint32_t m_lastFrameTick = 0;
};
