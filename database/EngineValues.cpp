#include "EngineValues.h"

#include <vector>

#include "values/NumberFormat.h"
#include "values/NumberParse.h"

namespace {

char Upper(char c) { return c >= 'a' && c <= 'z' ? char(c - 32) : c; }
char Lower(char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; }

std::string Mapped(std::string_view text, char (*map)(char)) {
    std::string out(text);
    for (char& c : out) c = map(c);
    return out;
}

int Sign(int v) { return (v > 0) - (v < 0); }

int CompareBytes(std::string_view a, std::string_view b) {
    const int order = a.compare(b);
    return Sign(order);
}

int CompareNoCase(std::string_view a, std::string_view b) {
    const size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        const unsigned char x = static_cast<unsigned char>(Upper(a[i]));
        const unsigned char y = static_cast<unsigned char>(Upper(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    return Sign(int(a.size() > b.size()) - int(a.size() < b.size()));
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

// Splits at the separator into at most three fields; the count, or 4 when there are more.
int SplitFields(std::string_view text, char separator, std::string_view fields[3]) {
    int count = 0;
    for (;;) {
        const size_t at = text.find(separator);
        if (count == 3) return 4;
        fields[count++] = text.substr(0, at);
        if (at == std::string_view::npos) return count;
        text.remove_prefix(at + 1);
    }
}

bool Ordered(int order, int32_t op) {
    switch (op) {
        case kOpEqual: return order == 0;
        case kOpLess: return order < 0;
        case kOpGreater: return order > 0;
        case kOpLessOrEqual: return order <= 0;
        case kOpGreaterOrEqual: return order >= 0;
        case kOpNotEqual: return order != 0;
        default: return false;
    }
}

bool CompareText(std::string_view stored, int32_t op, int32_t mode, std::string_view literal) {
    if (op == kOpLike || op == kOpNotLike) {
        bool match;
        switch (mode) {
            case kModeAsStored: match = LikeMatch(stored, literal); break;
            case kModeNoCase: match = LikeMatch(Mapped(stored, Upper), Mapped(literal, Upper)); break;
            case kModeUpper: match = LikeMatch(Mapped(stored, Upper), literal); break;
            case kModeLower: match = LikeMatch(Mapped(stored, Lower), literal); break;
            default: return false;
        }
        return op == kOpLike ? match : !match;
    }
    int order;
    switch (mode) {
        case kModeAsStored: order = CompareBytes(stored, literal); break;
        case kModeNoCase: order = CompareNoCase(stored, literal); break;
        case kModeUpper: order = CompareBytes(Mapped(stored, Upper), literal); break;
        case kModeLower: order = CompareBytes(Mapped(stored, Lower), literal); break;
        default: return false;
    }
    return Ordered(order, op);
}

}  // namespace

int32_t TextToInteger(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    uint32_t value = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9')
        value = value * 10 + uint32_t(text[i++] - '0');
    return int32_t(negative ? 0u - value : value);
}

double TextToReal(std::string_view text) { return numbertext::ParseNumberText(text, nullptr); }

bool TextToBoolean(std::string_view text) { return CompareNoCase(text, "true") == 0; }

bool ParseDate(std::string_view text, int16_t parts[3]) {
    text = Trimmed(text);
    text = text.substr(0, text.find(' '));
    std::string_view fields[3];
    if (SplitFields(text, '-', fields) != 3) return false;
    for (int i = 0; i < 3; ++i) parts[i] = int16_t(TextToInteger(fields[i]));
    return true;
}

bool ParseTime(std::string_view text, int16_t parts[3]) {
    text = Trimmed(text);
    const size_t blank = text.find(' ');
    if (blank != std::string_view::npos) text.remove_prefix(blank + 1);
    std::string_view fields[3];
    const int count = SplitFields(text, ':', fields);
    if (count != 2 && count != 3) return false;
    for (int i = 0; i < 3; ++i) parts[i] = int16_t(i < count ? TextToInteger(fields[i]) : 0);
    return true;
}

bool LikeMatch(std::string_view text, std::string_view pattern) {
    // One pass that returns to the last '%' on a mismatch: each '%' restarts at most once per
    // text position, so the work is bounded by the two lengths multiplied.
    size_t t = 0, p = 0;
    size_t star = std::string_view::npos, resume = 0;
    while (t < text.size()) {
        if (p < pattern.size() && (pattern[p] == '_' || (pattern[p] != '%' && pattern[p] == text[t]))) {
            ++t;
            ++p;
        } else if (p < pattern.size() && pattern[p] == '%') {
            star = p++;
            resume = t;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            t = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '%') ++p;
    return p == pattern.size();
}

bool CompareWithLiteral(const EngineValue& value, int32_t op, int32_t mode, std::string_view literal) {
    if (op == kOpIsNull) return value.type == 0;
    if (op == kOpIsNotNull) return value.type != 0;
    if (op < kOpEqual || op > kOpNotLike) return false;
    switch (value.type) {
        case 2:
        case 3: {
            const int32_t right = TextToInteger(literal);
            return Ordered(Sign(int(value.integer > right) - int(value.integer < right)), op);
        }
        case 6:
        case 7: {
            const double right = TextToReal(literal);
            return Ordered(Sign(int(value.real > right) - int(value.real < right)), op);
        }
        case 8:
        case 9: {
            int16_t right[3];
            if (!(value.type == 8 ? ParseDate(literal, right) : ParseTime(literal, right))) return false;
            int order = 0;
            for (int i = 0; i < 3 && order == 0; ++i)
                order = Sign(int(value.parts[i]) - int(right[i]));
            return Ordered(order, op);
        }
        case 5:
        case 14:
        case 15:
        case 16: return CompareText(value.text, op, mode, literal);
        default: return false;
    }
}

bool AppendKeyCondition(std::string& out, std::string_view name, const EngineValue& value) {
    out.append(name);
    out.push_back('=');
    switch (value.type) {
        case 0: return true;
        case 2:
        case 3: out += std::to_string(value.integer); return true;
        case 5:
            out.push_back('\'');
            for (char c : value.text) {
                if (c == '\'') out.push_back('\'');
                out.push_back(c);
            }
            out.push_back('\'');
            return true;
        case 6:
        case 7: out += numbertext::FormatDouble(value.real, numbertext::kAutomatic, 7); return true;
        case 8:
        case 9: {
            const char separator = value.type == 8 ? '-' : ':';
            out.push_back('\'');
            for (int i = 0; i < 3; ++i) {
                if (i) out.push_back(separator);
                out += std::to_string(value.parts[i]);
            }
            out.push_back('\'');
            return true;
        }
        default: return false;
    }
}
