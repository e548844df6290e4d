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
// A match counts only when it stands alone: every disparity but its own and
// its two neighbours costs this many percent more, and a grey level a
// pixel at least (the uniqueness ratio of OpenCV's StereoBM). A repeated
// pattern (a grid, a fence, tiles) matches as well a period away, and which
// period wins is chance.
constexpr int kUniquePercent = 15;
// A box where fewer than one block in this many finds a match holds too
// little texture to tell what stands under it (a flat object shows its depth
// only at its ends), so the measure widens: first along the box's rows to
// the picture's sides, then by the box's height above and below, this many
// times at most, until enough blocks match.
constexpr int kEnoughShare = 4;
constexpr int kUpDownWidenings = 3;
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

// Whether the least of `costs`, at `best`, stands alone: every cost but its
// own and its neighbours' higher by the uniqueness margin, for blocks of
// `area` pixels. Unreachable disparities cost INT_MAX.
bool Unique(const std::vector<int>& costs, int best, int area)
{
    const int64_t least = costs[size_t(best)];
    const int64_t bar = std::max(least * (100 + kUniquePercent) / 100, least + area);
    for (int d = 0; d < int(costs.size()); ++d)
        if ((d < best - 1 || d > best + 1) && costs[size_t(d)] <= bar)
            return false;
    return true;
}

// A full-size match: its disparity and sum, INT_MAX for the sum when no
// candidate lies inside the picture or the best does not stand alone.
struct FullMatch {
    int d = 0;
    int sum = INT_MAX;
};

// The disparity in [dFrom, dTo] whose block of the second eye, `d` columns
// to the left, differs least from the first eye's block of `size` pixels a
// side at (bx, by), at full size. Equal sums go to the nearer one.
FullMatch BestFullMatch(const Picture& first, const Picture& second, int bx, int by, int size, int dFrom, int dTo)
{
    dFrom = std::max(dFrom, bx + size - second.width);
    dTo = std::min(dTo, bx);
    if (dFrom > dTo)
        return {};
    // The second eye's columns every candidate reaches, and the first's block.
    const int sx0 = bx - dTo, span = dTo - dFrom + size;
    std::vector<uint8_t> a(size_t(size) * size_t(size)), b(size_t(size) * size_t(span));
    for (int y = 0; y < size; ++y) {
        GreyRow(first, by + y, bx, bx + size, a.data() + size_t(y) * size_t(size));
        GreyRow(second, by + y, sx0, sx0 + span, b.data() + size_t(y) * size_t(span));
    }
    std::vector<int> costs(size_t(dTo - dFrom + 1));
    FullMatch best;
    for (int d = dFrom; d <= dTo; ++d) {
        int sad = 0;
        for (int y = 0; y < size; ++y) {
            const uint8_t* pa = a.data() + size_t(y) * size_t(size);
            const uint8_t* pb = b.data() + size_t(y) * size_t(span) + size_t(dTo - d);
            for (int x = 0; x < size; ++x)
                sad += std::abs(int(pa[x]) - int(pb[x]));
        }
        costs[size_t(d - dFrom)] = sad;
        if (sad <= best.sum)
            best = {d, sad};
    }
    if (!Unique(costs, best.d - dFrom, size * size))
        return {};
    return best;
}

// A block of the reduced first eye that found its match: its corner, its
// disparity and its sum, in reduced pixels.
struct Found {
    int x, y, d, best;
};

// The reduced pictures' geometry: `factor` pixels a side to a reduced pixel,
// eyes `width` reduced pixels wide, disparities within ±`reach` of them.
struct Reduction {
    int factor;
    int width;
    int reach;
};

// The blocks of reduced pixels [x0, x1) × [y0, y1) of the first eye, whole
// blocks, matched against the second: those textured whose match stands
// alone are added to `found`.
void MatchBlocks(const Picture& first, const Picture& second, const Reduction& r, int x0, int x1, int y0, int y1,
                 std::vector<Found>& found)
{
    if (x1 <= x0 || y1 <= y0)
        return;
    const Reduced a = Reduce(first, r.factor, x0, x1, y0, y1);
    const int sx0 = std::max(0, x0 - r.reach), sx1 = std::min(r.width, x1 + r.reach);
    const Reduced b = Reduce(second, r.factor, sx0, sx1, y0, y1);
    std::vector<int> costs(size_t(2 * r.reach + 1));
    for (int by = y0; by < y1; by += kBlock)
        for (int bx = x0; bx < x1; bx += kBlock) {
            int texture = 0;
            for (int y = by; y < by + kBlock; ++y)
                for (int x = bx + 1; x < bx + kBlock; ++x)
                    texture += std::abs(a.at(x, y) - a.at(x - 1, y));
            if (texture < kMinTexture * kBlock * (kBlock - 1))
                continue;
            int best = INT_MAX, bestD = 0;
            int64_t total = 0;
            int tried = 0;
            for (int d = -r.reach; d <= r.reach; ++d) {
                costs[size_t(d + r.reach)] = INT_MAX;
                if (bx - d < sx0 || bx - d + kBlock > sx1)
                    continue;
                int sad = 0;
                for (int y = by; y < by + kBlock; ++y)
                    for (int x = bx; x < bx + kBlock; ++x)
                        sad += std::abs(a.at(x, y) - b.at(x - d, y));
                costs[size_t(d + r.reach)] = sad;
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
            if (tried > 0 && int64_t(best) * kBetterQuarters < total / tried * 4 &&
                Unique(costs, bestD + r.reach, kBlock * kBlock))
                found.push_back({bx, by, bestD, best});
        }
}

// Whether the second eye's block that `f` matched matches back: its own
// best match in the first eye lies within a reduced pixel of it. Content
// seen by the first eye only (beside a nearer object's edge) finds a chance
// match elsewhere, whose block of the second eye has its true match.
bool MatchesBack(const Picture& first, const Picture& second, const Reduction& r, const Found& f)
{
    const int sx = f.x - f.d;
    const int x0 = std::max(0, sx - r.reach), x1 = std::min(r.width, sx + kBlock + r.reach);
    const Reduced b = Reduce(second, r.factor, sx, sx + kBlock, f.y, f.y + kBlock);
    const Reduced a = Reduce(first, r.factor, x0, x1, f.y, f.y + kBlock);
    int best = INT_MAX, bestD = 0;
    for (int d = std::max(-r.reach, x0 - sx); d <= std::min(r.reach, x1 - kBlock - sx); ++d) {
        int sad = 0;
        for (int y = f.y; y < f.y + kBlock; ++y)
            for (int x = sx; x < sx + kBlock; ++x)
                sad += std::abs(b.at(x, y) - a.at(x + d, y));
        if (sad <= best) {
            best = sad;
            bestD = d;
        }
    }
    return best != INT_MAX && std::abs(bestD - f.d) <= 1;
}

}  // namespace

std::optional<int> NearestDisparity(const Picture& first, const Picture& second, const Box& box, int range)
{
    if (!first || !second || first.width != second.width || first.height != second.height || range < 0 ||
        (first.bytesPerPixel != 1 && first.bytesPerPixel != 3) || first.bytesPerPixel != second.bytesPerPixel)
        return std::nullopt;
    const int factor = std::max(1, (first.width + kReducedWidth - 1) / kReducedWidth);
    const Reduction r{factor, first.width / factor, (range + factor - 1) / factor};
    const int eyeH = first.height / factor;
    // The box in reduced pixels, whole blocks only.
    const int bx0 = std::clamp(box.x / factor, 0, r.width), by0 = std::clamp(box.y / factor, 0, eyeH);
    const int blocksAcross = (std::clamp((box.x + box.width) / factor, 0, r.width) - bx0) / kBlock;
    const int blocksDown = (std::clamp((box.y + box.height) / factor, 0, eyeH) - by0) / kBlock;
    if (blocksAcross < 1 || blocksDown < 1)
        return std::nullopt;
    const int bx1 = bx0 + blocksAcross * kBlock, by1 = by0 + blocksDown * kBlock;
    std::vector<Found> found;
    MatchBlocks(first, second, r, bx0, bx1, by0, by1, found);
    // Wider, in rings of whole blocks on the box's grid, each measured once.
    const size_t enough = size_t(std::max(1, blocksAcross * blocksDown / kEnoughShare));
    if (found.size() < enough) {
        const int left = bx0 % kBlock, right = bx1 + (r.width - bx1) / kBlock * kBlock;
        MatchBlocks(first, second, r, left, bx0, by0, by1, found);
        MatchBlocks(first, second, r, bx1, right, by0, by1, found);
        int top = by0, bottom = by1;
        for (int n = 0; n < kUpDownWidenings && found.size() < enough && (top >= kBlock || bottom + kBlock <= eyeH);
             ++n) {
            const int above = std::min(by1 - by0, top / kBlock * kBlock);
            const int below = std::min(by1 - by0, (eyeH - bottom) / kBlock * kBlock);
            MatchBlocks(first, second, r, left, right, top - above, top, found);
            MatchBlocks(first, second, r, left, right, bottom, bottom + below, found);
            top -= above;
            bottom += below;
        }
    }
    // The nearest matches first, each checked back, and at full size
    // unless the pictures were not reduced: a fine texture matches the
    // reduced pictures poorly at a shift that is not a whole reduced pixel,
    // so the reduced match only proposes, and its block is matched again
    // within a reduced pixel of it, where it counts when it stands alone.
    std::stable_sort(found.begin(), found.end(), [](const Found& a, const Found& b) { return a.d > b.d; });
    int refined = INT_MIN;
    const int size = kBlock * factor;
    int tried = 0, matched = 0;
    for (const Found& f : found) {
        if (tried++ == kMaxTried || matched == kMaxRefined || (refined != INT_MIN && (f.d + 1) * factor < refined))
            break;
        if (!MatchesBack(first, second, r, f))
            continue;
        const FullMatch match = factor == 1 ? FullMatch{f.d, f.best}
                                            : BestFullMatch(first, second, f.x * factor, f.y * factor, size,
                                                            (f.d - 1) * factor, (f.d + 1) * factor);
        if (match.sum > kMatchMean * size * size)
            continue;
        ++matched;
        refined = std::max(refined, match.d);
    }
    if (refined == INT_MIN)
        return std::nullopt;
    return std::clamp(refined, -range, range);
}

}  // namespace plexo::subtitle
