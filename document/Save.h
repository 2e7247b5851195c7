// Moving the editor's text into a file. A save never truncates the old file
// first: the text goes to a temporary file beside it, which replaces the
// old file only when every byte is written and flushed.
#pragma once

#include <windows.h>

// 0 saved, 1 not saved. Does not touch the document's file name.
int SaveDocumentFile(HWND editor, const char* path);
// 0 saved, 1 not saved (error, refusal or cancel).
int SaveDocument();
// Writes `size` bytes to `path` through a temporary file beside it.
// Returns true only when the new file is complete and in place.
bool WriteFileReplacing(const char* path, const void* data, DWORD size);
