#include "CKWTabbedLabel.h"

#include <QPainter>
#include <QTextOption>

CKWTabbedLabel::CKWTabbedLabel(const QString& widestLead, QWidget* parent)
    : QLabel(parent), m_tabColumn(fontMetrics().horizontalAdvance(widestLead + ' ')) {}

void CKWTabbedLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QTextOption option(alignment());
    option.setTabStopDistance(m_tabColumn);
    option.setWrapMode(QTextOption::NoWrap);
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
    painter.drawText(contentsRect(), text(), option);
}
