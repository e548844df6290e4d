#include "app/window/toolbar_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <algorithm>

#include "app/window/command_ids.h"

namespace plexo {

namespace {

constexpr int kSide = 16;

// Drawn at twice the size as well, so that high-density screens get a sharp
// picture instead of a blown-up one.
template <typename Draw>
QIcon MakeIcon(Draw draw)
{
    QIcon icon;
    for (int scale : {1, 2}) {
        QPixmap pixmap(kSide * scale, kSide * scale);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(scale, scale);
        draw(painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

const QColor kInk(40, 40, 48);

void DrawFolder(QPainter& p)
{
    p.setPen(QPen(kInk, 1));
    p.setBrush(QColor(236, 196, 84));
    QPainterPath path;
    path.moveTo(1.5, 3.5);
    path.lineTo(6.5, 3.5);
    path.lineTo(8, 5.5);
    path.lineTo(14.5, 5.5);
    path.lineTo(14.5, 13.5);
    path.lineTo(1.5, 13.5);
    path.closeSubpath();
    p.drawPath(path);
}

void DrawTriangle(QPainter& p, bool right, qreal left)
{
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    const qreal tip = right ? left + 7 : left;
    const qreal base = right ? left : left + 7;
    p.drawPolygon(QPolygonF({QPointF(base, 3), QPointF(tip, 8), QPointF(base, 13)}));
}

void DrawBack(QPainter& p)
{
    p.fillRect(QRectF(3, 3, 2, 10), kInk);
    DrawTriangle(p, false, 6);
}

void DrawPlay(QPainter& p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 140, 60));
    p.drawPolygon(QPolygonF({QPointF(4, 2), QPointF(13, 8), QPointF(4, 14)}));
}

void DrawForward(QPainter& p)
{
    DrawTriangle(p, true, 3);
    p.fillRect(QRectF(11, 3, 2, 10), kInk);
}

// Red-blue glasses.
// A bar and two narrow triangles, the bar at the end they point to.
void DrawToEnd(QPainter& p, bool last)
{
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    const auto x = [last](qreal at) { return last ? 16 - at : at; };
    p.drawRect(QRectF(std::min(x(2), x(4)), 3, 2, 10));
    for (qreal base : {9.0, 14.0})
        p.drawPolygon(QPolygonF({QPointF(x(base), 3), QPointF(x(base - 5), 8), QPointF(x(base), 13)}));
}

void DrawStereo(QPainter& p)
{
    p.setPen(QPen(kInk, 1));
    p.setBrush(QColor(220, 30, 30));
    p.drawRect(QRectF(1.5, 5.5, 5, 5));
    p.setBrush(QColor(30, 70, 230));
    p.drawRect(QRectF(9.5, 5.5, 5, 5));
    p.drawLine(QPointF(6.5, 7), QPointF(9.5, 7));
}

// Two sliders.
void DrawSettings(QPainter& p)
{
    p.setPen(QPen(kInk, 1));
    p.drawLine(QPointF(2, 5.5), QPointF(14, 5.5));
    p.drawLine(QPointF(2, 11.5), QPointF(14, 11.5));
    p.setBrush(QColor(200, 200, 210));
    p.drawRect(QRectF(4.5, 3.5, 3, 4));
    p.drawRect(QRectF(9.5, 9.5, 3, 4));
}

void DrawAbout(QPainter& p)
{
    p.setPen(QPen(kInk, 1));
    p.setBrush(QColor(250, 250, 210));
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    QFont font = p.font();
    font.setPixelSize(11);
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRectF(1.5, 1.5, 13, 13), Qt::AlignCenter, QStringLiteral("?"));
}

}  // namespace

QIcon ToolbarIcon(int commandId)
{
    switch (commandId) {
    case kCmdLoad: return MakeIcon(DrawFolder);
    case kCmdBack: return MakeIcon(DrawBack);
    case kCmdPlay: return MakeIcon(DrawPlay);
    case kCmdForward: return MakeIcon(DrawForward);
    case kCmdFirstCadre: return MakeIcon([](QPainter& p) { DrawToEnd(p, false); });
    case kCmdLastCadre: return MakeIcon([](QPainter& p) { DrawToEnd(p, true); });
    case kCmdStereo: return MakeIcon(DrawStereo);
    case kCmdSettings: return MakeIcon(DrawSettings);
    case kCmdAbout: return MakeIcon(DrawAbout);
    default: return {};
    }
}

}  // namespace plexo
