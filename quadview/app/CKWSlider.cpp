#include "CKWSlider.h"

#include "CKWToolTip.h"
#include "KWMessageTarget.h"

#include <QMouseEvent>
#include <QStyleOptionSlider>

CKWSlider::CKWSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent) {}

CKWSlider::~CKWSlider() = default;

void CKWSlider::SetNotifyMessage(KWWindowHandle owner, std::uint32_t message) {
    m_owner = owner;
    m_message = message;
}

void CKWSlider::SetPosition(int position) {
    if (!m_dragging)
        setValue(position);
}

void CKWSlider::SetTooltip(const QString& text, bool active) {
    if (text.isEmpty())
        return;
    if (!m_toolTip)
        m_toolTip = new CKWToolTip(this);
    m_toolTip->SetText(text, active);
}

QRect CKWSlider::ChannelRect() const {
    QStyleOptionSlider option;
    initStyleOption(&option);
    return style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
}

QRect CKWSlider::ThumbRect() const {
    QStyleOptionSlider option;
    initStyleOption(&option);
    return style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
}

// The style draws the groove's filled part up to the thumb, so a thumb in the place it was
// painted means an unchanged picture. A repaint already asked for draws the new position.
void CKWSlider::sliderChange(SliderChange change) {
    if (change == SliderValueChange && ThumbRect() == m_paintedThumb)
        return;
    QSlider::sliderChange(change);
}

void CKWSlider::paintEvent(QPaintEvent* event) {
    m_paintedThumb = ThumbRect();
    QSlider::paintEvent(event);
}

int CKWSlider::PositionAt(const QPointF& point) const {
    const QRect channel = ChannelRect();
    const bool horizontal = orientation() == Qt::Horizontal;
    const double start = horizontal ? channel.left() : channel.top();
    const double length = horizontal ? channel.width() : channel.height();
    if (length <= 0)
        return value();
    const double ratio = ((horizontal ? point.x() : point.y()) - start) / length;
    return PositionFromRatio(minimum(), maximum(), ratio);
}

// min + (max + 1 - min) r + (0.5 - r), truncated: the nearest position to r of the range.
int CKWSlider::PositionFromRatio(int minimum, int maximum, double ratio) {
    const double span = static_cast<double>(maximum) + 1 - minimum;
    return static_cast<int>(minimum + span * ratio + (0.5 - ratio));
}

bool CKWSlider::MoveTo(const QPointF& point) {
    const int before = value();
    const int position = PositionAt(point);
    if (position != before)
        setValue(position);
    return value() != before;
}

void CKWSlider::Notify() {
    if (m_message != 0)
        KWPostMessage(m_owner, m_message, static_cast<KWWParam>(value()),
                      reinterpret_cast<KWLParam>(this));
}

// The press grabs the mouse (the framework does that for the pressed widget) and the focus.
void CKWSlider::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    m_dragging = true;
    m_changed = false;
    setFocus(Qt::MouseFocusReason);
    if (MoveTo(event->position())) {
        m_changed = true;
        Notify();
    }
    event->accept();
}

void CKWSlider::mouseMoveEvent(QMouseEvent* event) {
    if (!m_dragging) {
        event->ignore();
        return;
    }
    if (MoveTo(event->position())) {
        m_changed = true;
        Notify();
    }
    event->accept();
}

// A drag that moved the thumb ends with one more notification, so the owner acts on the
// final position even when it skipped the ones during the drag.
void CKWSlider::mouseReleaseEvent(QMouseEvent* event) {
    if (!m_dragging || event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    m_dragging = false;
    if (MoveTo(event->position())) {
        Notify();
        m_changed = true;
    }
    if (m_changed) {
        Notify();
        m_changed = false;
    }
    event->accept();
}

void CKWSlider::keyPressEvent(QKeyEvent* event) {
    QSlider::keyPressEvent(event);
    Notify();
}

void CKWSlider::wheelEvent(QWheelEvent* event) {
    const int before = value();
    QSlider::wheelEvent(event);
    if (value() != before)
        Notify();
}
