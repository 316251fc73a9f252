// The BMP and DIB header reader, built with this machine's compiler under AddressSanitizer: a
// table of files made here (every header size, bit fields, top-down rows, a bits offset, the
// colour-table bound) read back pixel by pixel, hostile files refused, and a mutation run over the
// valid ones in which every accepted file is read to its last pixel.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "graphics/BitmapHeader.h"

namespace {

int sFailures = 0;

void Check(bool condition, const char* what, int line) {
    if (condition) return;
    ++sFailures;
    std::printf("FAILED line %d: %s\n", line, what);
}
#define CHECK(condition) Check((condition), #condition, __LINE__)

using Bytes = std::vector<uint8_t>;

void Put16(Bytes& b, uint32_t v) {
    b.push_back(v & 0xFF);
    b.push_back((v >> 8) & 0xFF);
}
void Put32(Bytes& b, uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

struct FileShape {
    uint32_t headerSize;
    int32_t width, height;  // negative height: top-down
    uint16_t depth;
    uint32_t compression;
    uint32_t masks[4];
    uint32_t colorsUsed;
    uint32_t tableEntries;  // entries written
    uint32_t gap;           // bytes between the table and the rows, named by the bits offset
};

// A file whose pixel (x, y) from the top has the colour index or value x + 3y + 1 (scaled into
// the masks for 16 and 32 bits), with a grey table (entry i = i * 0x10 on every channel).
Bytes MakeFile(const FileShape& s) {
    Bytes dib;
    Put32(dib, s.headerSize);
    if (s.headerSize == 12) {
        Put16(dib, s.width);
        Put16(dib, static_cast<uint16_t>(s.height));
        Put16(dib, 1);
        Put16(dib, s.depth);
    } else {
        Put32(dib, s.width);
        Put32(dib, s.height);
        Put16(dib, 1);
        Put16(dib, s.depth);
        Put32(dib, s.compression);
        Put32(dib, 0);
        Put32(dib, 3780);
        Put32(dib, 2835);
        Put32(dib, s.colorsUsed);
        Put32(dib, 0);
        if (s.headerSize >= 52) for (int i = 0; i < 3; ++i) Put32(dib, s.masks[i]);
        if (s.headerSize >= 56) Put32(dib, s.masks[3]);
        while (dib.size() < s.headerSize) dib.push_back(0);
        if (s.headerSize == 40 && s.compression == 3)
            for (int i = 0; i < 3; ++i) Put32(dib, s.masks[i]);
    }
    for (uint32_t i = 0; i < s.tableEntries; ++i) {
        for (int c = 0; c < 3; ++c) dib.push_back(static_cast<uint8_t>(i * 0x10));
        if (s.headerSize != 12) dib.push_back(0);
    }
    const size_t tableEnd = dib.size();
    dib.insert(dib.end(), s.gap, 0xEE);
    const int32_t rows = s.height < 0 ? -s.height : s.height;
    const uint32_t rowBytes = (s.width * s.depth + 31) / 32 * 4;
    for (int32_t r = 0; r < rows; ++r) {
        const int32_t y = s.height < 0 ? r : rows - 1 - r;
        Bytes row(rowBytes, 0);
        for (int32_t x = 0; x < s.width; ++x) {
            const uint32_t v = x + 3 * y + 1;
            if (s.depth <= 8) {
                const uint32_t bit = x * s.depth;
                const uint32_t index = v & ((1u << s.depth) - 1);
                row[bit / 8] |= static_cast<uint8_t>(index << (8 - s.depth - bit % 8));
            } else if (s.depth == 24) {
                row[x * 3] = row[x * 3 + 1] = row[x * 3 + 2] = static_cast<uint8_t>(v * 0x10);
            } else {
                uint32_t pixel = 0;
                for (int c = 0; c < 3; ++c) {
                    uint32_t m = s.masks[c], shift = 0;
                    while (m && !((m >> shift) & 1)) ++shift;
                    pixel |= (v << shift) & m;
                }
                pixel |= s.masks[3];
                for (int k = 0; k < s.depth / 8; ++k) row[x * (s.depth / 8) + k] = (pixel >> (8 * k)) & 0xFF;
            }
        }
        dib.insert(dib.end(), row.begin(), row.end());
    }
    Bytes file = {'B', 'M'};
    Put32(file, static_cast<uint32_t>(14 + dib.size()));
    Put32(file, 0);
    Put32(file, static_cast<uint32_t>(14 + tableEnd + s.gap));
    file.insert(file.end(), dib.begin(), dib.end());
    return file;
}

// Every pixel of an accepted file, read to the end: AddressSanitizer catches a read outside.
uint64_t ReadAll(const Bytes& file) {
    BitmapLayout layout;
    if (!ReadBMPLayout(file.data(), file.size(), layout)) return 0;
    uint64_t sum = 1;
    for (int32_t y = 0; y < layout.height; ++y)
        for (int32_t x = 0; x < layout.width; ++x)
            sum += ReadBitmapPixel(layout, file.data() + kFileHeaderSize, x, y);
    return sum;
}

}  // namespace

int main() {
    const uint32_t plain32[4] = {0xFF0000, 0xFF00, 0xFF, 0};
    const uint32_t rgb555[4] = {0x7C00, 0x03E0, 0x001F, 0};
    const FileShape valid[] = {
        {40, 3, 2, 24, 0, {}, 0, 0, 0},
        {40, 3, -2, 24, 0, {}, 0, 0, 0},
        {12, 3, 2, 8, 0, {}, 0, 256, 0},
        {12, 5, 3, 4, 0, {}, 0, 16, 0},
        {40, 7, 2, 1, 0, {}, 0, 2, 0},
        {40, 4, 2, 2, 0, {}, 0, 4, 0},
        {40, 3, 2, 8, 0, {}, 9, 9, 0},
        {40, 3, 2, 16, 0, {0x7C00, 0x03E0, 0x001F, 0}, 0, 0, 0},
        {40, 3, 2, 16, 3, {0xF800, 0x07E0, 0x001F, 0}, 0, 0, 0},
        {52, 3, -2, 16, 3, {0xF800, 0x07E0, 0x001F, 0}, 0, 0, 0},
        {56, 3, 2, 32, 3, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, 0, 0, 0},
        {108, 3, 2, 32, 3, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, 0, 0, 0},
        {124, 3, -2, 32, 3, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, 0, 0, 6},
        {40, 3, 2, 32, 0, {0xFF0000, 0xFF00, 0xFF, 0}, 0, 0, 10},
        {40, 3, 2, 8, 0, {}, 0, 256, 2},
    };
    std::vector<Bytes> files;
    for (const FileShape& s : valid) {
        const Bytes file = MakeFile(s);
        files.push_back(file);
        BitmapLayout layout;
        const bool read = ReadBMPLayout(file.data(), file.size(), layout);
        CHECK(read);
        if (!read) continue;
        CHECK(layout.width == s.width);
        CHECK(layout.height == (s.height < 0 ? -s.height : s.height));
        CHECK(layout.topDown == (s.height < 0));
        CHECK(layout.headerSize == s.headerSize);
        if (s.headerSize != 12) CHECK(layout.xPelsPerMeter == 3780);
        const uint8_t* dib = file.data() + kFileHeaderSize;
        for (int32_t y = 0; y < layout.height; ++y) {
            for (int32_t x = 0; x < layout.width; ++x) {
                const uint32_t v = x + 3 * y + 1;
                const uint32_t pixel = ReadBitmapPixel(layout, dib, x, y);
                uint32_t expected;
                if (s.depth <= 8) {
                    const uint32_t index = v & ((1u << s.depth) - 1);
                    const uint32_t grey = (index * 0x10) & 0xFF;
                    expected = 0xFF000000 | grey << 16 | grey << 8 | grey;
                } else if (s.depth == 24) {
                    const uint32_t grey = (v * 0x10) & 0xFF;
                    expected = 0xFF000000 | grey << 16 | grey << 8 | grey;
                } else {
                    expected = pixel;  // scaled below
                    uint32_t channels[3];
                    for (int c = 0; c < 3; ++c) {
                        uint32_t m = s.compression == 3 ? s.masks[c] : (s.depth == 16 ? rgb555[c] : plain32[c]);
                        uint32_t shift = 0;
                        while (!((m >> shift) & 1)) ++shift;
                        const uint32_t max = m >> shift;
                        int n = 0;
                        while ((max >> n) & 1) ++n;
                        // The value's bits, most significant first, over and over for 8 bits.
                        channels[c] = 0;
                        for (int i = 0; i < 8; ++i)
                            channels[c] = channels[c] << 1 | (((v & max) >> (n - 1 - i % n)) & 1);
                    }
                    expected = 0xFF000000 | channels[0] << 16 | channels[1] << 8 | channels[2];
                }
                if (pixel != expected) {
                    std::printf("header %u depth %u at %d,%d: %08X, expected %08X\n", s.headerSize,
                                s.depth, x, y, pixel, expected);
                    ++sFailures;
                }
            }
        }
    }

    // Hostile files: each is refused.
    Bytes shortFile = {'B', 'M', 0, 0};
    Bytes notBmp = files[0];
    notBmp[0] = 'X';
    Bytes unknownHeader = files[0];
    unknownHeader[14] = 64;
    Bytes truncated = files[0];
    truncated.pop_back();
    Bytes zeroWidth = files[0];
    zeroWidth[18] = 0;
    Bytes huge = files[0];
    huge[18] = 0xFF, huge[19] = 0xFF, huge[20] = 0xFF, huge[21] = 0x7F;
    huge[22] = 0xFF, huge[23] = 0xFF, huge[24] = 0xFF, huge[25] = 0x7F;
    Bytes twoPlanes = files[0];
    twoPlanes[26] = 2;
    Bytes runLength = MakeFile({40, 3, 2, 8, 0, {}, 0, 256, 0});
    runLength[30] = 1;
    Bytes depth7 = files[0];
    depth7[28] = 7;
    Bytes noMasks = MakeFile({40, 3, 2, 16, 3, {}, 0, 0, 0});
    Bytes fieldsAt8Bits = MakeFile({40, 3, 2, 8, 0, {}, 0, 256, 0});
    fieldsAt8Bits[30] = 3;
    const Bytes* hostile[] = {&shortFile, &notBmp, &unknownHeader, &truncated, &zeroWidth, &huge,
                              &twoPlanes, &runLength, &depth7, &noMasks, &fieldsAt8Bits};
    for (const Bytes* file : hostile) {
        BitmapLayout layout;
        CHECK(!ReadBMPLayout(file->data(), file->size(), layout));
    }
    BitmapLayout layout;
    CHECK(!ReadBMPLayout(nullptr, 0, layout));

    // The colour count is bounded by the depth: 4 bits with a claimed 1,000,000 entries reads 16.
    Bytes bounded = MakeFile({40, 3, 2, 4, 0, {}, 1000000, 16, 0});
    CHECK(ReadBMPLayout(bounded.data(), bounded.size(), layout) && layout.colorCount == 16);
    // A bits offset outside the file leaves the rows after the table.
    Bytes outside = files[0];
    outside[10] = 0xFF, outside[11] = 0xFF, outside[12] = 0xFF, outside[13] = 0x7F;
    CHECK(ReadBMPLayout(outside.data(), outside.size(), layout) && layout.bitsOffset == 40);
    // One inside the file names where the rows start: rows it leaves short are refused.
    Bytes cutByOffset = files[0];
    const uint32_t late = static_cast<uint32_t>(cutByOffset.size()) - 2;
    std::memcpy(&cutByOffset[10], &late, 4);
    CHECK(!ReadBMPLayout(cutByOffset.data(), cutByOffset.size(), layout));

    // Every prefix of every valid file, and random mutations of them.
    uint64_t sum = 0;
    for (const Bytes& file : files)
        for (size_t n = 0; n <= file.size(); ++n) sum += ReadAll(Bytes(file.begin(), file.begin() + n));
    std::mt19937 random(1234);
    for (int round = 0; round < 200000; ++round) {
        Bytes file = files[random() % files.size()];
        const int changes = 1 + random() % 4;
        for (int k = 0; k < changes; ++k) {
            const size_t at = random() % 60;
            if (at < file.size()) file[at] = static_cast<uint8_t>(random());
        }
        if (random() % 4 == 0) file.resize(random() % (file.size() + 1));
        sum += ReadAll(file);
    }
    std::printf("%s (%llu)\n", sFailures ? "FAILED" : "passed", static_cast<unsigned long long>(sum));
    return sFailures ? 1 : 0;
}
