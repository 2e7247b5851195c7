#include "app/Tray.h"

#include "app/AppState.h"
#include "resource.h"
#include "settings/SettingsFile.h"

#include <commctrl.h>

void SetOnTop(HWND window, int flag) {
    SetWindowPos(window, flag == 1 ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
}

// The new state is written with the next settings write, not here.
void ToggleOnTop() {
    settings.StayOnTop = settings.StayOnTop == 1 ? 0 : 1;
    SetOnTop(app.mainWindow, settings.StayOnTop);
    if (app.toolBar != nullptr)
        SendMessageA(app.toolBar, TB_CHECKBUTTON, IDM_ON_TOP, MAKELONG(settings.StayOnTop == 1, 0));
}

void StoreDefaultSize() {
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    if (GetWindowPlacement(app.mainWindow, &placement))
        memcpy(&settings.WindowPlacement, &placement, sizeof placement);
    SaveSettings();
}

// The tray icon is filled in with the tray work; until then minimising
// to the tray leaves the window as it is.
void SetTrayIcon(DWORD, const char*) {}
void HideToTray() {}
void OnTrayNotify(WPARAM, LPARAM) {}
void OnTaskbarCreated() {}
