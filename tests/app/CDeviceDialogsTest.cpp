#include "CDeviceDetectionDlg.h"
#include "CDeviceInfoDlg.h"
#include "CDeviceSelectDlg.h"
#include "CIconButton.h"
#include "CViewerDlg.h"
#include "DvrRecorder.h"
#include "KWMessageBoxRecorder.h"
#include "KWProcessEventsUntil.h"
#include "KWScopedWavOutput.h"
#include "KWTempDir.h"
#include "QXDialogKit.h"

#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

using QXDialogKit::Find;

namespace {
// The counts a detection dialog sees, as the test sets them.
class ScriptedDetectionDlg : public CDeviceDetectionDlg {
public:
    using CDeviceDetectionDlg::CDeviceDetectionDlg;
    Counts counts;
    void Tick() { Update(); }

protected:
    Counts Count() const override { return counts; }
};

std::string PercentText(const QDialog& dialog) {
    return Find<QLabel>(dialog, CDeviceDetectionDlg::kIdPercent)->text().toStdString();
}
} // namespace

// Two small disks, the first of which the viewer plays.
class CDeviceDialogsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_dir = new KWTempDir;
        for (const char* name : {"first.img", "second.img"}) {
            DvrRecorder::Options options;
            options.output = *s_dir / name;
            options.seconds = 3;
            options.start.tm_year = 126;
            options.start.tm_mday = 1;
            const DvrRecorder::Result result = DvrRecorder(options).Record();
            ASSERT_TRUE(result.ok) << result.error;
        }
    }
    static void TearDownTestSuite() { delete s_dir; }

    void OpenViewer() {
        m_viewer =
            std::make_unique<CViewerDlg>(KWDriveList{*s_dir / "first.img", *s_dir / "second.img"});
        ASSERT_TRUE(KWProcessEventsUntil([this] { return m_viewer->IsStarted(); }));
        ASSERT_EQ(m_viewer->GetDeviceManager().GetFormattedCount(), 2);
    }

    static inline KWTempDir* s_dir = nullptr;
    KWTempDir m_soundDir;
    KWScopedWavOutput m_output{m_soundDir / "sound.wav"};
    KWMessageBoxRecorder m_boxes;
    std::unique_ptr<CViewerDlg> m_viewer;
};

TEST(CDeviceDetectionDlg, ShowsTheShareOfExaminedDrivesAndReportsWhenNoneHoldsRecordings) {
    KWMessageBoxRecorder boxes;
    CQXStorageDeviceManager manager(KWDriveList{});
    ScriptedDetectionDlg dialog(manager);
    EXPECT_EQ(PercentText(dialog), "0 %");

    dialog.counts = {3, 1, 0};
    dialog.Tick();
    EXPECT_EQ(PercentText(dialog), "66 % completed");
    EXPECT_EQ(Find<QProgressBar>(dialog, CDeviceDetectionDlg::kIdProgress)->value(), 66);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(boxes.Count(), 0u);

    dialog.counts = {3, 0, 0};
    dialog.Tick();
    EXPECT_EQ(PercentText(dialog), "100 % completed");
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].request.caption, "Detection Error");
    EXPECT_EQ(boxes.Boxes()[0].request.text, CDeviceDetectionDlg::kNoDeviceText);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    dialog.Tick(); // a late tick after the end changes nothing
    EXPECT_EQ(boxes.Count(), 1u);
}

TEST(CDeviceDetectionDlg, WithoutDrivesIsCompleteAtOnce) {
    EXPECT_EQ(CDeviceDetectionDlg::Percent(0, 0), 100);
    EXPECT_EQ(CDeviceDetectionDlg::Percent(3, 2), 33);
}

TEST_F(CDeviceDialogsTest, DetectionEndsWithOkOnceTheRealDrivesAreExamined) {
    CQXStorageDeviceManager manager(KWDriveList{*s_dir / "first.img"});
    ASSERT_TRUE(manager.OpenAllDevices(nullptr, nullptr, nullptr));
    CDeviceDetectionDlg dialog(manager);
    ASSERT_TRUE(KWProcessEventsUntil([&] { return dialog.result() == QDialog::Accepted; }));
    EXPECT_EQ(PercentText(dialog), "100 % completed");
    EXPECT_EQ(m_boxes.Count(), 0u);
    manager.CloseAllDevices();
}

TEST(CDeviceSelectDlg, ListsSizesInDecimalMegabytesRightAlignedInTenCharacters) {
    EXPECT_EQ(CDeviceSelectDlg::Line(0, 78125000, false), "Device 0      40000 MByte ");
    EXPECT_EQ(CDeviceSelectDlg::Line(3, 78125000, true), "Device 3      40000 MByte - Now Playing");
    // Beyond 32 bits of megabytes: a 64-bit figure, not a wrapped one.
    EXPECT_EQ(CDeviceSelectDlg::Line(1, 20'000'000'000'000ULL, false),
              "Device 1 10240000000 MByte ");
}

TEST_F(CDeviceDialogsTest, SelectionOffersOnlyTheDevicesThatAreNotPlaying) {
    OpenViewer();
    CDeviceSelectDlg dialog(m_viewer->GetDeviceManager());
    EXPECT_EQ(Find<QLabel>(dialog, CDeviceSelectDlg::kIdHeading)->text(),
              "2 QX Devices are detected - Select Device");
    auto* list = Find<QListWidget>(dialog, CDeviceSelectDlg::kIdList);
    auto* ok = Find<CIconButton>(dialog, QXDialogKit::kIdOk);
    ASSERT_EQ(list->count(), 2);
    EXPECT_TRUE(list->item(0)->text().endsWith("MByte - Now Playing"));
    EXPECT_TRUE(list->item(1)->text().endsWith("MByte "));
    EXPECT_EQ(list->font().family(), "Liberation Mono");
    EXPECT_FALSE(ok->isEnabled());

    list->setCurrentRow(0);
    EXPECT_FALSE(ok->isEnabled());
    emit list->itemDoubleClicked(list->item(0));
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(dialog.GetSelected(), -1);

    list->setCurrentRow(1);
    EXPECT_TRUE(ok->isEnabled());
    emit list->itemDoubleClicked(list->item(1));
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.GetSelected(), 1);
}

TEST(CDeviceInfoDlg, TextNamesTheConnectionTypeAndSizes) {
    CDeviceInfoDlg::Facts facts;
    facts.index = 1;
    facts.ide = false;
    facts.mediaType = "Fixed hard disk media";
    facts.formatted = true;
    facts.sectors = 78125000;
    facts.streamPackets = 1000000;
    EXPECT_EQ(CDeviceInfoDlg::Text(facts), "Physical Storage Device: 1\r\n"
                                           "\tConnection Type:\tNOT IDE [USB or Firewire]\r\n"
                                           "\tDevice Type:\tFixed hard disk media\r\n"
                                           "\tQX Device Type:\tQX Device\r\n"
                                           "\tStorage Size:\t40000 MBytes\r\n"
                                           "\tStream Length:\t4096 MBytes\r\n");
    facts.ide = true;
    facts.formatted = false;
    const std::string text = CDeviceInfoDlg::Text(facts);
    EXPECT_NE(text.find("\tConnection Type:\tIDE or SCSI\r\n"), std::string::npos);
    EXPECT_NE(text.find("\tQX Device Type:\tNot QX Device\r\n"), std::string::npos);
}

TEST_F(CDeviceDialogsTest, InformationShowsThePlayingDevice) {
    OpenViewer();
    CDeviceInfoDlg dialog(m_viewer->GetDeviceManager(), 1);
    EXPECT_EQ(dialog.windowTitle(), "Storage Device Info [1]");
    const QString text = Find<QPlainTextEdit>(dialog, CDeviceInfoDlg::kIdText)->toPlainText();
    EXPECT_TRUE(text.startsWith("Physical Storage Device: 1\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("\tQX Device Type:\tQX Device\n")) << text.toStdString();
    const auto bytes = std::filesystem::file_size(*s_dir / "second.img");
    EXPECT_TRUE(
        text.contains(QString("\tStorage Size:\t%1 MBytes").arg(bytes / 512 * 512 / 1000000)))
        << text.toStdString();
}
