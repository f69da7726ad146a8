#pragma once
#include "KWQtPlatform.h"

#include <QDialog>

#include <functional>

class CQXStorageDeviceManager;
class QLabel;
class QProgressBar;
class QTimer;

// The progress of the drives' examination at start-up. Ends with OK once no drive is being
// examined any more (after telling the user when no drive holds recordings); closing it any
// other way is Cancel.
class CDeviceDetectionDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kIdProgress = 1003;
    static constexpr int kIdPercent = 1004;
    static constexpr int kTickMs = 100;

    static const char* const kNoDeviceText;
    static const char* const kNoDeviceCaption;

    explicit CDeviceDetectionDlg(CQXStorageDeviceManager& manager, QWidget* parent = nullptr);
    ~CDeviceDetectionDlg() override;

    // Runs `tell` when the examination ends without a DVR disk, before the user is told so
    // (the program names the drives it examined on its terminal).
    void SetNothingFoundHandler(std::function<void()> tell) { m_nothingFound = std::move(tell); }

    // The share of examined drives, "n %" of the text, rounded down; 100 without drives.
    static int Percent(int drives, int examining);

    void done(int result) override;

protected:
    struct Counts {
        int drives = 0;
        int examining = 0;
        int formatted = 0;
    };
    // The manager's drives, those still examined, and the devices found with recordings.
    virtual Counts Count() const;
    // Reads the counts and updates the progress; ends the dialog when the examination is over.
    void Update();

private:
    void Unregister();

    CQXStorageDeviceManager& m_manager;
    KWQtWindowTarget m_target;
    bool m_listening = false;
    QProgressBar* m_progress = nullptr;
    QLabel* m_percent = nullptr;
    QTimer* m_timer = nullptr;
    std::function<void()> m_nothingFound;
};
