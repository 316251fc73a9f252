#include "WindowServices.h"

#include <cstddef>

HPALETTE GetUniformPalette() {
    static HPALETTE sPalette = [] {
        struct {
            WORD version;
            WORD count;
            PALETTEENTRY entries[216];
        } palette = {0x300, 216, {}};
        for (int i = 0; i < 6; ++i)
            for (int j = 0; j < 6; ++j)
                for (int k = 0; k < 6; ++k)
                    palette.entries[36 * i + 6 * j + k] = {
                        static_cast<BYTE>(51 * i), static_cast<BYTE>(51 * j),
                        static_cast<BYTE>(51 * k), 0};
        return CreatePalette(reinterpret_cast<LOGPALETTE*>(&palette));
    }();
    return sPalette;
}
