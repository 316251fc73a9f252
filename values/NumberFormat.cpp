#include "values/NumberFormat.h"

#include <charconv>
#include <cmath>

namespace numbertext {

namespace {

// Bytes of the UTF-8 character whose lead byte is c (1 for a stray continuation byte).
int CharacterLength(unsigned char c) {
    if (c >= 0xF0) return 4;
    if (c >= 0xE0) return 3;
    if (c >= 0xC0) return 2;
    return 1;
}

// Bytes an escape skips after its "\" at index i: one byte, or the whole character in UTF-8 text.
size_t EscapedLength(std::string_view text, size_t i, bool utf8Text) {
    if (i + 1 >= text.size()) return text.size() - i - 1;
    const size_t length = utf8Text ? CharacterLength(static_cast<unsigned char>(text[i + 1])) : 1;
    return std::min(length, text.size() - i - 1);
}

bool IsZeroText(std::string_view digits) {
    for (char c : digits)
        if (c != '0' && c != '.') return false;
    return true;
}

}  // namespace

std::string FormatDigits(double x, bool fixed, int digits) {
    if (std::isnan(x)) return "NaN";
    if (x == 0) x = 0.0;
    int precision = fixed ? digits : digits - 1;
    if (precision < 0) precision = 0;
    // Room for the sign, all 309 integer digits of the largest double, the point, the decimals and
    // an exponent.
    std::string text(static_cast<size_t>(precision) + 320, '\0');
    const auto result = std::to_chars(text.data(), text.data() + text.size(), x,
                                      fixed ? std::chars_format::fixed
                                            : std::chars_format::scientific,
                                      precision);
    text.resize(static_cast<size_t>(result.ptr - text.data()));
    if (!fixed) {
        const size_t exponent = text.find("e+0");
        if (exponent != std::string::npos) text.erase(exponent + 2, 1);
    }
    if (text.size() > 1 && text[0] == '-' && IsZeroText(std::string_view(text).substr(1)))
        text.erase(0, 1);
    return text;
}

std::string FormatDouble(double x, int notation, int digits) {
    if (x == 0) x = 0.0;
    const double magnitude = std::fabs(x);
    const bool fixed = notation == kFixed ||
                       (notation == kAutomatic &&
                        (x == 0 || (magnitude >= 1e-5 && magnitude <= 1e6)));
    if (fixed && std::isfinite(x)) {
        for (double rest = magnitude; rest >= 1; rest /= 10) --digits;
    }
    std::string text = FormatDigits(x, fixed, digits);
    // Only a fraction loses its trailing zeros: the zeros of an integer text are digits.
    if (fixed && digits != 0 && text.find('.') != std::string::npos) {
        while (text.back() == '0') text.pop_back();
        if (text.back() == '.') text.pop_back();
    }
    return text;
}

std::string_view SelectFormatSection(int sign, std::string_view picture, bool utf8Text) {
    constexpr std::string_view kScientific = "scientific";
    if (picture.size() == kScientific.size()) {
        bool same = true;
        for (size_t i = 0; i < picture.size() && same; ++i)
            same = (picture[i] | 0x20) == kScientific[i];
        if (same) return "-#.000000E+";
    }
    size_t separators[2] = {std::string_view::npos, std::string_view::npos};
    int found = 0;
    for (size_t i = 0; i < picture.size() && found < 2; ++i) {
        if (picture[i] == '\\')
            i += EscapedLength(picture, i, utf8Text);
        else if (picture[i] == ';')
            separators[found++] = i;
    }
    const size_t p1 = separators[0], p2 = separators[1];
    if (found == 0) return picture;
    if (sign > 0 || (sign == 0 && found < 2)) return picture.substr(0, p1);
    if (found < 2) return picture.substr(p1 + 1);
    if (sign < 0) return picture.substr(p1 + 1, p2 - p1 - 1);
    return picture.substr(p2 + 1);
}

std::string FormatWithPicture(double x, std::string_view picture, bool utf8Text,
                              std::string_view thousands, std::string_view decimal) {
    const int sign = (x > 0 || std::isnan(x)) ? 1 : (x < 0 ? -1 : 0);
    const std::string_view section = SelectFormatSection(sign, picture, utf8Text);
    const bool negative = x < 0 || std::isnan(x);
    if (negative) x = -x;

    int intPlaces = 0, decPlaces = 0;
    bool percent = false, grouping = false, scientific = false, seenDot = false;
    for (size_t i = 0; i < section.size(); ++i) {
        switch (section[i]) {
            case '\\': i += EscapedLength(section, i, utf8Text); break;
            case '#':
            case '0':
                if (!scientific) ++(seenDot ? decPlaces : intPlaces);
                break;
            case '.': seenDot = true; break;
            case '%': percent = true; break;
            case ',': grouping = true; break;
            case 'E':
            case 'e': scientific = true; break;
            default: break;
        }
    }
    if (percent) x *= 100;

    std::string digits = FormatDigits(x, !scientific, scientific ? decPlaces + 1 : decPlaces);
    size_t ePos = digits.find('e');
    if (decPlaces != 0) {
        if (!scientific || ePos == std::string::npos) {
            while (!digits.empty() && digits.back() == '0') digits.pop_back();
        } else {
            while (ePos > 0 && digits[ePos - 1] == '0') digits.erase(--ePos, 1);
        }
    }
    if (ePos == std::string::npos) {
        ePos = digits.size();
        scientific = false;
    }
    const size_t dotFound = digits.find('.');
    const long dotPos = static_cast<long>(dotFound == std::string::npos ? ePos : dotFound);
    const long digitsEnd = static_cast<long>(ePos);

    std::string out;
    out.reserve(digits.size() + section.size() + 8);
    long k = 0;
    bool inFraction = false, started = false, exponentDone = false;
    for (size_t i = 0; i < section.size(); ++i) {
        const char c = section[i];
        switch (c) {
            case '\\': {
                const size_t length = EscapedLength(section, i, utf8Text);
                out.append(section.substr(i + 1, length));
                i += length;
                break;
            }
            case '#':
            case '0': {
                std::string_view pending;
                long pos;
                if (!inFraction) {
                    if (k == 0 && intPlaces < dotPos) {
                        // The integer has more digits than placeholders: the first one takes
                        // the surplus.
                        for (long j = 0; j <= dotPos - intPlaces; ++j) {
                            if (grouping && j >= 1 && (dotPos - j) % 3 == 0) out.append(thousands);
                            out.push_back(digits[static_cast<size_t>(j)]);
                        }
                        started = true;
                        ++k;
                        break;
                    }
                    pos = dotPos - (intPlaces - k);
                    if (grouping && started && (dotPos - pos) % 3 == 0) pending = thousands;
                } else {
                    pos = dotPos + k + 1;
                }
                if (!exponentDone) {
                    if (pos >= 0 && pos < digitsEnd) {
                        out.append(pending);
                        out.push_back(digits[static_cast<size_t>(pos)]);
                        started = true;
                    } else if (c == '0') {
                        out.append(pending);
                        out.push_back('0');
                        started = true;
                    }
                }
                ++k;
                break;
            }
            case '.':
                if (!inFraction) {
                    out.append(decimal);
                    inFraction = true;
                    k = 0;
                }
                break;
            case '+':
                if (negative)
                    out.push_back('-');
                else if (x > 0)
                    out.push_back('+');
                break;
            case '-':
                if (negative) out.push_back('-');
                break;
            case '%':
            case '(':
            case ')': out.push_back(c); break;
            case 'E':
            case 'e': {
                if (!scientific) break;
                out.push_back(c);
                std::string_view exponent = std::string_view(digits).substr(ePos + 1);
                const char next = i + 1 < section.size() ? section[i + 1] : '\0';
                if (next == '+') {
                    if (exponent.empty() || (exponent[0] != '+' && exponent[0] != '-'))
                        out.push_back('+');
                    ++i;
                } else if (next == '-') {
                    if (!exponent.empty() && exponent[0] == '+') exponent.remove_prefix(1);
                    ++i;
                }
                out.append(exponent);
                exponentDone = true;
                break;
            }
            default: break;
        }
    }
    return out;
}

}  // namespace numbertext
