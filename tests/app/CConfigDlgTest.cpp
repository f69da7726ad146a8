#include "CConfigDlg.h"
#include "CConfigFileManager.h"
#include "CFolderSelectDlg.h"
#include "CIconButton.h"
#include "KWMessageBoxRecorder.h"
#include "KWModalDialog.h"
#include "KWScopedCurrentDirectory.h"
#include "KWTempDir.h"
#include "QXDialogKit.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {
std::string FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class CConfigDlgTest : public ::testing::Test {
protected:
    void TearDown() override { KWSetModalHandler(nullptr); }

    template <typename Control> Control* Find(CConfigDlg& dialog, int id) {
        return dialog.findChild<Control*>(QString::number(id));
    }
    // Answers the folder dialog by choosing `answer` (cancelling when it is empty), remembering
    // its caption and the folder it showed first.
    void AnswerFolder(const QString& answer) {
        KWSetModalHandler([this, answer](QDialog& dialog) {
            auto& folders = static_cast<CFolderSelectDlg&>(dialog);
            m_asked.push_back({dialog.windowTitle(), folders.GetPath()});
            if (answer.isEmpty()) {
                dialog.reject();
            } else {
                folders.SelectPath(answer);
                QXDialogKit::Find<CIconButton>(dialog, QXDialogKit::kIdOk)->click();
            }
            return dialog.result();
        });
    }
    QString Folder(const std::string& name) {
        std::filesystem::create_directories(m_start.Path() / name);
        return QString::fromStdString((m_start.Path() / name).string());
    }
    std::string Directory() { return m_config->GetEntry(CConfigFileManager::kMysDirectory)->text; }

    KWTempDir m_start;
    KWScopedCurrentDirectory m_current{m_start.Path()};
    KWMessageBoxRecorder m_boxes;
    std::unique_ptr<CConfigFileManager> m_config = std::make_unique<CConfigFileManager>();
    const std::string m_file = m_config->GetFilePath();
    const std::string m_default = m_start.Path().string() + "/Capture_MYS/";
    struct Asked {
        QString caption;
        QString shown;
    };
    std::vector<Asked> m_asked;
};
} // namespace

TEST_F(CConfigDlgTest, ShowsCopiesOfTheSettingsWithOkDisabled) {
    m_config->GetEntry(CConfigFileManager::kShowCloseConfirm)->value = 0;
    CConfigDlg dialog(*m_config);
    EXPECT_EQ(dialog.windowTitle(), "Setting");
    EXPECT_EQ(Find<QLineEdit>(dialog, 1040)->text().toStdString(), m_default);
    EXPECT_EQ(Find<QPushButton>(dialog, 1041)->text(), "Change");
    auto* confirm = Find<QCheckBox>(dialog, 1043);
    EXPECT_EQ(confirm->text(), "Show Close Confirm Message Box When Closing");
    EXPECT_FALSE(confirm->isChecked());
    EXPECT_FALSE(Find<CIconButton>(dialog, QXDialogKit::kIdOk)->isEnabled());
    EXPECT_TRUE(Find<CIconButton>(dialog, QXDialogKit::kIdCancel)->isEnabled());
}

TEST_F(CConfigDlgTest, ChangeAsksForAFolderFromTheShownOneAndOkSavesIt) {
    const QString chosen = Folder("case 17/é");
    Folder("Capture_MYS");
    AnswerFolder(chosen);
    CConfigDlg dialog(*m_config);
    Find<QPushButton>(dialog, 1041)->click();
    ASSERT_EQ(m_asked.size(), 1u);
    EXPECT_EQ(m_asked[0].caption, "Stream Capturing");
    EXPECT_EQ(m_asked[0].shown, Folder("Capture_MYS"));
    EXPECT_EQ(Find<QLineEdit>(dialog, 1040)->text(), chosen);
    EXPECT_EQ(Directory(), m_default) << "only the copy changes before OK";
    auto* ok = Find<CIconButton>(dialog, QXDialogKit::kIdOk);
    ASSERT_TRUE(ok->isEnabled());
    ok->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(Directory(), chosen.toStdString());
    EXPECT_NE(FileText(m_file).find("/case 17/\xC3\xA9"), std::string::npos);
}

TEST_F(CConfigDlgTest, ACancelledFolderChoiceChangesNothing) {
    AnswerFolder("");
    CConfigDlg dialog(*m_config);
    Find<QPushButton>(dialog, 1041)->click();
    EXPECT_EQ(Find<QLineEdit>(dialog, 1040)->text().toStdString(), m_default);
    EXPECT_FALSE(Find<CIconButton>(dialog, QXDialogKit::kIdOk)->isEnabled());
}

TEST_F(CConfigDlgTest, TheCheckBoxSetsTheCloseConfirmation) {
    CConfigDlg dialog(*m_config);
    Find<QCheckBox>(dialog, 1043)->click();
    Find<CIconButton>(dialog, QXDialogKit::kIdOk)->click();
    EXPECT_EQ(m_config->GetEntry(CConfigFileManager::kShowCloseConfirm)->value, 0);
    m_config = std::make_unique<CConfigFileManager>();
    EXPECT_EQ(m_config->GetEntry(CConfigFileManager::kShowCloseConfirm)->value, 0);
}

TEST_F(CConfigDlgTest, CancelLeavesTheSettingsAndTheFileUntouched) {
    const std::string before = FileText(m_file);
    AnswerFolder(Folder("elsewhere"));
    CConfigDlg dialog(*m_config);
    Find<QPushButton>(dialog, 1041)->click();
    Find<QCheckBox>(dialog, 1043)->click();
    Find<CIconButton>(dialog, QXDialogKit::kIdCancel)->click();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(Directory(), m_default);
    EXPECT_EQ(m_config->GetEntry(CConfigFileManager::kShowCloseConfirm)->value, 1);
    EXPECT_EQ(FileText(m_file), before);
}
