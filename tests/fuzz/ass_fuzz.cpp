// An ASS script through libass, with a font the film carries: the input is
// the script, then after a NUL the font's bytes. A few moments are drawn
// over a small eye, once stretched from a half-size one.
#include "fuzz_input.h"
#include "subtitle/ass_subtitles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace plexo::subtitle;
    plexo::fuzz::ScratchFolder();
    const std::vector<std::string> parts = plexo::fuzz::SplitAtNuls(data, size, 2);
    std::vector<AttachedFont> fonts;
    if (parts.size() > 1)
        fonts.push_back({"attached.ttf", std::vector<uint8_t>(parts[1].begin(), parts[1].end())});
    std::string why;
    SubtitleSourcePtr source = AssScriptSubtitles(parts[0], fonts, why);
    if (!source) {
        if (why.empty())
            __builtin_trap();
        return 0;
    }
    volatile unsigned sink = 0;
    const Canvas canvases[] = {CanvasOf(160, 90), {160, 90, 80, 90}};
    int64_t time = 0;
    for (int i = 0; i < 4; ++i) {
        const std::optional<EventSpan> next = source->NextEvent(time);
        if (!next)
            break;
        time = next->start;
        const SubtitleBitmap& bitmap = source->Render(time, canvases[i % 2]);
        if (!bitmap.empty()) {
            if (bitmap.bgra.size() != size_t(bitmap.width) * size_t(bitmap.height) * 4)
                __builtin_trap();
            sink = sink + plexo::fuzz::Touch(bitmap.bgra.data(), bitmap.width, bitmap.height, 4);
        }
    }
    return 0;
}
