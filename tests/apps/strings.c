/* Calls the string library and an array's Sort slot as compiled code does, and writes what it got
 * to standard output as one line. */
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

static void AppendString(StringRecord* record) {
    Append("\"", 1);
    if (record) Append((const char*)record->buffer + 1, record->length);
    Append("\"", 1);
}

typedef void(QV_CDECL* SetInteger)(ArrayRecord* array, int32_t value, int32_t index);

void QvMain(void) {
    StringRecord* text = QV_LITERAL("Hello, Quorvane world");
    StringRecord* left = StringLeft(text, 5);
    int32_t position = StringInStr(1, text, QV_LITERAL("QUORVANE"));
    StringRecord* replaced = StringReplaceAll(QV_LITERAL("a-b-c"), QV_LITERAL("-"), QV_LITERAL("+"));
    ArrayRecord* parts = StringSplit(QV_LITERAL("pear,Apple,fig"), QV_LITERAL(","));
    ArrayRecord* integers = CreateArray(1, kArrayInt32, 4);
    StringRecord* joined;
    int32_t i;
    uint32_t written;

    parts->operations->Sort(parts);
    joined = StringJoin(parts, QV_LITERAL(" "));
    ((SetInteger)integers->operations->Set)(integers, 8, 0);
    ((SetInteger)integers->operations->Set)(integers, -5, 1);
    ((SetInteger)integers->operations->Set)(integers, 12, 2);
    ((SetInteger)integers->operations->Set)(integers, 0, 3);
    ((SetInteger)integers->operations->Set)(integers, 3, 4);
    integers->operations->Sort(integers);

    AppendText("strings: Left ");
    AppendString(left);
    AppendText(", InStr ");
    AppendNumber(position);
    AppendText(", ReplaceAll ");
    AppendString(replaced);
    AppendText(", Split ");
    AppendNumber(RuntimeUBound(parts) + 1);
    AppendText(" parts, sorted and joined ");
    AppendString(joined);
    AppendText(", integers");
    for (i = 0; i < 5; i++) {
        AppendText(" ");
        AppendNumber(((const int32_t*)integers->data)[i]);
    }
    AppendText("\n");
    WriteFile(GetStdHandle(kStandardOutput), sLine, (uint32_t)sLength, &written, 0);

    RuntimeUnlockArray(integers);
    RuntimeUnlockArray(parts);
    RuntimeUnlockString(joined);
    RuntimeUnlockString(replaced);
    RuntimeUnlockString(left);
}
