// A page-flipping output that cannot keep the eyes' pictures says why in the
// log, once a start, instead of leaving the screen black without a word.

#include <QScreen>
#include <QWidget>

#include <gtest/gtest.h>

#include <vector>

#include "app/flip/view_overlay_output.h"
#include "platform/log.h"

namespace plexo {
namespace {

class RefusingOutput : public ViewOverlayOutput {
public:
    explicit RefusingOutput(QWidget* view) : ViewOverlayOutput(view, QSurface::RasterSurface, false)
    {
        StartRendering([](QThread*) {});
    }
    ~RefusingOutput() override { StopRendering(); }
    const char* Name() const override { return "nothing"; }

protected:
    bool Keep(int, const K3V_Pixels&, const QRect&, bool, const QRect&) override
    {
        Refuse("no room");
        return false;
    }
    bool BeginDrawing() override { return true; }
    bool DrawField(const Field&, const QRect&) override { return false; }
    void Swap() override {}
    void EndDrawing() override {}
};

TEST(FlipRefusal, TheReasonIsLoggedOnceAStart)
{
    QWidget view;
    view.resize(64, 48);
    view.show();
    RefusingOutput output(&view);
    // The surfaces cover the screen, the view with them.
    const QSize screen = view.screen()->geometry().size();
    std::vector<uint8_t> bytes(size_t(screen.width()) * size_t(screen.height()) * 3);
    const K3V_Pixels pixels{bytes.data(), screen.width(), screen.height(), screen.width() * 3};
    const std::string line = "\r\nPage flipping shows nothing through nothing: no room";
    platform::ClearLog();
    for (int start = 0; start < 2; ++start) {
        std::string why;
        ASSERT_TRUE(output.Start(why)) << why;
        output.SetCooperativeLevel(nullptr, K3V_DDSCL_FULLSCREEN);
        for (int surface : {0, 1})
            output.SurfaceChanged(surface, pixels, {0, 0, pixels.width, pixels.height});
    }
    EXPECT_EQ(platform::LogText(), line + line);
    platform::ClearLog();
}

}  // namespace
}  // namespace plexo
