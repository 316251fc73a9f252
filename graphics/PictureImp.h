// Bitmap pictures: the reference-counted implementation behind every Picture object, and its two
// kinds. A DIBPicture is a read-only picture of a packed DIB; an OffscreenPicture has a pixel
// store of its own that is at the same time a pane, so a graphics can draw into it.
#pragma once

#include <windows.h>

#include <cstdint>

#include "core/GuardedMemory.h"
#include "core/LRUList.h"
#include "core/Rect16.h"
#include "windows/Pane.h"

class GraphicsImp;

// What LockDescription hands to a plug-in.
enum : int32_t { kDescriptionNone = 0, kDescriptionPackedDIB = 5, kDescriptionBitmap = 7 };
struct PictureDescription {
    int32_t kind;
    HANDLE handle;
    int32_t width;
    int32_t height;
};

class PictureImp : public LRUListNode, public RuntimeAllocated {
public:
    PictureImp() = default;

    // The operations in their slot order.
    ~PictureImp() override;
    virtual bool ReservedQuery() { return false; }
    // Retains the picture until UnlockDescription.
    virtual void LockDescription(PictureDescription& description);
    virtual bool LockDescriptionOfKind(PictureDescription& description, int32_t kind);
    virtual void UnlockDescription(PictureDescription& description);
    virtual void BeforeRelease() {}
    virtual void ReservedHook() {}
    // The top-left part of the picture, unscaled, into the destination.
    virtual void Draw(GraphicsImp* graphics, const Rect16& destination, bool transparent);
    // A new movable block the caller frees, or null.
    virtual HGLOBAL CopyPackedDIB() = 0;
    // Direct access to the pixels (top-down rows), ended by ReleasePixels.
    virtual bool GetPixels(int32_t& depth, uint8_t*& bits, int32_t& rowBytes);
    virtual void ReleasePixels() {}
    virtual void GetSize(int32_t& width, int32_t& height) = 0;
    virtual void DrawToDC(HDC dc, const Rect16& destination, bool transparent) = 0;
    virtual void DrawPartToDC(HDC dc, const Rect16& source, const Rect16& destination,
                              bool windowFlag, bool transparent) = 0;
    virtual bool PrefersPartDrawing() { return true; }
    virtual GraphicsImp* NewGraphics() { return nullptr; }
    virtual void ReservedHookC() {}
    virtual uint32_t ChangeSeed() { return 0; }
    virtual int32_t HResolution() { return mHResolution; }
    virtual int32_t VResolution() { return mVResolution; }
    virtual void SetHResolution(int32_t value) { mHResolution = value; }
    virtual void SetVResolution(int32_t value) { mVResolution = value; }

    void Retain() { ++mRefCount; }
    // At the last reference: BeforeRelease, then the picture is deleted.
    void Release();
    int32_t Depth() const { return mDepth; }
    // There are no cached renderings on this platform.
    void ClearCache() {}
    PictureImp* GetMask() const { return mMask; }
    // A white 32-bit offscreen picture of the picture's size, made when there is no mask.
    void EnsureMask();
    // Pictures here hold one image; IndexedImage answers this picture with a reference for the
    // caller.
    int32_t ImageCount() const { return 1; }
    PictureImp* IndexedImage(int32_t index);
    // The source part scaled into the destination (device units) of the graphics' context.
    void DrawIntoGraphics(GraphicsImp* graphics, const Rect16& source, const Rect16& destination,
                          bool transparent);
    // CopyPackedDIB of a 16-bit picture gives 24 bits from now on.
    void SetWiden16() { mWiden16 = 1; }

protected:
    int16_t mRefCount = 1;
    int32_t mHResolution = 72;
    int32_t mVResolution = 72;
    int32_t mDepth = 0;
    PictureImp* mMask = nullptr;  // one reference
    uint8_t mWiden16 = 0;
};

// Holds one reference to a picture and releases it.
class PictureRef {
public:
    PictureRef() = default;
    // Takes over the reference the caller owns.
    explicit PictureRef(PictureImp* picture) : mPicture(picture) {}
    ~PictureRef() { Reset(); }
    PictureRef(const PictureRef&) = delete;
    PictureRef& operator=(const PictureRef&) = delete;

    PictureImp* Get() const { return mPicture; }
    PictureImp* operator->() const { return mPicture; }
    explicit operator bool() const { return mPicture != nullptr; }
    PictureImp* Detach() {
        PictureImp* picture = mPicture;
        mPicture = nullptr;
        return picture;
    }
    void Reset(PictureImp* picture = nullptr) {
        if (mPicture) mPicture->Release();
        mPicture = picture;
    }

private:
    PictureImp* mPicture = nullptr;
};

// A read-only picture of a packed DIB. Any header the BMP reader accepts (core, info, the
// larger versions, bit fields, top-down rows) is read; the pixels are kept in a 32-bit DIB
// section, so what GDI makes of the header does not matter. Depth is the header's bit count.
class DIBPicture : public PictureImp {
public:
    // Copies the block; the caller keeps its own. A block the reader refuses makes a picture
    // without pixels, of size 0, 0.
    explicit DIBPicture(HGLOBAL packedDIB);
    ~DIBPicture() override;

    void LockDescription(PictureDescription& description) override;
    void UnlockDescription(PictureDescription& description) override;
    HGLOBAL CopyPackedDIB() override;
    void GetSize(int32_t& width, int32_t& height) override;
    void DrawToDC(HDC dc, const Rect16& destination, bool transparent) override;
    void DrawPartToDC(HDC dc, const Rect16& source, const Rect16& destination, bool windowFlag,
                      bool transparent) override;

private:
    HBITMAP mSection = nullptr;
    HGLOBAL mPackedDIB = nullptr;
    HGLOBAL mLent = nullptr;
    int32_t mWidth = 0;
    int32_t mHeight = 0;
};

class OffscreenPicture : public PictureImp, public Pane {
public:
    // Depth 2 is stored as 4. A depth other than 1, 4, 8, 16, 24 or 32, or a section that cannot
    // be made, gives a picture without pixels that keeps its size and draws nothing.
    OffscreenPicture(const Rect16& rect, int32_t depth, int32_t unused = 0);
    // The same with a size beyond the pane's 16-bit rectangle kept whole.
    OffscreenPicture(int32_t width, int32_t height, int32_t depth);
    ~OffscreenPicture() override;

    bool ReservedQuery() override { return false; }
    void LockDescription(PictureDescription& description) override;
    bool LockDescriptionOfKind(PictureDescription& description, int32_t kind) override;
    void UnlockDescription(PictureDescription& description) override;
    void BeforeRelease() override;
    HGLOBAL CopyPackedDIB() override;
    bool GetPixels(int32_t& depth, uint8_t*& bits, int32_t& rowBytes) override;
    void GetSize(int32_t& width, int32_t& height) override {
        width = mWidth;
        height = mHeight;
    }
    void DrawToDC(HDC dc, const Rect16& destination, bool transparent) override;
    void DrawPartToDC(HDC dc, const Rect16& source, const Rect16& destination, bool windowFlag,
                      bool transparent) override;
    GraphicsImp* NewGraphics() override;
    uint32_t ChangeSeed() override { return mChangeSeed; }

    // The pane part.
    bool Focus() override;
    bool Unfocus() override { return false; }
    bool IsOffscreen() override { return true; }
    void ValidateAll() override {}
    void Validate(const Rect16&) override {}
    // The counted memory context that holds the pixels; acquisitions nest.
    HDC AcquireDC(bool& mustRelease) override;
    void ReleaseDC(bool mustRelease) override;

    bool HasBitmap() const { return mSection != nullptr; }
    // The other picture, whole, scaled into this whole picture.
    void CopyFromPicture(PictureImp* other);
    int32_t RowBytes() const { return mRowBytes; }
    uint8_t* Bits() const { return mBits; }

    // Builds or refreshes the white mask and the colour copy of transparent drawing; false when
    // the depth has no white rule or the bitmaps cannot be made.
    bool BuildWhiteMask();
    int32_t WhiteMaskBuilds() const { return mWhiteMaskBuilds; }

private:
    void Construct(int32_t depth);
    void BlendWithMask(HDC dc, const Rect16& destination, const Rect16& source);

    HBITMAP mSection = nullptr;
    HBITMAP mWhiteMask = nullptr;
    HBITMAP mColorCopy = nullptr;
    BITMAPINFOHEADER* mHeader = nullptr;  // with the colour table after it
    int32_t mHeaderSize = 40;
    uint32_t mWhiteMaskSeed = 0;
    uint8_t* mColorCopyBits = nullptr;
    uint8_t* mWhiteMaskBits = nullptr;
    uint8_t* mBits = nullptr;
    int32_t mRowBytes = 0;
    HDC mMemoryDC = nullptr;
    HGDIOBJ mPreviousBitmap = nullptr;
    int32_t mDCCount = 0;
    HGLOBAL mLent = nullptr;
    uint32_t mChangeSeed = 0;
    int32_t mWidth = 0;
    int32_t mHeight = 0;
    int32_t mWhiteMaskBuilds = 0;
};

// Row bytes of a top-down DIB row of the depth; 0 for a depth without a pixel layout.
int32_t PictureRowBytes(int32_t width, int32_t depth);

// A top-down DIB section of the depth with the default colour table of depths 1, 2, 4 and 8;
// null when it cannot be made.
HBITMAP NewDIBSectionOfDepth(int32_t width, int32_t height, int32_t depth, uint8_t** bits,
                             int32_t* rowBytes);

// The 5-5-5 pixels of a 16-bit picture as a bottom-up 24-bit packed DIB; height as stored
// (negative for top-down rows).
HGLOBAL WidenPackedDIB16(int32_t width, int32_t height, const uint8_t* bits);

// A 32-bit offscreen picture of the BMP file's pixels, its resolution from the pixels-per-metre
// fields; null for bytes that are no BMP the reader accepts.
PictureImp* NewDIBPictureFromBMP(const void* bytes, uint32_t length);
