#include "app/Dpi.h"

#include "app/AppState.h"
#include "app/Bars.h"
#include "app/Editor.h"
#include "app/Geometry.h"
#include "resource.h"

namespace {

// Functions of later systems, looked up once; absent before Windows 10.
struct DpiFunctions {
    UINT(WINAPI* dpiForWindow)(HWND);
    int(WINAPI* metricForDpi)(int, UINT);
};

const DpiFunctions& Functions() {
    static const DpiFunctions functions = [] {
        DpiFunctions f = {};
        if (HMODULE user = GetModuleHandleA("user32.dll")) {
            f.dpiForWindow = reinterpret_cast<decltype(f.dpiForWindow)>(
                reinterpret_cast<void*>(GetProcAddress(user, "GetDpiForWindow")));
            f.metricForDpi = reinterpret_cast<decltype(f.metricForDpi)>(
                reinterpret_cast<void*>(GetProcAddress(user, "GetSystemMetricsForDpi")));
        }
        return f;
    }();
    return functions;
}

// The icons the window shows after a change of scale (the class keeps
// those of the start).
HICON windowIcons[2];

void SetWindowIcons(HWND window, int dpi) {
    const int sizes[2] = {SystemMetricForDpi(SM_CXSMICON, dpi), SystemMetricForDpi(SM_CXICON, dpi)};
    const WPARAM kinds[2] = {ICON_SMALL, ICON_BIG};
    for (int i = 0; i < 2; ++i) {
        HICON icon = LoadProgramIcon(sizes[i]);
        if (icon == nullptr)
            continue;
        SendMessageA(window, WM_SETICON, kinds[i], reinterpret_cast<LPARAM>(icon));
        if (windowIcons[i] != nullptr)
            DestroyIcon(windowIcons[i]);
        windowIcons[i] = icon;
    }
}

} // namespace

int SystemDpi() {
    static const int dpi = [] {
        HDC screen = GetDC(nullptr);
        int found = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
        if (screen != nullptr)
            ReleaseDC(nullptr, screen);
        return found > 0 ? found : kBaseDpi;
    }();
    return dpi;
}

int WindowDpi(HWND window) {
    if (window != nullptr && Functions().dpiForWindow != nullptr) {
        UINT dpi = Functions().dpiForWindow(window);
        if (dpi > 0)
            return static_cast<int>(dpi);
    }
    return SystemDpi();
}

int MainWindowDpi() { return app.dpi > 0 ? app.dpi : SystemDpi(); }

int Scaled(int pixels) { return ScaleToDpi(pixels, MainWindowDpi()); }

int SystemMetricForDpi(int index, int dpi) {
    if (Functions().metricForDpi != nullptr)
        return Functions().metricForDpi(index, static_cast<UINT>(dpi));
    return MulDiv(GetSystemMetrics(index), dpi, SystemDpi());
}

HFONT CreateStatusFont(int dpi) {
    if (dpi == SystemDpi())
        return nullptr;
    // The system gives its fonts at its own DPI; a font's height is in
    // proportion to the DPI.
    NONCLIENTMETRICSA metrics = {};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        return nullptr;
    metrics.lfStatusFont.lfHeight = MulDiv(metrics.lfStatusFont.lfHeight, dpi, SystemDpi());
    return CreateFontIndirectA(&metrics.lfStatusFont);
}

HICON LoadProgramIcon(int size) {
    HINSTANCE instance = appRecord != nullptr ? appRecord->instance : GetModuleHandleA(nullptr);
    return static_cast<HICON>(
        LoadImageA(instance, MAKEINTRESOURCEA(IDI_KORVID), IMAGE_ICON, size, size, 0));
}

void OnMainWindowDpiChanged(HWND window, int dpi, const RECT* proposed) {
    app.dpi = dpi;
    ScaleBars();
    ScaleEditor(app.editorWindow);
    SetWindowIcons(window, dpi);
    if (proposed != nullptr)
        SetWindowPos(window, nullptr, proposed->left, proposed->top,
                     proposed->right - proposed->left, proposed->bottom - proposed->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    // The bars' heights may change with the same window size.
    RelayoutMainWindow();
}
