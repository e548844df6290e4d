#include "app/window/timeline.h"

#include <QProxyStyle>

#include <algorithm>

#include "doc/document.h"

namespace plexo {

namespace {

// A click on the groove goes where it points, as in every player, rather
// than a page towards it; a drag from there goes on moving the handle.
class PointedClickStyle final : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returned) const override
    {
        if (hint == SH_Slider_AbsoluteSetButtons)
            return Qt::LeftButton;
        return QProxyStyle::styleHint(hint, option, widget, returned);
    }
};

}  // namespace

Timeline::Timeline(CPlexoDoc& doc, QWidget* parent) : QSlider(Qt::Horizontal, parent), doc_(doc)
{
    setObjectName(QStringLiteral("timeline"));
    // The keys belong to the window's commands, not to the slider.
    setFocusPolicy(Qt::NoFocus);
    auto* style = new PointedClickStyle;
    style->setParent(this);
    setStyle(style);
    connect(this, &QSlider::valueChanged, this, [this](int position) {
        if (!syncing_)
            doc_.SeekTo(position);
    });
    Sync();
}

void Timeline::Sync()
{
    const Film* film = doc_.film();
    const int count = film ? film->FrameCount() : 0;
    syncing_ = true;
    setRange(0, std::max(count - 1, 0));
    setValue(film ? std::max(film->Position(), 0) : 0);
    setPageStep(std::max(count / 10, 1));
    syncing_ = false;
    setEnabled(count > 0);
}

}  // namespace plexo
