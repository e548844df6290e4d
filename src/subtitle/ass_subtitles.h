#pragma once
// Text subtitles rendered by libass with the machine's fonts (through
// fontconfig) and the fonts the film carries.

#include <memory>
#include <string>
#include <vector>

#include "subtitle/subtitle_source.h"

namespace plexo::subtitle {

// A whole ASS or SSA script. Null, with `why` set, when libass finds no
// event in it.
SubtitleSourcePtr AssScriptSubtitles(std::string script, const std::vector<AttachedFont>& fonts, std::string& why);

// Events in the block form under a script header (a stream's codec header,
// or the default style for subtitles converted from SubRip and WebVTT).
// Null, with `why` set, when there are no events.
SubtitleSourcePtr AssEventSubtitles(std::string header, const std::vector<TextEvent>& events,
                                    const std::vector<AttachedFont>& fonts, std::string& why);

// One line of text at the top centre, whose text changes: the on-screen
// time line. An empty text shows nothing. Any thread: the stages of two
// pipelines may share it.
class TextLine {
public:
    virtual ~TextLine() = default;
    virtual void SetText(const std::string& text) = 0;
    // The line laid out over the canvas; empty when there is none.
    virtual SubtitleBitmap Render(const Canvas& canvas) = 0;
};
// Null, with `why` set, when libass cannot start.
std::unique_ptr<TextLine> MakeTextLine(std::string& why);

// A cue's dialogue text as the `order`th block line in the default style.
std::string DefaultStyleLine(int order, const std::string& text);

// The script header of converted subtitles: one style, white text with a
// black outline at the bottom centre.
std::string DefaultAssHeader();

}  // namespace plexo::subtitle
