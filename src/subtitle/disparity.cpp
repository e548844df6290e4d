#include "subtitle/disparity.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "film/grey_pixels.h"

namespace plexo::subtitle {

namespace {

// Blocks of this many reduced pixels a side are matched.
constexpr int kBlock = 8;
// The reduced pictures are at most this wide.
constexpr int kReducedWidth = 480;
// A block whose mean horizontal step is below this many grey levels is flat:
// it would match anywhere.
constexpr int kMinTexture = 3;
// A reduced match is proposed when it is better than the block's mean
// difference over the range by a quarter: a fine texture matches the
// reduced pictures poorly, and the full size decides.
constexpr int kBetterQuarters = 5;
// ... and its pixels differ by at most this many grey levels on average.
constexpr int kMatchMean = 8;
// The nearest proposals are tried at full size until this many match, or
// this many were tried.
constexpr int kMaxRefined = 8;
constexpr int kMaxTried = 32;

// A grey copy of a band of an eye, reduced `factor` times, top row first.
struct Reduced {
    int factor = 1;
    int x0 = 0;  // the eye's column of the band's first, in reduced pixels
    int y0 = 0;
    int width = 0;
    int height = 0;
    std::vector<uint8_t> grey;
    int at(int x, int y) const { return grey[size_t(y - y0) * size_t(width) + size_t(x - x0)]; }
};

// Pixels [x0, x1) of row y (top row 0) of `p` as grey levels into `out`:
// a colour pixel's grey is the one a grey film gives it, so that a colour
// pair measured as it is shown and a grey one looked over ahead agree.
void GreyRow(const Picture& p, int y, int x0, int x1, uint8_t* out)
{
    const uint8_t* px = p.row(p.height - 1 - y) + ptrdiff_t(x0) * p.bytesPerPixel;
    if (p.bytesPerPixel == 1)
        std::memcpy(out, px, size_t(x1 - x0));
    else
        ColourToGrey(px, out, size_t(x1 - x0));
}

// Reduced pixels [x0, x1) × [y0, y1), each the mean of its factor × factor
// pixels.
Reduced Reduce(const Picture& p, int factor, int x0, int x1, int y0, int y1)
{
    Reduced r{factor, x0, y0, x1 - x0, y1 - y0, {}};
    r.grey.resize(size_t(r.width) * size_t(r.height));
    const int area = factor * factor;
    const size_t pixels = size_t(r.width) * size_t(factor);
    // Each column summed down the factor's rows first, a loop the compiler
    // vectorises, then the columns of each reduced pixel; a column's sum
    // stays below 2^16 for any factor a picture side allows.
    std::vector<uint8_t> line(pixels);
    std::vector<uint16_t> columns(pixels);
    for (int y = y0; y < y1; ++y) {
        std::fill(columns.begin(), columns.end(), uint16_t(0));
        for (int dy = 0; dy < factor; ++dy) {
            GreyRow(p, y * factor + dy, x0 * factor, x1 * factor, line.data());
            for (size_t k = 0; k < pixels; ++k)
                columns[k] = uint16_t(columns[k] + line[k]);
        }
        uint8_t* out = r.grey.data() + size_t(y - y0) * size_t(r.width);
        const uint16_t* from = columns.data();
        for (int i = 0; i < r.width; ++i) {
            int sum = 0;
            for (int dx = 0; dx < factor; ++dx)
                sum += *from++;
            out[i] = uint8_t(sum / area);
        }
    }
    return r;
}

// The disparity in [dFrom, dTo] whose block of the second eye, `d` columns
// to the left, differs least from the first eye's block of `size` pixels a
// side at (bx, by), at full size, and that sum; INT_MAX for the sum when
// no candidate lies inside the picture. Equal sums go to the nearer one.
std::pair<int, int> BestFullMatch(const Picture& first, const Picture& second, int bx, int by, int size, int dFrom,
                                  int dTo)
{
    dFrom = std::max(dFrom, bx + size - second.width);
    dTo = std::min(dTo, bx);
    if (dFrom > dTo)
        return {0, INT_MAX};
    // The second eye's columns every candidate reaches, and the first's block.
    const int sx0 = bx - dTo, span = dTo - dFrom + size;
    std::vector<uint8_t> a(size_t(size) * size_t(size)), b(size_t(size) * size_t(span));
    for (int y = 0; y < size; ++y) {
        GreyRow(first, by + y, bx, bx + size, a.data() + size_t(y) * size_t(size));
        GreyRow(second, by + y, sx0, sx0 + span, b.data() + size_t(y) * size_t(span));
    }
    int best = INT_MAX, bestD = 0;
    for (int d = dFrom; d <= dTo; ++d) {
        int sad = 0;
        for (int y = 0; y < size; ++y) {
            const uint8_t* pa = a.data() + size_t(y) * size_t(size);
            const uint8_t* pb = b.data() + size_t(y) * size_t(span) + size_t(dTo - d);
            for (int x = 0; x < size; ++x)
                sad += std::abs(int(pa[x]) - int(pb[x]));
        }
        if (sad <= best) {
            best = sad;
            bestD = d;
        }
    }
    return {bestD, best};
}

}  // namespace

std::optional<int> NearestDisparity(const Picture& first, const Picture& second, const Box& box, int range)
{
    if (!first || !second || first.width != second.width || first.height != second.height || range < 0 ||
        (first.bytesPerPixel != 1 && first.bytesPerPixel != 3) || first.bytesPerPixel != second.bytesPerPixel)
        return std::nullopt;
    const int factor = std::max(1, (first.width + kReducedWidth - 1) / kReducedWidth);
    const int eyeW = first.width / factor, eyeH = first.height / factor;
    const int reach = (range + factor - 1) / factor;
    // The box in reduced pixels, whole blocks only.
    const int bx0 = std::clamp(box.x / factor, 0, eyeW), by0 = std::clamp(box.y / factor, 0, eyeH);
    const int bx1 = std::clamp((box.x + box.width) / factor, 0, eyeW);
    const int by1 = std::clamp((box.y + box.height) / factor, 0, eyeH);
    const int blocksAcross = (bx1 - bx0) / kBlock, blocksDown = (by1 - by0) / kBlock;
    if (blocksAcross < 1 || blocksDown < 1)
        return std::nullopt;
    const int rowEnd = by0 + blocksDown * kBlock;
    const Reduced a = Reduce(first, factor, bx0, bx0 + blocksAcross * kBlock, by0, rowEnd);
    const int sx0 = std::max(0, bx0 - reach), sx1 = std::min(eyeW, bx0 + blocksAcross * kBlock + reach);
    const Reduced b = Reduce(second, factor, sx0, sx1, by0, rowEnd);

    struct Found {
        int x, y, d, best;
    };
    std::vector<Found> found;
    for (int j = 0; j < blocksDown; ++j)
        for (int i = 0; i < blocksAcross; ++i) {
            const int x0 = bx0 + i * kBlock, y0 = by0 + j * kBlock;
            int texture = 0;
            for (int y = y0; y < y0 + kBlock; ++y)
                for (int x = x0 + 1; x < x0 + kBlock; ++x)
                    texture += std::abs(a.at(x, y) - a.at(x - 1, y));
            if (texture < kMinTexture * kBlock * (kBlock - 1))
                continue;
            int best = INT_MAX, bestD = 0;
            int64_t total = 0;
            int tried = 0;
            for (int d = -reach; d <= reach; ++d) {
                if (x0 - d < sx0 || x0 - d + kBlock > sx1)
                    continue;
                int sad = 0;
                for (int y = y0; y < y0 + kBlock; ++y)
                    for (int x = x0; x < x0 + kBlock; ++x)
                        sad += std::abs(a.at(x, y) - b.at(x - d, y));
                total += sad;
                ++tried;
                // Equal matches go to the nearer disparity: in front is safe.
                if (sad <= best) {
                    best = sad;
                    bestD = d;
                }
            }
            // A block across an edge of an object (seen by one eye only)
            // matches nowhere well; its best is chance.
            if (tried > 0 && int64_t(best) * kBetterQuarters < total / tried * 4)
                found.push_back({x0, y0, bestD, best});
        }
    if (found.empty())
        return std::nullopt;
    if (factor == 1) {
        int nearest = INT_MIN;
        for (const Found& f : found)
            if (f.best <= kMatchMean * kBlock * kBlock)
                nearest = std::max(nearest, f.d);
        return nearest == INT_MIN ? std::nullopt : std::optional<int>(nearest);
    }
    // The reduced match only proposes: a fine texture matches poorly at a
    // shift that is not a whole reduced pixel. The nearest proposals are
    // tried at full size, within one reduced pixel of their match, and count
    // when they match there.
    std::stable_sort(found.begin(), found.end(), [](const Found& a, const Found& b) { return a.d > b.d; });
    int refined = INT_MIN;
    const int size = kBlock * factor;
    int tried = 0, matched = 0;
    for (const Found& f : found) {
        if (tried++ == kMaxTried || matched == kMaxRefined || (refined != INT_MIN && (f.d + 1) * factor < refined))
            break;
        const auto [bestD, best] =
            BestFullMatch(first, second, f.x * factor, f.y * factor, size, (f.d - 1) * factor, (f.d + 1) * factor);
        if (best > kMatchMean * size * size)
            continue;
        ++matched;
        refined = std::max(refined, bestD);
    }
    if (refined == INT_MIN)
        return std::nullopt;
    return std::clamp(refined, -range, range);
}

}  // namespace plexo::subtitle
