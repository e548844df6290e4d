#pragma once
// Page flipping's display through the X server's shared-memory images, for
// displays whose OpenGL draws in software or not at all. Each flipping
// surface keeps its part under the view as a 32-bit image in memory the X
// server shares, made when the surface changes; a field is one put of that
// image into the window and a round trip, so the server has read it before
// it may change. Core X has no swap held for the blank: the driver paces
// the fields by its own clock.

#include <array>
#include <cstdint>
#include <string>

#include "app/flip/view_overlay_output.h"

struct xcb_connection_t;

namespace plexo {

class X11ShmOutput : public ViewOverlayOutput {
    Q_OBJECT

public:
    // Made on the user-interface thread once the view exists.
    explicit X11ShmOutput(QWidget* view);
    ~X11ShmOutput() override;

    const char* Name() const override { return "X shared memory"; }

protected:
    bool Keep(int surface, const K3V_Pixels& pixels, const QRect& area, bool whole, const QRect& changed) override;
    bool BeginDrawing() override { return true; }
    bool DrawField(const Field& field, const QRect& area) override;
    void Swap() override {}
    void EndDrawing() override {}

private:
    // A surface's part as a shared image, rows of 4-byte pixels.
    struct Image {
        uint32_t segment = 0;
        uint32_t* pixels = nullptr;
        QSize size;
    };
    // Gives the image room for `size`, shared with the server; otherwise
    // says why not.
    std::string Reserve(Image& image, const QSize& size);
    void Release(Image& image);

    // Qt's own connection: xcb may be used from any thread.
    xcb_connection_t* connection_ = nullptr;
    uint32_t windowId_ = 0;
    uint32_t context_ = 0;
    uint8_t depth_ = 0;
    std::array<Image, kSurfaces> images_;
};

}  // namespace plexo
