#include "app/window/timeline.h"

#include <algorithm>

#include "doc/document.h"

namespace plexo {

Timeline::Timeline(CPlexoDoc& doc, QWidget* parent) : QSlider(Qt::Horizontal, parent), doc_(doc)
{
    setObjectName(QStringLiteral("timeline"));
    // The keys belong to the window's commands, not to the slider.
    setFocusPolicy(Qt::NoFocus);
    connect(this, &QSlider::valueChanged, this, [this](int position) {
        Film* film = doc_.film();
        if (syncing_ || !film || position == film->Position())
            return;
        if (film->Seek(position) && doc_.repaint)
            doc_.repaint();
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
