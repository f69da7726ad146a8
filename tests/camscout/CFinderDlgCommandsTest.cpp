#include "CCamInternetZone.h"
#include "CFinderDlg.h"
#include "CIPCameraSetting.h"
#include "CUpdateNameDlg.h"
#include "CamTestSupport.h"
#include "KWMessageBoxRecorder.h"
#include "KWTestApplication.h"

#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {
template <typename Control> Control* Find(QWidget& window, int id) {
    return window.findChild<Control*>(QString::number(id));
}

bool Enabled(QWidget& window, int id) {
    auto* button = Find<QPushButton>(window, id);
    return button && button->isEnabled();
}

bool UpdateButtonsEnabled(QWidget& window, bool expected) {
    for (int id : {CFinderDlg::kIdUpdateIp, CFinderDlg::kIdUpdateMac, CFinderDlg::kIdUpdateName,
                   CFinderDlg::kIdUpdatePort, CFinderDlg::kIdDefault})
        if (Enabled(window, id) != expected)
            return false;
    return true;
}

// A finder window with three cameras on loopback, listed by a search.
class CFinderDlgCommandsTest : public ::testing::Test {
protected:
    CFinderDlgCommandsTest() : replyPort(FreeUdpPort()), camera(replyPort) {
        camera.AnswerQueriesWith({Reply('0', "00-11-22-33-44-01", "127.0.0.1:81", "a"),
                                  Reply('0', "00-11-22-33-44-02", "10.0.0.5:81", "b"),
                                  Reply('0', "00-11-22-33-44-03", "127.0.0.3:81", "c")});
        window = std::make_unique<CFinderDlg>(LoopbackEndpoints(camera.CommandPort(), replyPort));
        list = Find<QTreeWidget>(*window, CFinderDlg::kIdCameraList);
    }

    void SearchAll() {
        window->Command(CFinderDlg::kIdSearch);
        ASSERT_TRUE(PumpUntil([&] { return list->topLevelItemCount() == 3; }));
        camera.WaitForCommands(1);
    }

    void ShowActive() {
        window->show();
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    // Selects one row the way a click does: it becomes the selection mark and is selected.
    void SelectRow(int row) { list->setCurrentItem(list->topLevelItem(row)); }

    std::vector<std::string> CommandsAfterQueries() {
        std::vector<std::string> sent;
        for (const std::string& command : camera.Commands())
            if (command != "KESTRAQUERY,0")
                sent.push_back(command);
        return sent;
    }

    std::uint16_t replyPort;
    FakeCamera camera;
    std::unique_ptr<CFinderDlg> window;
    QTreeWidget* list = nullptr;
};
} // namespace

TEST_F(CFinderDlgCommandsTest, OneSelectedRowEnablesTheUpdateButtonsTwoDisableThem) {
    SearchAll();
    EXPECT_TRUE(UpdateButtonsEnabled(*window, false));
    SelectRow(1);
    EXPECT_TRUE(UpdateButtonsEnabled(*window, true));
    list->topLevelItem(2)->setSelected(true);
    EXPECT_TRUE(UpdateButtonsEnabled(*window, false));
    list->clearSelection();
    EXPECT_TRUE(UpdateButtonsEnabled(*window, false));
    // A new search empties the list and leaves them disabled.
    SelectRow(0);
    window->Command(CFinderDlg::kIdSearch);
    EXPECT_TRUE(UpdateButtonsEnabled(*window, false));
    EXPECT_EQ(list->topLevelItemCount(), 0);
}

TEST_F(CFinderDlgCommandsTest, AcceleratorsActEvenOnDisabledButtons) {
    KWMessageBoxRecorder boxes;
    ShowActive();
    ASSERT_FALSE(Enabled(*window, CFinderDlg::kIdUpdateIp));
    QTest::keyClick(window.get(), Qt::Key_I, Qt::AltModifier);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].request.text, "Please select a item first");

    // Alt+N with a row selected runs the name dialog although the window disabled nothing.
    SearchAll();
    SelectRow(2);
    int dialogs = 0;
    ModalScript script([&](QDialog& dialog) {
        ++dialogs;
        dialog.reject();
        return dialog.result();
    });
    QTest::keyClick(window.get(), Qt::Key_N, Qt::AltModifier);
    EXPECT_EQ(dialogs, 1);
    // Alt+P is UpdataPort, not Apply.
    QTest::keyClick(window.get(), Qt::Key_P, Qt::AltModifier);
    EXPECT_EQ(dialogs, 2);
    EXPECT_EQ(boxes.Count(), 1u);

    // Enter is Search; Escape leaves the window open.
    ASSERT_TRUE(PumpUntil([&] { return Enabled(*window, CFinderDlg::kIdSearch); }, 10000));
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_FALSE(Enabled(*window, CFinderDlg::kIdSearch));
    EXPECT_EQ(list->topLevelItemCount(), 0);
    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_TRUE(window->isVisible());
}

TEST_F(CFinderDlgCommandsTest, MarkedButUnselectedRowDoesNothing) {
    KWMessageBoxRecorder boxes;
    SearchAll();
    SelectRow(0);
    list->topLevelItem(0)->setSelected(false);
    int dialogs = 0;
    ModalScript script([&](QDialog& dialog) {
        ++dialogs;
        return dialog.result();
    });
    window->Command(CFinderDlg::kIdUpdateName);
    EXPECT_EQ(dialogs, 0);
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(CFinderDlgCommandsTest, SingleCameraDialogsSendTheirCommandToTheSelectedCamera) {
    SearchAll();
    SelectRow(1);
    ModalScript script([&](QDialog& dialog) {
        const std::string kind = dialog.metaObject()->className();
        if (kind == "CUpdateNameDlg")
            SetEditText(dialog, CUpdateNameDlg::kIdNewName, "yard");
        if (kind == "CPasswordOfMac")
            SetEditText(dialog, 1072, "KTRWZLQMB");
        if (kind == "CUpdateMacDlg")
            SetEditText(dialog, 1024, "00-11-22-33-44-0a");
        if (kind == "CUpdatePortDlg")
            SetEditText(dialog, 1036, "8080");
        if (qobject_cast<CCamSingleDlg*>(&dialog))
            SetEditText(dialog, CCamSingleDlg::kIdUser, "root");
        dialog.accept();
        return dialog.result();
    });
    window->Command(CFinderDlg::kIdUpdateName);
    window->Command(CFinderDlg::kIdUpdateMac);
    window->Command(CFinderDlg::kIdUpdatePort);
    window->Command(CFinderDlg::kIdDefault);
    ASSERT_TRUE(PumpUntil([&] { return CommandsAfterQueries().size() == 4; }));
    EXPECT_EQ(CommandsAfterQueries(),
              (std::vector<std::string>{"KESTRAQUERY,3,00-11-22-33-44-02,yard,root,",
                                        "KESTRAQUERY,2,00-11-22-33-44-02,00-11-22-33-44-0a,root,",
                                        "KESTRAQUERY,4,00-11-22-33-44-02,8080,root,",
                                        "KESTRAQUERY,6,00-11-22-33-44-02,root,"}));
}

TEST_F(CFinderDlgCommandsTest, SettingAllSendsTheConfirmedListInOrder) {
    SearchAll();
    ModalScript script([&](QDialog& dialog) {
        if (std::string(dialog.metaObject()->className()) == "CIPCameraSetting") {
            SetEditText(dialog, CIPCameraSetting::kIdNewAddress, "192.168.0.254");
            SetEditText(dialog, CIPCameraSetting::kIdNewPort, "80");
            SetEditText(dialog, CIPCameraSetting::kIdNewName, "cam");
            SetEditText(dialog, CIPCameraSetting::kIdUser, "boss");
        }
        dialog.accept(); // CShowAlter: the user confirms
        return dialog.result();
    });
    window->Command(CFinderDlg::kIdSettingAll);
    const std::string mask = "255.255.255.0,192.168.0.1,boss,";
    const std::vector<std::string> expected = {
        "KESTRAQUERY,1,00-11-22-33-44-01,192.168.0.254:80," + mask,
        "KESTRAQUERY,3,00-11-22-33-44-01,cam0,boss,",
        "KESTRAQUERY,4,00-11-22-33-44-01,80,boss,",
        "KESTRAQUERY,1,00-11-22-33-44-02,192.168.0.255:80," + mask,
        "KESTRAQUERY,3,00-11-22-33-44-02,cam1,boss,",
        "KESTRAQUERY,4,00-11-22-33-44-02,80,boss,",
        "KESTRAQUERY,1,00-11-22-33-44-03,192.168.0.1:80," + mask,
        "KESTRAQUERY,3,00-11-22-33-44-03,cam2,boss,",
        "KESTRAQUERY,4,00-11-22-33-44-03,80,boss,"};
    ASSERT_TRUE(PumpUntil([&] { return CommandsAfterQueries().size() == expected.size(); }));
    EXPECT_EQ(CommandsAfterQueries(), expected);
    EXPECT_STREQ(window->Finder().GetCredentials().batchUser, "boss");
}

TEST_F(CFinderDlgCommandsTest, SettingAllWithNoCamerasDoesNothing) {
    int dialogs = 0;
    ModalScript script([&](QDialog& dialog) {
        ++dialogs;
        return dialog.result();
    });
    window->Command(CFinderDlg::kIdSettingAll);
    EXPECT_EQ(dialogs, 0);
}

TEST_F(CFinderDlgCommandsTest, DoubleClickOpensTheCameraPageWithItsPort) {
    UrlRecorder browser;
    SearchAll();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    const QRect row = list->visualItemRect(list->topLevelItem(1));
    int clicks = 0;
    QObject::connect(list, &QTreeWidget::itemDoubleClicked, [&] { ++clicks; });
    // A click first, as a user would: the view opens only the row the press started on.
    QTest::mousePress(list->viewport(), Qt::LeftButton, {}, row.center());
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, row.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row.center());
    EXPECT_EQ(clicks, 1);
    ASSERT_EQ(browser.urls.size(), 1u);
    EXPECT_EQ(browser.urls[0], "http://10.0.0.5:81");
}

TEST(CFinderDlgConfigIe, WritesTheNineZoneValuesAndTellsTheUser) {
    KWTempSettings home;
    KWMessageBoxRecorder boxes;
    CFinderDlg window(LoopbackEndpoints(FreeUdpPort(), FreeUdpPort()));
    Find<QPushButton>(window, CFinderDlg::kIdConfigIe)->click();
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].request.text, "Config IE success");

    QSettings written(CCamInternetZone::FilePath(), QSettings::IniFormat);
    written.beginGroup("Zones/3");
    EXPECT_EQ(written.childKeys().size(), 9);
    for (const char* name :
         {"1001", "2201", "1004", "1201", "1200", "1405", "1400", "1402", "1601"})
        EXPECT_EQ(written.value(name, -1).toInt(), 0) << name;

    // Where the settings cannot be written nothing is shown.
    const QString blocked = QString::fromStdString(home.Folder().string()) + "/blocked";
    QFile file(blocked);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, blocked + "/inside");
    Find<QPushButton>(window, CFinderDlg::kIdConfigIe)->click();
    EXPECT_EQ(boxes.Count(), 1u);
}
