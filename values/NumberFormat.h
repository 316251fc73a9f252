// Numbers to text: the double formatter behind Str, CStr, the Variant texts and the property
// descriptors, and the picture language of Format. Pure logic over byte strings, free of the
// runtime and of <windows.h>, so that it also builds natively for checks against other formatters.
//
// Digits come from the correctly rounded conversion of the C++ library (std::to_chars), never from
// printf: C libraries differ in the width of exponents, and every text here rests on exponents of
// at least two digits. No result has a size limit.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace numbertext {

// Notations of FormatDouble.
constexpr int kAutomatic = -1;
constexpr int kScientific = 0;
constexpr int kFixed = 1;

// The text of x with digits decimals (fixed) or digits significant digits (scientific); a
// negative count counts as 0. -0 and texts that round to zero lose their "-"; a positive exponent
// of two digits drops its leading zero (e+6, but e-06); a value that is not a number is "NaN".
std::string FormatDigits(double x, bool fixed, int digits);

// The text of x with digits significant digits. The automatic notation is fixed for zero and
// 1e-5 <= |x| <= 1e6, scientific otherwise; fixed texts lose trailing zeros of their fraction.
std::string FormatDouble(double x, int notation, int digits);

// The section of a Format picture that applies to a number of the given sign (above, below or
// equal to 0): positive;negative;zero, where a negative number without its own section takes the
// first and zero takes the first unless a third exists. "Scientific" stands for "-#.000000E+".
// utf8Text says the picture is UTF-8 beyond ASCII, so that a "\" escapes a whole character.
std::string_view SelectFormatSection(int sign, std::string_view picture, bool utf8Text);

// x written by a Format picture with the given thousands and decimal separators.
std::string FormatWithPicture(double x, std::string_view picture, bool utf8Text,
                              std::string_view thousands, std::string_view decimal);

}  // namespace numbertext
