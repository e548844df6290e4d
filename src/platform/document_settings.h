#pragma once
// The document's six "Settings" keys, written in this order. The document
// reads them when it is made and writes them when it goes.

#include <cstdint>

namespace plexo::platform {

struct DocumentSettings {
    int32_t alter = 0;
    int32_t step = 0;
    int32_t dist = 21;
    int32_t shift = -4;
    int32_t round = 1;
    int32_t invert = 0;

    static DocumentSettings Read();
    void Write() const;
};

}  // namespace plexo::platform
