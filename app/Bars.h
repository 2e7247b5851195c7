// Toolbar, status bar and the layout of the main window's client area.
#pragma once

#include "settings/SettingsRecord.h"

#include <windows.h>

#include <commctrl.h>

void CreateBars();
void CreateToolbar();
void CreateStatusBar();
void SetStatusParts();
void LayoutMainWindow(WPARAM sizeType, int width, int height);
// Sizes the bars for the main window's DPI: the toolbar's images, buttons
// and separators, the status bar's font, and both heights.
void ScaleBars();
// Lays the window out again at its current client size.
void RelayoutMainWindow();
// Where the editor goes in the main window's client area, below the
// toolbar and above the status bar.
RECT EditorPlace();
// TTN_NEEDTEXTA for a toolbar button.
LRESULT OnToolbarTooltip(NMHDR* header);

// The buttons the toolbar gets for these settings, separators included, in
// order. Returns the count; `out` holds kToolbarButtonsMax buttons, room for
// every button of the table and a separator before each.
constexpr int kToolbarButtonsMax = 64;
int ToolbarButtonsFor(const SettingsRecord& record, TBBUTTON* out);
// The tooltip of a command's button, or nullptr.
const char* ToolbarTooltip(WORD command);
