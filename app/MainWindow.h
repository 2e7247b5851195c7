// The main window procedure: it only routes messages to their handlers.
#pragma once

#include <windows.h>

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void OnDropFiles(HDROP drop);
