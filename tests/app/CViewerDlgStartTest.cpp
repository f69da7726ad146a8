// The viewer's start on simulated systems: the platform check's refusals, the detection dialog
// cancelled, and the start without a DVR disk.
#include "CDeviceDetectionDlg.h"
#include "CKWSystemOsInfo.h"
#include "CViewerDlg.h"
#include "KWFakeOsVersionSource.h"
#include "KWMessageBoxRecorder.h"
#include "KWModalDialog.h"
#include "KWScopedCurrentDirectory.h"
#include "KWTempDir.h"
#include "KWTestImage.h"
#include "QXPlatformCheck.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {
namespace Box = KWMessageBoxFlags;
using Fake = KWFakeOsVersionSource;
constexpr auto kNt = KWOsPlatform::kNt;
constexpr auto k9x = KWOsPlatform::kWindows9x;

class CViewerDlgStartTest : public ::testing::Test {
protected:
    // Starts the viewer on `system` without drives.
    void Start(std::shared_ptr<Fake> system) {
        m_window.reset();
        m_system.reset();
        m_system.emplace(std::move(system));
        m_window = std::make_unique<CViewerDlg>(KWDriveList{});
    }
    KWMessageBoxRequest FirstBox() const {
        return m_boxes.Count() == 0 ? KWMessageBoxRequest{} : m_boxes.Boxes()[0].request;
    }
    // A refused start: one box, the engines stopped, and nothing written but the settings.
    void ExpectRefused(const std::string& caption, unsigned flags) {
        ASSERT_TRUE(m_window->IsRefused());
        EXPECT_FALSE(m_window->IsStarted());
        ASSERT_EQ(m_boxes.Count(), 1u);
        EXPECT_EQ(FirstBox().caption, caption);
        EXPECT_EQ(FirstBox().flags, flags);
        EXPECT_FALSE(m_window->GetScreenManager().IsRunning());
        EXPECT_EQ(m_window->GetDeviceManager().GetDeviceCount(), 0);
        m_window.reset();
        std::vector<std::string> written;
        for (const auto& entry : std::filesystem::directory_iterator(m_dir.Path()))
            written.push_back(entry.path().filename().string());
        EXPECT_EQ(written, std::vector<std::string>{"config"});
    }

    KWTempDir m_dir;
    KWScopedCurrentDirectory m_start{m_dir.Path()};
    KWMessageBoxRecorder m_boxes{KWMessageBoxAnswer::kNo};
    std::optional<KWScopedOsVersionSource> m_system;
    std::unique_ptr<CViewerDlg> m_window;
};

const char* const kPlatformError = "Platform Error";
const char* const kUnsupportedTail =
    "\r\nCannot proceed.\r\n\r\nPlease try on \r\nWindows 2000/XP/2003 or later version of "
    "Windows OS.\r\n\r\n[NOTE]\r\nIn case of Windows 2000,\r\nthe system should be updated with "
    "Service Pack 2 or later.";
} // namespace

TEST_F(CViewerDlgStartTest, Windows2000BeforeServicePack2IsRefusedNamingItsServicePack) {
    Start(Fake::Make(kNt, 5, 0, 1));
    EXPECT_EQ(FirstBox().text, "This application cannot run on\r\nWindows 2000 Service Pack 1"
                               "\r\n\r\nPlease update the system with\r\nthe latest Windows 2000 "
                               "Service Pack\r\nand try again.");
    ExpectRefused(kPlatformError, Box::kOk);
}

// Whatever the answer to the 48-bit question, the program ends.
TEST_F(CViewerDlgStartTest, Windows2000WithoutBigLbaAsksWithYesAndNoAndEnds) {
    for (int answer : {KWMessageBoxAnswer::kYes, KWMessageBoxAnswer::kNo}) {
        SCOPED_TRACE(answer);
        m_boxes.SetAnswer(answer);
        auto system = Fake::Make(kNt, 5, 0, 4);
        if (answer == KWMessageBoxAnswer::kNo)
            system->enableBigLba = 0;
        Start(system);
        EXPECT_EQ(FirstBox().text,
                  std::string("This machine is not supporting 48 Bit Addressing\r\n\r\nTo resolve "
                              "this issue,\r\nrefer to following web site,\r\nchange your system "
                              "configuration, and try again.\r\n\r\n") +
                      kBigLbaHelpAddress);
        ExpectRefused("48 Bit Addressing Error", Box::kYesNo);
        m_boxes.Clear();
    }
}

TEST_F(CViewerDlgStartTest, OlderSystemsAreRefusedWithTheirName) {
    const struct {
        KWOsPlatform platform;
        std::uint32_t major;
        std::uint32_t minor;
        const char* name;
    } systems[] = {{k9x, 4, 0, "Windows 95"},
                   {k9x, 4, 10, "Windows 98"},
                   {k9x, 4, 90, "Windows ME"},
                   {kNt, 4, 0, "Windows NT Workstation 4.0"}};
    for (const auto& system : systems) {
        SCOPED_TRACE(system.name);
        Start(Fake::Make(system.platform, system.major, system.minor));
        EXPECT_EQ(FirstBox().text, std::string("This application cannot run on\r\n") + system.name +
                                       kUnsupportedTail);
        ExpectRefused(kPlatformError, Box::kOk);
        m_boxes.Clear();
    }
}

// A version that cannot be read is refused, with an empty name; an NT version after 5.2 is
// enough even when its product type cannot be read.
TEST_F(CViewerDlgStartTest, AnUnreadableVersionIsRefusedUnlessItIsALaterNt) {
    Start(std::make_shared<Fake>());
    EXPECT_EQ(FirstBox().text,
              std::string("This application cannot run on\r\n") + kUnsupportedTail);
    ExpectRefused(kPlatformError, Box::kOk);
    m_boxes.Clear();

    Start(Fake::Make(kNt, 6, 1, 0, std::nullopt));
    EXPECT_FALSE(m_window->IsRefused());
    EXPECT_TRUE(m_window->IsStarted());
}

// Windows XP needs no 48-bit switch; a lower-case product type is a workstation, so Windows
// 2000 SP2 with the switch on starts. Without a DVR disk the viewer comes up as MYS Player
// after the detection's and the window's notices.
TEST_F(CViewerDlgStartTest, SupportedSystemsStartAndWithoutADiskPlayMysFiles) {
    Start(Fake::Make(kNt, 5, 1));
    ASSERT_TRUE(m_window->IsStarted());
    EXPECT_FALSE(m_window->IsRefused());
    EXPECT_EQ(m_window->GetWorkingMode(), CViewerDlg::kMysPlayerMode);
    const auto boxes = m_boxes.Boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].request.caption, CDeviceDetectionDlg::kNoDeviceCaption);
    EXPECT_EQ(boxes[1].request.caption, "Notification");
    EXPECT_EQ(m_window->GetVolume(), CViewerDlg::kInitialVolume);

    auto windows2000 = Fake::Make(kNt, 5, 0, 2, "winnt");
    windows2000->enableBigLba = 1;
    Start(windows2000);
    EXPECT_TRUE(m_window->IsStarted());
}

// The window of a 5.x system after 5.0 is 10 pixels higher.
TEST_F(CViewerDlgStartTest, AVersion5AfterTheFirstMakesTheWindowHigher) {
    Start(Fake::Make(kNt, 6, 1));
    const int later = m_window->height();
    Start(Fake::Make(kNt, 5, 1));
    EXPECT_EQ(m_window->height(), later + CViewerDlg::kVersion5ExtraHeight);
}

TEST_F(CViewerDlgStartTest, CancellingTheDetectionEndsTheStart) {
    KWTestImage blank(m_dir / "blank.img", KWTestImage::CylinderBytes(1));
    KWModalHandler previous = KWSetModalHandler([](QDialog& dialog) {
        EXPECT_NE(dynamic_cast<CDeviceDetectionDlg*>(&dialog), nullptr);
        return static_cast<int>(QDialog::Rejected);
    });
    m_window = std::make_unique<CViewerDlg>(KWDriveList{blank.Path()});
    KWSetModalHandler(std::move(previous));
    EXPECT_TRUE(m_window->IsRefused());
    EXPECT_FALSE(m_window->IsStarted());
    ASSERT_EQ(m_boxes.Count(), 1u);
    EXPECT_EQ(FirstBox().text, "Viewer Initialize Terminated.");
    EXPECT_EQ(FirstBox().caption, "Initialize Terminated");
    EXPECT_EQ(FirstBox().flags, Box::kOk | Box::kIconExclamation);
    EXPECT_EQ(m_window->GetDeviceManager().GetDeviceCount(), 0);
}

// The program on this system: no platform message.
TEST_F(CViewerDlgStartTest, ThisSystemPassesThePlatformCheck) {
    KWScopedOsVersionSource system(nullptr);
    CKWSystemOsInfo info;
    EXPECT_FALSE(QXCheckPlatform(info).has_value());
}
