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

// A rectangle in pixels, as the saved placement and the screens give it.
struct PixelRect {
    int32_t left, top, right, bottom;
};

// The show command a saved placement is restored with, or 0 when it must
// not be used: a length field other than the record's own `recordSize`, an
// empty normal rectangle, or a show command that does not show the window
// (a settings file that never held a placement has all of them zero). A
// placement saved minimised opens restored, so the window is always seen.
uint32_t SavedPlacementShow(uint32_t length, uint32_t recordSize, uint32_t showCmd,
                            const PixelRect& normal);

// `rect` moved, and shrunk where it is larger, so that all of it lies in
// `area` (a screen's work area).
PixelRect FitIntoArea(const PixelRect& rect, const PixelRect& area);

// The screen scale everything in the program is drawn for at 100 %.
constexpr int32_t kBaseDpi = 96;

// `pixels` at 96 dpi as many pixels at `dpi`, rounded to the nearest (half
// away from zero, as MulDiv does). A `dpi` of 0 or less, which no screen
// reports, leaves the size as it is.
int32_t ScaleToDpi(int32_t pixels, int32_t dpi);
// The other way: `pixels` at `dpi` as pixels at 96 dpi, rounded alike.
// A size scaled and brought back is the size it was.
int32_t ScaleFromDpi(int32_t pixels, int32_t dpi);

// The size of the toolbar's images at `dpi`: 16, 24 or 32, the largest not
// larger than 16 pixels scaled, so the images never come out of a strip
// stretched.
int32_t ToolbarImageSize(int32_t dpi);

// The right edges of the four status bar parts for a client width: parts
// of a seventh of the width, where the second part never grows past 50
// pixels scaled to `dpi`; the last part runs to the right end (-1).
void StatusPartEdges(int32_t clientWidth, int32_t dpi, int32_t edges[4]);
