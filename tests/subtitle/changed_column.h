#pragma once
// Where a subtitle was drawn: the leftmost column where a drawn eye differs
// from the plain one.

#include <cstring>

#include "image/picture.h"

namespace plexo::test {

// -1 when no column differs.
inline int FirstChangedColumn(const Picture& drawn, const Picture& plain)
{
    int first = -1;
    for (int r = 0; r < drawn.height; ++r)
        for (int x = 0; x < drawn.width; ++x)
            if (std::memcmp(drawn.row(r) + x * 3, plain.row(r) + x * 3, 3) != 0 && (first < 0 || x < first))
                first = x;
    return first;
}

}  // namespace plexo::test
