// The main window's first size and position, from the settings and the
// screen size.
#pragma once

#include <cstdint>

struct InitialGeometry {
    int32_t x, y, width, height;
    bool maximised;
};

InitialGeometry ComputeInitialGeometry(int32_t sizeMode, int32_t sizeValue, int32_t height,
                                       int32_t screenWidth, int32_t screenHeight);
