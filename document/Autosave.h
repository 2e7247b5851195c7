#pragma once

#include <windows.h>

void SetAutosaveTimer();
void OnMainTimer(HWND window, UINT_PTR timerId);
