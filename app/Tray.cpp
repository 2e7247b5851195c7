#include "app/Tray.h"

#include "app/AppState.h"
#include "document/DocumentState.h"
#include "resource.h"
#include "version.h"
#include "settings/SettingsFile.h"
#include "text/TextRoutines.h"

#include <commctrl.h>
#include <shellapi.h>

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

namespace {

const char kTrayTip[] = KORVID_NAME_AND_VERSION;

// The shell reads the record in its version-2 size; later fields are left out.
static_assert(sizeof(void*) != 4 || NOTIFYICONDATAA_V2_SIZE == 488, "the tray record is 488 bytes");

NOTIFYICONDATAA lastRecord;
DWORD lastOperation = NIM_DELETE;
bool iconAdded = false;

} // namespace

void SetTrayIcon(DWORD operation, const char* tip) {
    NOTIFYICONDATAA record = {};
    record.cbSize = NOTIFYICONDATAA_V2_SIZE;
    record.hWnd = app.mainWindow;
    record.uID = 0;
    record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    record.uCallbackMessage = WM_TRAY_NOTIFY;
    record.hIcon = appRecord != nullptr ? appRecord->largeIcon : nullptr;
    TextCopyBounded(tip != nullptr ? tip : "", record.szTip, sizeof record.szTip);
    Shell_NotifyIconA(operation, &record);
    lastRecord = record;
    lastOperation = operation;
    if (operation == NIM_ADD)
        iconAdded = true;
    else if (operation == NIM_DELETE)
        iconAdded = false;
}

const NOTIFYICONDATAA& LastTrayRecord() { return lastRecord; }
DWORD LastTrayOperation() { return lastOperation; }
bool TrayIconAdded() { return iconAdded; }

// The message loop and the timers keep running while the window is hidden.
void HideToTray() {
    ShowWindow(app.mainWindow, SW_HIDE);
    SetTrayIcon(NIM_ADD, kTrayTip);
}

void OnTrayNotify(WPARAM iconId, LPARAM mouseMessage) {
    if (iconId != 0)
        return;
    // Every mouse message over the icon refreshes the tip, so it always names
    // the file open at that moment.
    SetTrayIcon(NIM_MODIFY, doc.hasFileName == 1 ? doc.fileName : kTrayTip);
    if (mouseMessage != WM_LBUTTONDBLCLK)
        return;
    SetTrayIcon(NIM_DELETE, kTrayTip);
    ShowWindow(app.mainWindow, SW_RESTORE);
    SetForegroundWindow(app.mainWindow);
}

// The shell lost its icons when the taskbar went; the icon comes back even
// while the window is visible, and a double-click then just removes it.
void OnTaskbarCreated() { SetTrayIcon(NIM_ADD, kTrayTip); }
