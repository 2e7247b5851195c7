// Tray icon, the on-top state and the stored window size.
#pragma once

#include <windows.h>
#include <shellapi.h>

// Sends the tray record to the shell: NIM_ADD, NIM_MODIFY or NIM_DELETE, the
// tip cut to its first 127 characters.
void SetTrayIcon(DWORD operation, const char* tip);
// The last record and operation sent to the shell, and whether the icon was
// added and not deleted since. The shell's answer is not looked at, so these
// hold on a desktop without a tray as well.
const NOTIFYICONDATAA& LastTrayRecord();
DWORD LastTrayOperation();
bool TrayIconAdded();
void HideToTray();
void OnTrayNotify(WPARAM iconId, LPARAM mouseMessage);
void OnTaskbarCreated();
void SetOnTop(HWND window, int flag);
void ToggleOnTop();
void StoreDefaultSize();
