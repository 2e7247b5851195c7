#include "WinTestSupport.h"

#include <thread>

namespace {
void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string full = folder + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(full + "\\");
            } else {
                SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(full.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}
struct WindowSearch {
    const std::string* title;
    HWND found;
};

BOOL CALLBACK MatchOwnWindow(HWND w, LPARAM p) {
    auto* s = reinterpret_cast<WindowSearch*>(p);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    char text[128];
    GetWindowTextA(w, text, sizeof text);
    if (pid == GetCurrentProcessId() && IsWindowVisible(w) && *s->title == text) {
        s->found = w;
        return FALSE;
    }
    return TRUE;
}
} // namespace

TempFolder::TempFolder() {
    static LONG counter;
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    path_ = std::string(base) + "korvid-test-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(InterlockedIncrement(&counter)) + "\\";
    CreateDirectoryA(path_.c_str(), nullptr);
}

TempFolder::~TempFolder() { RemoveTree(path_); }

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD done = 0;
    bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) &&
              done == bytes.size();
    CloseHandle(file);
    return ok;
}

bool ReadWholeFile(const std::string& path, std::string* bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bytes->clear();
    char chunk[65536];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0)
        bytes->append(chunk, got);
    CloseHandle(file);
    return true;
}

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return true;
}

HWND FindOwnWindow(const char* title) {
    std::string wanted = title;
    WindowSearch search{&wanted, nullptr};
    EnumWindows(MatchOwnWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForOwnWindow(const char* title, HWND other) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 10000) {
        HWND found = FindOwnWindow(title);
        if (found != nullptr && found != other)
            return found;
        Sleep(20);
    }
    return nullptr;
}

void WithDialogLater(const char* caption, std::function<void(HWND)> action) {
    std::string title = caption;
    std::thread([title, action] {
        DWORD start = GetTickCount();
        while (GetTickCount() - start < 10000) {
            WindowSearch search{&title, nullptr};
            EnumWindows(MatchOwnWindow, reinterpret_cast<LPARAM>(&search));
            if (HWND found = search.found) {
                action(found);
                return;
            }
            Sleep(20);
        }
    }).detach();
}

void PressDialogButton(HWND dialog, int buttonId) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, buttonId)));
}

void PressDialogButtonLater(const char* caption, int buttonId) {
    WithDialogLater(caption, [buttonId](HWND dialog) { PressDialogButton(dialog, buttonId); });
}

void FillAndPressLater(const char* caption, int controlId, const std::string& text, int buttonId) {
    WithDialogLater(caption, [controlId, text, buttonId](HWND dialog) {
        SetDlgItemTextA(dialog, controlId, text.c_str());
        PressDialogButton(dialog, buttonId);
    });
}

void RegisterTestWindowClass(const char* className, WNDPROC procedure) {
    LoadLibraryA("RichEd20.dll");
    WNDCLASSEXA existing = {};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExA(GetModuleHandleA(nullptr), className, &existing))
        return;
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = procedure;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = className;
    RegisterClassExA(&wc);
}
