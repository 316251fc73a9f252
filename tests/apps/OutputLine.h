/* The one line of output a packed test application builds and then writes to standard output. */
#ifndef QV_TEST_OUTPUT_LINE_H
#define QV_TEST_OUTPUT_LINE_H

#include "sdk/QuorvaneRuntime.h"

QV_DECLARE_FUNCTION(kernel32, GetStdHandle, void*, (uint32_t which));
QV_DECLARE_FUNCTION(kernel32, WriteFile, int32_t,
                    (void* file, const void* bytes, uint32_t count, uint32_t* written,
                     void* overlapped));

static char sLine[512];
static int32_t sLength;

static inline void Append(const char* bytes, int32_t count) {
    int32_t i;
    for (i = 0; i < count && sLength < (int32_t)sizeof sLine; i++) sLine[sLength++] = bytes[i];
}

static inline int32_t TextLength(const char* text) {
    int32_t count = 0;
    while (text[count]) count++;
    return count;
}

static inline void AppendText(const char* text) { Append(text, TextLength(text)); }

static inline void AppendNumber(int32_t value) {
    char digits[12];
    int32_t count = 0;
    uint32_t rest = value < 0 ? 0u - (uint32_t)value : (uint32_t)value;
    if (value < 0) Append("-", 1);
    do {
        digits[sizeof digits - 1 - count++] = (char)('0' + rest % 10);
        rest /= 10;
    } while (rest);
    Append(digits + sizeof digits - count, count);
}

/* The text in quotes, as the record's buffer holds it after the length byte. */
static inline void AppendString(StringRecord* record) {
    Append("\"", 1);
    if (record) Append((const char*)record->buffer + 1, record->length);
    Append("\"", 1);
}

/* Ends the line and writes it. */
static inline void WriteLine(void) {
    uint32_t written;
    Append("\n", 1);
    WriteFile(GetStdHandle((uint32_t)-11), sLine, (uint32_t)sLength, &written, 0);
}

#endif
