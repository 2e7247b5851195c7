// The icons of Korvid.exe as the shell sees them: a file type's DefaultIcon
// names the program and a position among its icon groups, so the program
// file itself is read, position by position, the way Explorer reads it.
#include "WinTestSupport.h"

#include "resource.h"

#include <gtest/gtest.h>

#include <shellapi.h>

#include <string>
#include <vector>

namespace {

const int kPositions = 15;

// The icon at each position: its resource id and the drawing it was built
// from, under resources/.
struct Expected {
    int id;
    const char* file;
};
const Expected kExpected[kPositions] = {
    {IDI_KORVID, "Korvid.ico"},           {IDI_DOCUMENT, "icons/document.ico"},
    {IDI_DOC_CUSTOM, "icons/custom.ico"}, {IDI_DOC_TXT, "icons/txt.ico"},
    {IDI_DOC_RTF, "icons/rtf.ico"},       {IDI_DOC_DIZ, "icons/diz.ico"},
    {IDI_DOC_NFO, "icons/nfo.ico"},       {IDI_DOC_HTM, "icons/htm.ico"},
    {IDI_DOC_REG, "icons/reg.ico"},       {IDI_DOC_BAT, "icons/bat.ico"},
    {IDI_DOC_ASM, "icons/asm.ico"},       {IDI_DOC_RC, "icons/rc.ico"},
    {IDI_DOC_H, "icons/h.ico"},           {IDI_DOC_INC, "icons/inc.ico"},
    {IDI_DOC_LOG, "icons/log.ico"},
};

std::string ProgramPath() {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string path = self;
    return path.substr(0, path.rfind('\\') + 1) + "Korvid.exe";
}

// An icon's colour pixels as 32-bit top-down rows followed by its mask, or
// nothing for no icon.
std::vector<unsigned char> PixelsOf(HICON icon, SIZE* size = nullptr) {
    std::vector<unsigned char> pixels;
    ICONINFO info;
    if (!icon || !GetIconInfo(icon, &info))
        return pixels;
    BITMAP mask;
    GetObjectA(info.hbmMask, sizeof mask, &mask);
    // A monochrome icon keeps its image under the mask, in one bitmap.
    const int width = mask.bmWidth;
    const int height = info.hbmColor ? mask.bmHeight : mask.bmHeight / 2;
    if (size)
        *size = {width, height};
    HDC screen = GetDC(nullptr);
    for (HBITMAP bitmap : {info.hbmColor, info.hbmMask}) {
        if (!bitmap)
            continue;
        BITMAP shape;
        GetObjectA(bitmap, sizeof shape, &shape);
        BITMAPINFO header = {};
        header.bmiHeader.biSize = sizeof header.bmiHeader;
        header.bmiHeader.biWidth = shape.bmWidth;
        header.bmiHeader.biHeight = -shape.bmHeight;
        header.bmiHeader.biPlanes = 1;
        header.bmiHeader.biBitCount = 32;
        header.bmiHeader.biCompression = BI_RGB;
        std::vector<unsigned char> bits(static_cast<size_t>(shape.bmWidth) * shape.bmHeight * 4);
        GetDIBits(screen, bitmap, 0, shape.bmHeight, bits.data(), &header, DIB_RGB_COLORS);
        pixels.insert(pixels.end(), bits.begin(), bits.end());
    }
    ReleaseDC(nullptr, screen);
    if (info.hbmColor)
        DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return pixels;
}

// The widths of the images in an icon group of the module.
std::vector<int> GroupWidths(HMODULE module, int id) {
    std::vector<int> widths;
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), RT_GROUP_ICON);
    if (!found)
        return widths;
    const auto* group =
        static_cast<const unsigned char*>(LockResource(LoadResource(module, found)));
    const DWORD bytes = SizeofResource(module, found);
    // A header of three words, then 14 bytes an image, its width first.
    if (!group || bytes < 6)
        return widths;
    const int count = group[4] | group[5] << 8;
    for (int i = 0; i < count && 6 + 14 * (i + 1) <= static_cast<int>(bytes); ++i)
        widths.push_back(group[6 + 14 * i] ? group[6 + 14 * i] : 256);
    return widths;
}

class IconsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        path = ProgramPath();
        ASSERT_TRUE(FileExists(path)) << path;
        module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module, nullptr);
        // One size a call: asked for both at once, Wine makes the small icon
        // by scaling the large image down instead of taking the 16 x 16 one.
        for (int n = 0; n < kPositions; ++n) {
            ExtractIconExA(path.c_str(), n, &large[n], nullptr, 1);
            ExtractIconExA(path.c_str(), n, nullptr, &small[n], 1);
        }
    }
    void TearDown() override {
        for (int n = 0; n < kPositions; ++n) {
            if (large[n])
                DestroyIcon(large[n]);
            if (small[n])
                DestroyIcon(small[n]);
        }
        if (module)
            FreeLibrary(module);
    }
    static std::vector<unsigned char> FromResource(HMODULE from, int id, int size) {
        HICON icon = static_cast<HICON>(
            LoadImageA(from, MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
        std::vector<unsigned char> pixels = PixelsOf(icon);
        if (icon)
            DestroyIcon(icon);
        return pixels;
    }
    static std::vector<unsigned char> FromFile(const char* file, int size) {
        const std::string source = std::string(KORVID_SOURCE_DIR) + "/resources/" + file;
        HICON icon = static_cast<HICON>(
            LoadImageA(nullptr, source.c_str(), IMAGE_ICON, size, size, LR_LOADFROMFILE));
        std::vector<unsigned char> pixels = PixelsOf(icon);
        if (icon)
            DestroyIcon(icon);
        return pixels;
    }

    std::string path;
    HMODULE module = nullptr;
    HICON large[kPositions] = {};
    HICON small[kPositions] = {};
};

} // namespace

TEST_F(IconsTest, TheProgramHasFifteenIconGroupsEachInBothSizes) {
    EXPECT_EQ(static_cast<int>(ExtractIconExA(path.c_str(), -1, nullptr, nullptr, 0)), kPositions);
    HICON beyond = nullptr;
    EXPECT_EQ(ExtractIconExA(path.c_str(), kPositions, &beyond, nullptr, 1), 0u);
    if (beyond)
        DestroyIcon(beyond);

    for (int n = 0; n < kPositions; ++n) {
        SCOPED_TRACE("position " + std::to_string(n));
        SIZE size = {};
        EXPECT_FALSE(PixelsOf(large[n], &size).empty());
        EXPECT_EQ(size.cx, 32);
        EXPECT_EQ(size.cy, 32);
        EXPECT_FALSE(PixelsOf(small[n], &size).empty());
        EXPECT_EQ(size.cx, 16);
        EXPECT_EQ(size.cy, 16);
        // Drawn for both sizes, not one of them scaled by the shell.
        std::vector<int> widths = GroupWidths(module, kExpected[n].id);
        EXPECT_EQ(widths, (std::vector<int>{16, 32}));
    }
}

TEST_F(IconsTest, EachPositionShowsItsOwnDrawingInBothSizes) {
    for (int n = 0; n < kPositions; ++n) {
        SCOPED_TRACE(std::string("position ") + std::to_string(n) + ", " + kExpected[n].file);
        const std::vector<unsigned char> shown32 = PixelsOf(large[n]);
        const std::vector<unsigned char> shown16 = PixelsOf(small[n]);
        ASSERT_FALSE(shown32.empty());
        ASSERT_FALSE(shown16.empty());
        // The resource id the position stands for...
        EXPECT_EQ(shown32, FromResource(module, kExpected[n].id, 32));
        EXPECT_EQ(shown16, FromResource(module, kExpected[n].id, 16));
        // ...and the drawing of that file type.
        EXPECT_EQ(shown32, FromFile(kExpected[n].file, 32));
        EXPECT_EQ(shown16, FromFile(kExpected[n].file, 16));
    }
}

TEST_F(IconsTest, NoTwoPositionsLookAlike) {
    std::vector<std::vector<unsigned char>> images32, images16;
    for (int n = 0; n < kPositions; ++n) {
        images32.push_back(PixelsOf(large[n]));
        images16.push_back(PixelsOf(small[n]));
        ASSERT_FALSE(images32.back().empty()) << "position " << n;
        ASSERT_FALSE(images16.back().empty()) << "position " << n;
    }
    for (int a = 0; a < kPositions; ++a)
        for (int b = a + 1; b < kPositions; ++b) {
            EXPECT_NE(images32[a], images32[b]) << "32 x 32 at positions " << a << " and " << b;
            EXPECT_NE(images16[a], images16[b]) << "16 x 16 at positions " << a << " and " << b;
        }
}
