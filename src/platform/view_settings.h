#pragma once
// The viewer's own keys beside the Settings, I/O and Translate sections:
// "View" (window geometry, view size, sizing the window to each film, the
// status bar, the stereo presentation by name) and "Recent" (the recent films). The main
// frame reads them when it is made and writes them when it goes, like its
// other keys; the older sections are never touched.

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace plexo::platform {

// How the frame reaches the view: one to one, scaled to fit, scaled by a
// zoom factor, or one to one unless larger than the view, then fitted (as
// mpv and VLC open films), the default.
enum class ViewSize : int32_t { Actual = 0, Fit = 1, Zoom = 2, FitLarge = 3 };

struct WindowGeometry {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// Section "View".
struct ViewSettings {
    ViewSize size = ViewSize::FitLarge;
    // The zoom in percent, used when size is Zoom.
    int32_t zoomPercent = 100;
    bool sizeWindowToFilm = false;
    bool statusBar = false;
    // Missing until a run has ended with the new keys.
    std::optional<WindowGeometry> geometry;
    // "Presentation": the stereo presentation's --mode name, which wins over
    // "Settings" "Red-Blue" when it names one; empty when missing.
    std::string presentation;

    static ViewSettings Read();
    void Write() const;
};

// The most films the File menu lists.
inline constexpr size_t kMaxRecentFilms = 8;

// Section "Recent": "File1" the newest .. "File8", and beside a film whose
// layout the user chose in View > Layout, "Layout1" .. "Layout8" with the
// choice's --source-layout word ("sbs-rl").
struct RecentFilms {
    std::vector<std::string> paths;
    // By path; a film without one is Automatic. Only the listed films' are
    // written.
    std::map<std::string, std::string> layouts;

    // Puts the path first; an earlier entry of the same path goes, and the
    // list keeps at most kMaxRecentFilms entries.
    void Add(const std::string& path);

    static RecentFilms Read();
    void Write() const;
};

}  // namespace plexo::platform
