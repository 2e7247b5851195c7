// Toolbar, status bar and the layout of the main window's client area.
#pragma once

#include <windows.h>

void CreateBars();
void CreateToolbar();
void CreateStatusBar();
void SetStatusParts();
void LayoutMainWindow(WPARAM sizeType, int width, int height);
// Lays the window out again at its current client size.
void RelayoutMainWindow();
// TTN_NEEDTEXTA for a toolbar button.
LRESULT OnToolbarTooltip(NMHDR* header);
