#include "app/Geometry.h"

#include <gtest/gtest.h>

#include <vector>

// (FuzzSettings checks the first window size.) Only a whole placement is used.
TEST(SavedPlacement, OnlyAWholePlacementThatShowsTheWindowIsUsed) {
    const PixelRect normal = {100, 80, 900, 680};
    struct Case {
        uint32_t length, showCmd;
        PixelRect rect;
        uint32_t expected;
    } cases[] = {
        {44, 1, normal, 1},
        {44, 3, normal, 3},
        {44, 2, normal, 1},
        {44, 11, normal, 1},
        {0, 0, {}, 0},
        {44, 0, normal, 0},
        {44, 12, normal, 0},
        {0, 1, normal, 0},
        {48, 1, normal, 0},
        {44, 1, {100, 80, 100, 680}, 0},
        {44, 1, {100, 680, 900, 80}, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SavedPlacementShow(c.length, 44, c.showCmd, c.rect), c.expected)
            << "length " << c.length << " show " << c.showCmd;
}

TEST(SavedPlacement, AWindowLandsInsideTheWorkArea) {
    const PixelRect work = {0, 0, 1024, 738};
    struct Case {
        PixelRect rect, area, expected;
    } cases[] = {
        {{100, 80, 900, 680}, work, {100, 80, 900, 680}},
        {{3000, 2000, 3800, 2600}, work, {224, 138, 1024, 738}}, // a screen that is gone
        {{-900, -700, -100, -100}, work, {0, 0, 800, 600}},
        {{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, work, {0, 0, 1024, 738}},
        {{2147483000, 0, 2147483600, 100}, work, {424, 0, 1024, 100}},
        {{-2000, 500, -1200, 1100}, {-1280, 200, 0, 1224}, {-1280, 500, -480, 1100}},
    };
    auto corners = [](PixelRect r) {
        return std::vector<int32_t>{r.left, r.top, r.right, r.bottom};
    };
    for (const Case& c : cases)
        EXPECT_EQ(corners(FitIntoArea(c.rect, c.area)), corners(c.expected));
}

TEST(ScreenScale, SizesScaleRoundedAndTheToolbarNeverStretchesItsImages) {
    struct Case {
        int32_t pixels, dpi, scaled;
    } cases[] = {
        {50, 96, 50},
        {50, 144, 75},
        {7, 144, 11}, // 10.5 rounds up
        {-13, 144, -20},
        {20, 120, 25},
        {200, 192, 400},
        {80, 0, 80},
        {INT32_MAX, 192, INT32_MAX},
        {INT32_MIN, 192, INT32_MIN},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ScaleToDpi(c.pixels, c.dpi), c.scaled) << c.pixels << " at " << c.dpi;
    // A font height kept at 96 dpi goes through the font chooser of any
    // screen unchanged, however often it is chosen again.
    for (int32_t dpi : {96, 120, 144, 168, 192, 240, 288})
        for (int32_t height = -200; height <= 200; ++height)
            ASSERT_EQ(ScaleFromDpi(ScaleToDpi(height, dpi), dpi), height)
                << height << " at " << dpi;
    // 100, 125, 150, 175, 200 and 300 %.
    const int32_t dpis[] = {96, 120, 144, 168, 192, 288, 72};
    const int32_t sizes[] = {16, 16, 24, 24, 32, 32, 16};
    for (size_t i = 0; i < sizeof dpis / sizeof dpis[0]; ++i)
        EXPECT_EQ(ToolbarImageSize(dpis[i]), sizes[i]) << dpis[i];
}

TEST(ScreenScale, TheSecondStatusPartStopsAtFiftyPixelsScaled) {
    struct Case {
        int32_t width, dpi;
        std::vector<int32_t> edges;
    } cases[] = {
        {700, 96, {200, 250, 400, -1}},   {280, 96, {80, 120, 160, -1}},
        {1050, 144, {300, 375, 600, -1}}, {420, 144, {120, 180, 240, -1}},
        {1400, 192, {400, 500, 800, -1}}, {700, 192, {200, 300, 400, -1}},
        {0, 144, {0, 0, 0, -1}},
    };
    for (const Case& c : cases) {
        int32_t edges[4];
        StatusPartEdges(c.width, c.dpi, edges);
        EXPECT_EQ(std::vector<int32_t>(edges, edges + 4), c.edges) << c.width << " at " << c.dpi;
    }
}
