// Moving a file's text into the editor: plain text, Rich Text or UTF-16,
// whole or only its start.
#pragma once

#include <windows.h>

// Always 0; the result is in the document state and the status bar.
int LoadDocumentFile(HWND editor, const char* path);
DWORD CALLBACK StreamInChunk(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* got);
int FileIsReadable(const char* path);
void AppendFileFlags(char* text);
void ReportFileError(int isOpen);
void ToggleRichText();
// Puts `statusText` into status part 3 and refreshes the other parts.
void ShowStatusText();
