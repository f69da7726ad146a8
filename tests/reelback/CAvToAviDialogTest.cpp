#include "CAvToAviDialog.h"
#include "KWQtTestSupport.h"

#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {
QLineEdit* Edit(CAvToAviDialog& dialog, int id) {
    return dialog.findChild<QLineEdit*>(QString::number(id));
}

void Click(CAvToAviDialog& dialog, int id) {
    dialog.findChild<QPushButton*>(QString::number(id))->click();
}
} // namespace

TEST(CAvToAviDialog, ProposesTheInputWithAviForItsAvExtension) {
    EXPECT_EQ(CAvToAviDialog::ProposeOutput("D:\\av\\x.AV"), "D:\\av\\x.avi");
    EXPECT_EQ(CAvToAviDialog::ProposeOutput("/rec/day.av"), "/rec/day.avi");
    EXPECT_EQ(CAvToAviDialog::ProposeOutput("/rec/day.Av"), "/rec/day.avi");
    // Never the input itself, whatever it is called.
    EXPECT_EQ(CAvToAviDialog::ProposeOutput("/rec/day.avi"), "/rec/day.avi.avi");
    EXPECT_EQ(CAvToAviDialog::ProposeOutput("/rec/day.mp4"), "/rec/day.mp4.avi");
    EXPECT_EQ(CAvToAviDialog::ProposeOutput("/rec/day"), "/rec/day.avi");
    EXPECT_EQ(CAvToAviDialog::ProposeOutput("/rec/.av"), "/rec/.avi");
}

TEST(CAvToAviDialog, InputBrowseFillsAnEmptyOutputOnly) {
    KWFileDialogAnswers answers({"D:\\av\\x.AV", "D:\\av\\y.av", "/out/chosen.AVI"});
    CAvToAviDialog dialog;
    EXPECT_EQ(dialog.windowTitle(), "AV TO AVI");
    EXPECT_EQ(dialog.Source(), "");
    EXPECT_EQ(dialog.Destination(), "");

    Click(dialog, CAvToAviDialog::kIdInputBrowse);
    ASSERT_EQ(answers.Requests().size(), 1u);
    EXPECT_EQ(answers.Requests()[0].kind, KWFileDialogKind::Open);
    EXPECT_EQ(answers.Requests()[0].filter, "All Files (*.*);;MYS File Format (*.av)");
    EXPECT_EQ(dialog.Source(), "D:\\av\\x.AV");
    EXPECT_EQ(dialog.Destination(), "D:\\av\\x.avi");

    Click(dialog, CAvToAviDialog::kIdInputBrowse);
    EXPECT_EQ(dialog.Source(), "D:\\av\\y.av");
    EXPECT_EQ(dialog.Destination(), "D:\\av\\x.avi") << "a filled-in output stays";

    Click(dialog, CAvToAviDialog::kIdOutputBrowse);
    ASSERT_EQ(answers.Requests().size(), 3u);
    EXPECT_EQ(answers.Requests()[2].kind, KWFileDialogKind::Save);
    EXPECT_EQ(answers.Requests()[2].start, "CAPTURE.AVI");
    EXPECT_EQ(answers.Requests()[2].filter, "AVI File Format (*.AVI)");
    EXPECT_EQ(answers.Requests()[2].defaultSuffix, "");
    EXPECT_EQ(dialog.Destination(), "/out/chosen.AVI");

    // Cancelled pickers change nothing; typed text is taken as it stands.
    Click(dialog, CAvToAviDialog::kIdInputBrowse);
    Click(dialog, CAvToAviDialog::kIdOutputBrowse);
    EXPECT_EQ(dialog.Source(), "D:\\av\\y.av");
    EXPECT_EQ(dialog.Destination(), "/out/chosen.AVI");
    Edit(dialog, CAvToAviDialog::kIdInput)->setText("typed.av");
    EXPECT_EQ(dialog.Source(), "typed.av");
}
