#include "app/Bars.h"

#include "app/AppState.h"
#include "app/Editor.h"
#include "app/Tray.h"
#include "document/DocumentState.h"
#include "settings/SettingsRecord.h"
#include "text/TextRoutines.h"

void CreateBars() {
    if (settings.StatusBarEnabled) {
        TextCopy("Korvid 1.9", doc.statusText);
        CreateStatusBar();
        UpdateStatusBar();
    }
    if (settings.ToolbarEnabled)
        CreateToolbar();
}

void LayoutMainWindow(WPARAM sizeType, int width, int height) {
    if (sizeType == SIZE_MINIMIZED && settings.TrayMinimise != 0) {
        HideToTray();
        return;
    }
    app.clientWidth = width;
    app.clientHeight = height;
    int top = 0;
    int h = height;
    if (settings.ToolbarEnabled && app.toolBar != nullptr) {
        SendMessageA(app.toolBar, WM_SIZE, sizeType, MAKELPARAM(width, height));
        top = app.toolbarHeight;
        h -= app.toolbarHeight;
    }
    if (settings.StatusBarEnabled && app.statusBar != nullptr) {
        SendMessageA(app.statusBar, WM_SIZE, sizeType, MAKELPARAM(width, height));
        h -= app.statusHeight;
        SetStatusParts();
    }
    if (app.editorWindow != nullptr)
        MoveWindow(app.editorWindow, 0, top, width, h < 0 ? 0 : h, TRUE);
}

void RelayoutMainWindow() {
    RECT client = {0, 0, 0, 0};
    GetClientRect(app.mainWindow, &client);
    LayoutMainWindow(0, client.right, client.bottom);
}

// The toolbar with its groups and tooltips and the four-part status bar are
// filled in with the bars' own work; until then the window has neither.
void CreateToolbar() {}
void CreateStatusBar() {}
void SetStatusParts() {}
LRESULT OnToolbarTooltip(NMHDR*) { return 0; }
