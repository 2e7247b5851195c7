// The screen scale: the DPI a window is drawn at, sizes at 96 dpi scaled to
// it, and what the main window changes when it moves to a screen of another
// scale.
#pragma once

#include <windows.h>

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

// The DPI `window` is drawn at: its monitor's where the system scales each
// monitor apart, else the screen's.
int WindowDpi(HWND window);
// The DPI of the screen as the process started: the system's fonts and the
// editor's character sizes are measured at it.
int SystemDpi();
// The main window's DPI; the screen's before the window exists.
int MainWindowDpi();
// `pixels` at 96 dpi scaled to the main window's DPI.
int Scaled(int pixels);
// A system metric (SM_CXSMICON, ...) at `dpi`.
int SystemMetricForDpi(int index, int dpi);
// The system's status bar font made for `dpi`; nullptr at the system's own
// DPI, where the bar's default font is right.
HFONT CreateStatusFont(int dpi);
// The program icon at `size` pixels, drawn from the nearest image the icon
// holds.
HICON LoadProgramIcon(int size);

// WM_DPICHANGED of the main window: everything sized in pixels takes the
// new scale, and the window takes the rectangle the system proposes.
void OnMainWindowDpiChanged(HWND window, int dpi, const RECT* proposed);
