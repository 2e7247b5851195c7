// Drives a real Korvid.exe from outside, the way a user would: it starts
// the program in a folder of its own, finds its windows, sends it commands,
// keys and text, reads back what it shows and waits for it to end.
//
// Every wait polls with a time-out. A wait that runs out throws
// DriverError with a message that says what it waited for and how the
// program stood (running or ended, its top-level windows); GoogleTest
// reports the message and fails the test. The KorvidApp
// destructor ends a program that is still running, so a test that fails
// midway leaks no process.
//
// Environment:
//   KORVID_EXE            Linux or Windows path of the built Korvid.exe
//   KORVID_ARTIFACTS_DIR  where screenshots go (default: "artifacts" beside
//                         Korvid.exe)
//   KORVID_E2E_KEEP       when set, the program folders are not deleted
//   KORVID_E2E_KEYS       "sendinput" or "xdotool" (see KeyMethod)
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace korvid_e2e {

struct DriverError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Time-outs, in milliseconds. Start-up under Wine takes about a second when
// the machine is busy; these leave room for a slow CI machine.
constexpr DWORD kStartTimeout = 15000;
constexpr DWORD kExitTimeout = 10000;
constexpr DWORD kUiTimeout = 5000;

// The caption of every notification dialog of the program.
constexpr const char* kNotifyCaption = "Korvid 1.2";
constexpr int kNotifyTextId = 1601;
constexpr int kEditorId = 1000;

// Size and tag of a complete settings file.
constexpr size_t kSettingsFileSize = 8208;
constexpr const char* kSettingsTag = "KRVD1170";

// File offsets of settings fields the tests use.
namespace offsets {
constexpr size_t StatusBarEnabled = 12;
constexpr size_t StayOnTop = 20;
constexpr size_t WindowSizeMode = 32;
constexpr size_t WindowSizeValue = 36;
constexpr size_t WindowHeight = 40;
constexpr size_t WordWrap = 48;
constexpr size_t ExitSave = 4946;
constexpr size_t TrayMinimise = 4950;
constexpr size_t OverwriteSelection = 6078;
constexpr size_t EscapeCloses = 7230;
constexpr size_t FontGroup1Font = 7694; // LOGFONTA; lfHeight first
constexpr size_t FontGroup2Font = 7754;
constexpr size_t FontGroup3Font = 7814;
constexpr size_t CurrentFontGroup = 8190;
constexpr size_t AutoOverwriteOff = 8198;
} // namespace offsets

// Child ids and classes of the main window's bars.
constexpr int kToolbarId = 1;
constexpr int kStatusBarId = 60;

using Bytes = std::vector<uint8_t>;

// File helpers (Windows paths).
//
// The program replaces a file by renaming a new one over it, and Wine
// refuses that rename while the old file is open anywhere, whatever the
// share mode: a test that polls a file which already exists can make a
// save of the program fail. Poll only for files that do not exist yet;
// otherwise wait for another sign of the write and read once.
bool FileExists(const std::string& path);
Bytes ReadFileBytes(const std::string& path); // throws when unreadable
// False while the file is missing or the program holds it open unshared.
bool TryReadFileBytes(const std::string& path, Bytes& bytes);
void WriteFileBytes(const std::string& path, const Bytes& bytes);
void WriteTextFile(const std::string& path, const std::string& text);
// Creates a folder and any missing folders above it.
void MakeFolders(const std::string& folder);

// A settings file image: tag, then a record of 8200 bytes.
Bytes MakeSettingsFile(); // "KRVD1170" + zero record
int32_t GetSettingsField(const Bytes& file, size_t offset);
void SetSettingsField(Bytes& file, size_t offset, int32_t value);
// Writes a text field of `size` bytes: the text, then zeros.
void SetSettingsText(Bytes& file, size_t offset, size_t size, const std::string& text);

// The settings file a fresh Korvid.exe writes with its defaults (run once
// per test process and kept; about half a second).
const Bytes& DefaultSettingsFile();

// Conversions between the Linux and the Windows view of a path, through
// Wine's kernel32 exports (drive Z: mapping as a fallback).
std::string WindowsPathOf(const std::string& unixPath);
std::string UnixPathOf(const std::string& windowsPath);

// The built Korvid.exe (Windows path), from KORVID_EXE.
std::string KorvidExePath();
// Folder for test artifacts (Windows path); created on demand.
std::string ArtifactsFolder();

// Runs a shell command line on the Linux side (/bin/sh -c) and waits for it.
// Returns its exit status; throws when it does not finish in time.
int RunUnixCommand(const std::string& shellCommand, DWORD timeoutMs = kUiTimeout);

// A notification dialog of the program as the user sees it.
struct Notification {
    HWND window = nullptr;
    std::string message;                              // text of control 1601
    std::vector<std::pair<int, std::string>> buttons; // visible buttons 1, 2, 1612
    std::string ButtonText(int id) const;             // "" when absent
};

// How a button of a dialog is pressed.
enum class Press { Click, Command };

// How keys are sent to the program.
//   XTest:     xdotool on the X display: real key events through the X
//              server, as a keyboard would type them (the default). The
//              driver first brings the main window to the front
//              (SetForegroundWindow, then waits until the program's focus
//              window is inside it) and hands xdotool the X window of the
//              main window to focus ("windowfocus"): Wine does not move the
//              X focus when another process activates a window, and keys
//              would go to whichever window had it. xdotool runs as a Unix
//              program started by Wine (/bin/sh -c through CreateProcess),
//              which gives no handle to wait on, so the command leaves its
//              exit status in a marker file that the driver polls; one call
//              takes about 20 ms for the shell and 35 ms with xdotool.
//   SendInput: the Wine session's own input queue; needs no X tools and
//              takes a few milliseconds. Chosen with KORVID_E2E_KEYS=sendinput,
//              and by itself when xdotool is not installed.
// Keys are not synchronous with the program: poll for their effect.
enum class KeyMethod { XTest, SendInput };
KeyMethod DefaultKeyMethod();

class KorvidApp {
  public:
    // Makes a fresh program folder and copies Korvid.exe (and ToolBar.bmp
    // when it exists beside it) into it.
    explicit KorvidApp(bool separateDataFolder = false);
    ~KorvidApp();
    KorvidApp(const KorvidApp&) = delete;
    KorvidApp& operator=(const KorvidApp&) = delete;

    const std::string& ProgramFolder() const { return programFolder_; } // ends with "\"
    const std::string& DataFolder() const { return dataFolder_; }       // ends with "\"
    std::string SettingsPathInData() const { return dataFolder_ + "Korvid.Dat"; }
    std::string SettingsPathInProgram() const { return programFolder_ + "Korvid.Dat"; }

    // Starts the program with the given raw arguments (may be empty), in
    // `currentFolder` (default: the program folder). The program may be
    // started again once the previous run has ended.
    void Start(const std::string& arguments = "", const std::string& currentFolder = "");
    DWORD ProcessId() const { return processInfo_.dwProcessId; }
    bool Running() const;

    // Waits for the visible main window ("KorvidBox") of this process. Fails
    // at once, with its text, when a notification shows up instead.
    HWND WaitForMainWindow(DWORD timeoutMs = kStartTimeout);
    // The main window, or null when it does not exist (yet).
    HWND FindMainWindow() const;
    // Waits for the main window and its editor control (start-up complete).
    HWND WaitForEditor(DWORD timeoutMs = kStartTimeout);
    HWND Editor() const;                         // null when absent
    HWND FindChild(const char* className) const; // child of the main window

    // Notification dialogs (caption "Korvid 1.2") of this process.
    HWND FindNotification() const;
    Notification WaitForNotification(DWORD timeoutMs = kStartTimeout);
    Notification ReadNotification(HWND dialog) const;
    // Waits until `path` can be read and holds `size` bytes (the program
    // writes files unshared, so a read can meet the file half-written). For
    // a file that does not exist yet (see the file helpers).
    Bytes WaitForFile(const std::string& path, size_t size, DWORD timeoutMs = kUiTimeout);
    // Fails when a notification shows at any time during the next `forMs`
    // milliseconds (for checks that nothing asks the user).
    void ExpectNoNotification(DWORD forMs = 300);
    // Presses a button (1, 2 or 1612) and waits until the dialog is gone.
    void Answer(const Notification& dialog, int buttonId, Press how = Press::Click);

    // Commands and window messages.
    void PostCommand(int commandId);
    void Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) const;
    void Close(); // WM_CLOSE, as the close box sends it
    std::string Title() const;

    // Sends a message and returns its result; throws when the program does
    // not answer in time.
    LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) const;
    // Sends a message whose lParam points to `size` bytes: the bytes are
    // copied into the program's memory, the message gets their address
    // there, and what the program left in them is copied back into
    // `buffer` (EM_EXGETSEL, SB_GETTEXTA, TB_GETBUTTON, LVM_GETITEMTEXTA...;
    // pointers inside the block must point into the program as well).
    LRESULT SendWithBuffer(HWND window, UINT message, WPARAM wParam, void* buffer,
                           size_t size) const;

    // The editor.
    std::string EditorText() const;
    std::wstring EditorTextW() const; // UTF-16 with CR LF breaks: nothing lost
    void SetEditorText(const std::string& text);
    std::pair<long, long> Selection() const; // EM_EXGETSEL: {cpMin, cpMax}
    // Wait for the editor to show `expected` / for the selection to be
    // {first, last}; a time-out names what was last seen.
    void WaitForEditorText(const std::string& expected, DWORD timeoutMs = kUiTimeout);
    void WaitForSelection(long first, long last, DWORD timeoutMs = kUiTimeout);

    // The status bar: texts and right edges of its parts; empty when absent.
    std::vector<std::string> StatusTexts() const;
    std::vector<int> StatusParts() const;

    // The main window's styles (GWL_STYLE, GWL_EXSTYLE); WS_EX_TOPMOST is
    // the on-top state.
    LONG MainStyle() const;
    LONG MainExStyle() const;
    bool OnTop() const { return (MainExStyle() & WS_EX_TOPMOST) != 0; }

    // The toolbar (ToolbarWindow32, id 1) or null; its buttons in order
    // (TB_GETBUTTON), the check state of a command's button
    // (TB_ISBUTTONCHECKED) and a button's rectangle in the toolbar's client
    // coordinates (TB_GETRECT).
    HWND Toolbar() const;
    std::vector<TBBUTTON> ToolbarButtons() const;
    bool ToolbarChecked(int command) const;
    RECT ToolbarButtonRect(int command) const;

    // A visible pop-up menu (class #32768) of the program, or null. Menus
    // are per process in Wine: drive them with keys and check the effect.
    HWND FindPopupMenu() const;
    HWND WaitForPopupMenu(DWORD timeoutMs = kUiTimeout);
    void WaitForNoPopupMenu(DWORD timeoutMs = kUiTimeout);

    // The mouse, through the same channel as the keys. Points are in the
    // client coordinates of `window`; button 1 is the left button, 3 the
    // right one. Wheel turns `notches` notches (positive: away from the
    // user, 120 each) over the point while `modifiers` ("ctrl", "shift",
    // "ctrl+shift" or "") are held.
    void Click(HWND window, POINT at, int button = 1);
    void Wheel(HWND window, POINT at, int notches, const std::string& modifiers = "");

    // Keys. `keys` uses xdotool's key names, blank-separated
    // ("ctrl+a", "Return", "shift+End BackSpace"). The main window is
    // brought to the front first.
    void PressKeys(const std::string& keys);
    // The same keys to another top-level window of the program, such as a
    // question or a file dialog, which is brought to the front first.
    void PressKeysIn(HWND window, const std::string& keys);
    void TypeText(const std::string& text);
    KeyMethod Keys() const { return keyMethod_; }

    // The common Open and Save dialogs: a visible "#32770" of the program
    // with a file-name box (combo cmb13 0x47C or edit edt1 0x480), or null.
    HWND FindFileDialog() const;
    HWND WaitForFileDialog(DWORD timeoutMs = kUiTimeout);
    // Puts `name` into the dialog's file-name box and presses OK (IDOK);
    // waits until the dialog has closed.
    void ChooseInFileDialog(HWND dialog, const std::string& name);
    // Presses Cancel (IDCANCEL) and waits until the dialog has closed.
    void CancelFileDialog(HWND dialog);

    // Drops files (Windows paths) on `window` as the system does: the
    // message goes to the first window from `window` up its parents that
    // accepts files (WS_EX_ACCEPTFILES), as a posted WM_DROPFILES whose
    // HDROP is a DROPFILES block in the program's own memory. The program
    // frees the block through DragFinish, so it is left to the program.
    // `at` is the drop point in the client coordinates of `window`. Returns
    // the window that got the message; fails when no window accepts files.
    HWND DropFiles(HWND window, const std::vector<std::string>& paths, POINT at = {10, 10});

    // Waits for the process to end; returns its exit code.
    DWORD WaitForExit(DWORD timeoutMs = kExitTimeout);
    // Ends the process if it still runs.
    void Kill();

    // Saves a PNG of the main window into the artifacts folder and returns
    // its Windows path.
    std::string SaveScreenshot(const std::string& name);
    // The number of distinct colours the X display shows in a rectangle of
    // `window`'s client area (what the user sees, once painted; about 0.1 s).
    int CountScreenColours(HWND window, const RECT& clientRect);

    // Polls `condition` every few milliseconds until it holds; throws with
    // `what` on time-out.
    template <typename F>
    void WaitUntil(F condition, const std::string& what, DWORD timeoutMs = kUiTimeout) {
        DWORD start = GetTickCount();
        while (!condition()) {
            if (GetTickCount() - start > timeoutMs)
                Fail("timed out after " + std::to_string(timeoutMs) + " ms waiting for " + what);
            Sleep(10);
        }
    }

    // The same, with a failure message made at the time-out (so that it can
    // say what was last seen): `describe` returns it.
    template <typename F, typename D>
    void WaitFor(F condition, D describe, DWORD timeoutMs = kUiTimeout) {
        DWORD start = GetTickCount();
        while (!condition()) {
            if (GetTickCount() - start > timeoutMs)
                Fail("timed out after " + std::to_string(timeoutMs) + " ms waiting for " +
                     describe());
            Sleep(10);
        }
    }

    [[noreturn]] void Fail(const std::string& message) const;

  private:
    void Focus(HWND window);
    void RunXdotool(const std::string& arguments, const std::string& what);
    POINT ScreenPoint(HWND window, POINT at) const;
    std::string XFocusCommand(HWND window) const;
    void RemoveFolders();

    std::string root_;          // %TEMP%\korvid-e2e-<pid>-<n>\ .
    std::string programFolder_; // root_ + "prog\"
    std::string dataFolder_;
    bool separateDataFolder_ = false;
    PROCESS_INFORMATION processInfo_{};
    KeyMethod keyMethod_ = KeyMethod::XTest;
};

// Settings changed for a test: a 32-bit field at its file offset.
struct Field {
    size_t offset;
    int32_t value;
};
// Writes the default settings with `fields` changed beside the program.
void WriteSettings(KorvidApp& app, std::initializer_list<Field> fields);
// A path in double quotes, as a command line argument.
std::string Quote(const std::string& path);
// The middle of a rectangle; a point in the editor's upper half.
POINT Centre(const RECT& rect);
POINT EditorPoint(KorvidApp& app);

// Top-level windows and controls of the program seen from the test.
// A visible top-level window of the program with this class and title.
HWND FindOwnWindow(const KorvidApp& app, const char* className, const char* title);
HWND WaitForOwnWindow(KorvidApp& app, const char* className, const char* title);
// A control's text in another process goes through messages.
std::string ItemText(const KorvidApp& app, HWND dialog, int id);
void SetItemText(const KorvidApp& app, HWND dialog, int id, const char* text);
// The control with the keyboard focus in the thread that runs `window`.
HWND FocusOf(HWND window);

// The settings sheet "Korvid 1.9": Options opens it; the index of the tab
// it shows; Ctrl+Tab to the next page, waiting until tab `expected` shows.
HWND OpenOptions(KorvidApp& app);
int CurrentTab(const KorvidApp& app, HWND sheet);
void NextTab(KorvidApp& app, HWND sheet, int expected);

} // namespace korvid_e2e
