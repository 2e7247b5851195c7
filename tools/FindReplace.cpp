#include "tools/Tools.h"

// Find, replace and goto are filled in with the search work; until then
// no find request exists.
HWND OpenFindDialog(int) { return nullptr; }
void OnFindMessage() {}
bool IsFindMessage(LPARAM) { return false; }
void GotoLine(HWND) {}
void FindNextDown() {}
