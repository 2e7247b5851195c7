#include "document/Autosave.h"

// The autosave timer and the expiry of status messages are filled in with
// the autosave work.
void SetAutosaveTimer() {}
void OnMainTimer(HWND, UINT_PTR) {}
void ClearAutosaveHint() {}
