#pragma once
// SubRip and WebVTT read as the cues they are: a time span and lines of text
// with a few tags, turned into ASS dialogue text for libass.

#include <optional>
#include <string>
#include <vector>

#include "subtitle/subtitle_source.h"

namespace plexo::subtitle {

enum class CueFormat { SubRip, WebVtt };

// Every cue with a valid time line; a block without one is skipped (as
// players do), and text that is no cue at all gives none. Bold, italic and
// underline tags and SubRip's font colour are kept, other tags dropped,
// WebVTT's entities decoded.
std::vector<TextEvent> ReadCues(const std::string& text, CueFormat format);

}  // namespace plexo::subtitle
