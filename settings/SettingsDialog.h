#pragma once

#include "settings/SettingsRecord.h"

#include <windows.h>

void ShowSettingsDialog();
int ChooseGroupFont(HWND owner, COLORREF textColour, PackedLogFont* font);
COLORREF ChooseGroupColour(HWND owner, uint32_t* colour, HINSTANCE instance);
