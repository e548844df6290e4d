#include "app/flip/page_flip_output.h"

#include <cstdlib>
#include <cstring>

#include "app/flip/gl_display_output.h"
#include "app/flip/x11_shm_output.h"

namespace plexo {

std::shared_ptr<ViewOverlayOutput> MakePageFlipOutput(QWidget* view)
{
    const char* asked = std::getenv("PLEXO_FLIP_OUTPUT");
    if (asked && std::strcmp(asked, "x11") == 0)
        return std::make_shared<X11ShmOutput>(view);
    auto gl = std::make_shared<GlDisplayOutput>(view);
    if ((asked && std::strcmp(asked, "opengl") == 0) || (gl->CanDraw() && !gl->Software()))
        return gl;
    auto x11 = std::make_shared<X11ShmOutput>(view);
    if (x11->CanDraw())
        return x11;
    return gl;
}

}  // namespace plexo
