// Helpers shared by the Windows tests: throwaway folders and files, the
// polling wait, and the one way a test answers a dialog of this process.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

// The caption of the program's notifications and questions.
constexpr const char* kAsk = "Korvid 1.2";

// A fresh folder under the temporary folder, removed with its files at the
// end of the test. `path` ends with a backslash.
struct TempFolder {
    TempFolder();
    ~TempFolder();
    const std::string& path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + name; }
    std::string path_;
};

bool WriteWholeFile(const std::string& path, const std::string& bytes);
// The file's bytes, or "(none)" when it cannot be read.
std::string FileBytes(const std::string& path);
inline bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Runs the message loop of this thread until `done` holds or `timeoutMs`
// passes; returns whether `done` held.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000);

// A visible top-level window of this process with this caption, or null.
HWND FindOwnWindow(const char* caption);

// Runs `action` on this thread; the first visible window of this process
// captioned `caption` meanwhile goes to `answer` on a helper thread, joined
// before this returns (nothing is left to press a button in a later dialog).
// A dialog the answer left open for 15 s is cancelled and fails the test.
// Returns whether one showed.
bool DialogDuring(const char* caption, const std::function<void(HWND)>& answer,
                  const std::function<void()>& action);
// The dialog must come (the test fails when it does not) and is answered
// with `button`, after `fill` has run on it when one is given.
void Answer(const char* caption, int button, const std::function<void()>& action,
            const std::function<void(HWND)>& fill = nullptr);
// The file dialog `caption` must come and is answered with `path`; the
// question whether to replace an existing file is answered Yes.
void ChooseFile(const char* caption, const std::string& path, const std::function<void()>& action);
std::string ItemText(HWND dialog, int id);
inline void PressDialogButton(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(GetDlgItem(dialog, id)));
}

// Registers a window class of this process (once a name) and loads the
// rich-edit library the editors need.
void RegisterTestWindowClass(const char* className, WNDPROC procedure);
