// The autosave timer (id 1) and the expiry of status messages (id 2), both
// on the main window.
#pragma once

#include <windows.h>

struct AutosaveState {
    // Timer 1 was armed; cleared only when SetAutosaveTimer kills it.
    int autosaveTimerSet;
    // The user cancelled the Save dialog offered to a new document.
    int hintDeclined;
    // The first status-expiry tick keeps the start-up message.
    int statusKeepOnce;
};

extern AutosaveState autosave;

// Arms timer 1 from the settings, once; kills it when autosave is off.
void SetAutosaveTimer();
// The main window's WM_TIMER handler.
void OnMainTimer(HWND window, UINT_PTR timerId);
// A newly opened document may be offered its first autosave again.
void ClearAutosaveHint();
