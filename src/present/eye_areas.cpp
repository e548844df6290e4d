#include "present/eye_areas.h"

namespace plexo {

EyeAreas AreasOf(EyeLayout layout, int64_t width, int64_t height)
{
    const int64_t left = width - width / 2;
    const int64_t top = height - height / 2;
    switch (layout) {
    case EyeLayout::SideBySide:
        return {{0, 0, left, height}, {left, 0, width - left, height}};
    case EyeLayout::TopBottom:
        return {{0, height - top, width, top}, {0, 0, width, height - top}};
    case EyeLayout::Shared:
        break;
    }
    return {{0, 0, width, height}, {0, 0, width, height}};
}

EyeBlock PlaceInArea(int64_t width, int64_t height, const EyeArea& area, int64_t shift, int64_t up)
{
    Span rows = RaisedSpan(height, area.height, up);
    Span cols = DisplacedSpan(width, area.width, shift);
    rows.dst += area.y;
    cols.dst += area.x;
    return {rows, cols};
}

}  // namespace plexo
