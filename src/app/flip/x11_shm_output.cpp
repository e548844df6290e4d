#include "app/flip/x11_shm_output.h"

#include <QGuiApplication>
#include <QWindow>

#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <sys/ipc.h>
#include <sys/shm.h>

#include <bit>
#include <cstdlib>
#include <cerrno>
#include <cstring>
#include <memory>
#include <string>

namespace plexo {

namespace {

struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeReply>;

// The visual of the window: 24 bits of colour in 32-bit pixels, blue in the
// first byte, as the pictures are converted (into little-endian words).
bool TakesBgrxPixels(xcb_connection_t* c, uint8_t depth, xcb_visualid_t visual)
{
    const xcb_setup_t* setup = xcb_get_setup(c);
    if (std::endian::native != std::endian::little || setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST)
        return false;
    bool fourBytes = false;
    for (auto f = xcb_setup_pixmap_formats_iterator(setup); f.rem; xcb_format_next(&f))
        fourBytes |= f.data->depth == depth && f.data->bits_per_pixel == 32;
    if (!fourBytes)
        return false;
    for (auto s = xcb_setup_roots_iterator(setup); s.rem; xcb_screen_next(&s))
        for (auto d = xcb_screen_allowed_depths_iterator(s.data); d.rem; xcb_depth_next(&d))
            for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v))
                if (v.data->visual_id == visual)
                    return v.data->_class == XCB_VISUAL_CLASS_TRUE_COLOR && v.data->red_mask == 0xff0000 &&
                           v.data->green_mask == 0x00ff00 && v.data->blue_mask == 0x0000ff;
    return false;
}

// One row of 3-byte pixels to 4-byte ones. Four pixels are three 32-bit
// words, taken apart with shifts: about three times the speed of a byte a
// time, and a full-screen surface is converted at every change.
void BgrToBgrx(const uint8_t* from, uint32_t* to, int width)
{
    int x = 0;
    for (; x + 4 <= width; x += 4, from += 12) {
        uint32_t w[3];
        std::memcpy(w, from, sizeof w);
        to[x] = w[0] & 0xffffff;
        to[x + 1] = w[0] >> 24 | (w[1] & 0xffff) << 8;
        to[x + 2] = w[1] >> 16 | (w[2] & 0xff) << 16;
        to[x + 3] = w[2] >> 8;
    }
    for (; x < width; ++x, from += 3)
        to[x] = uint32_t(from[0]) | uint32_t(from[1]) << 8 | uint32_t(from[2]) << 16;
}

}  // namespace

X11ShmOutput::X11ShmOutput(QWidget* view) : ViewOverlayOutput(view, QSurface::RasterSurface, false)
{
    fault_ = "the display is not an X server";
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !(connection_ = x11->connection()))
        return;
    // Never painted by Qt: no backing store is made for it.
    window().create();
    windowId_ = uint32_t(window().winId());
    fault_ = "the X server has no shared-memory extension";
    const Reply<xcb_shm_query_version_reply_t> shm(
        xcb_shm_query_version_reply(connection_, xcb_shm_query_version(connection_), nullptr));
    const Reply<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, windowId_), nullptr));
    const Reply<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(connection_, xcb_get_window_attributes(connection_, windowId_), nullptr));
    if (!shm || !geometry || !attributes)
        return;
    depth_ = geometry->depth;
    if (!TakesBgrxPixels(connection_, depth_, attributes->visual)) {
        fault_ = "the X server's window is not 24-bit colour in 32-bit pixels";
        return;
    }
    // A server on another machine cannot attach our memory.
    Image probe;
    if (const std::string refused = Reserve(probe, QSize(1, 1)); !refused.empty()) {
        fault_ = "the X server shares no memory with this program: " + refused;
        return;
    }
    Release(probe);
    context_ = xcb_generate_id(connection_);
    const uint32_t noExposures = 0;
    xcb_create_gc(connection_, context_, windowId_, XCB_GC_GRAPHICS_EXPOSURES, &noExposures);
    StartRendering([](QThread*) {});
}

X11ShmOutput::~X11ShmOutput()
{
    StopRendering();
    for (Image& image : images_)
        Release(image);
    if (context_)
        xcb_free_gc(connection_, context_);
    if (connection_)
        xcb_flush(connection_);
}

std::string X11ShmOutput::Reserve(Image& image, const QSize& size)
{
    Release(image);
    const size_t bytes = size_t(size.width()) * size_t(size.height()) * 4;
    const int id = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (id < 0)
        return "the system refused a shared-memory segment of " + std::to_string(bytes) + " bytes (" +
               std::strerror(errno) + "; see kernel.shmmax and kernel.shmall)";
    void* memory = shmat(id, nullptr, 0);
    const int attachError = errno;
    const uint32_t segment = memory != reinterpret_cast<void*>(-1) ? xcb_generate_id(connection_) : 0;
    const Reply<xcb_generic_error_t> error(
        segment ? xcb_request_check(connection_, xcb_shm_attach_checked(connection_, segment, uint32_t(id), 1))
                : nullptr);
    // Gone once both sides have let go of it, even if the program is killed.
    shmctl(id, IPC_RMID, nullptr);
    if (!segment)
        return std::string("the shared-memory segment could not be mapped (") + std::strerror(attachError) + ")";
    if (error) {
        shmdt(memory);
        // Most often BadAccess (10): a server in another IPC namespace, or
        // running as a user this segment is closed to.
        return "the X server refused to attach it (X error " + std::to_string(error->error_code) + ")";
    }
    image = {segment, static_cast<uint32_t*>(memory), size};
    return {};
}

void X11ShmOutput::Release(Image& image)
{
    if (!image.pixels)
        return;
    xcb_shm_detach(connection_, image.segment);
    shmdt(image.pixels);
    image = {};
}

bool X11ShmOutput::Keep(int surface, const K3V_Pixels& pixels, const QRect& area, bool whole, const QRect& changed)
{
    // The last put of this image ended with a round trip, so the server no
    // longer reads it.
    Image& image = images_[size_t(surface)];
    const bool fresh = image.size != area.size();
    if (fresh) {
        if (const std::string refused = Reserve(image, area.size()); !refused.empty()) {
            Refuse(refused);
            return false;
        }
    }
    const QRect part = whole || fresh ? area : changed & area;
    for (int y = part.top(); y <= part.bottom(); ++y)
        BgrToBgrx(pixels.data + size_t(y) * size_t(pixels.pitch) + size_t(part.left()) * 3,
                  image.pixels + size_t(y - area.top()) * size_t(area.width()) + (part.left() - area.left()),
                  part.width());
    return true;
}

bool X11ShmOutput::DrawField(const Field& field, const QRect& area)
{
    const Image& image = images_[size_t(field.left)];
    // Its memory may have been refused since the part was last kept.
    if (!image.pixels || image.size != area.size())
        return false;
    const QPoint at = area.topLeft() - field.region.topLeft();
    // Checked: the check waits for the server, so once it returns the image
    // is shown and may change, and a refusal is known rather than black.
    const Reply<xcb_generic_error_t> error(xcb_request_check(
        connection_, xcb_shm_put_image_checked(connection_, windowId_, context_, uint16_t(image.size.width()),
                                               uint16_t(image.size.height()), 0, 0, uint16_t(image.size.width()),
                                               uint16_t(image.size.height()), int16_t(at.x()), int16_t(at.y()),
                                               depth_, XCB_IMAGE_FORMAT_Z_PIXMAP, 0, image.segment, 0)));
    if (error) {
        Refuse("the X server refused to put the picture in the window (X error " +
               std::to_string(error->error_code) + ")");
        return false;
    }
    if (xcb_connection_has_error(connection_)) {
        Refuse("the connection to the X server is broken");
        return false;
    }
    return true;
}

}  // namespace plexo
