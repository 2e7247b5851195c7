#pragma once

#include <windows.h>

void ShowContextMenu(HWND editor);
