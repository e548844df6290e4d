#pragma once
// What export, compose and frame apply of a film's alignment: the correction
// and D kept in its record, unless --no-align; --align-frames aligns every
// frame as it is read instead.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "film/staged_film.h"
#include "tool/command.h"

namespace plexo::tool {

inline constexpr const char* kNoAlignFlag = "no-align";
inline constexpr const char* kAlignFramesFlag = "align-frames";

struct AppliedAlignment {
    // Null when the film is shown as it is.
    std::unique_ptr<Film> film;
    // The film's own D, kept by the viewer or by align --window.
    std::optional<int32_t> dist;

    Film& Shown(Film& plain) const { return film ? *film : plain; }
};

// For the film opened by `paths` (the first film and the second of a pair).
AppliedAlignment ApplyAlignment(const Args& args, const std::vector<std::string>& paths, Film& film);

}  // namespace plexo::tool
