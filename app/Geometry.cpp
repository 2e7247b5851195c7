#include "app/Geometry.h"

namespace {
// A settings file may carry any number; a window never starts smaller than
// this nor larger than the screen.
constexpr int32_t kMinimumSide = 100;

int32_t Clamp(int32_t v, int32_t low, int32_t high) {
    if (high < low)
        high = low;
    return v < low ? low : (v > high ? high : v);
}
} // namespace

InitialGeometry ComputeInitialGeometry(int32_t sizeMode, int32_t sizeValue, int32_t height,
                                       int32_t screenWidth, int32_t screenHeight) {
    InitialGeometry g{};
    if (sizeMode == 0) {
        uint32_t percent = static_cast<uint32_t>(Clamp(sizeValue, 1, 100));
        g.width = static_cast<int32_t>(static_cast<uint32_t>(screenWidth) * percent / 100u);
        g.height = static_cast<int32_t>(static_cast<uint32_t>(screenHeight) * percent / 100u);
        g.maximised = percent == 100;
    } else {
        g.width = Clamp(sizeValue, kMinimumSide, screenWidth);
        g.height = Clamp(height, kMinimumSide, screenHeight);
    }
    g.x = (screenWidth - g.width) / 2;
    g.y = (screenHeight - g.height) / 2;
    return g;
}
