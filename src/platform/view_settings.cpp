#include "platform/view_settings.h"

#include <algorithm>
#include <cstdio>

#include "platform/profile.h"

namespace plexo::platform {

namespace {
constexpr const char* kView = "View";
constexpr const char* kRecent = "Recent";
constexpr int32_t kMinZoom = 5;
constexpr int32_t kMaxZoom = 3200;

std::optional<WindowGeometry> GeometryFromText(const std::string& text)
{
    WindowGeometry g;
    if (std::sscanf(text.c_str(), "%d %d %d %d", &g.x, &g.y, &g.width, &g.height) != 4)
        return std::nullopt;
    if (g.width < 1 || g.height < 1)
        return std::nullopt;
    return g;
}

std::string RecentKey(size_t index)
{
    return "File" + std::to_string(index + 1);
}

std::string LayoutKey(size_t index)
{
    return "Layout" + std::to_string(index + 1);
}
}  // namespace

ViewSettings ViewSettings::Read()
{
    ViewSettings s;
    const int32_t size = ReadProfileInt(kView, "Size", int32_t(ViewSize::FitLarge));
    s.size = size >= 0 && size <= int32_t(ViewSize::FitLarge) ? ViewSize(size) : ViewSize::FitLarge;
    s.zoomPercent = std::clamp(ReadProfileInt(kView, "Zoom", 100), kMinZoom, kMaxZoom);
    s.sizeWindowToFilm = ReadProfileInt(kView, "Size window to film", 0) != 0;
    s.statusBar = ReadProfileInt(kView, "Status bar", 0) != 0;
    s.geometry = GeometryFromText(ReadProfileString(kView, "Geometry", ""));
    s.presentation = ReadProfileString(kView, "Presentation", "");
    return s;
}

void ViewSettings::Write() const
{
    WriteProfileString(kView, "Size", std::to_string(int32_t(size)));
    WriteProfileString(kView, "Zoom", std::to_string(zoomPercent));
    WriteProfileString(kView, "Size window to film", sizeWindowToFilm ? "1" : "0");
    WriteProfileString(kView, "Status bar", statusBar ? "1" : "0");
    if (geometry) {
        const WindowGeometry& g = *geometry;
        WriteProfileString(kView, "Geometry", std::to_string(g.x) + ' ' + std::to_string(g.y) + ' '
                                                  + std::to_string(g.width) + ' ' + std::to_string(g.height));
    }
    if (!presentation.empty())
        WriteProfileString(kView, "Presentation", presentation);
}

void RecentFilms::Add(const std::string& path)
{
    paths.erase(std::remove(paths.begin(), paths.end(), path), paths.end());
    paths.insert(paths.begin(), path);
    if (paths.size() > kMaxRecentFilms)
        paths.resize(kMaxRecentFilms);
}

RecentFilms RecentFilms::Read()
{
    RecentFilms recent;
    for (size_t i = 0; i < kMaxRecentFilms; ++i) {
        const std::string path = ReadProfileString(kRecent, RecentKey(i), "");
        if (path.empty() || std::find(recent.paths.begin(), recent.paths.end(), path) != recent.paths.end())
            continue;
        recent.paths.push_back(path);
        if (std::string layout = ReadProfileString(kRecent, LayoutKey(i), ""); !layout.empty())
            recent.layouts[path] = std::move(layout);
    }
    return recent;
}

void RecentFilms::Write() const
{
    // A path the file cannot hold (a line break in its name) is left out
    // rather than written half.
    const auto writeOrClear = [](const std::string& key, const std::string& value) {
        if (!value.empty() || !ReadProfileString(kRecent, key, "").empty())
            WriteProfileString(kRecent, key, value);
    };
    size_t key = 0;
    for (const std::string& path : paths) {
        if (key < kMaxRecentFilms && WriteProfileString(kRecent, RecentKey(key), path)) {
            const auto layout = layouts.find(path);
            writeOrClear(LayoutKey(key), layout == layouts.end() ? std::string() : layout->second);
            ++key;
        }
    }
    for (; key < kMaxRecentFilms; ++key) {
        writeOrClear(RecentKey(key), "");
        writeOrClear(LayoutKey(key), "");
    }
}

}  // namespace plexo::platform
