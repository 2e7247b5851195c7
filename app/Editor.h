// The rich-edit control that holds the document, its key rules and the
// status texts it produces.
#pragma once

#include <windows.h>

#include <richedit.h>

#include <string>

HWND CreateEditor(HWND parent);
// Draws the editor's text for the main window's DPI: the control measures
// character sizes at the system's DPI, so on a screen of another scale it
// is zoomed by the ratio of the two.
void ScaleEditor(HWND editor);
LRESULT CALLBACK EditorSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void ApplyFontGroup();
int ZoomFontByWheel(HWND window, WPARAM wParam);
void UpdateStatusBar();
// The same once input rests: each call puts the update off again.
void UpdateStatusSoon();
int SelectionLength(HWND editor);
void CollapseSelection(HWND editor);
// WM_NOTIFY from the editor: EN_LINK and EN_SAVECLIPBOARD.
LRESULT OnEditorNotify(HWND window, NMHDR* header);

// The step Ctrl+wheel adds to the font height for a wheel delta: 0 for
// deltas too fine to count.
int WheelZoomStep(int delta);
// The text of a character range of the editor, whatever its length.
std::string EditorTextRange(HWND editor, CHARRANGE range);
// Writes a text into one part of the status bar, if there is one.
void SetStatusPart(int part, const char* text);
