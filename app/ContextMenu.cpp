#include "app/ContextMenu.h"

// The right-click menu is filled in with the context-menu work.
void ShowContextMenu(HWND) {}
