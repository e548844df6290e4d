#pragma once
// A film's alignment as its record in the "Films" section keeps it: the
// `align` field holds the correction's text (align/align_model.h reads and
// writes it) or "frames" for every frame aligned as it plays; the window's D
// is the film's own D, the `dist` field the keys set too.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace plexo {

inline constexpr const char* kAlignField = "align";
inline constexpr const char* kDistField = "dist";
inline constexpr const char* kAlignEveryFrame = "frames";

struct KeptAlignment {
    // Empty when the film is not aligned.
    std::string align;
    std::optional<int32_t> dist;
};

// The alignment kept for the film opened by `paths` (FilmKey).
KeptAlignment RecallAlignment(const std::vector<std::string>& paths);
// Keeps it in the film's record beside its other fields; an empty `align`
// clears the field, a missing `dist` leaves the film's D as it is. False
// when the settings file cannot be written.
bool KeepAlignment(const std::vector<std::string>& paths, const KeptAlignment& kept);

}  // namespace plexo
