#include "align/estimate.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <random>

namespace plexo::align {

namespace {

// The correction's row of heights and its projective row, in coordinates
// divided by half the picture's height: y1 = (c x2 + e y2 + f) / (gx x2 + gy y2 + 1).
struct Fit {
    double c = 0, e = 1, f = 0, gx = 0, gy = 0;

    double Height(const Match& m, double unit) const
    {
        const double x = m.x2 / unit, y = m.y2 / unit;
        return (c * x + e * y + f) / (gx * x + gy * y + 1);
    }
};

constexpr int kTrials = 400;
constexpr int kRefinements = 4;
constexpr int kNarrowings = 2;

// Solves the n × n system in place by elimination with partial pivoting;
// false when it is singular for our purposes.
template <size_t N>
bool Solve(std::array<std::array<double, N + 1>, N>& rows)
{
    for (size_t col = 0; col < N; ++col) {
        size_t pivot = col;
        for (size_t r = col + 1; r < N; ++r)
            if (std::abs(rows[r][col]) > std::abs(rows[pivot][col]))
                pivot = r;
        if (!(std::abs(rows[pivot][col]) > 1e-12))
            return false;
        std::swap(rows[col], rows[pivot]);
        for (size_t r = 0; r < N; ++r) {
            if (r == col)
                continue;
            const double k = rows[r][col] / rows[col][col];
            for (size_t k2 = col; k2 <= N; ++k2)
                rows[r][k2] -= k * rows[col][k2];
        }
    }
    for (size_t r = 0; r < N; ++r)
        rows[r][N] /= rows[r][r];
    return true;
}

// Least squares over the chosen matches, linear in the unknowns once the
// projective row's denominator is multiplied out; `keystone` false fits the
// similarity's height row alone.
std::optional<Fit> LeastSquares(const std::vector<Match>& points, const std::vector<size_t>& chosen, double unit,
                                bool keystone)
{
    constexpr size_t kMost = 5;
    const size_t n = keystone ? 5 : 3;
    std::array<std::array<double, kMost + 1>, kMost> normal{};
    for (size_t i : chosen) {
        const Match& m = points[i];
        const double x = m.x2 / unit, y = m.y2 / unit, target = m.y1 / unit;
        const double terms[kMost] = {x, y, 1, -x * target, -y * target};
        for (size_t a = 0; a < n; ++a) {
            for (size_t b = 0; b < n; ++b)
                normal[a][b] += terms[a] * terms[b];
            normal[a][kMost] += terms[a] * target;
        }
    }
    if (keystone) {
        if (!Solve<5>(normal))
            return std::nullopt;
        return Fit{normal[0][5], normal[1][5], normal[2][5], normal[3][5], normal[4][5]};
    }
    std::array<std::array<double, 4>, 3> small{};
    for (size_t a = 0; a < 3; ++a) {
        for (size_t b = 0; b < 3; ++b)
            small[a][b] = normal[a][b];
        small[a][3] = normal[a][kMost];
    }
    if (!Solve<3>(small))
        return std::nullopt;
    return Fit{small[0][3], small[1][3], small[2][3], 0, 0};
}

std::vector<size_t> Inliers(const Fit& fit, const std::vector<Match>& points, double unit, double tolerance)
{
    std::vector<size_t> inliers;
    for (size_t i = 0; i < points.size(); ++i)
        if (std::abs(fit.Height(points[i], unit) * unit - points[i].y1) < tolerance)
            inliers.push_back(i);
    return inliers;
}

AlignModel ModelOf(const Fit& fit, double unit)
{
    const double scale = 1 / std::hypot(fit.c, fit.e);
    return {.vertical = -fit.f * unit * scale,
            .roll = std::atan2(-fit.c, fit.e) * 180 / std::numbers::pi,
            .scale = scale,
            .keystoneX = fit.gx,
            .keystoneY = fit.gy};
}

double Quantile(std::vector<double> values, double share)
{
    if (values.empty())
        return 0;
    const size_t at = std::min(values.size() - 1, size_t(share * double(values.size())));
    std::nth_element(values.begin(), values.begin() + ptrdiff_t(at), values.end());
    return values[at];
}

Alignment Measure(const AlignModel& model, const std::vector<Match>& points, const std::vector<size_t>& inliers,
                  double unit)
{
    const EyeWarps warps = SplitCorrection(model, unit);
    std::vector<double> vertical, horizontal, before;
    for (size_t i : inliers) {
        before.push_back(std::abs(points[i].y2 - points[i].y1));
        const auto first = Apply(warps.first, points[i].x1, points[i].y1);
        const auto second = Apply(warps.second, points[i].x2, points[i].y2);
        if (!first || !second)
            continue;
        vertical.push_back(std::abs((*second)[1] - (*first)[1]));
        horizontal.push_back((*second)[0] - (*first)[0]);
    }
    AlignModel measured = model;
    measured.residual = Quantile(vertical, 0.5);
    return {.model = measured,
            .medianResidual = measured.residual,
            .p90Residual = Quantile(vertical, 0.9),
            .medianBefore = Quantile(before, 0.5),
            .inliers = int(inliers.size()),
            .nearDisparity = Quantile(horizontal, 0.02)};
}

}  // namespace

std::string CouldNotAlignMessage(int matches)
{
    return "could not align: " + std::to_string(matches) + " matches";
}

AlignResult FitAlignment(const Matches& matches, double halfHeight)
{
    const std::vector<Match>& points = matches.points;
    const int count = int(points.size());
    if (count < kMinMatches || !(halfHeight > 0))
        return {std::nullopt, count};
    // A match is as sure as the reduced picture's pixel it was found at.
    double tolerance = 2 * std::max(1.0, matches.reduction);
    std::mt19937 random(1);
    std::uniform_int_distribution<size_t> pick(0, points.size() - 1);
    Fit best;
    size_t bestCount = 0;
    for (int trial = 0; trial < kTrials; ++trial) {
        const std::vector<size_t> sample{pick(random), pick(random), pick(random)};
        const std::optional<Fit> fit = LeastSquares(points, sample, halfHeight, false);
        if (!fit)
            continue;
        const size_t agree = Inliers(*fit, points, halfHeight, tolerance).size();
        if (agree > bestCount) {
            bestCount = agree;
            best = *fit;
        }
    }
    std::vector<size_t> inliers = Inliers(best, points, halfHeight, tolerance);
    for (int round = 0; round < kRefinements && int(inliers.size()) >= kMinMatches; ++round) {
        const std::optional<Fit> fit = LeastSquares(points, inliers, halfHeight, true);
        if (!fit)
            break;
        best = *fit;
        inliers = Inliers(best, points, halfHeight, tolerance);
    }
    // Then the band narrows to what the inliers' own spread allows (2.5
    // standard deviations, from their median distance): the matches placed
    // a pixel or more off by the reduction weigh on the fit no longer.
    for (int round = 0; round < kNarrowings && int(inliers.size()) >= kMinMatches; ++round) {
        std::vector<double> distances;
        for (size_t i : inliers)
            distances.push_back(std::abs(best.Height(points[i], halfHeight) * halfHeight - points[i].y1));
        const double narrowed = 2.5 * 1.4826 * Quantile(distances, 0.5);
        if (!(narrowed < tolerance))
            break;
        tolerance = std::max(narrowed, 0.5);
        const std::vector<size_t> kept = Inliers(best, points, halfHeight, tolerance);
        if (int(kept.size()) < kMinMatches)
            break;
        const std::optional<Fit> fit = LeastSquares(points, kept, halfHeight, true);
        if (!fit)
            break;
        best = *fit;
        inliers = Inliers(best, points, halfHeight, tolerance);
    }
    if (int(inliers.size()) < kMinMatches)
        return {std::nullopt, int(inliers.size())};
    return {Measure(ModelOf(best, halfHeight), points, inliers, halfHeight), count};
}

AlignResult EstimateAlignment(const Picture& first, const Picture& second, const MatchOptions& options)
{
    return FitAlignment(MatchFeatures(first, second, options), first.height / 2.0);
}

int WindowDist(const Alignment& alignment)
{
    // The second eye moves 2D − trunc(D/2) columns against the first.
    const double wanted = -alignment.nearDisparity;
    const auto relative = [](int64_t d) { return 2 * d - d / 2; };
    const int64_t guess = std::llround(wanted / 1.5);
    int64_t chosen = guess;
    for (int64_t d = guess - 2; d <= guess + 2; ++d)
        if (std::abs(double(relative(d)) - wanted) < std::abs(double(relative(chosen)) - wanted))
            chosen = d;
    return int(std::clamp<int64_t>(chosen, -1000000, 1000000));
}

}  // namespace plexo::align
