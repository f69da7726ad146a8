#pragma once
#include "CKWPlaybackControl.h"

#include <QWidget>

class QProgressDialog;
class QTimer;

// The playback component as a child window: draws the shown picture fitted into itself with
// its aspect ratio kept, the recording time when asked, and the progress of a conversion.
// Its host drives it through Invoke with the member numbers of KWDispatchId.
class CKWPlaybackView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kProgressPollMs = 100;
    static constexpr const char* kConversionCaption = "AV TO AVI";

    explicit CKWPlaybackView(QWidget* parent = nullptr,
                             CKWPlaybackControl::AudioFactory audio = nullptr);
    ~CKWPlaybackView() override;

    int Invoke(int member, KWDispatchKind kind, const std::vector<KWVariant>& arguments,
               KWVariant& result);
    CKWPlaybackControl& Control() { return m_control; }

    // Where the picture goes inside the view: as large as fits, centred, aspect ratio kept.
    static QRect FitPicture(const QRect& area, double aspect);
    QProgressDialog* ConversionProgress() const { return m_progress; }

signals:
    // A new picture is on screen (or none, after the file was closed).
    void pictureShown();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void StartConversionDisplay();
    void PollConversion();

    CKWPlaybackControl m_control;
    QProgressDialog* m_progress = nullptr;
    QTimer* m_poll = nullptr;
};
