#include "CPlayerIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace CPlayerIcons {
namespace {
const QColor kActive(36, 140, 60);
const QColor kInactive(150, 150, 150);
const QColor kOutline(40, 40, 40);
const QColor kAlert(200, 40, 40);
const QColor kFolder(220, 170, 50);
const QColor kReel(60, 90, 160);

// Triangles pointing right (or left when mirrored), side by side, filling the icon's middle.
void DrawTriangles(QPainter& painter, int count, bool left, const QColor& colour) {
    const double width = 20.0 / count;
    const double start = 6;
    painter.setBrush(colour);
    for (int i = 0; i < count; ++i) {
        const double x0 = start + i * width;
        const double x1 = x0 + width;
        QPainterPath path;
        if (left) {
            path.moveTo(x1, 7);
            path.lineTo(x0, 16);
            path.lineTo(x1, 25);
        } else {
            path.moveTo(x0, 7);
            path.lineTo(x1, 16);
            path.lineTo(x0, 25);
        }
        path.closeSubpath();
        painter.drawPath(path);
    }
}

void DrawPause(QPainter& painter, const QColor& colour) {
    painter.setBrush(colour);
    painter.drawRect(QRectF(8, 7, 6, 18));
    painter.drawRect(QRectF(18, 7, 6, 18));
}

void DrawSpeaker(QPainter& painter, bool muted) {
    QPainterPath body;
    body.moveTo(5, 12);
    body.lineTo(10, 12);
    body.lineTo(16, 6);
    body.lineTo(16, 26);
    body.lineTo(10, 20);
    body.lineTo(5, 20);
    body.closeSubpath();
    painter.setBrush(muted ? kInactive : kActive);
    painter.drawPath(body);
    painter.setBrush(Qt::NoBrush);
    if (muted) {
        painter.setPen(QPen(kAlert, 3, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(19, 11), QPointF(28, 21));
        painter.drawLine(QPointF(28, 11), QPointF(19, 21));
        return;
    }
    painter.setPen(QPen(kActive, 2, Qt::SolidLine, Qt::RoundCap));
    painter.drawArc(QRectF(12, 10, 10, 12), -50 * 16, 100 * 16);
    painter.drawArc(QRectF(10, 6, 18, 20), -50 * 16, 100 * 16);
}

void DrawCamera(QPainter& painter) {
    painter.setBrush(QColor(70, 70, 80));
    painter.drawRoundedRect(QRectF(4, 10, 24, 16), 3, 3);
    painter.drawRect(QRectF(11, 7, 10, 4));
    painter.setBrush(QColor(170, 200, 240));
    painter.drawEllipse(QPointF(16, 18), 5, 5);
    painter.setBrush(QColor(250, 230, 120));
    painter.drawRect(QRectF(22, 12, 3, 2));
}

void DrawFolder(QPainter& painter) {
    QPainterPath path;
    path.moveTo(4, 9);
    path.lineTo(12, 9);
    path.lineTo(14, 11);
    path.lineTo(27, 11);
    path.lineTo(27, 25);
    path.lineTo(4, 25);
    path.closeSubpath();
    painter.setBrush(kFolder);
    painter.drawPath(path);
    painter.setBrush(kActive);
    QPainterPath arrow;
    arrow.moveTo(15.5, 13);
    arrow.lineTo(21, 18);
    arrow.lineTo(17.5, 18);
    arrow.lineTo(17.5, 23);
    arrow.lineTo(13.5, 23);
    arrow.lineTo(13.5, 18);
    arrow.lineTo(10, 18);
    arrow.closeSubpath();
    painter.drawPath(arrow);
}

void DrawReel(QPainter& painter) {
    painter.setBrush(kReel);
    painter.drawEllipse(QPointF(16, 16), 13, 13);
    painter.setBrush(Qt::white);
    painter.drawEllipse(QPointF(16, 16), 2.5, 2.5);
    for (const QPointF& hole : {QPointF(16, 8.5), QPointF(23, 13.5), QPointF(20.5, 22),
                                QPointF(11.5, 22), QPointF(9, 13.5)}) {
        painter.drawEllipse(hole, 3.2, 3.2);
    }
}

using Drawer = void (*)(QPainter&);

struct Drawing {
    int id;
    Drawer draw;
};

const Drawing kDrawings[] = {
    {kPlay, [](QPainter& p) { DrawTriangles(p, 1, false, kActive); }},
    {kReverse, [](QPainter& p) { DrawTriangles(p, 1, true, kActive); }},
    {kReverseNoFile, [](QPainter& p) { DrawTriangles(p, 1, true, kInactive); }},
    {kFastForward, [](QPainter& p) { DrawTriangles(p, 2, false, kActive); }},
    {kFastForwardNoFile, [](QPainter& p) { DrawTriangles(p, 2, false, kInactive); }},
    {kFastReverse, [](QPainter& p) { DrawTriangles(p, 2, true, kActive); }},
    {kFastReverseNoFile, [](QPainter& p) { DrawTriangles(p, 2, true, kInactive); }},
    {kPause, [](QPainter& p) { DrawPause(p, kActive); }},
    {kPauseNoFile, [](QPainter& p) { DrawPause(p, kInactive); }},
    {kSoundOn, [](QPainter& p) { DrawSpeaker(p, false); }},
    {kMuted, [](QPainter& p) { DrawSpeaker(p, true); }},
    {kSnapshot, DrawCamera},
    {kLoadFile, DrawFolder},
    {kApplication, DrawReel},
};
} // namespace

QIcon Icon(int id) {
    for (const Drawing& drawing : kDrawings) {
        if (drawing.id != id) {
            continue;
        }
        QPixmap pixmap(kSize, kSize);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(kOutline, 1));
        drawing.draw(painter);
        painter.end();
        return QIcon(pixmap);
    }
    return QIcon();
}
} // namespace CPlayerIcons
