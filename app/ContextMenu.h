// The program's only menu: a pop-up built afresh from the settings, the
// document and the application state every time it is opened.
#pragma once

#include <windows.h>

// The complete pop-up as it stands right now. The caller owns the handle;
// DestroyMenu on it frees the submenus too.
HMENU BuildContextMenu();

// Opens the menu at the mouse position (a right-button release in the
// editor) and tracks it until a choice or a cancel; a choice reaches the
// main window as WM_COMMAND.
void ShowContextMenu(HWND editor);

// The same menu opened from the keyboard (Shift+F10, the context-menu key),
// at the caret instead of the mouse.
void ShowContextMenuAtCaret(HWND editor);

// Where ShowContextMenuAtCaret opens the menu: the caret in screen
// coordinates, kept inside the editor when the caret is scrolled out of view.
POINT CaretMenuPoint(HWND editor);
