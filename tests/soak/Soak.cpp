// The soak test: the real Korvid.exe, started on a document in a throwaway
// folder, driven by thousands of random user steps from a seeded generator
// (keys, clicks, the context menu, commands, dialogs and their answers,
// saves). After every step it checks that the program answers, that it
// still runs, and that no file changed behind its back; after every save,
// that the file holds what the editor showed, in the document's own
// encoding and line-break style; every 100 steps, that memory and handles
// stay within a bound.
//
//   korvid_soak.exe [--steps N] [--seed S]
//
// KORVID_SOAK_VERBOSE=1 prints every step as it is taken.
//
// Every step ends with a barrier: the On Top command toggles the window's
// topmost state, and the test waits for the new state. Keys end with
// Ctrl+T, which the editor turns into that command, so the barrier comes
// after every key before it; a command is followed by the command itself,
// posted after it. Once the state has flipped, everything before it has
// been handled, or a modal window of it is running.
#include "tests/e2e/KorvidDriver.h"

#include "resource.h"

#include <commdlg.h>
#include <dlgs.h>
#include <richedit.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <string>
#include <vector>

using namespace korvid_e2e;

namespace {

constexpr const char* kDocName = "notes.txt";
constexpr const char* kDecoyName = "other.txt";
// Bounds: the resident memory may grow this much over its value after the
// first 50 steps of a run of the program, the handle and window counts
// this much. Wine's file dialog keeps one registry key open each time it is
// confirmed (cancelled it keeps none; the program's own open and save add
// none): the handle bound grows by one for each.
constexpr long kMemoryBoundKb = 32 * 1024;
constexpr long kHandleBound = 50;
constexpr long kWindowBound = 10;
constexpr int kSampleEvery = 100;
constexpr int kBaselineStep = 50;

// Settings file offsets the soak sets besides those the driver knows.
constexpr size_t kUrlHighlight = 16;
constexpr size_t kAutoSaveEnabled = 44;
constexpr size_t kAssocAutoRefresh = 3594;
constexpr size_t kMonitorFile = 4922;
constexpr size_t kPrintProgram = 4954; // 600 bytes

struct SoakFailure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// splitmix64: the same numbers from the same seed on every machine.
class Random {
  public:
    explicit Random(uint64_t seed) : state_(seed) {}
    uint64_t Next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    int Below(int n) { return n <= 1 ? 0 : static_cast<int>(Next() % static_cast<uint64_t>(n)); }
    bool Percent(int p) { return Below(100) < p; }
    template <typename T> const T& Pick(const std::vector<T>& items) {
        return items[static_cast<size_t>(Below(static_cast<int>(items.size())))];
    }

  private:
    uint64_t state_;
};

// ---- the document's form on disk ------------------------------------------

enum Encoding { Ansi, Utf8, Utf16 };
const char* const kEncodingNames[] = {"8-bit", "UTF-8", "UTF-16"};
const char* const kBreakNames[] = {"CR LF", "LF", "CR"};
const wchar_t* const kBreaks[] = {L"\r\n", L"\n", L"\r"};

struct Form {
    Encoding encoding = Ansi;
    int breaks = 0; // LineBreakStyle: 0 CR LF, 1 LF, 2 CR
};

// The bytes a save writes for the editor's text (CR LF breaks).
Bytes Encode(const std::wstring& text, const Form& form) {
    std::wstring converted;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') {
            converted += kBreaks[form.breaks];
            ++i;
        } else {
            converted += text[i];
        }
    }
    Bytes out;
    if (form.encoding == Utf16) {
        out = {0xFF, 0xFE};
        for (wchar_t c : converted) {
            out.push_back(static_cast<uint8_t>(c & 0xFF));
            out.push_back(static_cast<uint8_t>(c >> 8));
        }
        return out;
    }
    if (form.encoding == Utf8)
        out = {0xEF, 0xBB, 0xBF};
    UINT page = form.encoding == Utf8 ? CP_UTF8 : CP_ACP;
    int n = WideCharToMultiByte(page, 0, converted.data(), static_cast<int>(converted.size()),
                                nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(n), '\0');
    if (n > 0)
        WideCharToMultiByte(page, 0, converted.data(), static_cast<int>(converted.size()),
                            &narrow[0], n, nullptr, nullptr);
    out.insert(out.end(), narrow.begin(), narrow.end());
    return out;
}

// The form a load finds in a file: its mark and its first line break (none:
// CR LF).
Form DetectForm(const Bytes& file) {
    Form form;
    size_t at = 0, step = 1;
    if (file.size() >= 2 && file[0] == 0xFF && file[1] == 0xFE) {
        form.encoding = Utf16;
        at = 2;
        step = 2;
    } else if (file.size() >= 3 && file[0] == 0xEF && file[1] == 0xBB && file[2] == 0xBF) {
        form.encoding = Utf8;
    }
    for (; at + step <= file.size(); at += step) {
        if (file[at] == '\n' && (step == 1 || file[at + 1] == 0)) {
            form.breaks = 1;
            break;
        }
        if (file[at] == '\r' && (step == 1 || file[at + 1] == 0)) {
            bool lf = at + step < file.size() && file[at + step] == '\n';
            form.breaks = lf ? 0 : 2;
            break;
        }
    }
    return form;
}

// The text a load shows for a file: every CR LF, CR or LF is one break.
std::wstring Decode(const Bytes& file, const Form& form) {
    std::wstring wide;
    if (form.encoding == Utf16) {
        for (size_t i = 2; i + 1 < file.size(); i += 2)
            wide += static_cast<wchar_t>(file[i] | (file[i + 1] << 8));
    } else {
        size_t skip = form.encoding == Utf8 ? 3 : 0;
        UINT page = form.encoding == Utf8 ? CP_UTF8 : CP_ACP;
        const char* data = reinterpret_cast<const char*>(file.data()) + skip;
        int size = static_cast<int>(file.size() - skip);
        int n = MultiByteToWideChar(page, 0, data, size, nullptr, 0);
        wide.assign(static_cast<size_t>(n), L'\0');
        if (n > 0)
            MultiByteToWideChar(page, 0, data, size, &wide[0], n);
    }
    std::wstring text;
    for (size_t i = 0; i < wide.size(); ++i) {
        if (wide[i] == L'\r' || wide[i] == L'\n') {
            text += L"\r\n";
            if (wide[i] == L'\r' && i + 1 < wide.size() && wide[i + 1] == L'\n')
                ++i;
        } else {
            text += wide[i];
        }
    }
    return text;
}

std::string Shown(const std::wstring& text, size_t limit = 80) {
    std::string out;
    for (wchar_t c : text.substr(0, limit)) {
        if (c == L'\r')
            out += "\\r";
        else if (c == L'\n')
            out += "\\n";
        else if (c == L'\t')
            out += "\\t";
        else
            out += c >= 32 && c < 127 ? static_cast<char>(c) : '.';
    }
    return text.size() > limit ? out + "..." : out;
}

// A file's bytes, with the mark and the zeros of UTF-16 shown as dots.
std::string Shown(const Bytes& bytes) {
    return Shown(std::wstring(bytes.begin(), bytes.end()), 160);
}

// ---- files and folders ------------------------------------------------------

// Files of /proc report no size: read to the end.
bool ReadWhole(const std::string& path, std::string& out) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    out.clear();
    char buffer[4096];
    DWORD done = 0;
    while (ReadFile(file, buffer, sizeof buffer, &done, nullptr) && done > 0)
        out.append(buffer, done);
    CloseHandle(file);
    return true;
}

struct Entry {
    uint64_t size;
    FILETIME written;
    bool operator==(const Entry& o) const {
        return size == o.size && CompareFileTime(&written, &o.written) == 0;
    }
};

std::map<std::string, Entry> ListFolder(const std::string& folder) {
    std::map<std::string, Entry> files;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return files;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            files[found.cFileName] = {(uint64_t(found.nFileSizeHigh) << 32) | found.nFileSizeLow,
                                      found.ftLastWriteTime};
    } while (FindNextFileA(find, &found));
    FindClose(find);
    return files;
}

// ---- memory and handles -------------------------------------------------------

struct Sample {
    long rssKb = -1, hwmKb = -1, handles = -1, windows = -1;
    std::string Text() const {
        return "VmRSS " + std::to_string(rssKb) + " kB, VmHWM " + std::to_string(hwmKb) +
               " kB, handles " + std::to_string(handles) + ", windows " + std::to_string(windows);
    }
};

// The handles of a process, from the system's list of all handles: Wine
// answers GetProcessHandleCount and GetGuiResources with 0.
long HandleCount(DWORD processId) {
    struct HandleEntry {
        ULONG ownerPid;
        BYTE objectType;
        BYTE flags;
        USHORT value;
        PVOID object;
        ULONG access;
    };
    using Query = LONG(WINAPI*)(int, PVOID, ULONG, PULONG);
    static auto query = reinterpret_cast<Query>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    if (!query)
        return -1;
    std::vector<uint8_t> buffer(1 << 16);
    for (;;) {
        ULONG needed = 0;
        LONG status = query(16 /* SystemHandleInformation */, buffer.data(),
                            static_cast<ULONG>(buffer.size()), &needed);
        if (status == 0)
            break;
        if (status != static_cast<LONG>(0xC0000004) || buffer.size() > (64u << 20))
            return -1;
        buffer.resize(buffer.size() * 2);
    }
    ULONG count = *reinterpret_cast<ULONG*>(buffer.data());
    const auto* entries = reinterpret_cast<const HandleEntry*>(buffer.data() + sizeof(PVOID));
    long own = 0;
    for (ULONG i = 0; i < count; ++i)
        own += entries[i].ownerPid == processId ? 1 : 0;
    return own;
}

BOOL CALLBACK CountChild(HWND, LPARAM p) {
    ++reinterpret_cast<std::pair<DWORD, long>*>(p)->second;
    return TRUE;
}

// EnumChildWindows reaches every descendant.
BOOL CALLBACK CountWindow(HWND window, LPARAM p) {
    auto* count = reinterpret_cast<std::pair<DWORD, long>*>(p);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == count->first) {
        ++count->second;
        EnumChildWindows(window, CountChild, p);
    }
    return TRUE;
}

// The windows of a process, top-level and children.
long WindowCount(DWORD processId) {
    std::pair<DWORD, long> count{processId, 0};
    EnumWindows(CountWindow, reinterpret_cast<LPARAM>(&count));
    return count.second;
}

long StatusField(const std::string& status, const char* name) {
    size_t at = status.find(name);
    return at == std::string::npos ? -1 : std::atol(status.c_str() + at + std::strlen(name));
}

// The Unix process that runs the program: its command line (as Wine sets
// it) names the program's own copy of Korvid.exe.
int FindUnixProcess(const std::string& exePath) {
    std::string wanted = exePath;
    CharLowerA(&wanted[0]);
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA("Z:\\proc\\*", &found);
    if (find == INVALID_HANDLE_VALUE)
        return 0;
    int pid = 0;
    do {
        if (!isdigit(static_cast<unsigned char>(found.cFileName[0])))
            continue;
        std::string line;
        if (!ReadWhole(std::string("Z:\\proc\\") + found.cFileName + "\\cmdline", line))
            continue;
        CharLowerA(&line[0]);
        if (line.find(wanted) != std::string::npos) {
            pid = std::atoi(found.cFileName);
            break;
        }
    } while (FindNextFileA(find, &found));
    FindClose(find);
    return pid;
}

// ---- the soak -------------------------------------------------------------------

class Soak {
  public:
    Soak(uint64_t seed, int steps) : seed_(seed), steps_(steps), rng_(seed) {}
    int Run();

  private:
    // Steps.
    void Step();
    void Keys(const std::string& keys);
    void TypeSome();
    void Navigate();
    void ClickSomewhere();
    void ContextMenu();
    void Command(int id, const std::string& what);
    void FindOrReplace(bool replace);
    void Labels();
    void FileInfo();
    void Options();
    void Save(bool byKey);
    void Exit();

    // Synchronisation, dialogs and checks.
    void Barrier(bool byKey, const std::string& keys = "");
    void Settle();
    bool AnswerOne();
    void AnswerFileDialog(HWND dialog);
    void AfterStep();
    void CheckFiles();
    void CheckReopened();
    void SampleResources(bool force);
    void Restart();
    std::wstring Text() { return app_.EditorTextW(); }
    bool Named() { return app_.Title() != "Untitled"; }
    std::wstring Word();
    void Log(const std::string& what);
    [[noreturn]] void Fail(const std::string& what);
    [[noreturn]] void Stuck(const std::string& what);

    uint64_t seed_;
    int steps_;
    bool verbose_ = std::getenv("KORVID_SOAK_VERBOSE") != nullptr;
    Random rng_;
    KorvidApp app_;
    int step_ = 0;
    std::deque<std::string> recent_;
    std::string docsFolder_, docPath_, decoyPath_;
    Form form_;
    Bytes docBytes_, decoyBytes_;
    std::map<std::string, Entry> programFiles_;
    bool onTop_ = false;
    // What the step may do with the document file.
    bool mayWrite_ = false;    // a save may have written it
    bool mustWrite_ = false;   // a save certainly wrote it
    bool reopened_ = false;    // the editor now shows the file from disk
    bool mayExit_ = false;     // the program may have ended
    bool stopped_ = false;     // a question or a dialog was turned down
    bool pendingSave_ = false; // "Save file now": a save unless a dialog comes
    HWND ignore_ = nullptr;    // a window the step itself handles
    std::wstring textBefore_;  // the editor's text when the step began
    int saves_ = 0, restarts_ = 0, runStart_ = 0;
    int unixPid_ = 0;
    Sample first_, baseline_, last_;
    bool haveBaseline_ = false;
    long confirmedDialogs_ = 0; // since the baseline
    int refusedReplace_ = 0;    // "No" to the replace question in this settle
};

void Soak::Log(const std::string& what) {
    recent_.push_back(std::to_string(step_) + ": " + what);
    if (verbose_)
        std::printf("%s\n", recent_.back().c_str());
    if (recent_.size() > 20)
        recent_.pop_front();
}

void Soak::Fail(const std::string& what) {
    std::string report = "korvid soak: FAILED at step " + std::to_string(step_) + " of " +
                         std::to_string(steps_) + ", seed " + std::to_string(seed_) + "\n  " +
                         what + "\n  last steps:";
    for (const std::string& line : recent_)
        report += "\n    " + line;
    report += "\n  replay: korvid_soak.exe --seed " + std::to_string(seed_) + " --steps " +
              std::to_string(step_);
    throw SoakFailure(report);
}

// A failure that says how the program stands: whether it answers, where the
// keyboard focus is, and its windows.
void Soak::Stuck(const std::string& what) {
    HWND main = app_.FindMainWindow();
    DWORD_PTR result = 0;
    bool answers = main && SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result);
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(main ? GetWindowThreadProcessId(main, nullptr) : 0, &info);
    char focus[64] = "none", front[64] = "none";
    if (info.hwndFocus)
        GetClassNameA(info.hwndFocus, focus, sizeof focus);
    if (HWND window = GetForegroundWindow())
        GetClassNameA(window, front, sizeof front);
    // Whether a posted command still gets through, past the keys.
    bool commands = false;
    if (main && answers) {
        bool before = app_.OnTop();
        app_.PostCommand(IDM_ON_TOP);
        DWORD start = GetTickCount();
        while (!commands && GetTickCount() - start < 2000) {
            Sleep(10);
            commands = IsWindow(main) && app_.OnTop() != before;
        }
    }
    std::string report =
        what + "; the main window " + (answers ? "answers WM_NULL" : "does not answer WM_NULL") +
        (commands ? ", a posted On Top works" : ", a posted On Top does not") + ", focus in " +
        focus + ", capture " + (info.hwndCapture ? "held" : "none") + ", menu mode " +
        ((info.flags & GUI_INMENUMODE) ? "on" : "off") + ", foreground " + front;
    try {
        app_.Fail(report);
    } catch (const DriverError& error) {
        Fail(error.what());
    }
}

std::wstring Soak::Word() {
    static const std::vector<std::wstring> words = {L"a", L"e", L"ab", L"the", L"x1", L"zz", L"o"};
    std::wstring text = Text();
    if (text.size() < 3 || rng_.Percent(30))
        return rng_.Pick(words);
    size_t at = static_cast<size_t>(rng_.Below(static_cast<int>(text.size() - 2)));
    std::wstring word = text.substr(at, 1 + static_cast<size_t>(rng_.Below(3)));
    return word.find_first_of(L"\r\n") == std::wstring::npos ? word : L"e";
}

// ---- synchronisation ----------------------------------------------------------

void Soak::Barrier(bool byKey, const std::string& keys) {
    if (!app_.FindMainWindow()) {
        if (mayExit_)
            return;
        Fail("the main window is gone");
    }
    if (byKey)
        app_.PressKeys(keys.empty() ? "ctrl+t" : keys + " ctrl+t");
    else
        app_.PostCommand(IDM_ON_TOP);
    DWORD start = GetTickCount();
    for (;;) {
        if (!app_.Running()) {
            if (mayExit_)
                return;
            Fail("the program ended (exit code " + std::to_string(app_.WaitForExit(0)) + ")");
        }
        // Read from this very window: an exit may destroy it meanwhile.
        HWND main = app_.FindMainWindow();
        if (!main && mayExit_)
            return;
        bool onTop = (GetWindowLongA(main, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
        if (main && IsWindow(main) && onTop != onTop_)
            break;
        if (GetTickCount() - start > kUiTimeout)
            Stuck("the program did not handle the step within " + std::to_string(kUiTimeout) +
                  " ms (On Top did not change)");
        Sleep(2);
    }
    onTop_ = !onTop_;
}

// A visible, enabled top-level dialog (#32770) or labels window of the
// program that needs an answer; a window with a modal window of its own is
// disabled and waits for that one.
struct WindowSearch {
    DWORD pid;
    HWND ignore;
    HWND found;
};

BOOL CALLBACK MatchOpenWindow(HWND window, LPARAM p) {
    auto* s = reinterpret_cast<WindowSearch*>(p);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char cls[32] = {};
    GetClassNameA(window, cls, sizeof cls);
    if (pid == s->pid && window != s->ignore && IsWindowVisible(window) &&
        IsWindowEnabled(window) &&
        (std::strcmp(cls, "#32770") == 0 || std::strcmp(cls, "XtraSBox") == 0)) {
        s->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND OpenWindow(const KorvidApp& app, HWND ignore = nullptr) {
    WindowSearch search{app.ProcessId(), ignore, nullptr};
    EnumWindows(MatchOpenWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string TitleOf(HWND window) {
    char title[128] = {};
    GetWindowTextA(window, title, sizeof title);
    return title;
}

// Answers whatever window is open; false when none is (the main window is
// enabled, so no modal window is on its way either).
bool Soak::AnswerOne() {
    HWND window = nullptr;
    HWND main = app_.FindMainWindow();
    app_.WaitUntil(
        [&] {
            window = OpenWindow(app_, ignore_);
            return window || !app_.Running() || !(main = app_.FindMainWindow()) ||
                   IsWindowEnabled(main);
        },
        "the modal window of the disabled main window to show");
    if (!window)
        return false;
    std::string title = TitleOf(window);
    char cls[32] = {};
    GetClassNameA(window, cls, sizeof cls);
    if (title == kNotifyCaption) {
        Notification note = app_.ReadNotification(window);
        std::vector<int> choices;
        for (const auto& button : note.buttons)
            if (button.second.find("ReadMe") == std::string::npos)
                choices.push_back(button.first);
        if (choices.empty())
            Fail("the notification \"" + note.message + "\" offers no button to press");
        int id = rng_.Pick(choices);
        if (GetDlgItem(window, 1001)) // Goto's line number
            SetItemText(app_, window, 1001, std::to_string(rng_.Below(40)).c_str());
        std::string button = note.ButtonText(id);
        Log("  answer \"" + note.message + "\" with \"" + button + "\"");
        if (note.message == "Save Error" || note.message == "Open Error")
            Fail("the program reports \"" + note.message + "\"");
        // Saved at once unless a file dialog comes (a new document, or
        // Revert, which never saves over the file it reverts to).
        if (button == "Save file now") {
            mayWrite_ = true;
            pendingSave_ = Named();
        }
        if (button == "Abort Close" || button == "Cancel")
            stopped_ = true;
        app_.Answer(note, id);
    } else if (app_.FindFileDialog() == window) {
        AnswerFileDialog(window);
    } else if (GetDlgItem(window, IDYES) && GetDlgItem(window, IDNO)) {
        // The file dialog's question whether to replace the file. A user
        // who said No twice gives in: the dialog would come back forever.
        bool yes = refusedReplace_ >= 2 || rng_.Percent(70);
        if (!yes)
            ++refusedReplace_;
        Log(std::string("  replace the file: ") + (yes ? "Yes" : "No"));
        if (yes)
            mustWrite_ = mayWrite_ = true;
        app_.Post(GetDlgItem(window, yes ? IDYES : IDNO), BM_CLICK, 0, 0);
        app_.WaitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); },
                       "the replace question to close");
    } else if (title == "File Info" || title == "About Korvid") {
        app_.Post(GetDlgItem(window, IDOK), BM_CLICK, 0, 0);
        app_.WaitUntil([&] { return !IsWindow(window); }, "the " + title + " dialog to close");
    } else if (std::strcmp(cls, "#32770") == 0 && GetDlgItem(window, IDCANCEL)) {
        Log("  cancel \"" + title + "\"");
        app_.Post(GetDlgItem(window, IDCANCEL), BM_CLICK, 0, 0);
        app_.WaitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); },
                       "the \"" + title + "\" window to close");
    } else {
        Fail(std::string("an unexpected window is open: ") + cls + " \"" + title + "\"");
    }
    return true;
}

void Soak::AnswerFileDialog(HWND dialog) {
    pendingSave_ = false;
    std::string title = TitleOf(dialog);
    if (rng_.Percent(40)) {
        stopped_ = true;
        Log("  cancel the \"" + title + "\" file dialog");
        app_.CancelFileDialog(dialog);
        return;
    }
    Log("  give the \"" + title + "\" file dialog " + kDocName);
    ++confirmedDialogs_;
    HWND box = GetDlgItem(dialog, cmb13);
    if (!box)
        box = GetDlgItem(dialog, edt1);
    app_.Send(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(docPath_.c_str()));
    if (title.find("Open") != std::string::npos)
        reopened_ = true;
    // Posted: the answer may open the replace question first.
    app_.Post(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    app_.WaitUntil(
        [&] {
            HWND open = OpenWindow(app_);
            return !IsWindowVisible(dialog) || (open && open != dialog);
        },
        "the file dialog to close or ask");
}

void Soak::Settle() {
    refusedReplace_ = 0;
    for (int round = 0; round < 24; ++round) {
        if ((!app_.Running() && mayExit_) || !AnswerOne()) {
            mustWrite_ = mustWrite_ || pendingSave_;
            pendingSave_ = false;
            return;
        }
        Barrier(false);
    }
    Fail("the program kept opening windows");
}

// ---- checks ------------------------------------------------------------------

void Soak::AfterStep() {
    Settle();
    HWND main = app_.FindMainWindow();
    if (!app_.Running() || !main) {
        // Only an exit ends the program, and it ends it whole.
        if (!mayExit_)
            Fail(app_.Running()
                     ? "the main window is gone but the program runs"
                     : "the program ended (exit code " + std::to_string(app_.WaitForExit(0)) + ")");
        app_.WaitForExit();
        CheckFiles();
        Restart();
        return;
    }
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result))
        Fail("the main window did not answer WM_NULL within 5 s");
    CheckFiles();
    if (reopened_ && !stopped_)
        CheckReopened();
    SampleResources(false);
}

void Soak::CheckFiles() {
    Bytes doc, decoy;
    if (!TryReadFileBytes(docPath_, doc))
        Fail("the document file cannot be read");
    if (!TryReadFileBytes(decoyPath_, decoy) || decoy != decoyBytes_)
        Fail("the file " + std::string(kDecoyName) + " beside the document changed");
    auto docs = ListFolder(docsFolder_);
    for (const auto& file : docs)
        if (file.first != kDocName && file.first != kDecoyName)
            Fail("a file appeared beside the document: " + file.first);
    for (const auto& file : ListFolder(app_.ProgramFolder())) {
        if (file.first == "Korvid.Dat" || file.first == "Tmp")
            continue;
        auto known = programFiles_.find(file.first);
        if (known == programFiles_.end())
            Fail("a file appeared in the program folder: " + file.first);
        if (!(known->second == file.second))
            Fail("the file " + file.first + " in the program folder changed");
    }
    bool changed = doc != docBytes_;
    if (mustWrite_ || (mayWrite_ && changed)) {
        Bytes expected = Encode(textBefore_, form_);
        if (doc != expected)
            Fail(std::string("after the save the file does not hold what the editor showed (") +
                 kEncodingNames[form_.encoding] + ", " + kBreakNames[form_.breaks] +
                 ")\n  editor: \"" + Shown(textBefore_) + "\"\n  file:   \"" + Shown(doc) +
                 "\"\n  wanted: \"" + Shown(expected) + "\"");
        ++saves_;
    } else if (changed) {
        Fail("the document file changed without a save: \"" + Shown(doc) + "\", was \"" +
             Shown(docBytes_) + "\"");
    }
    docBytes_ = doc;
}

// The editor shows the file again: the form is the file's, the text its text.
void Soak::CheckReopened() {
    form_ = DetectForm(docBytes_);
    std::wstring expected = Decode(docBytes_, form_);
    std::wstring shown = Text();
    if (shown != expected)
        Fail("the reopened document shows \"" + Shown(shown) + "\", its file holds \"" +
             Shown(expected) + "\"");
}

void Soak::SampleResources(bool force) {
    int sinceStart = step_ - runStart_;
    if (!force && sinceStart != kBaselineStep && step_ % kSampleEvery != 0)
        return;
    Sample sample;
    if (!unixPid_)
        unixPid_ = FindUnixProcess(app_.ProgramFolder() + "Korvid.exe");
    std::string status;
    if (unixPid_ && ReadWhole("Z:\\proc\\" + std::to_string(unixPid_) + "\\status", status)) {
        sample.rssKb = StatusField(status, "VmRSS:");
        sample.hwmKb = StatusField(status, "VmHWM:");
    }
    sample.handles = HandleCount(app_.ProcessId());
    sample.windows = WindowCount(app_.ProcessId());
    // A measure that cannot be taken would make its bound a check that
    // cannot fail.
    if (sample.rssKb <= 0 || sample.handles <= 0 || sample.windows <= 0)
        Fail("memory, handles or windows cannot be measured: " + sample.Text());
    if (first_.rssKb < 0)
        first_ = sample;
    last_ = sample;
    if (sinceStart == kBaselineStep) {
        baseline_ = sample;
        haveBaseline_ = true;
        confirmedDialogs_ = 0;
        return;
    }
    if (!haveBaseline_)
        return;
    if (sample.rssKb - baseline_.rssKb > kMemoryBoundKb)
        Fail("memory grew beyond its bound: " + sample.Text() + "; after " +
             std::to_string(kBaselineStep) + " steps: " + baseline_.Text());
    if (sample.handles - baseline_.handles > kHandleBound + confirmedDialogs_)
        Fail("handles grew beyond their bound: " + sample.Text() + "; after " +
             std::to_string(kBaselineStep) + " steps: " + baseline_.Text() + "; " +
             std::to_string(confirmedDialogs_) + " file dialogs confirmed since");
    if (sample.windows - baseline_.windows > kWindowBound)
        Fail("windows grew beyond their bound: " + sample.Text() + "; after " +
             std::to_string(kBaselineStep) + " steps: " + baseline_.Text());
}

void Soak::Restart() {
    ++restarts_;
    Log("  start the program again");
    app_.Start(Quote(docPath_));
    app_.WaitForEditor();
    onTop_ = app_.OnTop();
    unixPid_ = 0;
    haveBaseline_ = false;
    runStart_ = step_;
    Barrier(false);
    form_ = DetectForm(docBytes_);
    CheckReopened();
}

// ---- steps ----------------------------------------------------------------------

void Soak::Keys(const std::string& keys) {
    Log("keys " + keys);
    Barrier(true, keys);
}

void Soak::TypeSome() {
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789     ";
    std::string text;
    int n = 1 + rng_.Below(8);
    for (int i = 0; i < n; ++i)
        text += kLetters[rng_.Below(sizeof kLetters - 1)];
    Log("type \"" + text + "\"");
    app_.TypeText(text);
    Barrier(true);
}

void Soak::Navigate() {
    static const std::vector<std::string> moves = {
        "Left", "Right", "Up", "Down", "Home", "End", "ctrl+Home", "ctrl+End", "Prior", "Next"};
    std::string keys;
    int n = 1 + rng_.Below(3);
    for (int i = 0; i < n; ++i)
        keys += std::string(i ? " " : "") + (rng_.Percent(35) ? "shift+" : "") + rng_.Pick(moves);
    Keys(keys);
}

void Soak::ClickSomewhere() {
    HWND editor = app_.Editor();
    RECT client{};
    GetClientRect(editor, &client);
    POINT at = {1 + rng_.Below(client.right - 2), 1 + rng_.Below(client.bottom - 2)};
    Log("click at " + std::to_string(at.x) + "," + std::to_string(at.y));
    app_.Click(editor, at);
    Barrier(true);
}

void Soak::ContextMenu() {
    // Letters of items that are always there, and what they may do.
    std::vector<std::string> keys = {"Escape", "u", "c", "t", "p", "d", "e", "n", "s", "a", "o"};
    bool named = Named();
    if (named)
        keys.push_back("v");
    std::string key = rng_.Pick(keys);
    if (rng_.Percent(1))
        key = "x";
    HWND editor = app_.Editor();
    RECT client{};
    GetClientRect(editor, &client);
    POINT at = {1 + rng_.Below(client.right - 2), 1 + rng_.Below(client.bottom - 2)};
    Log("context menu at " + std::to_string(at.x) + "," + std::to_string(at.y) + ", then " + key);
    textBefore_ = Text();
    mayWrite_ = true;
    if (key == "s" && named)
        mustWrite_ = true;
    if (key == "x")
        mayExit_ = true;
    app_.Click(editor, at, 3);
    app_.WaitForPopupMenu();
    app_.PressKeys(key);
    app_.WaitForNoPopupMenu();
    Barrier(false);
    reopened_ = key == "v"; // unless a question stops it
}

void Soak::Command(int id, const std::string& what) {
    Log(what);
    app_.PostCommand(id);
    Barrier(false);
}

void Soak::FindOrReplace(bool replace) {
    const char* title = replace ? "Replace" : "Find";
    Log(std::string("open ") + title);
    app_.PostCommand(replace ? IDM_REPLACE : IDM_FIND);
    HWND dialog = WaitForOwnWindow(app_, "#32770", title);
    ignore_ = dialog;
    std::wstring word = Word();
    std::string what(word.begin(), word.end());
    SetItemText(app_, dialog, edt1, what.c_str());
    std::string with =
        replace ? std::string(rng_.Percent(30) ? "" : "Q") + (rng_.Percent(50) ? what : "") : "";
    if (replace)
        SetItemText(app_, dialog, edt2, with.c_str());
    int presses = 1 + rng_.Below(3);
    for (int i = 0; i < presses; ++i) {
        // Find Next, Replace or Replace All.
        int button = replace ? rng_.Pick(std::vector<int>{IDOK, psh1, psh2}) : IDOK;
        Log(std::string("  ") + title + " \"" + what + "\"" +
            (replace ? " -> \"" + with + "\"" : "") +
            (button == IDOK   ? ": Find Next"
             : button == psh1 ? ": Replace"
                              : ": Replace All"));
        auto selection = app_.Selection();
        app_.Post(GetDlgItem(dialog, button), BM_CLICK, 0, 0);
        // Find Next either moves the selection or asks (without an owner)
        // whether to start again.
        if (button == IDOK)
            app_.WaitUntil([&] { return app_.Selection() != selection || app_.FindNotification(); },
                           "Find Next to move the selection or ask");
        Barrier(false);
        while (app_.FindNotification() || !IsWindowEnabled(app_.FindMainWindow())) {
            AnswerOne();
            Barrier(false);
        }
    }
    Log(std::string("  close ") + title);
    app_.PressKeysIn(dialog, "Escape");
    app_.WaitUntil([&] { return !IsWindow(dialog); },
                   std::string("the ") + title + " dialog to close");
    ignore_ = nullptr;
    Barrier(false);
}

void Soak::Labels() {
    Log("labels window, then close it");
    app_.PostCommand(IDM_LABELS);
    HWND labels = WaitForOwnWindow(app_, "XtraSBox", "Labels Found");
    app_.Post(labels, WM_CLOSE, 0, 0);
    app_.WaitUntil([&] { return !IsWindow(labels); }, "the labels window to close");
    Barrier(false);
}

void Soak::FileInfo() {
    if (!Named()) {
        Command(IDM_FILE_INFO, "file info (no file: nothing)");
        return;
    }
    Log("file info, then Close");
    app_.PostCommand(IDM_FILE_INFO);
    HWND info = WaitForOwnWindow(app_, "#32770", "File Info");
    app_.Post(GetDlgItem(info, IDOK), BM_CLICK, 0, 0);
    app_.WaitUntil([&] { return !IsWindow(info); }, "File Info to close");
    Barrier(false);
}

void Soak::Options() {
    bool escape = rng_.Percent(50);
    Log(std::string("options, then ") + (escape ? "Escape" : "Cancel"));
    HWND sheet = OpenOptions(app_);
    if (escape)
        app_.PressKeysIn(sheet, "Escape");
    else
        app_.Post(GetDlgItem(sheet, IDCANCEL), BM_CLICK, 0, 0);
    app_.WaitUntil([&] { return !IsWindow(sheet) || !IsWindowVisible(sheet); },
                   "the settings sheet to close");
    Barrier(false);
}

void Soak::Save(bool byKey) {
    bool named = Named();
    Log(std::string(byKey ? "ctrl+s" : "save command") + (named ? "" : " (no file name yet)"));
    textBefore_ = Text();
    mayWrite_ = true;
    mustWrite_ = named;
    if (!byKey)
        app_.PostCommand(IDM_SAVE);
    else if (!named) {
        // The Save dialog takes the keys that follow: no Ctrl+T behind it.
        app_.PressKeys("ctrl+s");
        app_.WaitUntil([&] { return OpenWindow(app_) != nullptr; }, "the Save dialog");
        return;
    }
    Barrier(byKey, byKey ? "ctrl+s" : "");
}

void Soak::Exit() {
    bool close = rng_.Percent(50);
    Log(close ? "close the window" : "exit command");
    textBefore_ = Text();
    mayWrite_ = mayExit_ = true;
    if (close)
        app_.Close();
    else
        app_.PostCommand(IDM_EXIT);
    Barrier(false);
}

void Soak::Step() {
    mayWrite_ = mustWrite_ = reopened_ = mayExit_ = stopped_ = false;
    int roll = rng_.Below(1000);
    auto in = [&](int weight) { return (roll -= weight) < 0; };
    if (in(220))
        TypeSome();
    else if (in(70))
        Keys(rng_.Pick(std::vector<std::string>{"Return", "Return", "Tab", "Return Return"}));
    else if (in(170))
        Navigate();
    else if (in(90))
        Keys(rng_.Pick(std::vector<std::string>{"Delete", "BackSpace", "BackSpace BackSpace"}));
    else if (in(40))
        Keys("ctrl+z");
    else if (in(60))
        Keys(rng_.Pick(std::vector<std::string>{"ctrl+c", "ctrl+x", "ctrl+v", "ctrl+v"}));
    else if (in(50))
        ClickSomewhere();
    else if (in(50))
        ContextMenu();
    else if (in(60))
        Save(rng_.Percent(50));
    else if (in(20))
        FindOrReplace(false);
    else if (in(20))
        FindOrReplace(true);
    else if (in(15))
        Command(IDM_GOTO_LINE, "go to line");
    else if (in(15))
        Command(IDM_INSERT_TIME, "insert time");
    else if (in(20)) {
        int mark = rng_.Below(5);
        int kind = rng_.Below(3);
        Command(kind == 0   ? IDM_SET_MARK1 + mark
                : kind == 1 ? IDM_GOTO_MARK1 + mark
                            : IDM_SCAN_MARKS,
                kind == 0   ? "set bookmark " + std::to_string(mark + 1)
                : kind == 1 ? "go to bookmark " + std::to_string(mark + 1)
                            : "scan bookmarks");
    } else if (in(10))
        Labels();
    else if (in(15))
        Command(IDM_WORD_WRAP, "word wrap");
    else if (in(15)) {
        int group = rng_.Below(3);
        Command(IDM_FONT_GROUP1 + group, "font group " + std::to_string(group + 1));
    } else if (in(10))
        FileInfo();
    else if (in(10))
        Options();
    else if (in(15)) {
        textBefore_ = Text();
        mayWrite_ = true;
        Command(IDM_NEW, "new");
    } else if (in(15)) {
        int how = rng_.Below(3);
        textBefore_ = Text();
        mayWrite_ = true;
        reopened_ = how != 2; // Open reopens when its dialog is given the file
        Command(how == 0   ? IDM_RELOAD
                : how == 1 ? IDM_REVERT
                           : IDM_OPEN,
                how == 0   ? "reload"
                : how == 1 ? "revert"
                           : "open");
    } else if (in(10)) {
        textBefore_ = Text();
        mayWrite_ = true;
        Command(IDM_SAVE_AS, "save as");
    } else if (in(10))
        Command(IDM_SELECT_ALL, "select all");
    else if (in(10))
        Command(rng_.Percent(50) ? IDM_UNDO : IDM_REDO, "undo/redo command");
    else if (in(8))
        Command(IDM_DEDOUBLE, "de-double");
    else if (in(2))
        Exit();
    else
        Command(rng_.Percent(50) ? IDM_INDENT : IDM_OUTDENT, "indent/outdent");
}

int Soak::Run() {
    // The document and a decoy in a folder of their own, beside the program's.
    std::string root = app_.ProgramFolder();
    root = root.substr(0, root.size() - 5); // without "prog\"
    docsFolder_ = root + "docs\\";
    MakeFolders(docsFolder_);
    docPath_ = docsFolder_ + kDocName;
    decoyPath_ = docsFolder_ + kDecoyName;
    form_.encoding = static_cast<Encoding>(seed_ % 3);
    form_.breaks = static_cast<int>((seed_ / 3) % 3);
    docBytes_ = Encode(L"first line\r\nsecond line with words\r\n\r\nthe end", form_);
    WriteFileBytes(docPath_, docBytes_);
    decoyBytes_ = Bytes{'d', 'e', 'c', 'o', 'y', '\r', '\n'};
    WriteFileBytes(decoyPath_, decoyBytes_);

    Bytes settings = DefaultSettingsFile();
    for (auto field :
         {Field{kAutoSaveEnabled, 0}, Field{kMonitorFile, 0}, Field{offsets::EscapeCloses, 0},
          Field{offsets::ExitSave, 0}, Field{kAssocAutoRefresh, 0}, Field{offsets::StayOnTop, 0},
          Field{kUrlHighlight, 1}})
        SetSettingsField(settings, field.offset, field.value);
    // No print program: Print would start one.
    SetSettingsText(settings, kPrintProgram, 600, "");
    WriteFileBytes(app_.SettingsPathInProgram(), settings);
    programFiles_ = ListFolder(app_.ProgramFolder());
    programFiles_.erase("Korvid.Dat");

    std::printf("korvid soak: seed %llu, %d steps, keys through %s, document %s with %s breaks\n",
                static_cast<unsigned long long>(seed_), steps_,
                app_.Keys() == KeyMethod::XTest ? "xdotool" : "SendInput",
                kEncodingNames[form_.encoding], kBreakNames[form_.breaks]);
    std::fflush(stdout);
    DWORD start = GetTickCount();
    try {
        app_.Start(Quote(docPath_));
        app_.WaitForEditor();
        onTop_ = app_.OnTop();
        Barrier(false);
        reopened_ = true;
        CheckReopened();
        SampleResources(true);
        for (step_ = 1; step_ <= steps_; ++step_) {
            try {
                Step();
                AfterStep();
            } catch (const DriverError& error) {
                Fail(error.what());
            }
            if (step_ % 1000 == 0) {
                std::printf("korvid soak: %d steps, %d saves checked, %ld file dialogs confirmed, "
                            "%s\n",
                            step_, saves_, confirmedDialogs_, last_.Text().c_str());
                std::fflush(stdout);
            }
        }
        step_ = steps_;
        SampleResources(true);
    } catch (const SoakFailure& failure) {
        std::printf("%s\n", failure.what());
        std::printf("  memory and handles: first %s; last %s\n", first_.Text().c_str(),
                    last_.Text().c_str());
        std::fflush(stdout);
        return 1;
    } catch (const DriverError& error) {
        std::printf("korvid soak: FAILED before the first step, seed %llu: %s\n",
                    static_cast<unsigned long long>(seed_), error.what());
        return 1;
    }
    double seconds = (GetTickCount() - start) / 1000.0;
    std::printf("korvid soak: passed %d steps in %.1f s (%.1f steps/s), seed %llu, %d saves "
                "checked, %d restarts; first %s; last %s\n",
                steps_, seconds, steps_ / seconds, static_cast<unsigned long long>(seed_), saves_,
                restarts_, first_.Text().c_str(), last_.Text().c_str());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    uint64_t seed = 1;
    int steps = 500;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--steps") == 0)
            steps = std::atoi(argv[i + 1]);
        else if (std::strcmp(argv[i], "--seed") == 0)
            seed = std::strtoull(argv[i + 1], nullptr, 10);
    }
    if (argc % 2 == 0 || steps <= 0) {
        std::printf("usage: korvid_soak.exe [--steps N] [--seed S]\n");
        return 2;
    }
    Soak soak(seed, steps);
    return soak.Run();
}
