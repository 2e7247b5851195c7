// The icons of Korvid.exe as the shell reads them, position by position (a
// file type's DefaultIcon names the program and a position): every icon
// group is drawn in both sizes, and no two positions look alike.
#include "WinTestSupport.h"

#include <gtest/gtest.h>

#include <shellapi.h>

#include <set>
#include <string>
#include <vector>

namespace {

// The icon's colour and mask pixels, 32 bits each, and its size.
std::vector<unsigned char> PixelsOf(HICON icon, SIZE* size) {
    std::vector<unsigned char> pixels;
    ICONINFO info;
    if (!icon || !GetIconInfo(icon, &info))
        return pixels;
    HDC screen = GetDC(nullptr);
    for (HBITMAP bitmap : {info.hbmColor, info.hbmMask}) {
        BITMAP shape;
        if (!bitmap || !GetObjectA(bitmap, sizeof shape, &shape))
            continue;
        if (bitmap == info.hbmColor)
            *size = {shape.bmWidth, shape.bmHeight};
        BITMAPINFO header = {};
        header.bmiHeader.biSize = sizeof header.bmiHeader;
        header.bmiHeader.biWidth = shape.bmWidth;
        header.bmiHeader.biHeight = -shape.bmHeight;
        header.bmiHeader.biPlanes = 1;
        header.bmiHeader.biBitCount = 32;
        std::vector<unsigned char> bits(static_cast<size_t>(shape.bmWidth) * shape.bmHeight * 4);
        GetDIBits(screen, bitmap, 0, shape.bmHeight, bits.data(), &header, DIB_RGB_COLORS);
        pixels.insert(pixels.end(), bits.begin(), bits.end());
        DeleteObject(bitmap);
    }
    ReleaseDC(nullptr, screen);
    DestroyIcon(icon);
    return pixels;
}

} // namespace

TEST(Icons, EachGroupIsDrawnInBothSizesAndNoTwoPositionsLookAlike) {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string path = self;
    path = path.substr(0, path.rfind('\\') + 1) + "Korvid.exe";
    const int count = static_cast<int>(ExtractIconExA(path.c_str(), -1, nullptr, nullptr, 0));
    EXPECT_GE(count, 2) << path;
    for (int side : {32, 16}) {
        std::set<std::vector<unsigned char>> seen;
        for (int n = 0; n < count; ++n) {
            // One size a call: asked for both, Wine scales the large one down.
            HICON icon = nullptr;
            ExtractIconExA(path.c_str(), n, side == 32 ? &icon : nullptr,
                           side == 16 ? &icon : nullptr, 1);
            SIZE size = {};
            std::vector<unsigned char> pixels = PixelsOf(icon, &size);
            EXPECT_EQ(size.cx, side) << "position " << n;
            EXPECT_TRUE(seen.insert(pixels).second) << side << " x " << side << " at " << n;
        }
    }
}
