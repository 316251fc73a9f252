/* Calls the string library and an array's Sort slot as compiled code does, and writes what it got
 * to standard output as one line. */
#include "OutputLine.h"

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
    WriteLine();

    RuntimeUnlockArray(integers);
    RuntimeUnlockArray(parts);
    RuntimeUnlockString(joined);
    RuntimeUnlockString(replaced);
    RuntimeUnlockString(left);
}
