// Drives a real Korvid.exe (KORVID_EXE) from outside, as a user would: a
// program folder of its own, its windows found, commands, keys (SendInput)
// and text sent, what it shows read back. Every wait polls with a time-out
// and throws DriverError saying what it waited for and how the program
// stood. The destructor ends a program that still runs and removes the
// folders (kept with KORVID_E2E_KEEP). Settings offsets and command ids
// come from the program's own headers.
#pragma once

#include <windows.h>

#include "resource.h"
#include "settings/SettingsCore.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

// The file offset of a settings field: its record offset behind the tag.
#define KORVID_FIELD(name) (offsetof(SettingsRecord, name) + kSettingsTagSize)

namespace korvid_e2e {

struct DriverError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

constexpr DWORD kStartTimeout = 15000, kExitTimeout = 10000, kUiTimeout = 5000;
constexpr const char* kNotifyCaption = "Korvid 1.2"; // every notification's
constexpr int kFirst = 1, kSecond = 2, kThird = IDC_NOTIFY_THIRD;
constexpr const char* kNotSaved = "File is not saved and changes will be lost";

using Bytes = std::vector<uint8_t>;
inline Bytes ToBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

// Files. Wine refuses the program's rename over a file that is open
// anywhere: poll only for files that do not exist yet.
bool FileExists(const std::string& path);
Bytes ReadFileBytes(const std::string& path); // throws when unreadable
bool TryReadFileBytes(const std::string& path, Bytes& bytes);
void WriteFileBytes(const std::string& path, const Bytes& bytes);
inline void WriteTextFile(const std::string& path, const std::string& text) {
    WriteFileBytes(path, ToBytes(text));
}
int32_t GetSettingsField(const Bytes& file, size_t offset);
void SetSettingsField(Bytes& file, size_t offset, int32_t value);
const Bytes& DefaultSettingsFile();       // as a fresh Korvid.exe writes it
using Field = std::pair<size_t, int32_t>; // a file offset and its value
std::string WindowsPathOf(const std::string& unixPath);
std::string BuiltBeside(const std::string& name); // a file beside Korvid.exe
inline std::string Quote(const std::string& path) { return "\"" + path + "\""; }

// The one window finder: the first visible top-level window of process
// `pid` (any when 0) of the class and title given (any when null) for which
// `also` holds.
HWND FindTopWindow(DWORD pid, const char* className, const char* title = nullptr,
                   const std::function<bool(HWND)>& also = {});
std::string ClassOf(HWND window);
std::string TextOf(HWND window); // WM_GETTEXT across processes

struct Notification {
    HWND window = nullptr;
    std::string message;
    std::vector<std::pair<int, std::string>> buttons; // the visible ones
    std::string ButtonText(int id) const {            // "" when absent
        for (const auto& button : buttons)
            if (button.first == id)
                return button.second;
        return "";
    }
};

class KorvidApp {
  public:
    // With a separate data folder the settings live in the profile.
    explicit KorvidApp(bool separateDataFolder = false);
    ~KorvidApp();
    KorvidApp(const KorvidApp&) = delete;
    KorvidApp& operator=(const KorvidApp&) = delete;

    const std::string& ProgramFolder() const { return programFolder_; } // ends with "\"
    std::string SettingsPathInData() const { return dataFolder_ + kSettingsFileName; }
    std::string SettingsPathInProgram() const { return programFolder_ + kSettingsFileName; }
    void WriteSettings(std::initializer_list<Field> fields); // the defaults, changed

    void Start(const std::string& arguments = "");
    DWORD ProcessId() const { return processInfo_.dwProcessId; }
    bool Running() const;
    DWORD WaitForExit(DWORD timeoutMs = kExitTimeout); // the exit code

    HWND FindWindowOf(const char* className, const char* title = nullptr,
                      const std::function<bool(HWND)>& also = {}) const;
    HWND FindMainWindow() const { return FindWindowOf("KorvidBox"); }
    // Fails at once when a notification shows instead or the program ends.
    HWND WaitForEditor(DWORD timeoutMs = kStartTimeout);
    HWND Editor() const; // null when absent
    HWND FindNotification() const { return FindWindowOf("#32770", kNotifyCaption); }
    Notification ReadNotification(HWND dialog) const;
    Notification WaitForNotification(DWORD timeoutMs = kUiTimeout);
    // The one dialog answerer: fails unless the notification comes and says
    // `message`; presses `button` and waits until the dialog has gone.
    Notification Expect(const std::string& message, int button, DWORD timeoutMs = kUiTimeout);
    void Answer(const Notification& dialog, int button);
    // No proof by itself: follow it with a step that shows the program alive.
    void ExpectNoNotification(DWORD forMs = 300);

    void PostCommand(int commandId) { Post(Main(), WM_COMMAND, commandId, 0); }
    void Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) const;
    void Close() { Post(Main(), WM_CLOSE, 0, 0); } // as the close box does
    std::string Title() const { return TextOf(Main()); }
    LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) const;

    std::string EditorText() const { return TextOf(EditorOrFail()); }
    std::wstring EditorTextW() const; // UTF-16, CR LF breaks
    std::pair<long, long> Selection() const;
    void WaitForEditorText(const std::string& expected, DWORD timeoutMs = kUiTimeout);
    std::string StatusMessage() const; // status-bar part 3
    void WaitForStatus(const std::string& expected, DWORD timeoutMs = kUiTimeout);
    bool OnTop() const { return (GetWindowLongA(Main(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }
    bool ToolbarChecked(int command) const;
    void WaitForPopupMenu(bool open = true);

    // Key names blank-separated ("ctrl+a", "shift+End BackSpace"); the
    // window comes to the front with the focus first. Poll for the effect.
    void PressKeys(const std::string& keys) { PressKeysIn(Main(), keys); }
    void PressKeysIn(HWND window, const std::string& keys);
    void TypeText(const std::string& text);
    void Click(HWND window, POINT at, int button = 1); // 1 left, 3 right

    HWND FindFileDialog() const; // Open or Save
    HWND WaitForFileDialog(DWORD timeoutMs = kUiTimeout);
    void CancelFileDialog(HWND dialog);
    // A posted WM_DROPFILES, as the system sends it, to the first window up
    // from `window` that accepts files.
    void DropFiles(HWND window, const std::vector<std::string>& paths);

    template <typename F>
    void WaitUntil(F condition, const std::string& what, DWORD timeoutMs = kUiTimeout) {
        WaitFor(
            condition, [&] { return what; }, timeoutMs);
    }
    template <typename F, typename D> // `describe` says what was last seen

    void WaitFor(F condition, D describe, DWORD timeoutMs = kUiTimeout) {
        for (DWORD start = GetTickCount(); !condition(); Sleep(10))
            if (GetTickCount() - start > timeoutMs)
                Fail("timed out after " + std::to_string(timeoutMs) + " ms waiting for " +
                     describe());
    }
    [[noreturn]] void Fail(const std::string& message) const;

  private:
    // lParam points to `size` bytes, copied into the program and back.
    LRESULT SendWithBuffer(HWND window, UINT message, WPARAM wParam, void* buffer,
                           size_t size) const;
    HWND Main() const; // fails when absent
    HWND EditorOrFail() const;
    void Focus(HWND window);

    std::string root_, programFolder_, dataFolder_;
    bool separateDataFolder_;
    PROCESS_INFORMATION processInfo_{};
};

} // namespace korvid_e2e
