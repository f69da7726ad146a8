#include "CConfigDialog.h"
#include "CSnapshotSetting.h"
#include "KWMessageBoxRecorder.h"
#include "KWQtTestSupport.h"
#include "KWScopedEnvironment.h"
#include "KWTempDir.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSettings>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {
class CConfigDialogTest : public ::testing::Test {
protected:
    QLineEdit* Folder(CConfigDialog& dialog) {
        return dialog.findChild<QLineEdit*>(QString::number(CConfigDialog::kIdFolder));
    }
    QPushButton* Browse(CConfigDialog& dialog) {
        return dialog.findChild<QPushButton*>(QString::number(CConfigDialog::kIdBrowse));
    }
    std::string SettingsFileText() {
        std::ifstream file(m_settings.Folder() / CSnapshotSetting::kOrganisation /
                           (std::string(CSnapshotSetting::kApplication) + ".ini"));
        return std::string(std::istreambuf_iterator<char>(file), {});
    }

    KWTempSettings m_settings;
};
} // namespace

// The user's Pictures folder holds the snapshots only when it exists; the player never creates
// it, so without one the snapshots go to a folder of their own in the home folder.
TEST_F(CConfigDialogTest, DefaultFolderIsInThePicturesFolderOnlyWhenThatExists) {
    KWTempDir home;
    const KWScopedEnvironment homeVariable("HOME", home.Path().string());
    const KWScopedEnvironment userDirs("XDG_CONFIG_HOME", (home.Path() / "config").string());
    const QString homePath = QString::fromStdString(home.Path().string());

    EXPECT_EQ(CSnapshotSetting::DefaultFolder(), homePath + "/Reelback/");
    EXPECT_EQ(CSnapshotSetting::Read(), homePath + "/Reelback/");

    std::filesystem::create_directory(home.Path() / "Pictures");
    const QString expected = homePath + "/Pictures/Reelback/";
    EXPECT_EQ(CSnapshotSetting::DefaultFolder(), expected);
    EXPECT_EQ(CSnapshotSetting::Read(), expected);
    CConfigDialog dialog;
    EXPECT_EQ(dialog.windowTitle(), "Setting");
    EXPECT_EQ(Folder(dialog)->text(), expected);
}

TEST_F(CConfigDialogTest, OkStoresTheTypedTextExactlyAndCancelStoresNothing) {
    {
        CConfigDialog dialog;
        Folder(dialog)->setText("c:\\image");
        dialog.reject();
    }
    EXPECT_EQ(SettingsFileText(), "");
    {
        CConfigDialog dialog;
        Folder(dialog)->setText("c:\\image");
        dialog.accept();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    }
    EXPECT_EQ(CSnapshotSetting::Read(), "c:\\image");
    EXPECT_NE(SettingsFileText().find("[SNAPSHOT]"), std::string::npos) << SettingsFileText();
    CConfigDialog again;
    EXPECT_EQ(Folder(again)->text(), "c:\\image") << "read anew for every opening";

    Folder(again)->setText(" /with blank/ ");
    again.accept();
    EXPECT_EQ(CSnapshotSetting::Read(), " /with blank/ ");
}

TEST_F(CConfigDialogTest, BrowseStartsAtTheFolderAndAddsOneSeparator) {
    KWFileDialogAnswers answers({"/data/shots", "/data/other/", ""});
    CConfigDialog dialog;
    Folder(dialog)->setText("/data/current/");
    Browse(dialog)->click();
    ASSERT_EQ(answers.Requests().size(), 1u);
    EXPECT_EQ(answers.Requests()[0].kind, KWFileDialogKind::Folder);
    EXPECT_EQ(answers.Requests()[0].caption, "Select Directory");
    EXPECT_EQ(answers.Requests()[0].start, "/data/current");
    EXPECT_EQ(Folder(dialog)->text(), "/data/shots/");

    Browse(dialog)->click();
    EXPECT_EQ(answers.Requests()[1].start, "/data/shots");
    EXPECT_EQ(Folder(dialog)->text(), "/data/other/");

    Browse(dialog)->click(); // cancelled
    EXPECT_EQ(Folder(dialog)->text(), "/data/other/");
    dialog.accept();
    EXPECT_EQ(CSnapshotSetting::Read(), "/data/other/");
}

TEST_F(CConfigDialogTest, ASettingThatCannotBeStoredIsReportedAndTheDialogStays) {
    // A folder where the settings file's folder should be is a plain file.
    std::ofstream(m_settings.Folder() / CSnapshotSetting::kOrganisation) << "in the way";
    KWMessageBoxRecorder boxes;
    CConfigDialog dialog;
    dialog.show();
    Folder(dialog)->setText("/data/x/");
    dialog.accept();
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].request.caption, "Setting");
    EXPECT_TRUE(dialog.isVisible());
}
