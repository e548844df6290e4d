#include "align/align_model.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <vector>

namespace plexo::align {

namespace {

constexpr double kDegree = std::numbers::pi / 180;

// Beyond these no camera pair is misaligned; a record holding more was not
// written by us.
constexpr double kMaxVertical = 100000;
constexpr double kMaxRoll = 45;
constexpr double kMinScale = 0.5;
constexpr double kMaxScale = 2;
constexpr double kMaxKeystone = 1;

std::optional<double> Number(std::string_view text)
{
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::string Text(double value)
{
    char text[32];
    const auto [end, error] = std::to_chars(text, text + sizeof text, value);
    return error == std::errc() ? std::string(text, end) : std::string("0");
}

}  // namespace

Homography SecondCorrection(const AlignModel& model, double halfHeight)
{
    const double e = std::cos(model.roll * kDegree) / model.scale;
    const double c = -std::sin(model.roll * kDegree) / model.scale;
    return {e, -c, 0, c, e, -model.vertical / model.scale, model.keystoneX / halfHeight, model.keystoneY / halfHeight, 1};
}

EyeWarps SplitCorrection(const AlignModel& model, double halfHeight)
{
    const double size = std::sqrt(model.scale);
    const double shear = -size * std::tan(model.roll * kDegree / 2);
    const Homography first{size, shear, 0, 0, size, model.vertical / 2, 0, -model.keystoneY / halfHeight / 2, 1};
    return {first, Multiply(first, SecondCorrection(model, halfHeight))};
}

Homography Multiply(const Homography& a, const Homography& b)
{
    Homography product{};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            for (int k = 0; k < 3; ++k)
                product[r * 3 + c] += a[r * 3 + k] * b[k * 3 + c];
    return product;
}

std::optional<Homography> Inverse(const Homography& h)
{
    const Homography cofactors{h[4] * h[8] - h[5] * h[7], h[2] * h[7] - h[1] * h[8], h[1] * h[5] - h[2] * h[4],
                               h[5] * h[6] - h[3] * h[8], h[0] * h[8] - h[2] * h[6], h[2] * h[3] - h[0] * h[5],
                               h[3] * h[7] - h[4] * h[6], h[1] * h[6] - h[0] * h[7], h[0] * h[4] - h[1] * h[3]};
    const double determinant = h[0] * cofactors[0] + h[1] * cofactors[3] + h[2] * cofactors[6];
    if (!std::isnormal(determinant))
        return std::nullopt;
    Homography inverse;
    for (int i = 0; i < 9; ++i)
        inverse[i] = cofactors[i] / determinant;
    return inverse;
}

std::optional<std::array<double, 2>> Apply(const Homography& h, double x, double y)
{
    const double w = h[6] * x + h[7] * y + h[8];
    if (!(std::abs(w) > 1e-12))
        return std::nullopt;
    return std::array<double, 2>{(h[0] * x + h[1] * y + h[2]) / w, (h[3] * x + h[4] * y + h[5]) / w};
}

std::string AlignModelText(const AlignModel& model)
{
    return Text(model.vertical) + ',' + Text(model.roll) + ',' + Text(model.scale) + ',' + Text(model.keystoneX) +
           ',' + Text(model.keystoneY) + ',' + Text(model.residual) + (model.crop ? ",crop" : "");
}

std::optional<AlignModel> ParseAlignModel(std::string_view text)
{
    std::vector<std::string_view> parts;
    while (true) {
        const size_t comma = text.find(',');
        parts.push_back(text.substr(0, comma));
        if (comma == std::string_view::npos)
            break;
        text.remove_prefix(comma + 1);
    }
    const bool crop = parts.size() == 7 && parts[6] == "crop";
    if (parts.size() != 6 && !crop)
        return std::nullopt;
    double values[6];
    for (int i = 0; i < 6; ++i) {
        const std::optional<double> value = Number(parts[size_t(i)]);
        if (!value)
            return std::nullopt;
        values[i] = *value;
    }
    const AlignModel model{values[0], values[1], values[2], values[3], values[4], std::max(values[5], -1.0), crop};
    if (std::abs(model.vertical) > kMaxVertical || std::abs(model.roll) > kMaxRoll || !(model.scale >= kMinScale) ||
        !(model.scale <= kMaxScale) || std::abs(model.keystoneX) > kMaxKeystone ||
        std::abs(model.keystoneY) > kMaxKeystone || model.residual > kMaxVertical)
        return std::nullopt;
    return model;
}

namespace {

// To the tenth shown, without the "-0.0" of a value a hair below zero.
double Tenths(double value)
{
    const double rounded = std::round(value * 10) / 10;
    return rounded == 0 ? 0.0 : rounded;
}

}  // namespace

std::string AlignedLine(const AlignModel& model)
{
    const double residual = model.residual;
    char line[160];
    std::snprintf(line, sizeof line, "aligned: vertical %.1f px, roll %.1f\u00b0, scale %.1f %%",
                  Tenths(model.vertical), Tenths(model.roll), Tenths((model.scale - 1) * 100));
    std::string text = line;
    if (residual >= 0) {
        std::snprintf(line, sizeof line, ", residual %.1f px", residual);
        text += line;
    }
    return text;
}

}  // namespace plexo::align
