// Moving the editor's text into a file. A save never truncates the old file
// first: the text goes to a temporary file beside it, every write is
// checked, the file is flushed, and only then does it replace the old file.
// Any failure leaves the old file as it was.
#pragma once

#include <windows.h>

// 0 saved, 1 not saved. Does not touch the document's file name.
int SaveDocumentFile(HWND editor, const char* path);
DWORD CALLBACK StreamOutChunk(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* written);
// 0 saved, 1 not saved (error, refusal or cancel).
int SaveDocument();
// 1 when the user confirmed a name (now in `name`, 600 bytes), else 0.
// Kind 0: Open dialog preset to "Untitled"; kind 1: Save dialog preset to
// the buffer. Filter 1 "Text Files", 2 "Rich Text Files".
int ChooseFileName(HWND owner, char* name, int kind, int filterIndex);
// Writes `size` bytes to `path` the same safe way. True only when the new
// file is complete and in place.
bool WriteFileReplacing(const char* path, const void* data, DWORD size);
