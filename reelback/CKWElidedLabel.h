#pragma once
#include <QLabel>

// A one-line label whose text never widens its layout: "Caption:\tvalue", the value starting at
// the caption's next tab stop (so that labels stacked in a column line their values up) and cut
// in the middle with an ellipsis when it does not fit ("/home/me/…/front door.av"). A text
// without a tab is all value. The whole text stays the label's text and its tooltip.
class CKWElidedLabel : public QLabel {
    Q_OBJECT
public:
    // Tab stops every this many average character widths.
    static constexpr int kTabStopCharacters = 12;

    explicit CKWElidedLabel(const QString& text = QString(), QWidget* parent = nullptr);

    void SetText(const QString& text);
    // The caption (before the tab) and the value as shown at the present width.
    QString Caption() const;
    QString ShownValue() const;

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Where the value starts: the first tab stop after the caption; 0 without a caption.
    int ValueOffset() const;
};
