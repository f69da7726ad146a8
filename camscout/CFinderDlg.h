#pragma once
#include "CCamFinder.h"
#include "CCamFinderView.h"
#include "CCamLanguage.h"
#include "CamEndpoints.h"

#include <QDialog>
#include <map>

class CCamCameraList;
class CKWDropDownList;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;

// The camera finder's main window: the camera list, the search, batch and browser buttons, the
// language switch, the single-camera update buttons and the log. The protocol lives in the
// finder engine; this window shows what the engine reports and collects what it sends.
class CFinderDlg : public QDialog, public CCamFinderView {
    Q_OBJECT
public:
    // Control identifiers, also the controls' object names.
    static constexpr int kIdCameraList = 1000;
    static constexpr int kIdSearch = 1001;
    static constexpr int kIdConfigIe = 1003;
    static constexpr int kIdUpdateIp = 1004;
    static constexpr int kIdUpdateMac = 1005;
    static constexpr int kIdUpdateName = 1006;
    static constexpr int kIdUpdatePort = 1007;
    static constexpr int kIdDefault = 1009;
    static constexpr int kIdSettingAll = 1010;
    static constexpr int kIdLog = 1045;
    static constexpr int kIdTotal = 1053;
    static constexpr int kIdLanguage = 1074;
    static constexpr int kIdApply = 1077;
    static constexpr int kIdUpdateGroup = 1078;
    static constexpr int kMaxLogLineLength = 2047;
    static constexpr const char* kTitle = "CamScout - Halvern";

    explicit CFinderDlg(CamEndpoints endpoints = CamEndpoints(), QWidget* parent = nullptr);
    ~CFinderDlg() override;

    CCamFinder& Finder() { return m_finder; }
    const CCamLanguage& Language() const { return m_language; }
    // The log line for a text: counter, the text as it stands, and the local time.
    static std::string FormatLogLine(int counter, const std::string& text);

    // Runs what a control or its accelerator stands for, whether the control is enabled or not.
    void Command(int id);
    // Apply: 2 simplified Chinese, 3 traditional Chinese, anything else English.
    void ApplyLanguage(int state);
    // Sets every text of the window from the current language, except the Default button's.
    void LoadUiTexts();

    void EnableSearch(bool enable) override;
    void EnableSettingAll(bool enable) override;
    void EnableUpdateButtons(bool enable) override;
    void ShowCameras(const std::vector<CameraRecord>& cameras) override;
    void SetTotalText(const std::string& text) override;
    void AppendLog(const std::string& text) override;
    std::string Text(CamText text) const override { return m_language.Utf8(text); }
    void ShowWaitCursor(bool show) override;
    void ShowSearching(bool searching) override;
    void StartTimer(std::uint32_t id, std::uint32_t periodMs) override;
    void KillTimer(std::uint32_t id) override;
    void Quit(int exitCode) override;

    // Escape does not close the window; only the close box does.
    void reject() override {}

protected:
    void closeEvent(QCloseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    void BuildControls();
    QPushButton* AddButton(int id, int x, int y, int width, int height);
    void AddAccelerators();
    void AddAboutEntry();
    void ChooseStartupLanguage();
    void SetButtonText(int id, CamText text);

    // The camera of the list's selection mark; false (after telling the user when there is no
    // mark) when there is none or its row is not selected.
    bool SelectedCamera(CameraRecord& camera);
    void OnSelectionChanged();
    void OnOpenBrowser(int row);
    void OnConfigIe();
    void OnSettingAll();
    void OnUpdateIp();
    void OnUpdateMac();
    void OnUpdateName();
    void OnUpdatePort();
    void OnSetDefault();
    void OnAbout();

    CCamFinder m_finder;
    CCamLanguage m_language;
    CCamCameraList* m_list = nullptr;
    std::map<int, QPushButton*> m_buttons;
    CKWDropDownList* m_languages = nullptr;
    int m_languageAtDropDown = 0;
    QLabel* m_total = nullptr;
    QGroupBox* m_updateGroup = nullptr;
    QListWidget* m_log = nullptr;
    int m_logCounter = 0;
    std::map<int, std::uint32_t> m_timers; // Qt timer id -> finder timer id
};
