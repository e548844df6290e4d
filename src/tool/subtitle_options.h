#pragma once
// --subtitles TRACK|FILE|default and --subtitle-depth auto|authored|N, which
// compose, frame and export take: the subtitles drawn into the eyes through
// the viewer's stage.

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "film/film.h"
#include "present/presentation.h"
#include "subtitle/burnt_subtitles.h"
#include "tool/command.h"

namespace plexo::tool {

inline constexpr const char* kSubtitlesOption = "subtitles";
inline constexpr const char* kSubtitleDepthOption = "subtitle-depth";
extern const char* const kSubtitleUsage;

struct ToolSubtitles {
    subtitle::BurntSubtitles burnt;

    explicit operator bool() const { return bool(burnt); }
    // The film seen with the subtitles drawn, or the film itself without
    // --subtitles.
    Film& Shown(Film& film);

private:
    std::unique_ptr<Film> shown_;
};

// Reads both options; a usage error for a depth that is none of its forms
// or a depth without subtitles.
bool ReadSubtitleOptions(Args& args, std::optional<std::string>& which, subtitle::DepthChoice& depth);

// The subtitles `which` names for the film of `filmPath`, shown in
// presentation `shown`; `reopen` opens the same film again, set up as the
// shown one, for automatic depth to look over each event ahead. False after
// printing why they cannot be had.
bool OpenToolSubtitles(const std::optional<std::string>& which, const subtitle::DepthChoice& depth,
                       const std::string& filmPath, const Film& film, PresentationId shown,
                       const std::function<FilmPtr()>& reopen, ToolSubtitles& out);

}  // namespace plexo::tool
