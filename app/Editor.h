// The rich-edit control that holds the document, its key rules and the
// status texts it produces.
#pragma once

#include <windows.h>

HWND CreateEditor(HWND parent);
LRESULT CALLBACK EditorSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void ApplyFontGroup();
int ZoomFontByWheel(HWND window, WPARAM wParam);
void UpdateStatusBar();
int SelectionLength(HWND editor);
void CollapseSelection(HWND editor);
// WM_NOTIFY from the editor: EN_LINK and EN_SAVECLIPBOARD.
LRESULT OnEditorNotify(HWND window, NMHDR* header);
