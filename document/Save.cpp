#include "document/Save.h"

#include "app/AppState.h"
#include "text/TextRoutines.h"

#include <richedit.h>

namespace {

struct StreamOutCookie {
    HANDLE file;
    bool failed;
};

DWORD CALLBACK StreamOutChunk(DWORD_PTR cookieValue, LPBYTE buffer, LONG count, LONG* written) {
    StreamOutCookie* cookie = reinterpret_cast<StreamOutCookie*>(cookieValue);
    DWORD done = 0;
    if (!WriteFile(cookie->file, buffer, static_cast<DWORD>(count), &done, nullptr) ||
        done != static_cast<DWORD>(count)) {
        cookie->failed = true;
        *written = static_cast<LONG>(done);
        return 1;
    }
    *written = count;
    return 0;
}

// A new, empty file beside `path` whose name `temporary` receives.
HANDLE CreateTemporaryBeside(const char* path, char* temporary) {
    char folder[kPathSize];
    TextCopyBounded(path, folder, kPathSize);
    char* last = nullptr;
    for (char* p = folder; *p != 0; ++p)
        if (*p == '\\' || *p == '/')
            last = p;
    if (last != nullptr)
        last[1] = 0;
    else
        TextCopy(".\\", folder);
    if (GetTempFileNameA(folder, "kv", 0, temporary) == 0)
        return INVALID_HANDLE_VALUE;
    HANDLE file = CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        DeleteFileA(temporary);
    return file;
}

// Flushes and closes the temporary file and puts it in place of `path`; on
// any failure the temporary file goes and the old file stays as it was.
bool FinishReplacing(HANDLE file, const char* temporary, const char* path, bool ok) {
    ok = ok && FlushFileBuffers(file) != 0;
    ok = CloseHandle(file) != 0 && ok;
    ok =
        ok && MoveFileExA(temporary, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    if (!ok)
        DeleteFileA(temporary);
    return ok;
}

} // namespace

bool WriteFileReplacing(const char* path, const void* data, DWORD size) {
    char temporary[MAX_PATH + 16];
    HANDLE file = CreateTemporaryBeside(path, temporary);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD done = 0;
    bool ok = WriteFile(file, data, size, &done, nullptr) != 0 && done == size;
    return FinishReplacing(file, temporary, path, ok);
}

// Plain-text saving; Rich Text, UTF-16 and the save reports are filled in
// with the document saving work.
int SaveDocumentFile(HWND editor, const char* path) {
    char temporary[MAX_PATH + 16];
    HANDLE file = CreateTemporaryBeside(path, temporary);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    StreamOutCookie cookie = {file, false};
    EDITSTREAM stream = {reinterpret_cast<DWORD_PTR>(&cookie), 0, StreamOutChunk};
    SendMessageA(editor, EM_STREAMOUT, SF_TEXT, reinterpret_cast<LPARAM>(&stream));
    bool ok = !cookie.failed && stream.dwError == 0;
    return FinishReplacing(file, temporary, path, ok) ? 0 : 1;
}

// Filled in with the document saving work (names, dialogs, reports).
int SaveDocument() { return 1; }
