// The alignment field of a film's record: any text gives a model within what
// a rig can be off by, written back to the same text's model, whose warps
// and line a viewer can show, or nothing.
#include <cmath>
#include <string_view>

#include "align/align_model.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace plexo::align;
    const std::optional<AlignModel> model = ParseAlignModel({reinterpret_cast<const char*>(data), size});
    if (!model)
        return 0;
    if (ParseAlignModel(AlignModelText(*model)) != model)
        __builtin_trap();
    const EyeWarps warps = SplitCorrection(*model, 540);
    for (const Homography& h : {warps.first, warps.second})
        for (const double v : h)
            if (!std::isfinite(v))
                __builtin_trap();
    // The status line is shown whole: it ends with the residual when known,
    // else with the scale.
    if (!AlignedLine(*model).ends_with(model->residual >= 0 ? " px" : " %"))
        __builtin_trap();
    return 0;
}
