#include "tools/Tools.h"

// Filled in with the file statistics dialog.
void ShowFileInfo(HWND) {}
