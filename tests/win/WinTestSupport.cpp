#include "WinTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <utility>

namespace {
void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found)) {
        std::string name = found.cFileName, full = folder + name;
        SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            DeleteFileA(full.c_str());
        else if (name != "." && name != "..")
            RemoveTree(full + "\\");
    }
    FindClose(search);
    RemoveDirectoryA(folder.c_str());
}

// The search's caption comes in, the window found goes out.
BOOL CALLBACK MatchOwnWindow(HWND w, LPARAM p) {
    auto* search = reinterpret_cast<std::pair<const char*, HWND>*>(p);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    char text[128];
    GetWindowTextA(w, text, sizeof text);
    if (pid != GetCurrentProcessId() || !IsWindowVisible(w) || strcmp(search->first, text))
        return TRUE;
    search->second = w;
    return FALSE;
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
    DWORD done = 0;
    bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) &&
              done == bytes.size();
    return CloseHandle(file) && ok;
}

std::string FileBytes(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "(none)";
    std::string bytes;
    char chunk[65536];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0)
        bytes.append(chunk, got);
    CloseHandle(file);
    return bytes;
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    for (DWORD start = GetTickCount(); !done();
         MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT)) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        for (MSG msg; PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);)
            TranslateMessage(&msg), DispatchMessageA(&msg);
    }
    return true;
}

HWND FindOwnWindow(const char* caption) {
    std::pair<const char*, HWND> search{caption, nullptr};
    EnumWindows(MatchOwnWindow, reinterpret_cast<LPARAM>(&search));
    return search.second;
}

bool DialogDuring(const char* caption, const std::function<void(HWND)>& answer,
                  const std::function<void()>& action) {
    std::atomic<bool> done{false}, shown{false}, ended{false}, stuck{false};
    std::thread helper([&] {
        HWND dialog = nullptr;
        while (!done && !(dialog = FindOwnWindow(caption)))
            Sleep(10);
        if ((shown = dialog != nullptr))
            answer(dialog);
        for (DWORD start = GetTickCount(); dialog && !done && IsWindow(dialog) && !stuck; Sleep(10))
            stuck = GetTickCount() - start > 15000 && PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        ended = true;
    });
    action();
    done = true;
    // The search reads the captions of this thread's windows: their
    // messages are answered until the helper has ended.
    PumpUntil([&] { return ended.load(); });
    helper.join();
    EXPECT_FALSE(stuck) << "the answer left \"" << caption << "\" open";
    return shown;
}

void Answer(const char* caption, int button, const std::function<void()>& action,
            const std::function<void(HWND)>& fill) {
    auto press = [&](HWND dialog) {
        (fill ? fill(dialog) : void()), PressDialogButton(dialog, button);
    };
    EXPECT_TRUE(DialogDuring(caption, press, action)) << "no dialog \"" << caption << "\" showed";
}

void ChooseFile(const char* caption, const std::string& path, const std::function<void()>& action) {
    // Only a Save dialog asks (captioned "Error") before it names an
    // existing file; the question is answered while the dialog waits for it.
    const bool asks = FileExists(path) && std::string(caption) == "Save As";
    auto yes = [](HWND question) { PressDialogButton(question, IDYES); };
    Answer(
        caption, IDOK,
        [&] { EXPECT_EQ(asks, DialogDuring("Error", yes, action)) << "replace " << path << "?"; },
        [&](HWND dialog) {
            SetDlgItemTextA(dialog, 0x480, path.c_str());
            SetDlgItemTextA(dialog, 0x47c, path.c_str());
        });
}

std::string ItemText(HWND dialog, int id) {
    char text[1024] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

void RegisterTestWindowClass(const char* className, WNDPROC procedure) {
    LoadLibraryA("RichEd20.dll");
    WNDCLASSA wc = {};
    wc.lpfnWndProc = procedure;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = className;
    RegisterClassA(&wc); // a second time fails, and the class stays as it was
}
