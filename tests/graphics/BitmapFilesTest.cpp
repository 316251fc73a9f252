// BMP files written by other programs, read as pictures and compared with the colours ImageMagick
// reads from them; hostile files give no picture. Then python.bmp painted into a window through a
// Graphics object, opaque, transparent, masked and scaled, and compared with a screenshot taken
// from outside Wine. The files come from tests/graphics/make-bitmap-files.sh (QV_BITMAP_FILES).
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "MessagePump.h"
#include "ScreenCapture.h"
#include "core/ObjectModel.h"
#include "graphics/GraphicsClass.h"
#include "graphics/PictureClass.h"
#include "graphics/PictureImp.h"
#include "graphics/RGBSurface.h"
#include "windows/Drawing.h"
#include "windows/Pane.h"
#include "windows/PaneWindowClass.h"

namespace {

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

struct BitmapFile {
    bool good;
    std::string name;
    int width = 0, height = 0;
};

// The folder of the files, or empty when the test runs without its fixture.
std::string Folder() {
    const char* folder = std::getenv("QV_BITMAP_FILES");
    return folder ? std::string(folder) + "/" : std::string();
}

std::vector<BitmapFile> ListedFiles() {
    std::ifstream list(Folder() + "files.txt");
    std::vector<BitmapFile> files;
    std::string line;
    while (std::getline(list, line)) {
        std::istringstream fields(line);
        std::string kind;
        BitmapFile file;
        fields >> kind >> file.name >> file.width >> file.height;
        file.good = kind == "good";
        files.push_back(file);
    }
    return files;
}

// ImageMagick's reading of a file: 0xAARRGGBB, rows top first.
std::vector<uint32_t> MagickPixels(const std::string& bmpName) {
    const auto bytes = ReadFile(Folder() + bmpName.substr(0, bmpName.size() - 4) + ".rgba");
    std::vector<uint32_t> pixels(bytes.size() / 4);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<uint32_t>(bytes[4 * i + 3]) << 24 | bytes[4 * i] << 16 |
                    bytes[4 * i + 1] << 8 | bytes[4 * i + 2];
    return pixels;
}

PictureImp* LoadPicture(const std::string& name) {
    const auto bytes = ReadFile(Folder() + name);
    return NewDIBPictureFromBMP(bytes.data(), static_cast<uint32_t>(bytes.size()));
}

#define REQUIRE_BITMAP_FILES()                                                        \
    if (Folder().empty()) GTEST_SKIP() << "QV_BITMAP_FILES is not set: run through CTest"

}  // namespace

TEST(BitmapFiles, OtherProgramsFilesReadAsImageMagickReadsThem) {
    REQUIRE_BITMAP_FILES();
    int good = 0;
    for (const BitmapFile& file : ListedFiles()) {
        if (!file.good) continue;
        SCOPED_TRACE(file.name);
        ++good;
        PictureRef picture(LoadPicture(file.name));
        ASSERT_TRUE(picture);
        int32_t width = 0, height = 0;
        picture->GetSize(width, height);
        ASSERT_EQ(width, file.width);
        ASSERT_EQ(height, file.height);
        const auto expected = MagickPixels(file.name);
        ASSERT_EQ(expected.size(), static_cast<size_t>(width) * height);
        auto* offscreen = static_cast<OffscreenPicture*>(picture.Get());
        GdiFlush();
        int wrong = 0;
        std::string first;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                uint32_t pixel;
                std::memcpy(&pixel, offscreen->Bits() + y * offscreen->RowBytes() + 4 * x, 4);
                const uint32_t want = expected[y * width + x] & 0xFFFFFF;
                if ((pixel & 0xFFFFFF) != want && wrong++ == 0)
                    first = "at " + std::to_string(x) + "," + std::to_string(y) + ": " +
                            std::to_string(pixel & 0xFFFFFF) + " instead of " + std::to_string(want);
            }
        EXPECT_EQ(wrong, 0) << first;
    }
    // python.bmp and the thirteen files that ImageMagick and netpbm wrote.
    EXPECT_EQ(good, 14);
}

TEST(BitmapFiles, HostileFilesGiveNoPicture) {
    REQUIRE_BITMAP_FILES();
    int hostile = 0;
    for (const BitmapFile& file : ListedFiles()) {
        if (file.good) continue;
        SCOPED_TRACE(file.name);
        ++hostile;
        EXPECT_EQ(LoadPicture(file.name), nullptr);
    }
    EXPECT_GE(hostile, 20);
}

namespace {

constexpr int kClientWidth = 120;
constexpr int kClientHeight = 48;
constexpr uint32_t kPatternA = 0x3060A0, kPatternB = 0xE0C040;

uint32_t Pattern(int x, int y) { return ((x / 4 + y / 4) & 1) ? kPatternB : kPatternA; }

// python.bmp where each drawing puts it: opaque at (8, 8), transparent at (32, 8), masked by its
// own alpha at (56, 8), scaled twice at (80, 8).
struct Placement {
    int x, y, scale;
};
constexpr Placement kOpaque{8, 8, 1}, kTransparent{32, 8, 1}, kMasked{56, 8, 1}, kScaled{80, 8, 2};

// A pane filling a window that paints the pattern and the four drawings through a Graphics
// object of its own.
class PicturePane : public BasicPane {
public:
    PicturePane(SubPane* parent, ObjectHeader* picture, ObjectHeader* transparent, ObjectHeader* masked)
        : BasicPane(parent, 0, Rect16{0, 0, kClientHeight, kClientWidth}, string(""), "QV_Pane", 0, 0),
          mPicture(picture), mTransparent(transparent), mMasked(masked) {}
    void Paint(GraphicsImp*) override {
        ObjectHeader* g = NewGraphicsObject(NewGraphics());
        for (uint32_t colour : {kPatternA, kPatternB}) {
            graphicsForeColorSetter(g, static_cast<int32_t>(colour));
            for (int y = 0; y < kClientHeight; y += 4)
                for (int x = 0; x < kClientWidth; x += 4)
                    if (Pattern(x, y) == colour) RuntimeGraphicsFillRect(g, x, y, 4, 4);
        }
        const int32_t whole = -10000;
        RuntimeGraphicsDrawPicture(g, mPicture, kOpaque.x, kOpaque.y, whole, whole, 0, 0, whole, whole);
        RuntimeGraphicsDrawPicture(g, mTransparent, kTransparent.x, kTransparent.y, whole, whole, 0, 0,
                                   whole, whole);
        RuntimeGraphicsDrawPicture(g, mMasked, kMasked.x, kMasked.y, whole, whole, 0, 0, whole, whole);
        RuntimeGraphicsDrawPicture(g, mPicture, kScaled.x, kScaled.y, 32, 32, 0, 0, 16, 16);
        RuntimeUnlockObject(g);
        ++paints;
    }
    ObjectHeader* mPicture;
    ObjectHeader* mTransparent;
    ObjectHeader* mMasked;
    int paints = 0;
};

}  // namespace

TEST(Screenshot, PythonBitmapDrawnFourWaysReachesTheScreenExactly) {
    REQUIRE_BITMAP_FILES();
    // The file's colours as ImageMagick reads them, alpha too.
    const auto file = MagickPixels("python.bmp");
    ASSERT_EQ(file.size(), 256u);
    ObjectHeader* picture = NewPictureObject(LoadPicture("python.bmp"));
    ObjectHeader* transparent = NewPictureObject(LoadPicture("python.bmp"));
    ObjectHeader* masked = NewPictureObject(LoadPicture("python.bmp"));
    ASSERT_NE(PictureImplementation(picture), nullptr);
    pictureTransparentSetter(transparent, 1);
    // The mask is the file's alpha turned over: 0 shows the picture, 255 the background.
    ObjectHeader* mask = pictureMaskGetter(masked);
    ObjectHeader* maskSurface = pictureRGBSurfaceGetter(mask);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const uint32_t m = 255 - (file[y * 16 + x] >> 24);
            rgbSurfaceSetPixel(maskSurface, x, y, static_cast<int32_t>(m << 16 | m << 8 | m));
        }
    RuntimeUnlockObject(maskSurface);
    RuntimeUnlockObject(mask);

    // What the screen must hold, computed from the file.
    std::vector<uint32_t> expected(kClientWidth * kClientHeight);
    for (int y = 0; y < kClientHeight; ++y)
        for (int x = 0; x < kClientWidth; ++x) expected[y * kClientWidth + x] = Pattern(x, y);
    int whites = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const uint32_t colour = file[y * 16 + x] & 0xFFFFFF;
            const uint32_t alpha = file[y * 16 + x] >> 24;
            expected[(kOpaque.y + y) * kClientWidth + kOpaque.x + x] = colour;
            if (colour == 0xFFFFFF)
                ++whites;
            else
                expected[(kTransparent.y + y) * kClientWidth + kTransparent.x + x] = colour;
            uint32_t& blended = expected[(kMasked.y + y) * kClientWidth + kMasked.x + x];
            const uint32_t m = 255 - alpha;
            uint32_t mixed = 0;
            for (int shift = 0; shift <= 16; shift += 8) {
                const uint32_t p = (colour >> shift) & 0xFF, b = (blended >> shift) & 0xFF;
                mixed |= (p * (255 - m) / 255 + b * m / 255) << shift;
            }
            blended = mixed;
            for (int dy = 0; dy < 2; ++dy)
                for (int dx = 0; dx < 2; ++dx)
                    expected[(kScaled.y + 2 * y + dy) * kClientWidth + kScaled.x + 2 * x + dx] = colour;
        }
    EXPECT_GT(whites, 0) << "python.bmp has white pixels for the transparent drawing to leave out";

    // Far from where other tests put their windows, above them.
    RegisterPaneWindowClasses();
    HWND window = CreateWindowExW(WS_EX_TOPMOST, L"QV_Pane", L"pictures", WS_POPUP | WS_VISIBLE,
                                  1100, 900, kClientWidth, kClientHeight, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    auto* root = new WindowPane(window);
    auto* pane = new PicturePane(root, picture, transparent, masked);
    PumpMessagesFor(50);
    InvalidateRect(pane->GetHWND(), nullptr, TRUE);
    UpdateWindow(pane->GetHWND());
    EXPECT_TRUE(PumpMessagesUntil([&] { return pane->paints > 0; }, 10000));
    PumpMessagesFor(100);
    EndAllDrawing();
    GdiFlush();

    std::string error;
    const auto screen = CaptureClientArea(pane->GetHWND(), "screenshot-pictures.png", error);
    ASSERT_EQ(screen.size(), expected.size()) << error;
    int wrong = 0;
    std::string first;
    for (int i = 0; i < kClientWidth * kClientHeight; ++i)
        if (screen[i] != expected[i] && wrong++ == 0)
            first = "at " + std::to_string(i % kClientWidth) + "," + std::to_string(i / kClientWidth) +
                    ": " + std::to_string(screen[i]) + " instead of " + std::to_string(expected[i]);
    EXPECT_EQ(wrong, 0) << first;

    EndAllDrawing();
    root->Close();
    PumpMessagesFor(20);
    for (ObjectHeader* object : {picture, transparent, masked}) RuntimeUnlockObject(object);
}
