#include "app/window/status_fields.h"

#include <QLabel>
#include <QStatusBar>

#include <cmath>

#include "play/time_seek.h"

namespace plexo {

namespace {

constexpr int kFields = 8;

// "m:ss.t", tenths rounded down so that the last frame never reads as the end.
QString Clock(double seconds)
{
    const int64_t tenths = int64_t(std::floor(std::max(seconds, 0.0) * 10));
    return QStringLiteral("%1:%2.%3")
        .arg(tenths / 600)
        .arg(tenths / 10 % 60, 2, 10, QLatin1Char('0'))
        .arg(tenths % 10);
}

}  // namespace

QStringList StatusTexts(const StatusFacts& facts)
{
    const FramePlace& place = facts.place;
    if (place.count <= 0 || !facts.shown)
        return {};
    QStringList texts;
    texts << (place.position > 0 ? QStringLiteral("Frame %1 of %2").arg(place.position).arg(place.count)
                                 : QStringLiteral("Frame number %1 of %2").arg(place.number).arg(place.count));
    if (facts.eyes == 2)
        texts << QStringLiteral("Eye offset %1").arg(place.shift);
    else
        texts << (place.partnerNumber >= 0 ? QStringLiteral("Partner %1").arg(place.partnerNumber)
                                           : QStringLiteral("Partner -"));
    texts << QStringLiteral("%1%").arg(facts.zoomPercent);
    texts << QString::fromUtf8(facts.shown->label);
    if (facts.frameRate > 0) {
        const double at = facts.time >= 0 ? facts.time : (std::max(place.position, 1) - 1) / facts.frameRate;
        texts << Clock(at) + QStringLiteral(" / ") + Clock(facts.duration);
    }
    if (place.lateFrames >= 0)
        texts << (place.lateFrames == 1 ? QStringLiteral("1 late frame")
                                        : QStringLiteral("%1 late frames").arg(place.lateFrames));
    for (const std::string& note : play::DelayNotes(int64_t(facts.audioDelayMs) * 1000,
                                                    int64_t(facts.subtitleDelayMs) * 1000)) {
        QString text = QString::fromStdString(note);
        text[0] = text[0].toUpper();
        texts << text;
    }
    return texts;
}

StatusFields::StatusFields(QStatusBar& bar)
{
    auto* ready = new QLabel(QStringLiteral("Ready"), &bar);
    bar.addWidget(ready, 1);
    for (int i = 0; i < kFields; ++i) {
        auto* label = new QLabel(&bar);
        label->setObjectName(QStringLiteral("status%1").arg(i));
        label->setContentsMargins(6, 0, 6, 0);
        bar.addPermanentWidget(label);
        labels_ << label;
    }
}

void StatusFields::Show(const QStringList& texts)
{
    for (int i = 0; i < labels_.size(); ++i) {
        labels_[i]->setText(i < texts.size() ? texts[i] : QString());
        labels_[i]->setVisible(i < texts.size());
    }
}

}  // namespace plexo
