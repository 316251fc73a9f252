/* One line of output that a test application builds bit by bit and writes to standard
 * output at the end. Static functions: each application includes it once. */
#ifndef QV_TEST_OUTPUT_LINE_H
#define QV_TEST_OUTPUT_LINE_H

#include "sdk/QuorvaneRuntime.h"

QV_DECLARE_FUNCTION(kernel32, GetStdHandle, void*, (uint32_t which));
QV_DECLARE_FUNCTION(kernel32, WriteFile, int32_t,
                    (void* file, const void* bytes, uint32_t count, uint32_t* written,
                     void* overlapped));

#define kStandardOutput ((uint32_t)-11)

static char sLine[256];
static int32_t sLength;

static void Append(const char* bytes, int32_t count) {
    int32_t i;
    for (i = 0; i < count && sLength < (int32_t)sizeof sLine; i++) sLine[sLength++] = bytes[i];
}

static void AppendText(const char* text) {
    int32_t count = 0;
    while (text[count]) count++;
    Append(text, count);
}

static void AppendNumber(int32_t value) {
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
static void AppendString(StringRecord* record) {
    Append("\"", 1);
    if (record) Append((const char*)record->buffer + 1, record->length);
    Append("\"", 1);
}

static void WriteLine(void) {
    uint32_t written;
    WriteFile(GetStdHandle(kStandardOutput), sLine, (uint32_t)sLength, &written, 0);
}

#endif
