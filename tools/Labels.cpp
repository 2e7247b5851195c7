#include "tools/Tools.h"

// Filled in with the labels window.
void ShowLabelsWindow(HWND) {}
