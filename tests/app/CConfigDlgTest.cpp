#include "CConfigDlg.h"
#include "CConfigFileManager.h"
#include "KWFileDialog.h"
#include "KWMessageBoxRecorder.h"
#include "KWScopedCurrentDirectory.h"
#include "KWTempDir.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {
std::string FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class CConfigDlgTest : public ::testing::Test {
protected:
    void TearDown() override { KWSetFileDialogHandler(nullptr); }

    template <typename Control> Control* Find(CConfigDlg& dialog, int id) {
        return dialog.findChild<Control*>(QString::number(id));
    }
    // Answers the folder chooser with `answer`, remembering what it was asked.
    void AnswerFolder(const QString& answer) {
        KWSetFileDialogHandler([this, answer](QWidget*, const KWFileDialogRequest& request) {
            m_asked.push_back(request);
            return answer;
        });
    }
    std::string Directory() { return m_config->GetEntry(CConfigFileManager::kMysDirectory)->text; }

    KWTempDir m_start;
    KWScopedCurrentDirectory m_current{m_start.Path()};
    KWMessageBoxRecorder m_boxes;
    std::unique_ptr<CConfigFileManager> m_config = std::make_unique<CConfigFileManager>();
    const std::string m_file = m_config->GetFilePath();
    const std::string m_default = m_start.Path().string() + "/Capture_MYS/";
    std::vector<KWFileDialogRequest> m_asked;
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
    EXPECT_FALSE(Find<QPushButton>(dialog, CConfigDlg::kIdOk)->isEnabled());
    EXPECT_TRUE(Find<QPushButton>(dialog, CConfigDlg::kIdCancel)->isEnabled());
}

TEST_F(CConfigDlgTest, ChangeAsksForAFolderFromTheShownOneAndOkSavesIt) {
    AnswerFolder("/media/case 17/é");
    CConfigDlg dialog(*m_config);
    Find<QPushButton>(dialog, 1041)->click();
    ASSERT_EQ(m_asked.size(), 1u);
    EXPECT_EQ(m_asked[0].kind, KWFileDialogKind::Folder);
    EXPECT_EQ(m_asked[0].caption, "Stream Capturing");
    EXPECT_EQ(m_asked[0].start.toStdString(), m_default);
    EXPECT_EQ(Find<QLineEdit>(dialog, 1040)->text(), "/media/case 17/é");
    EXPECT_EQ(Directory(), m_default) << "only the copy changes before OK";
    auto* ok = Find<QPushButton>(dialog, CConfigDlg::kIdOk);
    ASSERT_TRUE(ok->isEnabled());
    ok->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(Directory(), "/media/case 17/é");
    EXPECT_NE(FileText(m_file).find("/media/case 17/\xC3\xA9"), std::string::npos);
}

TEST_F(CConfigDlgTest, ACancelledFolderChoiceChangesNothing) {
    AnswerFolder("");
    CConfigDlg dialog(*m_config);
    Find<QPushButton>(dialog, 1041)->click();
    EXPECT_EQ(Find<QLineEdit>(dialog, 1040)->text().toStdString(), m_default);
    EXPECT_FALSE(Find<QPushButton>(dialog, CConfigDlg::kIdOk)->isEnabled());
}

TEST_F(CConfigDlgTest, TheCheckBoxSetsTheCloseConfirmation) {
    CConfigDlg dialog(*m_config);
    Find<QCheckBox>(dialog, 1043)->click();
    Find<QPushButton>(dialog, CConfigDlg::kIdOk)->click();
    EXPECT_EQ(m_config->GetEntry(CConfigFileManager::kShowCloseConfirm)->value, 0);
    m_config = std::make_unique<CConfigFileManager>();
    EXPECT_EQ(m_config->GetEntry(CConfigFileManager::kShowCloseConfirm)->value, 0);
}

TEST_F(CConfigDlgTest, CancelLeavesTheSettingsAndTheFileUntouched) {
    const std::string before = FileText(m_file);
    AnswerFolder("/elsewhere");
    CConfigDlg dialog(*m_config);
    Find<QPushButton>(dialog, 1041)->click();
    Find<QCheckBox>(dialog, 1043)->click();
    Find<QPushButton>(dialog, CConfigDlg::kIdCancel)->click();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(Directory(), m_default);
    EXPECT_EQ(m_config->GetEntry(CConfigFileManager::kShowCloseConfirm)->value, 1);
    EXPECT_EQ(FileText(m_file), before);
}
