#pragma once
// Subtitle files beside a film: NAME.srt, NAME.LANG.srt, NAME.ass, NAME.ssa
// and NAME.vtt for a film NAME.EXT. They are read as regular files only,
// opened without blocking, up to a size limit, and parsed as subtitles only.

#include <string>
#include <vector>

#include "subtitle/subtitle_source.h"

namespace plexo::subtitle {

// Larger subtitle files are refused unread.
inline constexpr size_t kMaxSubtitleFileBytes = 16u << 20;

// True for the extensions read as subtitle files (srt, ass, ssa, vtt, any
// case).
bool IsSubtitleFileName(const std::string& path);

// The language of NAME.LANG.srt beside NAME.EXT ("en"), empty for none.
std::string FileLanguage(const std::string& filmPath, const std::string& subtitlePath);

// The subtitle files beside the film, in name order.
std::vector<std::string> SubtitleFilesBeside(const std::string& filmPath);

// The subtitles of the file, by its extension. Null, with `why` set ("not a
// regular file", "larger than 16 MB", "no subtitle in it", ...), when it
// cannot be read.
SubtitleSourcePtr OpenSubtitleFile(const std::string& path, std::string& why);

}  // namespace plexo::subtitle
