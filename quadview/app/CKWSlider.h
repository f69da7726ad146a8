#pragma once
#include "KWTypes.h"

#include <QSlider>

#include <cstdint>

class CKWToolTip;

// A slider that tells its owner where the user put it: every position the user chooses with the
// mouse, the keys or the wheel is posted to the owner's message target as the notification
// message (wParam the position, lParam the slider). A press jumps the thumb to the pointer
// instead of paging. While the user drags it, the program cannot move the thumb, so position
// updates from a playing stream do not fight the hand.
class CKWSlider : public QSlider {
    Q_OBJECT
public:
    explicit CKWSlider(QWidget* parent = nullptr);
    ~CKWSlider() override;

    // The message posted to `owner` for every position the user chooses; 0 posts nothing.
    void SetNotifyMessage(KWWindowHandle owner, std::uint32_t message);
    std::uint32_t GetNotifyMessage() const { return m_message; }

    // Moves the thumb, unless the user is dragging it.
    void SetPosition(int position);
    bool IsDragging() const { return m_dragging; }

    // The slider's own tip, made on first use; an empty text changes nothing.
    void SetTooltip(const QString& text, bool active = true);
    const CKWToolTip* ToolTip() const { return m_toolTip; }

    // The channel the thumb's centre travels along, in the slider's coordinates.
    QRect ChannelRect() const;
    // The position at `point`: min + (max - min) x r rounded to the nearest integer, where r is
    // the point's share of the channel along the slider's direction.
    int PositionAt(const QPointF& point) const;
    static int PositionFromRatio(int minimum, int maximum, double ratio);

protected:
    // A new position repaints the slider only when it moves the thumb: a playing stream moves
    // the position far more often than the thumb's pixels, and each repaint draws the group
    // behind the slider too.
    void sliderChange(SliderChange change) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    QRect ThumbRect() const;
    // Moves the thumb to the pointer; true when that changed the position.
    bool MoveTo(const QPointF& point);
    void Notify();

    bool m_dragging = false;
    // The position changed during the current drag.
    bool m_changed = false;
    std::uint32_t m_message = 0;
    KWWindowHandle m_owner = nullptr;
    CKWToolTip* m_toolTip = nullptr;
    // Where the last paint drew the thumb.
    QRect m_paintedThumb;
};
