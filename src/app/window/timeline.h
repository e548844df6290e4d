#pragma once
// The slider under the view: it follows the film's position and, moved by the
// user, puts the film there through Seek and has the views repaint.

#include <QSlider>

namespace plexo {

class CPlexoDoc;

class Timeline : public QSlider {
    Q_OBJECT

public:
    Timeline(CPlexoDoc& doc, QWidget* parent);

    // The film's frames as the range and its position as the value; disabled
    // without frames.
    void Sync();

private:
    CPlexoDoc& doc_;
    // Set while Sync moves the slider, so that only the user's moves seek.
    bool syncing_ = false;
};

}  // namespace plexo
