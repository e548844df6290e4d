#pragma once
// How the Settings dialog's edits read and show their numbers: the whole text
// must be the number, blanks around it allowed.

#include <optional>
#include <string>

#include <cstdint>

namespace plexo {

// The validation texts of both dialogs' number fields.
inline constexpr const char* kEnterInteger = "Please enter an integer.";
inline constexpr const char* kEnterNumber = "Please enter a number.";

std::optional<int32_t> ReadWholeInteger(const std::string& text);
std::optional<double> ReadWholeNumber(const std::string& text);
// General notation with up to 15 significant digits: 15 shows as "15", 12.5
// as "12.5".
std::string ShowNumber(double value);

// The A slider runs from -limit to limit: the highest frame index, at most 20.
int32_t ASliderLimit(int32_t highestFrame);

}  // namespace plexo
