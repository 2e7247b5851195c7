#pragma once

#include <windows.h>

void SetAutosaveTimer();
void OnMainTimer(HWND window, UINT_PTR timerId);
// A newly opened document may be offered its first autosave again.
void ClearAutosaveHint();
