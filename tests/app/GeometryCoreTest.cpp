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
