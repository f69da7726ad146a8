#pragma once
#include <QObject>
#include <QString>
#include <QTimer>

class QWidget;

// A tooltip with its own delay and colour: shown when the pointer has rested on the widget for
// the delay, hidden when it leaves. The widget's toolTip property carries the plain text.
class CKWDelayedTip : public QObject {
    Q_OBJECT
public:
    CKWDelayedTip(QWidget* widget, int delayMs, const QString& colour);
    void SetText(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Show();

    QWidget* m_widget;
    QString m_colour;
    QTimer m_timer;
};
