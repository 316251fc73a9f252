#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>

#include "core/ByteHandle.h"
#include "windows/Geometry.h"
#include "windows/SystemPrimitives.h"

namespace {

Rect16 R(int16_t left, int16_t top, int16_t right, int16_t bottom) {
    Rect16 rect;
    return SetRect16(rect, left, top, right, bottom);
}

void ExpectRect(const Rect16& rect, int left, int top, int right, int bottom) {
    EXPECT_EQ(rect.left, left);
    EXPECT_EQ(rect.top, top);
    EXPECT_EQ(rect.right, right);
    EXPECT_EQ(rect.bottom, bottom);
}

}  // namespace

TEST(Rect16Operations, PointInRectExcludesRightAndBottomEdges) {
    const Rect16 rect = R(10, 20, 30, 40);
    struct Case { int v, h; bool inside; } cases[] = {
        {20, 10, true}, {39, 29, true}, {40, 15, false}, {25, 30, false}, {19, 15, false},
        {25, 9, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PointInRect16(PanePoint{c.v, c.h}, rect), c.inside) << c.v << "," << c.h;
}

TEST(Rect16Operations, InsetCollapsesAnInsideOutResultOnly) {
    Rect16 rect = R(0, 0, 10, 10);
    InsetRect16(rect, 5, 5);
    ExpectRect(rect, 5, 5, 5, 5);
    rect = R(0, 0, 10, 10);
    InsetRect16(rect, 6, 6);
    ExpectRect(rect, 0, 0, 0, 0);
    rect = R(0, 0, 10, 10);
    InsetRect16(rect, -2, 1);
    ExpectRect(rect, -2, 1, 12, 9);
}

TEST(Rect16Operations, IntersectIsStrictAndMayWriteIntoAnInput) {
    Rect16 out = R(1, 1, 2, 2);
    EXPECT_FALSE(IntersectRect16(R(0, 0, 10, 10), R(10, 0, 20, 10), out));
    ExpectRect(out, 0, 0, 0, 0);
    Rect16 a = R(0, 0, 10, 10);
    EXPECT_TRUE(IntersectRect16(a, R(5, -5, 20, 8), a));
    ExpectRect(a, 5, 0, 10, 8);
    Rect16 moved = R(1, 2, 3, 4);
    ExpectRect(OffsetRect16(moved, 10, -2), 11, 0, 13, 2);
    EXPECT_TRUE(EqualRect16(moved, R(11, 0, 13, 2)));
    EXPECT_FALSE(EqualRect16(moved, R(11, 0, 13, 3)));
}

TEST(ByteHandleTest, ResizeKeepsTheLeadingBytesAndNullHandlesAreAllowed) {
    ByteHandle* handle = NewByteHandle(8);
    std::memcpy(handle->data, "abcdefgh", 8);
    SetByteHandleSize(handle, 3);
    EXPECT_EQ(GetByteHandleSize(handle), 3);
    EXPECT_EQ(std::memcmp(handle->data, "abc", 3), 0);
    SetByteHandleSize(handle, 100);
    EXPECT_EQ(std::memcmp(handle->data, "abc", 3), 0);
    DisposeByteHandle(handle);
    EXPECT_EQ(GetByteHandleSize(nullptr), 0);
    SetByteHandleSize(nullptr, 5);
    DisposeByteHandle(nullptr);
}

TEST(ByteHandleTest, MoveBytesHandlesOverlapBothWays) {
    char text[] = "0123456789";
    MoveBytes(text, text + 2, 5);
    EXPECT_STREQ(text, "0101234789");
    char back[] = "0123456789";
    MoveBytes(back + 2, back, 5);
    EXPECT_STREQ(back, "2345656789");
}

TEST(StandardColors, SystemAndTableKinds) {
    for (int kind : {0, 1, 2, 5, 6}) {
        static constexpr int kIndex[] = {COLOR_WINDOWFRAME, COLOR_BTNFACE, COLOR_BTNTEXT, 0, 0,
                                         COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW};
        const COLORREF system = GetSysColor(kIndex[kind]);
        RGBColor16 colour;
        int32_t packed = -1;
        GetStandardColor(kind, &colour, &packed);
        EXPECT_EQ(colour.red, GetRValue(system) * 257) << kind;
        EXPECT_EQ(colour.blue, GetBValue(system) * 257) << kind;
        EXPECT_EQ(packed, GetRValue(system) << 16 | GetGValue(system) << 8 | GetBValue(system));
    }
    RGBColor16 grey;
    int32_t packed = 0;
    GetStandardColor(4, &grey, &packed);
    EXPECT_EQ(grey.green, 0xAAAA);
    EXPECT_EQ(packed, 0xAAAAAA);
    GetStandardColor(3, nullptr, &packed);
    EXPECT_EQ(packed, 0xFFFFFF);
    GetStandardColor(1, nullptr, nullptr);
}

TEST(AppearanceAnswers, PreAppearanceAndThreeDimensional) {
    EXPECT_EQ(GetAppearanceVersion(), 0);
    EXPECT_FALSE(AppearanceIsFlat());
    DrawingStateSaver saver;
    EXPECT_EQ(saver.mSaved, 1);
    saver.Restore();
    EXPECT_EQ(saver.mSaved, 0);
    EXPECT_EQ(DoubleClickTicks(), static_cast<int32_t>(GetDoubleClickTime() * 6 / 100));
}
