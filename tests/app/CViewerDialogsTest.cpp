#include "CCaptureIndicatorDlg.h"
#include "CDeviceDetectionDlg.h"
#include "CDeviceInfoDlg.h"
#include "CDeviceSelectDlg.h"
#include "CEventListDlg.h"
#include "CFolderSelectDlg.h"
#include "CIconButton.h"
#include "CQXStorageDeviceManager.h"
#include "CSearchStepDlg.h"
#include "CSearchTimeDlg.h"
#include "CViewerAboutDlg.h"
#include "KWLayoutCheck.h"
#include "KWModalDialog.h"
#include "KWProcessEventsUntil.h"
#include "KWTempDir.h"
#include "QXDialogKit.h"

#include <QComboBox>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

using QXDialogKit::Find;

namespace {
QStringList Texts(const QComboBox& choice) {
    QStringList texts;
    for (int i = 0; i < choice.count(); ++i) {
        texts.append(choice.itemText(i));
    }
    return texts;
}

// The milliseconds until the indicator next changes, from now.
qint64 MsUntilToggle(const CCaptureIndicatorDlg& dialog) {
    const bool lit = dialog.IsLit();
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(KWProcessEventsUntil([&] { return dialog.IsLit() != lit; }));
    return clock.elapsed();
}
} // namespace

TEST(CCaptureIndicatorDlg, LightsUpAtOnceThenBlinksOnceASecondEveryTimeItOpens) {
    for (int opening = 0; opening < 2; ++opening) {
        CCaptureIndicatorDlg dialog;
        dialog.show();
        EXPECT_FALSE(dialog.IsLit());
        EXPECT_LT(MsUntilToggle(dialog), 900) << "opening " << opening;
        EXPECT_TRUE(dialog.IsLit());
        EXPECT_EQ(Find<QLabel>(dialog, CCaptureIndicatorDlg::kIdText)->text(), "Capturing");
        EXPECT_EQ(dialog.BoxColour(), QColor(255, 50, 50));
        const qint64 off = MsUntilToggle(dialog);
        EXPECT_GT(off, 500) << "opening " << opening;
        EXPECT_FALSE(dialog.IsLit());
        EXPECT_EQ(Find<QLabel>(dialog, CCaptureIndicatorDlg::kIdText)->text(), "");
        EXPECT_EQ(dialog.BoxColour(), QColor(200, 100, 100));
        EXPECT_GT(MsUntilToggle(dialog), 800) << "opening " << opening;

        Find<CIconButton>(dialog, QXDialogKit::kIdCancel)->click();
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_EQ(Find<CIconButton>(dialog, QXDialogKit::kIdCancel)->text(), "Stop Capturing");
    }
}

TEST(CViewerAboutDlg, ShowsTheVersionAndTheProgramPicture) {
    CViewerAboutDlg dialog;
    EXPECT_EQ(dialog.windowTitle(), "About PC Viewer");
    EXPECT_EQ(Find<QLabel>(dialog, CViewerAboutDlg::kIdTitle)->text(), "PC Viewer - 3.8.0");
    EXPECT_FALSE(Find<QLabel>(dialog, CViewerAboutDlg::kIdPicture)->pixmap().isNull());
}

class CFolderSelectDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::filesystem::path a = m_root.Path() / "a";
        std::filesystem::create_directories(a / "b" / "c");
        std::filesystem::create_directories(a / "other");
        std::ofstream(a / "file.txt") << "not a folder";
    }
    QString Root() const { return QString::fromStdString(m_root.Path().string()); }
    static QStringList Children(const QTreeWidgetItem& item) {
        QStringList names;
        for (int i = 0; i < item.childCount(); ++i) {
            names.append(item.child(i)->text(0));
        }
        return names;
    }
    KWTempDir m_root;
};

TEST_F(CFolderSelectDlgTest, OpensTheInitialPathLevelByLevelAndListsFoldersOnly) {
    CFolderSelectDlg dialog("Stream Capturing", Root() + "/a/b/c", nullptr, {Root()});
    EXPECT_EQ(dialog.windowTitle(), "Stream Capturing");
    EXPECT_EQ(dialog.GetPath(), Root() + "/a/b/c");
    auto* tree = Find<QTreeWidget>(dialog, CFolderSelectDlg::kIdTree);
    const QTreeWidgetItem* a = tree->topLevelItem(0)->child(0);
    ASSERT_NE(a, nullptr);
    EXPECT_TRUE(a->isExpanded());
    EXPECT_EQ(Children(*a), (QStringList{"b", "other"}));

    tree->setCurrentItem(a->child(1));
    EXPECT_EQ(dialog.GetPath(), Root() + "/a/other");
    EXPECT_TRUE(Find<CIconButton>(dialog, QXDialogKit::kIdOk)->isEnabled());
}

TEST_F(CFolderSelectDlgTest, StopsAtTheDeepestFolderThatExists) {
    CFolderSelectDlg dialog("Stream Capturing", Root() + "/a/b/missing/deeper", nullptr, {Root()});
    EXPECT_EQ(dialog.GetPath(), Root() + "/a/b");
}

TEST_F(CFolderSelectDlgTest, ShowsANetworkPathBelowItsOwnItem) {
    CFolderSelectDlg dialog("Stream Capturing", "//server/share/captures", nullptr, {Root()});
    auto* tree = Find<QTreeWidget>(dialog, CFolderSelectDlg::kIdTree);
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    const QTreeWidgetItem* network = tree->topLevelItem(1);
    EXPECT_EQ(network->text(0), CFolderSelectDlg::kNetworkRootText);
    ASSERT_EQ(network->childCount(), 1);
    EXPECT_EQ(network->child(0)->text(0), "//server");
    EXPECT_EQ(dialog.GetPath(), "//server/share");

    tree->setCurrentItem(tree->topLevelItem(1));
    EXPECT_EQ(dialog.GetPath(), "");
    EXPECT_FALSE(Find<CIconButton>(dialog, QXDialogKit::kIdOk)->isEnabled());
}

TEST_F(CFolderSelectDlgTest, ChoosingRunsThroughTheModalServiceAndCancelGivesNothing) {
    QString shownPath;
    KWModalHandler previous = KWSetModalHandler([&](QDialog& dialog) {
        shownPath = static_cast<CFolderSelectDlg&>(dialog).GetPath();
        Find<CIconButton>(dialog, QXDialogKit::kIdOk)->click();
        return dialog.result();
    });
    EXPECT_EQ(CFolderSelectDlg::Choose(nullptr, "Stream Capturing", Root() + "/a"), Root() + "/a");
    EXPECT_EQ(shownPath, Root() + "/a");
    KWSetModalHandler([](QDialog& dialog) {
        Find<CIconButton>(dialog, QXDialogKit::kIdCancel)->click();
        return dialog.result();
    });
    EXPECT_EQ(CFolderSelectDlg::Choose(nullptr, "Stream Capturing", Root() + "/a"), "");
    KWSetModalHandler(std::move(previous));
}

TEST(CFolderSelectDlg, OffersTheRootFileSystemFirst) {
    const QStringList roots = CFolderSelectDlg::MountedRoots();
    ASSERT_FALSE(roots.isEmpty());
    EXPECT_EQ(roots.front(), "/");
    EXPECT_FALSE(roots.contains("/proc"));
}

TEST(CEventListDlg, EndsWithTheSelectedLineWhicheverButtonCloses) {
    const std::vector<std::string> lines = {"1 first", "2 second", "3 third"};
    for (const int button : {QXDialogKit::kIdOk, QXDialogKit::kIdCancel}) {
        CEventListDlg dialog(lines);
        auto* list = Find<QListWidget>(dialog, CEventListDlg::kIdList);
        ASSERT_EQ(list->count(), 3);
        list->setCurrentRow(2);
        Find<CIconButton>(dialog, button)->click();
        EXPECT_EQ(dialog.GetSelected(), 2) << button;
    }
    CEventListDlg dialog(lines);
    Find<CIconButton>(dialog, QXDialogKit::kIdOk)->click();
    EXPECT_EQ(dialog.GetSelected(), -1);
}

TEST(CSearchTimeDlg, OffersTwoDigitTextsPresetToHalfPastSixInTheMorningToday) {
    const QDate today(2026, 12, 7);
    CSearchTimeDlg dialog(nullptr, today);
    EXPECT_EQ(dialog.windowTitle(), "Search Time");
    CSearchTimeDlg::Choice choice = dialog.GetChoice();
    EXPECT_EQ(choice.date, today);
    EXPECT_EQ(choice.halfDay, "AM");
    EXPECT_EQ(choice.hour, "06");
    EXPECT_EQ(choice.minute, "30");
    auto* hour = Find<QComboBox>(dialog, CSearchTimeDlg::kIdHour);
    auto* minute = Find<QComboBox>(dialog, CSearchTimeDlg::kIdMinute);
    EXPECT_EQ(Texts(*Find<QComboBox>(dialog, CSearchTimeDlg::kIdHalfDay)),
              (QStringList{"AM", "PM"}));
    ASSERT_EQ(hour->count(), 12);
    EXPECT_EQ(hour->itemText(0), "00");
    EXPECT_EQ(hour->itemText(11), "11");
    ASSERT_EQ(minute->count(), 60);
    EXPECT_EQ(minute->itemText(59), "59");

    Find<QComboBox>(dialog, CSearchTimeDlg::kIdHalfDay)->setCurrentIndex(1);
    hour->setCurrentIndex(11);
    minute->setCurrentIndex(5);
    Find<QDateEdit>(dialog, CSearchTimeDlg::kIdDate)->setDate(QDate(2026, 1, 31));
    choice = dialog.GetChoice();
    EXPECT_EQ(choice.date, QDate(2026, 1, 31));
    EXPECT_EQ(choice.halfDay, "PM");
    EXPECT_EQ(choice.hour, "11");
    EXPECT_EQ(choice.minute, "05");
}

TEST(CSearchStepDlg, OffersTheStepsPresetToOneHourAndFiveMinutes) {
    CSearchStepDlg dialog;
    EXPECT_EQ(dialog.windowTitle(), "Setting Search Time");
    EXPECT_EQ(Texts(*Find<QComboBox>(dialog, CSearchStepDlg::kIdHourStep)),
              (QStringList{"01", "02", "06", "12"}));
    EXPECT_EQ(Texts(*Find<QComboBox>(dialog, CSearchStepDlg::kIdMinuteStep)),
              (QStringList{"05", "10", "30"}));
    EXPECT_EQ(dialog.GetHourStep(), "01");
    EXPECT_EQ(dialog.GetMinuteStep(), "05");
}

TEST(QXViewerDialogs, EveryDialogLaysOutItsControlsWithoutOverlapOrCutText) {
    KWTempDir folder;
    CQXStorageDeviceManager manager(KWDriveList{});
    using Dialog = std::unique_ptr<QDialog>;
    const std::vector<std::function<Dialog()>> dialogs = {
        [&]() -> Dialog { return std::make_unique<CDeviceDetectionDlg>(manager); },
        [&]() -> Dialog { return std::make_unique<CDeviceSelectDlg>(manager); },
        [&]() -> Dialog { return std::make_unique<CDeviceInfoDlg>(manager, 0); },
        []() -> Dialog { return std::make_unique<CCaptureIndicatorDlg>(); },
        []() -> Dialog { return std::make_unique<CViewerAboutDlg>(); },
        [&]() -> Dialog {
            return std::make_unique<CFolderSelectDlg>(
                "Stream Capturing", QString::fromStdString(folder.Path().string()));
        },
        []() -> Dialog {
            return std::make_unique<CEventListDlg>(
                std::vector<std::string>{"  1 2026/12/07 06:30:00 - 2026/12/07 18:45:10"});
        },
        []() -> Dialog { return std::make_unique<CSearchTimeDlg>(); },
        []() -> Dialog { return std::make_unique<CSearchStepDlg>(); },
    };
    for (const auto& make : dialogs) {
        const std::unique_ptr<QDialog> dialog = make();
        EXPECT_TRUE(KWIsLaidOutCleanly(*dialog)) << dialog->objectName().toStdString();
    }
}

TEST(KWLayoutCheck, FindsOverlappingControlsAndCutTexts) {
    QDialog overlapping;
    overlapping.resize(200, 100);
    (new QLabel("first", &overlapping))->setGeometry(10, 10, 80, 20);
    (new QLabel("second", &overlapping))->setGeometry(50, 15, 80, 20);
    EXPECT_FALSE(KWIsLaidOutCleanly(overlapping));

    QDialog cut;
    cut.resize(200, 100);
    (new QLabel("A text far wider than its label", &cut))->setGeometry(10, 10, 40, 20);
    EXPECT_FALSE(KWIsLaidOutCleanly(cut));

    QDialog outside;
    outside.resize(100, 100);
    (new QLabel("x", &outside))->setGeometry(90, 10, 40, 20);
    EXPECT_FALSE(KWIsLaidOutCleanly(outside));
}

TEST(QXDialogKit, ADisabledOkButtonShowsItsIconInGrey) {
    QDialog dialog;
    CIconButton* ok = QXDialogKit::OkButton(dialog);
    const QImage colour = ok->Image(0).toImage();
    ok->setEnabled(false);
    const QImage grey = ok->Image(0).toImage();
    const QPoint centre(grey.width() / 2, grey.height() / 2);
    EXPECT_EQ(qRed(grey.pixel(centre)), qGreen(grey.pixel(centre)));
    EXPECT_NE(colour.pixel(centre), grey.pixel(centre));
    ok->setEnabled(true);
    EXPECT_EQ(ok->Image(0).toImage(), colour);
}
