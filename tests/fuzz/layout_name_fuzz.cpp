// The layout words of a file's name: any name gives a layout that has a
// --source-layout word of its own, or none.
#include <string_view>

#include "image/layout_name_words.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace plexo;
    const std::string_view name(reinterpret_cast<const char*>(data), size);
    if (const auto layout = LayoutOfFileName(name); layout && LayoutNamed(LayoutWord(*layout)) != layout)
        __builtin_trap();
    return 0;
}
