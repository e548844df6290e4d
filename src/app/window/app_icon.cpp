#include "app/window/app_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace plexo {

namespace {

// The same shapes as res/plexo.svg, on its 256-unit square.
void DrawGlasses(QPainter& p)
{
    const QColor frame(38, 38, 46);
    QPen pen(frame, 12);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setCapStyle(Qt::RoundCap);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    // The temples, going back from the lenses' outer corners.
    p.drawLine(QPointF(22, 104), QPointF(8, 72));
    p.drawLine(QPointF(234, 104), QPointF(248, 72));
    // The bridge.
    QPainterPath bridge;
    bridge.moveTo(114, 112);
    bridge.quadTo(128, 92, 142, 112);
    p.drawPath(bridge);
    p.setBrush(QColor(222, 36, 36));
    p.drawRoundedRect(QRectF(22, 96, 92, 76), 22, 22);
    p.setBrush(QColor(32, 92, 232));
    p.drawRoundedRect(QRectF(142, 96, 92, 76), 22, 22);
    // A glint on each lens.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 90));
    p.drawEllipse(QRectF(38, 108, 26, 14));
    p.drawEllipse(QRectF(158, 108, 26, 14));
}

}  // namespace

QImage ApplicationIconImage(int side)
{
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(side / 256.0, side / 256.0);
    DrawGlasses(painter);
    return image;
}

QIcon ApplicationIcon()
{
    QIcon icon;
    for (int side : kApplicationIconSizes)
        icon.addPixmap(QPixmap::fromImage(ApplicationIconImage(side)));
    return icon;
}

}  // namespace plexo
