// A graphics for tests that records every drawing call with its arguments and measures text at a
// fixed width per character, so code that draws through a GraphicsImp can be checked without a
// device context.
#pragma once

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

#include "graphics/GraphicsImp.h"

class RecordingGraphics : public GraphicsImp {
public:
    explicit RecordingGraphics(Pane* pane = nullptr, int32_t charWidth = 5)
        : GraphicsImp(pane), mCharWidth(charWidth) {}

    // Characters of the text in its encoding: UTF-8 sequences, UTF-16 units and double-byte
    // characters of the system code page each count once.
    static int32_t CharacterCount(const string& text) {
        const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text.CString());
        const int32_t length = text.Length();
        const uint32_t encoding = text.Encoding();
        if (IsUTF16FamilyEncoding(encoding)) return length / 2;
        int32_t count = 0;
        for (int32_t i = 0; i < length; ++i) {
            if (encoding == kEncodingUTF8) {
                if ((bytes[i] & 0xC0) != 0x80) ++count;
            } else {
                ++count;
                if (encoding != kEncodingASCII && IsDBCSLeadByte(bytes[i])) ++i;
            }
        }
        return count;
    }

    void Record(const char* format, ...) {
        char line[256];
        va_list arguments;
        va_start(arguments, format);
        vsnprintf(line, sizeof line, format, arguments);
        va_end(arguments);
        calls.push_back(line);
    }
    static std::string Text(const string& text) { return text.IsEmpty() ? "" : text.CString(); }

    void SelectFont() override { Record("SelectFont"); }
    void BeginDrawing() override { Record("BeginDrawing"); }
    void EndDrawing() override { Record("EndDrawing"); }
    void SetClipRect(const Rect16& r) override {
        Record("SetClipRect %d %d %d %d", r.left, r.top, r.right, r.bottom);
    }
    void SetForeColor(RGBColor16 c) override {
        Record("SetForeColor %04X %04X %04X", c.red, c.green, c.blue);
        GraphicsImp::SetForeColor(c);
    }
    void SetPenMode(int32_t mode) override {
        Record("SetPenMode %d", mode);
        GraphicsImp::SetPenMode(mode);
    }
    void SetPenSize(int32_t w, int32_t h) override {
        Record("SetPenSize %d %d", w, h);
        GraphicsImp::SetPenSize(w, h);
    }
    void SetTextFont(const string& name) override {
        Record("SetTextFont %s", Text(name).c_str());
        GraphicsImp::SetTextFont(name);
    }
    void SetTextSize(int32_t size) override {
        Record("SetTextSize %d", size);
        GraphicsImp::SetTextSize(size);
    }
    void SetTextFace(int32_t face) override {
        Record("SetTextFace %d", face);
        GraphicsImp::SetTextFace(face);
    }
    void FrameRect(const Rect16& r) override {
        Record("FrameRect %d %d %d %d", r.left, r.top, r.right, r.bottom);
    }
    void PaintRect(const Rect16& r) override {
        Record("PaintRect %d %d %d %d", r.left, r.top, r.right, r.bottom);
    }
    void FillRect(const Rect16& r) override {
        Record("FillRect %d %d %d %d", r.left, r.top, r.right, r.bottom);
    }
    void EraseRect(const Rect16& r) override {
        Record("EraseRect %d %d %d %d", r.left, r.top, r.right, r.bottom);
    }
    void FrameOval(const Rect16& r) override {
        Record("FrameOval %d %d %d %d", r.left, r.top, r.right, r.bottom);
    }
    void PaintOval(const Rect16& r) override {
        Record("PaintOval %d %d %d %d", r.left, r.top, r.right, r.bottom);
    }
    void LineTo(int32_t x, int32_t y) override {
        Record("LineTo %d %d", x, y);
        MoveTo(x, y);
    }
    void DrawString(const string& text, int32_t x, int32_t y, const Rect16* clip) override {
        Record("DrawString %s %d %d%s", Text(text).c_str(), x, y, clip ? " clipped" : "");
    }
    int32_t StringWidth(const string& text, bool) override {
        ++measures;
        if (letterWidth != kFixed && text.Length() == 1 && text.CString()[0] == 'a')
            return letterWidth;
        // Condensed text is one unit narrower per character.
        const int32_t width = (mTextFace & kFaceCondensed) ? mCharWidth - 1 : mCharWidth;
        return CharacterCount(text) * width;
    }

    static constexpr int32_t kFixed = -1000;
    std::vector<std::string> calls;
    int32_t measures = 0;
    int32_t letterWidth = kFixed;  // the width of "a" when not the fixed width

private:
    int32_t mCharWidth;
};
