#include "image/projection_name_words.h"

#include <charconv>
#include <string>
#include <vector>

#include "image/layout_name_words.h"

namespace plexo {

namespace {

// The degrees after `prefix` in `word`, when all that follows is digits.
std::optional<int> DegreesAfter(std::string_view word, std::string_view prefix)
{
    if (word.size() <= prefix.size() || word.substr(0, prefix.size()) != prefix)
        return std::nullopt;
    const std::string_view digits = word.substr(prefix.size());
    int degrees = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), degrees);
    if (error != std::errc() || end != digits.data() + digits.size())
        return std::nullopt;
    return degrees;
}

std::optional<Projection> ProjectionOfWord(std::string_view word)
{
    if (word == "180" || word == "180x180")
        return ProjectionOfKind(ProjectionKind::HalfEquirect);
    if (word == "360" || word == "360x180")
        return ProjectionOfKind(ProjectionKind::Equirect);
    if (word == "fisheye")
        return ProjectionOfKind(ProjectionKind::Fisheye, 180);
    if (word == "eac")
        return ProjectionOfKind(ProjectionKind::Cubemap);
    for (std::string_view prefix : {"fisheye", "f", "mkx", "vrca"})
        if (const auto degrees = DegreesAfter(word, prefix);
            degrees && *degrees >= kMinFisheyeDegrees && *degrees <= kMaxFisheyeDegrees)
            return ProjectionOfKind(ProjectionKind::Fisheye, *degrees);
    return std::nullopt;
}

}  // namespace

std::optional<Projection> ProjectionOfFileName(std::string_view path)
{
    for (const std::string& word : FileNameWords(path))
        if (const auto projection = ProjectionOfWord(word))
            return projection;
    return std::nullopt;
}

}  // namespace plexo
