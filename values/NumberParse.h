// Text to numbers: the reading of Val and the grammar of a complete number behind IsNumeric.
// Pure logic over bytes; the runtime-string forms are in NumberText.h.
#pragma once

#include <string_view>

namespace numbertext {

// Whether the text is one complete decimal number: blanks first, a sign or a point, digits mixed
// with ",", a fraction and an exponent introduced by "e" or "d" (blanks may stand among and after
// its digits). "1,2,3", "12.", ".5", "1d5" and ".e5" are numbers; "12 ", "1e", "-" and "1.2.3" are
// not.
bool IsCompleteNumber(std::string_view text);

// The number at the start of the text as C's atof reads it, in decimal only and whatever the C
// locale: white space, sign, digits, point, digits, exponent; nothing readable gives 0, a value
// too large for a double gives an infinity.
double ReadLeadingNumber(std::string_view text);

// Val's reading: "&h", "&o" and "&b" read the rest as a 32-bit signed integer in base 16, 8 or 2;
// everything else as ReadLeadingNumber. notNumber, when given, tells whether the text is not a
// complete number (an unknown "&" form, a stray digit of the base, a text breaking the grammar).
double ParseNumberText(std::string_view text, bool* notNumber);

}  // namespace numbertext
