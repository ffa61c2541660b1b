#pragma once
// Text form of float values: the shortest text that reads back to the same
// double, with "," as the decimal separator; reading accepts "," or ".".

#include <optional>
#include <string>
#include <string_view>

namespace toolkit {

std::string FloatToText(double value);
// The number the text holds (blanks around it allowed), or nothing when the
// text is not a finite number.
std::optional<double> TextToFloat(std::string_view text);

}  // namespace toolkit
