#include "app/view/frame_display.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace plexo {

QStringList FrameDisplayLines(const FramePlace& place, const Presentation& shown, const StereoAdjustments& adjust,
                              double framesPerSecond, const QString& notice)
{
    QStringList lines;
    if (place.position > 0)
        lines << QStringLiteral("frame %1 of %2 (number %3)").arg(place.position).arg(place.count).arg(place.number);
    else
        lines << QStringLiteral("frame number %1 of %2").arg(place.number).arg(place.count);
    lines << (place.partnerNumber >= 0 ? QStringLiteral("partner %1, A=%2").arg(place.partnerNumber).arg(place.shift)
                                       : QStringLiteral("A=%1").arg(place.shift));
    lines << QStringLiteral("%1, %2 fps").arg(QString::fromUtf8(shown.label)).arg(framesPerSecond, 0, 'g', 6);
    lines << QStringLiteral("D=%1, vertical %2%3")
                 .arg(adjust.dist)
                 .arg(adjust.vertical)
                 .arg(adjust.swap ? QStringLiteral(", eyes swapped") : QString());
    if (place.lateFrames >= 0)
        lines << QStringLiteral("late frames: %1").arg(place.lateFrames);
    if (!notice.isEmpty())
        lines << notice;
    return lines;
}

void DrawFrameDisplay(QPainter& painter, const QStringList& lines)
{
    const QFontMetrics metrics(painter.font());
    constexpr int kMargin = 6;
    int width = 0;
    for (const QString& line : lines)
        width = std::max(width, metrics.horizontalAdvance(line));
    const QRect box(kMargin, kMargin, width + 2 * kMargin, int(lines.size()) * metrics.height() + 2 * kMargin);
    painter.fillRect(box, QColor(0, 0, 0, 160));
    painter.setPen(Qt::white);
    int y = box.top() + kMargin + metrics.ascent();
    for (const QString& line : lines) {
        painter.drawText(box.left() + kMargin, y, line);
        y += metrics.height();
    }
}

QString RefusedStepNotice(const FramePlace& place, bool round)
{
    // A looping film never refuses; at either end there is simply no frame
    // to go to.
    if (round || place.position <= 1 || place.position >= place.count)
        return {};
    return QStringLiteral("stopped: partner A=%1 would leave the film").arg(place.shift);
}

}  // namespace plexo
