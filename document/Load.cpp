#include "document/Load.h"

#include <richedit.h>

namespace {

struct StreamInCookie {
    HANDLE file;
    char held;
    bool hasHeld;
    bool atEnd;
    bool failed;
};

// The control turns a CR at the end of one request and the LF at the start
// of the next into two line breaks, so a trailing CR is held back for the
// next request unless the file ends there.
DWORD CALLBACK StreamInChunk(DWORD_PTR cookieValue, LPBYTE buffer, LONG wanted, LONG* got) {
    StreamInCookie* cookie = reinterpret_cast<StreamInCookie*>(cookieValue);
    LONG n = 0;
    if (cookie->hasHeld && wanted > 0) {
        buffer[n++] = static_cast<BYTE>(cookie->held);
        cookie->hasHeld = false;
    }
    while (n < wanted && !cookie->atEnd) {
        DWORD read = 0;
        if (!ReadFile(cookie->file, buffer + n, static_cast<DWORD>(wanted - n), &read, nullptr)) {
            cookie->failed = true;
            *got = 0;
            return 1;
        }
        if (read == 0)
            cookie->atEnd = true;
        n += static_cast<LONG>(read);
    }
    if (n > 1 && buffer[n - 1] == '\r' && !cookie->atEnd) {
        cookie->held = '\r';
        cookie->hasHeld = true;
        --n;
    }
    *got = n;
    return 0;
}

} // namespace

int FileIsReadable(const char* path) {
    HANDLE file =
        CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    CloseHandle(file);
    return 1;
}

// Plain-text loading; Rich Text, UTF-16, partial loading, progress and the
// status report are filled in with the document loading work.
int LoadDocumentFile(HWND editor, const char* path) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    StreamInCookie cookie = {file, 0, false, false, false};
    EDITSTREAM stream = {reinterpret_cast<DWORD_PTR>(&cookie), 0, StreamInChunk};
    SendMessageA(editor, EM_STREAMIN, SF_TEXT, reinterpret_cast<LPARAM>(&stream));
    CloseHandle(file);
    return 0;
}

// Filled in with the Rich Text work.
void ToggleRichText() {}
