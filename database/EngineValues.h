// The value rules of the built-in engine, over byte strings: value texts turned into stored
// values, dates and times parsed, a column value compared with a WHERE literal (LIKE included),
// and the texts of row keys. Free of the runtime's objects, so it also builds natively.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Operator codes and comparison modes of WHERE leaves and inner nodes.
enum EngineOperator : int32_t {
    kOpEqual = 0,
    kOpLess = 1,
    kOpGreater = 2,
    kOpLessOrEqual = 3,
    kOpGreaterOrEqual = 4,
    kOpNotEqual = 5,
    kOpLike = 6,
    kOpNotLike = 7,
    kOpIsNull = 8,
    kOpIsNotNull = 9,
    kOpAnd = 64,
    kOpOr = 65,
};

enum EngineMode : int32_t {
    kModeAsStored = 0,
    kModeNoCase = 1,
    kModeUpper = 2,
    kModeLower = 3,
};

// A column value decoded from its stored form. type 0 is NULL; short and long use integer,
// float and double real, date and time parts, text and the binary types text, boolean integer.
struct EngineValue {
    uint8_t type = 0;
    int32_t integer = 0;
    double real = 0;
    int16_t parts[3] = {};
    std::string_view text;
};

// The text-to-integer reading of value texts: blanks, a sign, digits; 32-bit wrap-around.
int32_t TextToInteger(std::string_view text);
// The number reading of value texts (as Val reads them).
double TextToReal(std::string_view text);
// True exactly for "true" in any case.
bool TextToBoolean(std::string_view text);
// "Y-M-D[ ...]" and "[... ]h:m[:s]"; false when the fields are not there.
bool ParseDate(std::string_view text, int16_t parts[3]);
bool ParseTime(std::string_view text, int16_t parts[3]);

// '%' any run, '_' one byte, anything else itself; the whole text must match. Time is bounded by
// the product of the two lengths.
bool LikeMatch(std::string_view text, std::string_view pattern);

// One WHERE leaf (operator 0 to 9, column value on the left): false for booleans, NULL (but for
// IS NULL), LIKE on numbers, dates and times, a literal that is no date or time, unknown modes.
bool CompareWithLiteral(const EngineValue& value, int32_t op, int32_t mode, std::string_view literal);

// The condition text of one key column: name=value, the value as RowKey writes it; false for a
// type without a key text.
bool AppendKeyCondition(std::string& out, std::string_view name, const EngineValue& value);
