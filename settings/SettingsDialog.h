#pragma once

#include "settings/SettingsRecord.h"

#include <windows.h>

// The seven-page settings sheet "Korvid 1.9", modal on the main window.
// The settings file is written when it closes, whichever button closed it.
void ShowSettingsDialog();
int ChooseGroupFont(HWND owner, COLORREF textColour, PackedLogFont* font);
COLORREF ChooseGroupColour(HWND owner, uint32_t* colour, HINSTANCE instance);
