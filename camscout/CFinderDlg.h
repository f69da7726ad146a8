#pragma once
#include "CCamFinder.h"
#include "CCamFinderView.h"
#include "CamEndpoints.h"

#include <QDialog>
#include <map>

class QLabel;
class QListWidget;
class QPushButton;
class QTreeWidget;

// The camera finder's main window: the camera list, the total label, the log and Search.
// The protocol lives in the finder engine; this window shows what the engine reports.
class CFinderDlg : public QDialog, public CCamFinderView {
    Q_OBJECT
public:
    // Control identifiers, also the controls' object names.
    static constexpr int kIdCameraList = 1000;
    static constexpr int kIdSearch = 1001;
    static constexpr int kIdLog = 1045;
    static constexpr int kIdTotal = 1053;
    static constexpr int kMaxLogLineLength = 2047;

    explicit CFinderDlg(CamEndpoints endpoints = CamEndpoints(), QWidget* parent = nullptr);
    ~CFinderDlg() override;

    CCamFinder& Finder() { return m_finder; }
    // The log line for a text: counter, the text as it stands, and the local time.
    static std::string FormatLogLine(int counter, const std::string& text);

    void EnableSearch(bool enable) override;
    void ShowCameras(const std::vector<CameraRecord>& cameras) override;
    void SetTotalText(const std::string& text) override;
    void AppendLog(const std::string& text) override;
    void ShowWaitCursor(bool show) override;
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

    CCamFinder m_finder;
    QTreeWidget* m_list = nullptr;
    QPushButton* m_search = nullptr;
    QLabel* m_total = nullptr;
    QListWidget* m_log = nullptr;
    std::vector<CameraRecord> m_shown; // the cameras the list's rows show, in row order
    int m_logCounter = 0;
    std::map<int, std::uint32_t> m_timers; // Qt timer id -> finder timer id
};
