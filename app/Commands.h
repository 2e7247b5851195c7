// The one command table: every WM_COMMAND id the main window knows.
#pragma once

#include <windows.h>

struct CommandEntry {
    WORD id;
    void (*run)(HWND window, WORD id);
};

LRESULT DispatchCommand(HWND window, WPARAM wParam);
// The table entry for an id, or nullptr; the list ranges have no entry.
const CommandEntry* FindCommand(WORD id);
const CommandEntry* CommandTable(int* count);
