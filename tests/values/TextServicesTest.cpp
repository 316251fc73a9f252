// Message boxes through the recorder, backslash escapes, mnemonic markers, name-value lists and
// line endings.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "StringTesting.h"
#include "controls/MessageDialog.h"
#include "controls/MsgBox.h"
#include "core/DefinitionConversion.h"
#include "core/GuardedMemory.h"
#include "core/ObjectModel.h"
#include "values/EndOfLine.h"
#include "values/TextServices.h"

namespace {

// What one box showed, answered with the next answer of the list (IDOK when it runs out).
struct ShownBox {
    std::string text;
    std::string caption;
    uint32_t style;
    std::string action, cancel, alternate;
    bool cancelVisible, alternateVisible;
    int32_t defaultButton;
    int32_t icon;
    std::string message, explanation;
};

class BoxRecorder {
public:
    explicit BoxRecorder(std::vector<int32_t> answers = {}) : mAnswers(std::move(answers)) {
        SetMessageBoxResponder(&Respond, this);
    }
    ~BoxRecorder() { SetMessageBoxResponder(nullptr, nullptr); }
    std::vector<ShownBox> boxes;

private:
    static std::string Text(const string& s) { return std::string(BytesOf(s)); }
    static int32_t Respond(const MessageBoxRecord& box, void* context) {
        auto* self = static_cast<BoxRecorder*>(context);
        const MessageDialog& d = box.dialog;
        self->boxes.push_back({Text(box.text), Text(box.caption), box.style, Text(d.actionCaption),
                               Text(d.cancelCaption), Text(d.alternateCaption), d.cancelVisible,
                               d.alternateVisible, d.defaultButton, d.icon, Text(d.message),
                               Text(d.explanation)});
        const size_t n = self->boxes.size() - 1;
        return n < self->mAnswers.size() ? self->mAnswers[n] : IDOK;
    }
    std::vector<int32_t> mAnswers;
};

string Ascii(std::string_view bytes) { return Tagged(bytes, kEncodingASCII); }

}  // namespace

TEST(MsgBox, MessageAndExplanationSplitAtABlankLine) {
    BoxRecorder recorder;
    RuntimeMsgBox(Ascii("Saved\r\n\r\nAll done").Record());
    RuntimeMsgBox(Ascii("\r\n\r\nStarts blank").Record());
    RuntimeMsgBox(nullptr);
    ASSERT_EQ(recorder.boxes.size(), 3u);
    EXPECT_EQ(recorder.boxes[0].message, "Saved");
    EXPECT_EQ(recorder.boxes[0].explanation, "All done");
    EXPECT_EQ(recorder.boxes[0].style, uint32_t(MB_OK | MB_ICONINFORMATION));
    EXPECT_EQ(recorder.boxes[1].message, "\r\n\r\nStarts blank");
    EXPECT_EQ(recorder.boxes[1].explanation, "");
    EXPECT_EQ(recorder.boxes[2].text, "");
}

TEST(MsgBox, CodedButtonsDefaultsAndIcons) {
    struct Case {
        int32_t buttons;
        int answer;  // what the box answers
        int32_t result;
        uint32_t style;
        const char* action;
        const char* cancel;
        const char* alternate;
        int32_t defaultButton;
        int32_t icon;
    } cases[] = {
        {3 + 0x100 + 0x20, IDNO, 7, MB_YESNOCANCEL | MB_DEFBUTTON2 | MB_ICONQUESTION, "Yes", "Cancel", "No", 2, 3},
        {3, IDCANCEL, 2, MB_YESNOCANCEL, "Yes", "Cancel", "No", 1, -1},
        {0, IDOK, 1, MB_OK, "", "", "", 1, -1},
        {1 + 0x100 + 0x10, IDCANCEL, 2, MB_OKCANCEL | MB_DEFBUTTON2 | MB_ICONSTOP, "", "", "", 0, 2},
        {2, IDYES, 4, MB_YESNOCANCEL | MB_DEFBUTTON3, "Retry", "Abort", "Ignore", 0, -1},
        {2 + 0x200, IDNO, 5, MB_YESNOCANCEL | MB_DEFBUTTON2, "Retry", "Abort", "Ignore", 2, -1},
        {4 + 0x30, IDNO, 7, MB_YESNO | MB_ICONEXCLAMATION, "Yes", "", "No", 1, 1},
        {5 + 0x100 + 0x40, IDCANCEL, 2, MB_OKCANCEL | MB_DEFBUTTON2 | MB_ICONINFORMATION, "Retry", "Cancel", "", 0, 0},
        {9 + 0x60, IDOK, 1, MB_OK | MB_ICONINFORMATION, "", "", "", 1, 0},
        {3 + 0x300, IDABORT, 6, MB_YESNOCANCEL | MB_DEFBUTTON1, "Yes", "Cancel", "No", -1, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.buttons);
        BoxRecorder recorder({c.answer});
        EXPECT_EQ(VB_RuntimeMsgBox(Ascii("Go on?").Record(), c.buttons, Ascii("Title").Record()), c.result);
        ASSERT_EQ(recorder.boxes.size(), 1u);
        const ShownBox& box = recorder.boxes[0];
        EXPECT_EQ(box.style, c.style);
        EXPECT_EQ(box.action, c.action);
        EXPECT_EQ(box.cancel, c.cancel);
        EXPECT_EQ(box.alternate, c.alternate);
        EXPECT_EQ(box.defaultButton, c.defaultButton);
        EXPECT_EQ(box.icon, c.icon);
        EXPECT_EQ(box.caption, "Title");
        EXPECT_EQ(box.text, "Go on?");
    }
}

TEST(BackslashEscapes, DecodeAndEncode) {
    struct Decode {
        std::string_view text;
        std::string_view decoded;
    } decodes[] = {
        {"a\\tb", "a\tb"},
        {"\\x41", "A"},
        {"\\\"\\'\\?\\\\\\a\\b\\f\\n\\r\\v", "\"'?\\\a\b\f\n\r\v"},
        {"\\q", "q"},          // an unknown escape stands for its character
        {"end\\", "end\\"},    // a text that ends inside an escape keeps its bytes
        {"\\x4", "\\x4"},
        {"\\x", "\\x"},
        {"\\x4g!", "\x04!"},  // a character that is no hex digit is skipped
    };
    for (const Decode& d : decodes) {
        SCOPED_TRACE(std::string(d.text));
        const string text = Ascii(d.text);
        string result;
        DecodeBackslashEscape(reinterpret_cast<string*>(&result), &text);
        EXPECT_EQ(BytesOf(result), d.decoded);
        EXPECT_EQ(result.Encoding(), kEncodingUTF8);
    }

    const string bytes = Tagged("A\n\xFF?", kEncodingUnknown);
    string encoded;
    EncodeBackslashEscape(reinterpret_cast<string*>(&encoded), &bytes);
    EXPECT_EQ(BytesOf(encoded), "A\\n\\xFF\\?");
    EXPECT_EQ(encoded.Encoding(), kEncodingASCII);
    const string plain = Tagged("plain text", kEncodingUTF8);
    string same;
    EncodeBackslashEscape(reinterpret_cast<string*>(&same), &plain);
    EXPECT_EQ(BytesOf(same), "plain text");
    EXPECT_EQ(same.Encoding(), kEncodingASCII);

    // Every byte survives the way there and back.
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    const string allBytes = Tagged(all, kEncodingUnknown);
    string there;
    string back;
    EncodeBackslashEscape(reinterpret_cast<string*>(&there), &allBytes);
    DecodeBackslashEscape(reinterpret_cast<string*>(&back), &there);
    EXPECT_EQ(BytesOf(back), all);

    const string empty;
    string none;
    DecodeBackslashEscape(reinterpret_cast<string*>(&none), &empty);
    EXPECT_TRUE(none.IsEmpty());
}

TEST(Mnemonics, MarkersRemovedLastOneDesignates) {
    struct Case {
        string text;
        std::string stripped;
        int32_t mnemonic;
    } cases[] = {
        {Ascii("&File"), "File", 'F'},
        {Ascii("Save && Exit"), "Save & Exit", 0},
        {Ascii("a&"), "a", 0},
        {Ascii("&a &b"), "a b", 'b'},
        {Tagged("&\xC3\xB1" "o", kEncodingUTF8), "\xC3\xB1" "o", 0xF1},
        {Wide(u"&Open"), std::string(BytesOf(Wide(u"Open"))), 'O'},
        {Tagged("&\x82\xA0x", kEncodingShiftJIS), "\x82\xA0x", 0x3042},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(BytesOf(c.text)));
        string s = c.text;
        int32_t mnemonic = -1;
        StripAmpersands(s, &mnemonic);
        EXPECT_EQ(BytesOf(s), c.stripped);
        EXPECT_EQ(s.Encoding(), c.text.Encoding());
        EXPECT_EQ(mnemonic, c.mnemonic);
        EXPECT_EQ(BytesOf(StripAmpersandsCopy(c.text, nullptr)), c.stripped);
    }
    const string none = Ascii("None");
    string same = none;
    StripAmpersands(same, nullptr);
    EXPECT_EQ(same.Record(), none.Record());
}

TEST(NameValueList, PairsSkippingItemsWithoutOne) {
    string* names = nullptr;
    string* values = nullptr;
    EXPECT_EQ(SplitNameValueList(Ascii("a=1;b=2;c"), Ascii("="), Ascii(";"), &names, &values), 2);
    ASSERT_NE(names, nullptr);
    EXPECT_EQ(BytesOf(names[0]), "a");
    EXPECT_EQ(BytesOf(values[0]), "1");
    EXPECT_EQ(BytesOf(names[1]), "b");
    EXPECT_EQ(BytesOf(values[1]), "2");
    EXPECT_TRUE(names[2].IsEmpty());
    GuardedDeleteArray(names);
    GuardedDeleteArray(values);

    names = values = nullptr;
    EXPECT_EQ(SplitNameValueList(Ascii("a=1"), Ascii("="), Ascii(";"), &names, &values), 0);
    EXPECT_EQ(names, nullptr);
}

TEST(EndOfLine, ObjectAndReplaceLineEndings) {
    const string text = Ascii("a\r\nb\rc\nd\n\re");
    const string unix = string::Adopt(RuntimeReplaceLineEndings(text.Record(), Ascii("\n").Record()));
    EXPECT_EQ(BytesOf(unix), "a\nb\nc\nd\n\ne");
    const string windows = string::Adopt(RuntimeReplaceLineEndings(text.Record(), Ascii("\r\n").Record()));
    EXPECT_EQ(BytesOf(windows), "a\r\nb\r\nc\r\nd\r\n\r\ne");
    const string utf8 = string::Adopt(RuntimeReplaceLineEndings(Tagged("\xC3\xB1\r", kEncodingUTF8).Record(), Ascii("|").Record()));
    EXPECT_EQ(BytesOf(utf8), "\xC3\xB1|");
    EXPECT_EQ(utf8.Encoding(), kEncodingUTF8);
    EXPECT_TRUE(string::Adopt(RuntimeReplaceLineEndings(nullptr, Ascii("\n").Record())).IsEmpty());

    ObjectHeader* object = RuntimeGetEndOfLineObject();
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(BytesOf(string::Adopt(RuntimeEndOfLine())), "\r\n");
    EXPECT_EQ(RuntimeEndOfLineCompare(object, Ascii("\r\n").Record()), 0);
    EXPECT_EQ(BytesOf(string::Adopt(RuntimeEndOfLineAdd(object, Ascii("x").Record()))), "\r\nx");
    EXPECT_EQ(BytesOf(string::Adopt(RuntimeEndOfLineAddRight(object, Ascii("x").Record()))), "x\r\n");
    const string mac = string::Adopt(getMacEndOfLine(object));
    EXPECT_EQ(BytesOf(mac), "\r");
    EXPECT_EQ(string::Adopt(getMacEndOfLine(object)).Record(), mac.Record());  // kept
    EXPECT_EQ(BytesOf(string::Adopt(getWin32EndOfLine(object))), "\r\n");
    EXPECT_EQ(BytesOf(string::Adopt(getUNIXEndOfLine(object))), "\n");
    EXPECT_EQ(string::Adopt(getUNIXEndOfLine(object)).Encoding(), kEncodingASCII);
    RuntimeUnlockObject(object);
}
