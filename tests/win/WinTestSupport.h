// Helpers shared by the Windows tests: throwaway folders, files and the
// polling waits the tests use instead of sleeps.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

// A fresh folder under the temporary folder, removed with its files at the
// end of the test. `path` ends with a backslash.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    const std::string& path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + name; }

  private:
    std::string path_;
};

bool WriteWholeFile(const std::string& path, const std::string& bytes);
bool ReadWholeFile(const std::string& path, std::string* bytes);
bool FileExists(const std::string& path);

// Runs the message loop of this thread until `done` holds or `timeoutMs`
// passes; returns whether `done` held.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000);

// A visible top-level window of this process with this caption, or null;
// the second waits for one (other than `other`) up to ten seconds.
HWND FindOwnWindow(const char* title);
HWND WaitForOwnWindow(const char* title, HWND other = nullptr);

// Starts a thread that finds a top-level window with this caption belonging
// to this process (waiting up to 10 s) and runs `action` with it there.
void WithDialogLater(const char* caption, std::function<void(HWND)> action);
// Posts the button's click to the dialog.
void PressDialogButton(HWND dialog, int buttonId);

// Starts a thread that finds a top-level window with this caption belonging
// to this process and presses the button with `buttonId` in it.
void PressDialogButtonLater(const char* caption, int buttonId);

// The same, after putting `text` into the control `controlId` of the dialog.
void FillAndPressLater(const char* caption, int controlId, const std::string& text, int buttonId);

// Registers a window class of this process with the given procedure, once
// per class name, and loads the rich-edit library the editors need.
void RegisterTestWindowClass(const char* className, WNDPROC procedure);
