#include "GraphicsImp.h"

#include <cstring>

#include "graphics/PictureImp.h"
#include "windows/Pane.h"

namespace {

GraphicsImp* sCurrentGraphics = nullptr;

constexpr uint8_t kStandardPatterns[4][8] = {
    {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
    {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA},
    {0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00},
    {0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA},
};

bool IsBlank(unsigned char byte) { return byte == ' ' || byte == '\t'; }

// pos moved back to the start of the character it falls in.
int32_t CharacterStart(const unsigned char* bytes, int32_t length, int32_t pos, uint32_t encoding) {
    if (pos >= length) return pos;
    if (encoding == kEncodingUTF8) {
        while (pos > 0 && (bytes[pos] & 0xC0) == 0x80) --pos;
    } else if (IsUTF16FamilyEncoding(encoding)) {
        if (pos & 1) --pos;
    } else if (encoding != kEncodingASCII && encoding != 0) {
        if (pos > 0 && IsDBCSLeadByte(bytes[pos - 1])) --pos;
    }
    return pos;
}

}  // namespace

GraphicsImp* CurrentGraphics() { return sCurrentGraphics; }
void SetCurrentGraphics(GraphicsImp* graphics) { sCurrentGraphics = graphics; }

GraphicsImp::GraphicsImp(Pane* pane) : mPane(pane), mFontName("System") {}

GraphicsImp::~GraphicsImp() {
    if (sCurrentGraphics == this) {
        EndDrawing();
        sCurrentGraphics = nullptr;
    }
    if (mOwnsPane && mPane) delete mPane;
    mPane = nullptr;
}

void GraphicsImp::AlignPattern() {
    uint8_t rows[8];
    const int32_t dy = (mOriginY + mPatternOriginY) & 7;
    for (int32_t i = 0; i < 8; ++i) rows[i] = mPattern[(i + dy) & 7];
    const int32_t dx = (mOriginX + mPatternOriginX) & 7;
    for (int32_t i = 0; i < 8; ++i)
        mAlignedPattern[i] =
            dx ? static_cast<uint8_t>((rows[i] << dx) | (rows[i] >> (8 - dx))) : rows[i];
}

void GraphicsImp::SetPattern(const uint8_t rows[8]) {
    std::memcpy(mPattern, rows, 8);
    AlignPattern();
}

void GraphicsImp::SetStandardPattern(int32_t kind) {
    std::memcpy(mPattern, kStandardPatterns[kind >= 0 && kind <= 3 ? kind : 0], 8);
    AlignPattern();
}

void GraphicsImp::SetTextStyle(const TextStyle& style) {
    SetTextFont(style.fontName);
    SetTextSize(style.size);
    SetTextFace(style.FaceBits());
}

void GraphicsImp::DrawPicturePart(int32_t x, int32_t y, PictureImp* picture, int32_t sourceX,
                                  int32_t sourceY, int32_t width, int32_t height,
                                  bool transparent) {
    DrawPictureScaled(x, y, width, height, picture, sourceX, sourceY, width, height, transparent);
}

void GraphicsImp::DrawPictureScaled(int32_t x, int32_t y, int32_t width, int32_t height,
                                    PictureImp* picture, int32_t sourceX, int32_t sourceY,
                                    int32_t sourceWidth, int32_t sourceHeight, bool transparent) {
    if (!picture) return;
    const Rect16 source = MakeRect16(sourceX, sourceY, sourceX + sourceWidth,
                                     sourceY + sourceHeight);
    const Rect16 destination = MakeRect16(x - mOriginX, y - mOriginY, x - mOriginX + width,
                                          y - mOriginY + height);
    picture->DrawIntoGraphics(this, source, destination, transparent);
}

void GraphicsImp::DrawPicturePartTransparent(int32_t x, int32_t y, PictureImp* picture,
                                             int32_t sourceX, int32_t sourceY, int32_t width,
                                             int32_t height) {
    DrawPicturePart(x, y, picture, sourceX, sourceY, width, height, true);
}

void GraphicsImp::SetOrigin(int32_t x, int32_t y) {
    mOriginX = x;
    mOriginY = y;
    AlignPattern();
}

void GraphicsImp::SetPatternOrigin(int32_t x, int32_t y) {
    mPatternOriginX = x;
    mPatternOriginY = y;
    AlignPattern();
}

int32_t GraphicsImp::FitStringToWidth(const string& text, int32_t width, bool breakAtBlanks) {
    if (StringWidth(text, false) < width) return text.Length();
    const uint32_t encoding = text.IsEmpty() ? kEncodingASCII : text.Encoding();
    const int32_t length = text.Length();
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text.CString());
    double factor = 1.8;
    int32_t step = 2;
    if (encoding == kEncodingASCII) {
        factor = 1.0;
        step = 1;
    } else if (encoding == kEncodingUTF8) {
        factor = 1.1;
        step = 6;
    } else if (IsUTF16FamilyEncoding(encoding)) {
        factor = 2.0;
        step = 2;
    }
    // Without a usable width of "a" (no pane, no font) the search starts at the middle.
    const int32_t letterWidth = StringWidth(string("a"), false);
    bool firstPass = letterWidth > 0;
    int32_t guess = 0;
    if (firstPass) {
        const double quotient = width / (letterWidth * factor);
        guess = quotient <= 0 ? 0 : quotient >= length ? length : static_cast<int32_t>(quotient);
    }
    int32_t lo = 0;
    int32_t hi = length;
    bool growingUp = false;
    bool growingDown = false;
    while (lo < hi) {
        int32_t pos = firstPass ? guess : (lo + hi) / 2;
        pos = CharacterStart(bytes, length, pos, encoding);
        if (pos == lo && !firstPass) break;
        const int32_t w = StringWidth(pos >= length ? text : LeftBytes(text, pos), false);
        if (w < width) {
            lo = pos;
            growingDown = false;
            if (firstPass) growingUp = true;
            if (growingUp) {
                if (pos + step < length) {
                    hi = pos + step;
                    step *= 2;
                } else {
                    hi = length;
                    growingUp = false;
                }
            }
        } else {
            hi = pos;
            growingUp = false;
            if (firstPass) growingDown = true;
            if (growingDown) {
                if (pos - step > 0) {
                    lo = pos - step;
                    step *= 2;
                } else {
                    lo = 0;
                    growingDown = false;
                }
            }
        }
        firstPass = false;
    }
    // A lower bound that the search took without measuring may fall inside a character.
    lo = CharacterStart(bytes, length, lo, encoding);
    if (breakAtBlanks) {
        for (int32_t k = lo < length ? lo : length - 1; k >= 1; --k) {
            if (IsBlank(bytes[k])) {
                lo = k;
                break;
            }
        }
        while (lo < length && IsBlank(bytes[lo])) ++lo;
    }
    return lo;
}

void GraphicsImp::DrawTruncatedString(string& text, int32_t x, int32_t y, int32_t maxWidth,
                                      const string& suffix, const Rect16* clip) {
    if (!mPane) return;
    const int32_t face = mTextFace;
    BeginDrawing();
    SelectFont();
    int32_t w = StringWidth(text, false);
    if (w > maxWidth) {
        SetTextFace(face | kFaceCondensed);
        w = StringWidth(text, false);
    }
    bool drawSuffix = false;
    if (w > maxWidth) {
        const int32_t suffixWidth = StringWidth(suffix, false);
        if (suffixWidth < maxWidth) {
            text = LeftBytes(text, FitStringToWidth(text, maxWidth - suffixWidth, false));
            w = StringWidth(text, false);
            drawSuffix = true;
        } else {
            text = string();
        }
    }
    if (!text.IsEmpty()) DrawString(text, x, y, clip);
    if (drawSuffix) DrawString(suffix, x + w, y, clip);
    SetTextFace(face);
}

void DisposeGraphicsImp(GraphicsImp* graphics) { delete graphics; }

GraphicsStateSaver::GraphicsStateSaver(GraphicsImp* graphics) : mGraphics(graphics) {
    if (!graphics) return;
    mForeColor = graphics->mForeColor;
    mOpacity = graphics->mOpacity;
    mFontName = graphics->mFontName;
    mTextSize = graphics->mTextSize;
    mTextFace = graphics->mTextFace;
    mPenWidth = graphics->mPenWidth;
    mPenHeight = graphics->mPenHeight;
    mPenMode = graphics->mPenMode;
    mOriginX = graphics->mOriginX;
    mOriginY = graphics->mOriginY;
    mSaved = true;
}

void GraphicsStateSaver::Restore() {
    if (!mSaved) return;
    mGraphics->SetForeColor(mForeColor);
    mGraphics->SetOrigin(mOriginX, mOriginY);
    mGraphics->SetPenMode(mPenMode);
    mGraphics->SetPenSize(mPenWidth, mPenHeight);
    mGraphics->SetTextFont(mFontName);
    mGraphics->SetTextSize(mTextSize);
    mGraphics->SetTextFace(mTextFace);
    mGraphics->mOpacity = mOpacity;
    mSaved = false;
}

extern "C" void EnableCoreGraphicsTextOnOSX() {}

void CloseMoviesOfPane(Pane*) {}
