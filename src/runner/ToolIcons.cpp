#include "ToolIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <functional>

namespace tavi {

namespace {

// Drawn at 32 px on a 16-unit grid, so the icon stays sharp on high-density screens.
QIcon drawn(const std::function<void(QPainter &)> &draw)
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(2, 2);
    draw(p);
    p.end();
    return QIcon(pixmap);
}

void page(QPainter &p, const QRectF &r)
{
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(Qt::white);
    p.drawRect(r);
    p.setPen(QPen(QColor(150, 150, 150), 0.8));
    for (double y = r.top() + 3; y < r.bottom() - 1; y += 2.5)
        p.drawLine(QPointF(r.left() + 2, y), QPointF(r.right() - 2, y));
}

}  // namespace

QIcon ToolIcons::print()
{
    return drawn([](QPainter &p) {
        page(p, QRectF(4.5, 1.5, 7, 6));
        p.setPen(QPen(QColor(60, 60, 60), 1));
        p.setBrush(QColor(120, 130, 145));
        p.drawRoundedRect(QRectF(1.5, 6.5, 13, 6), 1.5, 1.5);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 10.5, 7, 4));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(80, 200, 80));
        p.drawEllipse(QRectF(11.5, 8, 1.8, 1.8));
    });
}

QIcon ToolIcons::preview()
{
    return drawn([](QPainter &p) {
        page(p, QRectF(1.5, 1.5, 10, 13));
        p.setPen(QPen(QColor(40, 80, 160), 1.6));
        p.setBrush(QColor(200, 225, 255, 200));
        p.drawEllipse(QRectF(6, 6, 6, 6));
        p.drawLine(QPointF(11.2, 11.2), QPointF(14.5, 14.5));
    });
}

QIcon ToolIcons::excel()
{
    return drawn([](QPainter &p) {
        p.setPen(QPen(QColor(20, 100, 50), 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 1.5, 10, 13));
        p.setPen(QPen(QColor(120, 170, 130), 0.8));
        for (double y = 4.5; y < 14; y += 3)
            p.drawLine(QPointF(4.5, y), QPointF(14.5, y));
        p.drawLine(QPointF(9.5, 1.5), QPointF(9.5, 14.5));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(33, 115, 70));
        p.drawRoundedRect(QRectF(0.5, 4, 8, 8), 1, 1);
        p.setPen(QPen(Qt::white, 1.4));
        p.drawLine(QPointF(2.5, 6), QPointF(6.5, 10));
        p.drawLine(QPointF(6.5, 6), QPointF(2.5, 10));
    });
}

QIcon ToolIcons::design()
{
    return drawn([](QPainter &p) {
        page(p, QRectF(1.5, 1.5, 10, 13));
        QPainterPath pencil;
        pencil.moveTo(6, 14);
        pencil.lineTo(6.5, 11.5);
        pencil.lineTo(13, 5);
        pencil.lineTo(15, 7);
        pencil.lineTo(8.5, 13.5);
        pencil.closeSubpath();
        p.setPen(QPen(QColor(120, 70, 10), 0.8));
        p.setBrush(QColor(250, 190, 60));
        p.drawPath(pencil);
    });
}

}  // namespace tavi
