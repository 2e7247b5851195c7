#include "app/Geometry.h"

#include <gtest/gtest.h>

TEST(InitialGeometry, PercentModeCentresAndMaximisesAtHundred) {
    auto full = ComputeInitialGeometry(0, 100, 0, 1280, 1024);
    EXPECT_TRUE(full.maximised);
    auto g = ComputeInitialGeometry(0, 99, 0, 1280, 1024);
    EXPECT_FALSE(g.maximised);
    EXPECT_EQ(g.width, 1267); // 1280 * 99 / 100
    EXPECT_EQ(g.height, 1013);
    EXPECT_EQ(g.x, (1280 - 1267) / 2);
    EXPECT_EQ(g.y, (1024 - 1013) / 2);
    auto d = ComputeInitialGeometry(0, 60, 0, 1280, 1024);
    EXPECT_EQ(d.width, 768);
    EXPECT_EQ(d.height, 614);
}

TEST(InitialGeometry, PixelModesUseWidthAndHeight) {
    auto g = ComputeInitialGeometry(1, 800, 600, 1280, 1024);
    EXPECT_EQ(g.width, 800);
    EXPECT_EQ(g.height, 600);
    EXPECT_EQ(g.x, 240);
    EXPECT_EQ(g.y, 212);
    EXPECT_FALSE(g.maximised);
}

TEST(InitialGeometry, NonsenseFromAFileStaysOnScreen) {
    auto huge = ComputeInitialGeometry(0, 5000, 0, 1280, 1024);
    EXPECT_EQ(huge.width, 1280);
    auto negative = ComputeInitialGeometry(0, -3, 0, 1280, 1024);
    EXPECT_GT(negative.width, 0);
    auto zero = ComputeInitialGeometry(3, 0, 0, 1280, 1024);
    EXPECT_GE(zero.width, 100);
    EXPECT_GE(zero.height, 100);
    auto wide = ComputeInitialGeometry(1, 99999, 99999, 1280, 1024);
    EXPECT_EQ(wide.width, 1280);
    EXPECT_EQ(wide.height, 1024);
    EXPECT_EQ(wide.x, 0);
}

TEST(SavedPlacement, OnlyAWholePlacementThatShowsTheWindowIsUsed) {
    const PixelRect normal = {100, 80, 900, 680};
    struct Case {
        uint32_t length, showCmd;
        PixelRect rect;
        uint32_t expected;
    } cases[] = {
        {44, 1, normal, 1},
        {44, 3, normal, 3},      // maximised stays maximised
        {44, 2, normal, 1},      // minimised opens restored
        {44, 6, normal, 1},      // so does every other minimise
        {44, 9, normal, 1},      // restore
        {0, 0, {0, 0, 0, 0}, 0}, // "Variable" before "Set Def Size": all zero
        {44, 0, normal, 0},      // hidden
        {44, 12, normal, 0},     // no such command
        {44, 0xFFFFFFFF, normal, 0},
        {0, 1, normal, 0}, // length field wrong
        {48, 1, normal, 0},
        {44, 1, {100, 80, 100, 680}, 0}, // no width
        {44, 1, {100, 680, 900, 80}, 0}, // upside down
    };
    for (const Case& c : cases)
        EXPECT_EQ(SavedPlacementShow(c.length, 44, c.showCmd, c.rect), c.expected)
            << "length " << c.length << " show " << c.showCmd;
}

TEST(SavedPlacement, AWindowLandsInsideTheWorkArea) {
    const PixelRect work = {0, 0, 1024, 738};
    struct Case {
        PixelRect rect, expected;
    } cases[] = {
        {{100, 80, 900, 680}, {100, 80, 900, 680}},        // fits: unchanged
        {{3000, 2000, 3800, 2600}, {224, 138, 1024, 738}}, // a screen that is gone
        {{-900, -700, -100, -100}, {0, 0, 800, 600}},
        {{-50, 10, 2000, 5000}, {0, 0, 1024, 738}}, // larger than the screen
        {{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, {0, 0, 1024, 738}},
        {{2147483000, 0, 2147483600, 100}, {424, 0, 1024, 100}},
    };
    for (const Case& c : cases) {
        PixelRect r = FitIntoArea(c.rect, work);
        EXPECT_EQ(r.left, c.expected.left);
        EXPECT_EQ(r.top, c.expected.top);
        EXPECT_EQ(r.right, c.expected.right);
        EXPECT_EQ(r.bottom, c.expected.bottom);
    }
    // A second screen to the left, below the first one's top.
    PixelRect left = FitIntoArea({-2000, 500, -1200, 1100}, {-1280, 200, 0, 1224});
    EXPECT_EQ(left.left, -1280);
    EXPECT_EQ(left.top, 500);
    EXPECT_EQ(left.right, -480);
}
