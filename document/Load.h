// Moving a file's text into the editor.
#pragma once

#include <windows.h>

int LoadDocumentFile(HWND editor, const char* path);
int FileIsReadable(const char* path);
void ToggleRichText();
