#pragma once
#include <QObject>
#include <QPointer>
#include <QString>

class QLabel;
class QWidget;

// A control's own tooltip: shown when the pointer rests on the control (the system's tooltip
// delay), hidden when the pointer leaves or a button is pressed. Inactive until a text is set;
// tips wider than kMaxTipWidth pixels wrap at that width.
class CKWToolTip : public QObject {
public:
    static constexpr int kMaxTipWidth = 400;

    explicit CKWToolTip(QWidget* tool);
    ~CKWToolTip() override;

    // Sets the text ("\r\n" and "\n" break lines) and activates or deactivates the tip.
    void SetText(const QString& text, bool activate = true);
    void Activate(bool active);
    bool IsActive() const { return m_active; }
    const QString& Text() const { return m_text; }

    // Shows the tip with its top-left corner at `global` (when active and not empty); the
    // tip's window, or null while hidden.
    void ShowAt(const QPoint& global);
    void Hide();
    const QLabel* Window() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_tool;
    QPointer<QLabel> m_window;
    QString m_text;
    bool m_active = false;
};
