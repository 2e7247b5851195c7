#include "app/MainWindow.h"

#include "app/AppState.h"
#include "app/Bars.h"
#include "app/Commands.h"
#include "app/Dpi.h"
#include "app/Editor.h"
#include "app/Tray.h"
#include "document/Autosave.h"
#include "document/DocumentState.h"
#include "document/Lifecycle.h"
#include "document/Monitor.h"
#include "document/Recovery.h"
#include "resource.h"
#include "settings/SettingsFile.h"
#include "text/TextRoutines.h"
#include "tools/EditorText.h"
#include "tools/Tools.h"

#include <commctrl.h>
#include <shellapi.h>

namespace {

LRESULT OnSize(HWND window, WPARAM sizeType, LPARAM lParam) {
    if (sizeType == SIZE_MINIMIZED && settings.TrayMinimise != 0) {
        HideToTray();
        return 0;
    }
    LayoutMainWindow(sizeType, LOWORD(lParam), HIWORD(lParam));
    return DefWindowProcA(window, WM_SIZE, sizeType, lParam);
}

LRESULT OnNotify(HWND window, WPARAM wParam, LPARAM lParam) {
    NMHDR* header = reinterpret_cast<NMHDR*>(lParam);
    if (header->code == TTN_NEEDTEXTA)
        return OnToolbarTooltip(header);
    if (header->hwndFrom == app.editorWindow &&
        (header->code == EN_LINK || header->code == EN_SAVECLIPBOARD))
        return OnEditorNotify(window, header);
    // Commands, drags and searches that move the caret.
    if (header->hwndFrom == app.editorWindow && header->code == EN_SELCHANGE) {
        UpdateStatusSoon();
        return 0;
    }
    return DefWindowProcA(window, WM_NOTIFY, wParam, lParam);
}

// The close box, Alt+F4 and Escape: the close check runs before the
// settings are written, so an abandoned close writes nothing.
LRESULT OnClose() {
    if (ConfirmDiscard() != 0)
        return 0;
    // The watch ends before the window goes, closing a question it has open.
    StopFileMonitor();
    if (settings.ExitSave != 0)
        SaveSettings();
    DropUndoEditor();
    if (app.editorWindow != nullptr) {
        DestroyWindow(app.editorWindow);
        app.editorWindow = nullptr;
    }
    PostQuitMessage(0);
    return 0;
}

LRESULT OnQueryEndSession(HWND window) {
    if (ConfirmDiscard() != 0)
        return 0;
    StopFileMonitor();
    DestroyWindow(window);
    return 1;
}

} // namespace

void OnDropFiles(HDROP drop) {
    char path[kPathSize];
    UINT n = DragQueryFileA(drop, 0, path, kPathSize);
    DragFinish(drop);
    if (n == 0 || n >= kPathSize)
        path[0] = 0;
    if (ConfirmDiscard() != 0)
        return;
    TextCopy(path, doc.fileName);
    OpenDocument();
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        return OnSize(window, wParam, lParam);
    case WM_COMMAND:
        if (HIWORD(wParam) == EN_CHANGE && lParam != 0 &&
            reinterpret_cast<HWND>(lParam) == app.editorWindow) {
            NoteRecoveryChange();
            return 0;
        }
        return DispatchCommand(window, wParam);
    case WM_SETFOCUS:
        if (app.editorWindow != nullptr)
            SetFocus(app.editorWindow);
        return 0;
    case WM_TIMER:
        OnMainTimer(window, wParam);
        return 0;
    case WM_NOTIFY:
        return OnNotify(window, wParam, lParam);
    case WM_TRAY_NOTIFY:
        OnTrayNotify(wParam, lParam);
        return 0;
    case WM_DROPFILES:
        OnDropFiles(reinterpret_cast<HDROP>(wParam));
        return 0;
    case WM_CREATE:
        app.dpi = WindowDpi(window);
        PostMessageA(window, WM_COMMAND, IDM_STARTUP, 0);
        return 0;
    case WM_DPICHANGED:
        OnMainWindowDpiChanged(window, HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_CLOSE:
        return OnClose();
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_QUERYENDSESSION:
        return OnQueryEndSession(window);
    default:
        break;
    }
    if (IsFindMessage(message, lParam)) {
        OnFindMessage();
        return 0;
    }
    if (message == WM_TASKBAR_CREATED && message != 0) {
        OnTaskbarCreated();
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
