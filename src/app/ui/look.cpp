#include "look.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QWidget>

namespace {

int pixelHeight(int points)
{
    switch (points) {
    case 8: return 11;
    case 9: return 12;
    case 10: return 13;
    case 14: return 19;
    default: return (points * 96 + 36) / 72;
    }
}

void toPixels(QWidget *w)
{
    QFont f = w->font();
    const int pt = f.pointSize();
    if (pt <= 0)
        return; // already in pixels, inherited from a converted parent
    f.setPixelSize(pixelHeight(pt));
    w->setFont(f);
}

} // namespace

void Form_PixelFonts(QWidget *root)
{
    toPixels(root);
    // Parents come before their children here, so a child that only inherits
    // its size already reports pixels and is left alone.
    const QList<QWidget *> children = root->findChildren<QWidget *>();
    for (QWidget *w : children)
        toPixels(w);
}

QIcon App_Icon()
{
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    // Screen with a trace.
    p.setPen(QPen(QColor(40, 40, 40), 1));
    p.setBrush(QColor(0, 0, 96));
    p.drawRoundedRect(QRectF(1.5, 1.5, 29, 22), 3, 3);
    QPainterPath trace;
    trace.moveTo(4, 17);
    trace.lineTo(10, 17);
    trace.lineTo(13, 7);
    trace.lineTo(16, 20);
    trace.lineTo(19, 12);
    trace.lineTo(22, 17);
    trace.lineTo(28, 17);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0, 255, 0), 2));
    p.drawPath(trace);
    p.setPen(QPen(QColor(255, 60, 60), 1, Qt::DashLine));
    p.drawLine(QPointF(4, 9.5), QPointF(28, 9.5));
    // Stand.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(128, 128, 128));
    p.drawRect(QRectF(13, 24, 6, 4));
    p.drawRect(QRectF(7, 28, 18, 3));
    p.end();
    return QIcon(pm);
}

QIcon Chart_Icon()
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    // Grey grid.
    p.setPen(QColor(192, 192, 192));
    for (int x = 5; x <= 14; x += 3)
        p.drawLine(x, 1, x, 13);
    for (int y = 2; y <= 11; y += 3)
        p.drawLine(3, y, 15, y);
    // Black axes with ticks.
    p.setPen(Qt::black);
    p.drawLine(2, 0, 2, 14);
    p.drawLine(2, 14, 15, 14);
    for (int x = 5; x <= 14; x += 3)
        p.drawPoint(x, 15);
    for (int y = 2; y <= 11; y += 3)
        p.drawPoint(1, y);
    // Red bell curve and a blue line through its peak.
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath bell;
    bell.moveTo(3, 13);
    bell.cubicTo(7, 13, 7, 2, 9, 2);
    bell.cubicTo(11, 2, 11, 13, 15, 13);
    p.setPen(QPen(Qt::blue, 1));
    p.drawLine(QPointF(9.5, 1), QPointF(9.5, 13.5));
    p.setPen(QPen(Qt::red, 1.3));
    p.drawPath(bell);
    p.end();

    QIcon icon(pm);
    // QIcon greys the Disabled mode itself from the normal picture.
    return icon;
}
