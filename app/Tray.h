// Tray icon, the on-top state and the stored window size.
#pragma once

#include <windows.h>

void SetTrayIcon(DWORD operation, const char* tip);
void HideToTray();
void OnTrayNotify(WPARAM iconId, LPARAM mouseMessage);
void OnTaskbarCreated();
void SetOnTop(HWND window, int flag);
void ToggleOnTop();
void StoreDefaultSize();
