#pragma once
#include <QObject>
#include <QString>
#include <QTimer>

class QWidget;

// A tooltip with its own delay and colour: shown once when the pointer has rested on the widget
// for the delay, hidden when the pointer leaves. The widget's toolTip property carries the plain
// text.
//
// Enter and Leave also arrive when a window appears under the pointer or goes away again - the
// tip's own window among them. Hiding the tip on such a Leave and arming the delay again on the
// Enter that follows would show and hide it for as long as the pointer rests; so only the pointer
// really leaving the widget ends a visit, and a visit shows the tip once.
class CKWDelayedTip : public QObject {
    Q_OBJECT
public:
    CKWDelayedTip(QWidget* widget, int delayMs, const QString& colour);
    void SetText(const QString& text);
    // True while the delay runs.
    bool IsWaiting() const { return m_timer.isActive(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Show();
    bool IsPointerInside() const;
    void EndVisit();

    QWidget* m_widget;
    QString m_colour;
    QTimer m_timer;
    bool m_visiting = false;
};
