#include "CCamLanguage.h"
#include "CIPCameraSetting.h"
#include "CPasswordOfMac.h"
#include "CShowAlter.h"
#include "CUpdateIPDlg.h"
#include "CUpdateMacDlg.h"
#include "CUpdateNameDlg.h"
#include "CUpdatePortDlg.h"
#include "CamTestSupport.h"
#include "KWMessageBoxRecorder.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {
CameraRecord Camera() {
    return TestCamera("front", "12-34-56-78-9A-BC", "255.255.255.0");
}

QString EditText(QWidget& dialog, int id) {
    const QLineEdit* edit = dialog.findChild<QLineEdit*>(QString::number(id));
    return edit ? edit->text() : QString("<missing>");
}

// Presses OK with the given entry and returns the one message shown ("" when none, and then
// the dialog must have closed with OK).
struct OkOutcome {
    std::string text;
    std::string caption;
    unsigned flags = 0;
    bool accepted = false;
};

OkOutcome PressOk(QDialog& dialog) {
    KWMessageBoxRecorder boxes;
    dialog.setResult(QDialog::Rejected);
    dialog.accept();
    OkOutcome outcome;
    outcome.accepted = dialog.result() == QDialog::Accepted;
    const auto shown = boxes.Boxes();
    if (shown.size() == 1) {
        outcome.text = shown[0].request.text;
        outcome.caption = shown[0].request.caption;
        outcome.flags = shown[0].request.flags;
    }
    EXPECT_LE(shown.size(), 1u);
    EXPECT_NE(outcome.accepted, shown.size() == 1) << "a refused entry keeps the dialog open";
    return outcome;
}

constexpr unsigned kError = KWMessageBoxFlags::kIconStop;
constexpr unsigned kWarning = KWMessageBoxFlags::kIconExclamation;
} // namespace

TEST(CUpdateMacDlg, ChecksTheNewMacInOrder) {
    CCamLanguage english;
    CUpdateMacDlg dialog(Camera(), english);
    EXPECT_EQ(EditText(dialog, CUpdateMacDlg::kIdOldMac), "12-34-56-78-9A-BC");
    EXPECT_EQ(EditText(dialog, CUpdateMacDlg::kIdNewMac), "12-34-56-78-9A-BC");
    EXPECT_EQ(EditText(dialog, CCamSingleDlg::kIdAddress), "10.0.0.5");
    EXPECT_EQ(EditText(dialog, CCamSingleDlg::kIdUser), "admin");

    const std::string format = "Mac format error, should be XX-XX-XX-XX-XX-XX";
    const std::string notHex = "Mac format error, some is not number !";
    const struct {
        const char* mac;
        std::string message;
    } cases[] = {{"12-34-56-78-9A-bcd", format},
                 {"12:34:56:78:9A:BC", format},
                 {"12-34-56-78-9G-BC", notHex},
                 {"12-34-56-78-9A-BC", "No change"}};
    for (const auto& c : cases) {
        SetEditText(dialog, CUpdateMacDlg::kIdNewMac, c.mac);
        const OkOutcome outcome = PressOk(dialog);
        EXPECT_EQ(outcome.text, c.message) << c.mac;
        EXPECT_EQ(outcome.caption, "Update Mac");
        EXPECT_EQ(outcome.flags, kError);
        EXPECT_EQ(EditText(dialog, CUpdateMacDlg::kIdNewMac), c.mac) << "entry kept";
    }
    SetEditText(dialog, CUpdateMacDlg::kIdNewMac, "12-34-56-78-9A-bc");
    SetEditText(dialog, CCamSingleDlg::kIdPassword, "secret");
    EXPECT_TRUE(PressOk(dialog).accepted);
    EXPECT_EQ(dialog.NewMac(), "12-34-56-78-9A-bc");
    EXPECT_EQ(dialog.User(), "admin");
    EXPECT_EQ(dialog.Password(), "secret");
}

TEST(CPasswordOfMac, OnlyTheExactAccessCodeOpens) {
    CCamLanguage english;
    CPasswordOfMac dialog(english);
    OkOutcome outcome = PressOk(dialog);
    EXPECT_EQ(outcome.text, "Please input password!");
    EXPECT_EQ(outcome.caption, "NOTIFICATION");
    EXPECT_EQ(outcome.flags, kWarning);
    for (const char* wrong : {"ktrwzlqmb", "KTRWZLQMb", "KTRWZLQMB ", "KTRWZLQM"}) {
        SetEditText(dialog, CPasswordOfMac::kIdPassword, wrong);
        outcome = PressOk(dialog);
        EXPECT_EQ(outcome.text, "Password isn't correct") << wrong;
        EXPECT_EQ(outcome.caption, "NOTIFICATION");
        EXPECT_EQ(outcome.flags, kWarning);
    }
    SetEditText(dialog, CPasswordOfMac::kIdPassword, "KTRWZLQMB");
    EXPECT_TRUE(PressOk(dialog).accepted);
}

TEST(CUpdateIPDlg, StartsWithTheCameraAndRefusesNoChange) {
    CCamLanguage english;
    CUpdateIPDlg dialog(Camera(), english);
    EXPECT_EQ(EditText(dialog, CUpdateIPDlg::kIdOldAddress), "10.0.0.5");
    EXPECT_EQ(EditText(dialog, CUpdateIPDlg::kIdNewAddress), "10.0.0.5");
    EXPECT_EQ(EditText(dialog, CUpdateIPDlg::kIdNewNetMask), "255.255.255.0");
    EXPECT_EQ(EditText(dialog, CUpdateIPDlg::kIdNewGateway), "10.0.0.1");
    EXPECT_FALSE(dialog.findChild<QWidget*>("1013")->isEnabled());
    EXPECT_TRUE(dialog.findChild<QWidget*>("1014")->isEnabled());
    const OkOutcome outcome = PressOk(dialog);
    EXPECT_EQ(outcome.text, "No change");
    EXPECT_EQ(outcome.caption, "Updata IP");

    SetEditText(dialog, CUpdateIPDlg::kIdNewGateway, "10.0.0.254");
    EXPECT_TRUE(PressOk(dialog).accepted);
    EXPECT_EQ(dialog.NewAddress(), "10.0.0.5");
    EXPECT_EQ(dialog.NewGateway(), "10.0.0.254");
}

TEST(CUpdateNameAndPortDlg, RefuseEmptyUnchangedAndOutOfRangeValues) {
    CCamLanguage english;
    CUpdateNameDlg name(Camera(), english);
    EXPECT_EQ(EditText(name, CUpdateNameDlg::kIdNewName), "front");
    EXPECT_EQ(PressOk(name).text, "No change");
    SetEditText(name, CUpdateNameDlg::kIdNewName, "");
    OkOutcome outcome = PressOk(name);
    EXPECT_EQ(outcome.text, "New name empty");
    EXPECT_EQ(outcome.caption, "Updata Name");
    SetEditText(name, CUpdateNameDlg::kIdNewName, "yard");
    EXPECT_TRUE(PressOk(name).accepted);
    EXPECT_EQ(name.NewName(), "yard");

    CUpdatePortDlg port(Camera(), english);
    EXPECT_EQ(EditText(port, CUpdatePortDlg::kIdOldPort), "81");
    EXPECT_EQ(EditText(port, CUpdatePortDlg::kIdNewPort), "");
    for (const char* bad : {"", "0", "-5", "65536", "80x"}) {
        SetEditText(port, CUpdatePortDlg::kIdNewPort, bad);
        outcome = PressOk(port);
        EXPECT_EQ(outcome.text, "Port should be from 1 to 65535 ") << bad;
        EXPECT_EQ(outcome.caption, "Update Http Port");
    }
    SetEditText(port, CUpdatePortDlg::kIdNewPort, "65535");
    EXPECT_TRUE(PressOk(port).accepted);
    EXPECT_EQ(port.NewPort(), 65535);
}

namespace {
std::vector<CameraRecord> ThreeCameras() {
    std::vector<CameraRecord> cameras(3, Camera());
    CameraRecord::SetText(cameras[1].mac, "12-34-56-78-9A-BD");
    CameraRecord::SetText(cameras[2].mac, "12-34-56-78-9A-BE");
    return cameras;
}
} // namespace

TEST(CIPCameraSetting, ChecksPortMacAndNameBeforeConfirming) {
    CCamLanguage english;
    QWidget owner;
    CIPCameraSetting dialog(ThreeCameras(), english, &owner);
    EXPECT_EQ(EditText(dialog, CIPCameraSetting::kIdOldAddress), "10.0.0.5");
    EXPECT_EQ(EditText(dialog, CIPCameraSetting::kIdNewPort), "81");
    EXPECT_EQ(EditText(dialog, CIPCameraSetting::kIdNewName), "front");
    EXPECT_EQ(EditText(dialog, CIPCameraSetting::kIdUser), "admin");
    EXPECT_FALSE(dialog.findChild<QWidget*>("1064")->isEnabled());
    auto* box = dialog.findChild<QCheckBox*>("1073");
    ASSERT_TRUE(box);
    EXPECT_EQ(box->toolTip(), "whether updata MAC address?");

    int confirmations = 0;
    ModalScript script([&](QDialog& confirm) {
        ++confirmations;
        confirm.reject(); // the user does not confirm
        return confirm.result();
    });
    SetEditText(dialog, CIPCameraSetting::kIdNewPort, "");
    OkOutcome outcome = PressOk(dialog);
    EXPECT_EQ(outcome.text, "Port should be from 1 to 65535 ");
    EXPECT_EQ(outcome.caption, "Update Http Port");
    SetEditText(dialog, CIPCameraSetting::kIdNewPort, "80");
    SetEditText(dialog, CIPCameraSetting::kIdNewName, "");
    outcome = PressOk(dialog);
    EXPECT_EQ(outcome.text, "New name empty");
    EXPECT_EQ(outcome.caption, "Update Name");
    EXPECT_EQ(confirmations, 0);

    SetEditText(dialog, CIPCameraSetting::kIdNewName, "cam");
    dialog.setResult(QDialog::Rejected);
    dialog.accept();
    EXPECT_EQ(confirmations, 1);
    EXPECT_EQ(dialog.result(), QDialog::Rejected) << "stays open after the list was refused";
    EXPECT_TRUE(dialog.NewList().empty());
}

TEST(CIPCameraSetting, MacBoxNeedsTheAccessCodeAndThenNumbersTheMacs) {
    CCamLanguage english;
    QWidget owner;
    CIPCameraSetting dialog(ThreeCameras(), english, &owner);
    auto* box = dialog.findChild<QCheckBox*>("1073");
    auto* mac = dialog.findChild<QLineEdit*>("1064");
    ASSERT_TRUE(box && mac);

    std::string code = "wrong";
    std::vector<std::string> seen;
    ModalScript script([&](QDialog& shown) {
        seen.push_back(shown.metaObject()->className());
        if (seen.back() == "CPasswordOfMac") {
            KWMessageBoxRecorder boxes;
            SetEditText(shown, CPasswordOfMac::kIdPassword, QString::fromStdString(code));
            shown.accept();
            if (shown.result() != QDialog::Accepted)
                shown.reject(); // the user gives up after the message
        } else {
            shown.accept();
        }
        return shown.result();
    });
    box->click();
    EXPECT_FALSE(box->isChecked()) << "cancelled code dialog clears the box";
    EXPECT_FALSE(mac->isEnabled());
    code = "KTRWZLQMB";
    box->click();
    EXPECT_TRUE(box->isChecked());
    EXPECT_TRUE(mac->isEnabled());

    SetEditText(dialog, CIPCameraSetting::kIdNewMac, "00-11-22-33-44-fe");
    SetEditText(dialog, CIPCameraSetting::kIdNewAddress, "192.168.0.254");
    SetEditText(dialog, CIPCameraSetting::kIdNewPort, "80");
    SetEditText(dialog, CIPCameraSetting::kIdNewName, "cam");
    SetEditText(dialog, CIPCameraSetting::kIdPassword, "pw");
    EXPECT_TRUE(PressOk(dialog).accepted);
    EXPECT_EQ(seen, (std::vector<std::string>{"CPasswordOfMac", "CPasswordOfMac", "CShowAlter"}));
    ASSERT_EQ(dialog.NewList().size(), 3u);
    EXPECT_STREQ(dialog.NewList()[0].mac, "00-11-22-33-44-fe");
    EXPECT_STREQ(dialog.NewList()[1].mac, "00-11-22-33-44-FF");
    EXPECT_STREQ(dialog.NewList()[2].mac, "00-11-22-33-44-00");
    EXPECT_STREQ(dialog.NewList()[2].address, "192.168.0.1:80");
    EXPECT_EQ(dialog.Password(), "pw");

    // A MAC typed wrongly stops at the MAC check.
    SetEditText(dialog, CIPCameraSetting::kIdNewMac, "00-11-22-33-44-fg");
    const OkOutcome outcome = PressOk(dialog);
    EXPECT_EQ(outcome.text, "Mac format error, some is not number !");
    EXPECT_EQ(outcome.caption, "Update Mac");
}

TEST(CShowAlter, ClickingARowSelectsTheSameRowInTheOtherList) {
    CCamLanguage english;
    std::vector<CameraRecord> newList = ThreeCameras();
    CameraRecord::SetText(newList[2].name, "renamed");
    CShowAlter dialog(ThreeCameras(), newList, english);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    auto* old = dialog.findChild<QTreeWidget*>("1000");
    auto* now = dialog.findChild<QTreeWidget*>("1001");
    ASSERT_TRUE(old && now);
    ASSERT_EQ(now->topLevelItemCount(), 3);
    EXPECT_EQ(now->topLevelItem(2)->text(0), "renamed");
    EXPECT_EQ(old->topLevelItem(2)->text(0), "front");
    EXPECT_EQ(old->headerItem()->text(2), "IP");

    const auto click = [](QTreeWidget* list, int row) {
        const QPoint at = list->visualItemRect(list->topLevelItem(row)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    };
    click(old, 2);
    EXPECT_TRUE(now->topLevelItem(2)->isSelected());
    click(now, 1);
    EXPECT_TRUE(old->topLevelItem(1)->isSelected());
    EXPECT_FALSE(old->topLevelItem(2)->isSelected());
}
