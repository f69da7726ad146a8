#pragma once
// The main window's tests: test disks and an MYS file made once per program, and a fixture that
// opens the real window on them with the sound going to a WAV file, message boxes recorded and
// modal dialogs and file dialogs answered by the test.
#include "CIconButton.h"
#include "CKWSlider.h"
#include "CKWToolTip.h"
#include "CQXMysFileManager.h"
#include "CQXStorageDeviceManager.h"
#include "CViewerDlg.h"
#include "KWFileDialog.h"
#include "KWMessageBoxRecorder.h"
#include "KWModalDialog.h"
#include "KWProcessEventsUntil.h"
#include "KWRunProgram.h"
#include "KWScopedCurrentDirectory.h"
#include "KWScopedWavOutput.h"
#include "KWTempDir.h"
#include "QXDialogKit.h"
#include "QXViewerIds.h"
#include "QXViewerMenu.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QTime>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>

namespace ViewerTest {
using namespace QXPlayMode;

constexpr int kGenerousMs = 60000;

inline bool WaitUntil(const std::function<bool()>& done) {
    return KWProcessEventsUntil(done, std::chrono::milliseconds(kGenerousMs));
}

// Lets the window's thread run for a while (for "nothing happens" checks).
inline void RunEventsFor(int milliseconds) {
    KWProcessEventsUntil([] { return false; }, std::chrono::milliseconds(milliseconds));
}

// Plays `disk` from its start and captures `seconds` of it into an MYS file in `directory`.
inline std::string CaptureMysFile(const std::string& disk, const std::string& directory,
                                  int seconds) {
    CQXMysFileManager files;
    CQXStorageDeviceManager devices(KWDriveList{disk});
    std::string path;
    if (!devices.OpenAllDevices(nullptr, nullptr, &files) ||
        !WaitUntil([&] { return !devices.IsAnyDeviceBusy(); }) || devices.StartStreaming(0) != 1)
        return path;
    devices.SetPlayMode(kPause, kNoTarget);
    if (WaitUntil([&] { return devices.GetPlayMode() == kPause; }) &&
        devices.StartCapture(directory) == 1) {
        RunEventsFor(seconds * 1000);
        devices.StopCapture();
    }
    devices.StopStreaming();
    devices.CloseAllDevices();
    for (const auto& entry : std::filesystem::directory_iterator(directory))
        if (entry.path().extension() == ".mys")
            path = entry.path().string();
    return path;
}

// A disk recorded by dvrsynth (in a process of its own, where its pictures are drawn fastest):
// 640x224 pictures from 2026/12/01 12:00:00, paced in real time, with sound and an event table
// of three recordings. Empty path when it failed.
struct TestDisk {
    static constexpr int kEvents = 3;
    std::string path;
    std::uint32_t streamLength = 0;
    std::string error;

    TestDisk(const std::string& image, double seconds, const std::string& channels) {
        const KWProgramRun run =
            KWRunProgram(KWBuiltProgram("dvrsynth") + " '" + image + "' --slices 14 --seconds " +
                         std::to_string(seconds) + " --events " + std::to_string(kEvents) +
                         " --start '2026-12-01 12:00:00' --channels " + channels + " 2>&1");
        const std::string key = "\"stream_length\":";
        const std::size_t at = run.output.find(key);
        if (run.status != 0 || at == std::string::npos) {
            error = run.output;
            return;
        }
        streamLength = static_cast<std::uint32_t>(std::stoul(run.output.substr(at + key.size())));
        path = image;
    }
};

// The test data, each made on first use and removed when the program ends: a minute of four
// channels, ten seconds of channels 1 and 3 only, and five seconds of the first disk captured
// into an MYS file.
class Data {
public:
    static const TestDisk& Disk() {
        static const TestDisk disk(Folder() / "disk.img", 60, "1,2,3,4");
        return disk;
    }
    static const TestDisk& OddDisk() {
        static const TestDisk disk(Folder() / "odd.img", 10, "1,3");
        return disk;
    }
    static const std::string& Mys() {
        static const std::string mys = [] {
            std::filesystem::create_directories(Folder() / "mys");
            return CaptureMysFile(Disk().path, Folder() / "mys", 5);
        }();
        return mys;
    }

private:
    static const KWTempDir& Folder() {
        static const KWTempDir folder;
        return folder;
    }
};

// Answers the modal dialogs of its lifetime with the given handler.
class ScopedModal {
public:
    explicit ScopedModal(KWModalHandler handler)
        : m_previous(KWSetModalHandler(std::move(handler))) {}
    ~ScopedModal() { KWSetModalHandler(std::move(m_previous)); }
    ScopedModal(const ScopedModal&) = delete;
    ScopedModal& operator=(const ScopedModal&) = delete;

private:
    KWModalHandler m_previous;
};

// Answers the file dialogs of its lifetime with `path` and records the requests.
class ScopedFileChoice {
public:
    explicit ScopedFileChoice(QString path)
        : m_previous(KWSetFileDialogHandler([this, path](QWidget*, const KWFileDialogRequest& r) {
              requests.push_back(r);
              return path;
          })) {}
    ~ScopedFileChoice() { KWSetFileDialogHandler(std::move(m_previous)); }
    ScopedFileChoice(const ScopedFileChoice&) = delete;
    ScopedFileChoice& operator=(const ScopedFileChoice&) = delete;

    std::vector<KWFileDialogRequest> requests;

private:
    KWFileDialogHandler m_previous;
};

class WindowFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(Data::Disk().path.empty()) << Data::Disk().error;
        m_streamLength = Data::Disk().streamLength;
    }

    void OpenWindow(const KWDriveList& drives,
                    CViewerDlg::StartSound sound = CViewerDlg::StartSound::Off) {
        m_window = std::make_unique<CViewerDlg>(drives, sound);
        m_window->show();
        ASSERT_TRUE(WaitUntil([this] { return m_window->IsStarted(); }));
    }
    // Opens the window on the disk and waits until it plays after the recent position question
    // (answered No).
    void OpenPlaying(const KWDriveList& drives = {Data::Disk().path}) {
        OpenWindow(drives);
        ASSERT_TRUE(WaitUntil([this] {
            return !BoxesCaptioned("Recent Position").empty() && Device().GetPlayMode() == kPlay;
        }));
    }
    // Loads the MYS file through the MYS Player mode and waits until it plays.
    void SwitchToMysPlaying() {
        ASSERT_FALSE(Data::Mys().empty());
        ScopedFileChoice choice(QString::fromStdString(Data::Mys()));
        Press(Qt::Key_F2);
        ASSERT_EQ(m_window->GetWorkingMode(), CViewerDlg::kMysPlayerMode);
        ASSERT_TRUE(WaitUntil([this] { return MysMode() == kPlay; }));
    }

    CQXStorageDeviceManager& Device() { return m_window->GetDeviceManager(); }
    CQXMysFileManager& Mys() { return m_window->GetMysFileManager(); }
    std::uint32_t Position() { return Device().GetPosition(0); }
    // The MYS player's mode as a play-mode code ("none" without a file).
    std::uint32_t MysMode() {
        const std::uint32_t index = Mys().IsRecording();
        return index >= 2 ? kNone + index - 1 : kNone;
    }

    template <class Widget = QWidget> Widget& Control(int id) {
        auto* control = m_window->findChild<Widget*>(QString::number(id));
        EXPECT_NE(control, nullptr) << id;
        return *control;
    }
    CIconButton& Button(int id) { return Control<CIconButton>(id); }
    // Tips keep their lines as the controls show them ("\r\n" becomes "\n").
    static QString AsShown(const QString& text) { return QXDialogKit::ControlText(text); }
    int Icon(int id) { return Button(id).IconIds()[0]; }
    QString Tip(int id) { return Button(id).ToolTip() ? Button(id).ToolTip()->Text() : QString(); }
    QAction& Item(int id) {
        QAction* item = QXViewerMenu::Find(*m_window, id);
        EXPECT_NE(item, nullptr) << id;
        return *item;
    }

    // Sends a key press and its release to the window as the keyboard would.
    void Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent down(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(m_window.get(), &down);
        QKeyEvent up(QEvent::KeyRelease, key, modifiers);
        QApplication::sendEvent(m_window.get(), &up);
    }
    ::testing::AssertionResult PressAndWaitForMode(int key, std::uint32_t mode) {
        Press(key);
        return WaitForMode(mode);
    }
    ::testing::AssertionResult ClickAndWaitForMode(int id, std::uint32_t mode) {
        Button(id).click();
        return WaitForMode(mode);
    }
    ::testing::AssertionResult WaitForMode(std::uint32_t mode) {
        if (!WaitUntil([&] { return Device().GetPlayMode() == mode; }))
            return ::testing::AssertionFailure()
                   << "mode " << Name(Device().GetPlayMode()) << " instead of " << Name(mode);
        return ::testing::AssertionSuccess();
    }
    // Pauses at `share` of the disk, so that the modes tried do not reach either end.
    void PauseAt(double share) {
        const auto target = static_cast<std::uint32_t>(m_streamLength * share);
        Device().SetPlayMode(kOneForward, target);
        ASSERT_TRUE(
            WaitUntil([&] { return Device().GetPlayMode() == kPause && Position() > target; }));
    }
    // The refresh as a tick of the given second would do it: odd seconds blink.
    void RefreshAt(int second) { m_window->RefreshControls(QTime(12, 0, second)); }

    // The boxes with this caption shown so far.
    std::vector<KWMessageBoxRequest> BoxesCaptioned(const std::string& caption) const {
        std::vector<KWMessageBoxRequest> boxes;
        for (const auto& shown : m_boxes.Boxes())
            if (shown.request.caption == caption)
                boxes.push_back(shown.request);
        return boxes;
    }

    KWTempDir m_dir;
    // The viewer keeps its configuration below the directory it starts in.
    KWScopedCurrentDirectory m_start{m_dir.Path()};
    const std::string m_sound = m_dir / "sound.wav";
    KWScopedWavOutput m_output{m_sound};
    KWMessageBoxRecorder m_boxes{KWMessageBoxAnswer::kNo};
    std::uint32_t m_streamLength = 0;
    std::unique_ptr<CViewerDlg> m_window;
};
} // namespace ViewerTest
