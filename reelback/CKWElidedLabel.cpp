#include "CKWElidedLabel.h"

#include <QPainter>
#include <QStyle>

namespace {
constexpr QChar kCaptionEnd = '\t';
constexpr QChar kEllipsis = QChar(0x2026);
constexpr int kDrawFlags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
} // namespace

CKWElidedLabel::CKWElidedLabel(const QString& text, QWidget* parent) : QLabel(parent) {
    SetText(text);
}

void CKWElidedLabel::SetText(const QString& text) {
    setText(text);
    setToolTip(text);
    update();
}

QString CKWElidedLabel::Caption() const {
    const qsizetype end = text().indexOf(kCaptionEnd);
    return end < 0 ? QString() : text().left(end);
}

int CKWElidedLabel::ValueOffset() const {
    if (text().indexOf(kCaptionEnd) < 0) {
        return 0;
    }
    const int tabStop = kTabStopCharacters * fontMetrics().averageCharWidth();
    return (fontMetrics().horizontalAdvance(Caption()) / tabStop + 1) * tabStop;
}

QString CKWElidedLabel::ShownValue() const {
    const qsizetype end = text().indexOf(kCaptionEnd);
    const QString value = end < 0 ? text() : text().mid(end + 1);
    const int room = std::max(0, contentsRect().width() - ValueOffset());
    return fontMetrics().elidedText(value, Qt::ElideMiddle, room);
}

// As wide as the caption and an ellipsis: the layout decides the width, never the value.
QSize CKWElidedLabel::minimumSizeHint() const {
    const QMargins margins = contentsMargins();
    const int width = ValueOffset() + fontMetrics().horizontalAdvance(kEllipsis);
    return QSize(width + margins.left() + margins.right(),
                 fontMetrics().height() + margins.top() + margins.bottom());
}

QSize CKWElidedLabel::sizeHint() const {
    return minimumSizeHint();
}

void CKWElidedLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    drawFrame(&painter);
    const QRect area = contentsRect();
    style()->drawItemText(&painter, area, kDrawFlags, palette(), isEnabled(), Caption(),
                          foregroundRole());
    style()->drawItemText(&painter, area.adjusted(ValueOffset(), 0, 0, 0), kDrawFlags, palette(),
                          isEnabled(), ShownValue(), foregroundRole());
}
