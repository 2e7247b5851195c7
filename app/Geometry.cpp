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

namespace {
// The platform's show commands (SW_*).
constexpr uint32_t kShowNormal = 1;
constexpr uint32_t kShowMaximised = 3;
constexpr uint32_t kLastShowCommand = 11; // SW_FORCEMINIMIZE

int64_t Fit(int64_t start, int64_t size, int64_t low, int64_t high) {
    if (start + size > high)
        start = high - size;
    return start < low ? low : start;
}
} // namespace

uint32_t SavedPlacementShow(uint32_t length, uint32_t recordSize, uint32_t showCmd,
                            const PixelRect& normal) {
    if (length != recordSize || normal.right <= normal.left || normal.bottom <= normal.top)
        return 0;
    if (showCmd == 0 || showCmd > kLastShowCommand)
        return 0;
    return showCmd == kShowMaximised ? kShowMaximised : kShowNormal;
}

PixelRect FitIntoArea(const PixelRect& rect, const PixelRect& area) {
    int64_t areaWidth = static_cast<int64_t>(area.right) - area.left;
    int64_t areaHeight = static_cast<int64_t>(area.bottom) - area.top;
    int64_t width = static_cast<int64_t>(rect.right) - rect.left;
    int64_t height = static_cast<int64_t>(rect.bottom) - rect.top;
    if (width > areaWidth)
        width = areaWidth;
    if (height > areaHeight)
        height = areaHeight;
    if (width < 0)
        width = 0;
    if (height < 0)
        height = 0;
    int64_t left = Fit(rect.left, width, area.left, area.right);
    int64_t top = Fit(rect.top, height, area.top, area.bottom);
    return {static_cast<int32_t>(left), static_cast<int32_t>(top),
            static_cast<int32_t>(left + width), static_cast<int32_t>(top + height)};
}

namespace {
// pixels * to / from, rounded half away from zero, kept in range.
int32_t Rescale(int32_t pixels, int32_t to, int32_t from) {
    int64_t product = static_cast<int64_t>(pixels) * to;
    int64_t half = product < 0 ? -(from / 2) : from / 2;
    int64_t scaled = (product + half) / from;
    if (scaled > INT32_MAX)
        return INT32_MAX;
    if (scaled < INT32_MIN)
        return INT32_MIN;
    return static_cast<int32_t>(scaled);
}
} // namespace

int32_t ScaleToDpi(int32_t pixels, int32_t dpi) {
    return dpi <= 0 || dpi == kBaseDpi ? pixels : Rescale(pixels, dpi, kBaseDpi);
}

int32_t ScaleFromDpi(int32_t pixels, int32_t dpi) {
    return dpi <= 0 || dpi == kBaseDpi ? pixels : Rescale(pixels, kBaseDpi, dpi);
}

int32_t ToolbarImageSize(int32_t dpi) {
    int32_t wanted = ScaleToDpi(16, dpi);
    return wanted >= 32 ? 32 : (wanted >= 24 ? 24 : 16);
}

void StatusPartEdges(int32_t clientWidth, int32_t dpi, int32_t edges[4]) {
    uint32_t u = static_cast<uint32_t>(clientWidth) / 7u;
    uint32_t cap = static_cast<uint32_t>(ScaleToDpi(50, dpi));
    edges[0] = static_cast<int32_t>(2 * u);
    edges[1] = static_cast<int32_t>(u <= cap ? 3 * u : 2 * u + cap);
    edges[2] = static_cast<int32_t>(4 * u);
    edges[3] = -1;
}
