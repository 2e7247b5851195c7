// The soak test: the real Korvid.exe on a document in a throwaway folder,
// driven by random user steps from a seed: keys, clicks, commands, dialogs
// and their answers, saves, the Rich Text toggle, a file above the
// partial-load threshold (Word Wrap and New on it), clicks on a file: link
// to a marker program. After every step: the program answers, no file
// changed behind its back (a partly loaded file is never written over, the
// marker never ran); after a save, the file holds what the editor showed in
// the document's encoding and break style; after Word Wrap, no text was
// lost; on New, Open and exit, the close check asked about unsaved edits;
// after a restart, the document shows its file; after the program was ended
// as a crash would with unsaved edits, the next start offers them back
// exactly as the editor held them.
//   korvid_soak.exe [--steps N] [--seed S]... [--all-forms] [--basic] [--no-links]
// --all-forms fails unless the seeds together loaded and saved every encoding
// and break style; --basic leaves out the large file, the toggle and the
// link, --no-links the link. KORVID_SOAK_VERBOSE=1 prints every step.
//
// Every step ends with a barrier: On Top toggles the window's topmost state
// and the test waits for it, after keys as Ctrl+T, after a command as the
// command posted behind it. Once it flipped, everything before it was
// handled, or a modal window of it runs.
#include "tests/e2e/KorvidDriver.h"

#include <dlgs.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>

using namespace korvid_e2e;

namespace {

constexpr const char* kDocName = "notes.txt";
constexpr const char* kDecoyName = "other.txt";
constexpr const char* kBigName = "big.txt"; // above the partial-load threshold
constexpr int kPartialLoadSize = 20000;

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
    uint64_t state_;
};

// What a leak would grow: resident memory (Wine's working set of another
// process is its VmRSS), handles from the system's list of all handles (Wine
// answers GetProcessHandleCount with 0) and windows, top-level and child.
struct Resources {
    long rssKb = -1, handles = 0, windows = 0;
    std::string Text() const {
        return std::to_string(rssKb) + " kB resident, " + std::to_string(handles) + " handles, " +
               std::to_string(windows) + " windows";
    }
};

BOOL CALLBACK CountChild(HWND, LPARAM p) {
    return ++reinterpret_cast<std::pair<DWORD, long>*>(p)->second, TRUE;
}

BOOL CALLBACK CountWindows(HWND window, LPARAM p) {
    auto* count = reinterpret_cast<std::pair<DWORD, long>*>(p);
    DWORD owner = 0;
    if (GetWindowThreadProcessId(window, &owner) && owner == count->first) {
        ++count->second;
        EnumChildWindows(window, CountChild, p);
    }
    return TRUE;
}

Resources Measure(DWORD pid) {
    Resources r;
    if (HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid)) {
        PROCESS_MEMORY_COUNTERS counters{};
        if (GetProcessMemoryInfo(process, &counters, sizeof counters))
            r.rssKb = static_cast<long>(counters.WorkingSetSize / 1024);
        CloseHandle(process);
    }
    struct Entry {
        ULONG owner;
        BYTE type, flags;
        USHORT value;
        PVOID object;
        ULONG access;
    };
    using Query = LONG(WINAPI*)(int, PVOID, ULONG, PULONG);
    static auto query = reinterpret_cast<Query>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    std::vector<uint8_t> list(1 << 16);
    ULONG needed = 0; // 16: SystemHandleInformation; 0xC0000004: the list did not fit
    while (query &&
           query(16, list.data(), static_cast<ULONG>(list.size()), &needed) ==
               static_cast<LONG>(0xC0000004) &&
           list.size() < (64u << 20))
        list.resize(list.size() * 2);
    const auto* entries = reinterpret_cast<const Entry*>(list.data() + sizeof(PVOID));
    for (ULONG i = 0, n = *reinterpret_cast<ULONG*>(list.data()); query && i < n; ++i)
        r.handles += entries[i].owner == pid ? 1 : 0;
    std::pair<DWORD, long> count{pid, 0};
    EnumWindows(CountWindows, reinterpret_cast<LPARAM>(&count));
    r.windows = count.second;
    return r;
}

enum Encoding { Ansi, Utf8, Utf16, Utf8Bare, kEncodings };
const char* const kEncodingNames[] = {"8-bit", "UTF-8", "UTF-16", "UTF-8 without mark"};
const char* const kBreakNames[] = {"CR LF", "LF", "CR"};
const wchar_t* const kBreaks[] = {L"\r\n", L"\n", L"\r"};

struct Form {
    Encoding encoding = Ansi;
    int breaks = 0; // 0 CR LF, 1 LF, 2 CR
};

// The encodings and break styles loaded ([0]) and saved ([1]) and checked,
// over all seeds of the run.
std::set<int> checkedEncodings[2], checkedBreaks[2];
void NoteChecked(const Form& form, bool saved) {
    checkedEncodings[saved].insert(form.encoding);
    checkedBreaks[saved].insert(form.breaks);
}

// The bytes a save writes for the editor's text (CR LF breaks).
Bytes Encode(const std::wstring& text, const Form& form) {
    std::wstring converted;
    for (size_t i = 0; i < text.size(); ++i) {
        bool pair = text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n';
        converted += pair ? kBreaks[form.breaks] : std::wstring(1, text[i]);
        i += pair ? 1 : 0;
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
    UINT page = form.encoding == Ansi ? CP_ACP : CP_UTF8;
    int n = WideCharToMultiByte(page, 0, converted.data(), static_cast<int>(converted.size()),
                                nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(n), '\0');
    if (n > 0)
        WideCharToMultiByte(page, 0, converted.data(), static_cast<int>(converted.size()),
                            &narrow[0], n, nullptr, nullptr);
    out.insert(out.end(), narrow.begin(), narrow.end());
    return out;
}

// The form a load finds in a file: its mark, or valid UTF-8 beyond ASCII,
// and its first line break (none: CR LF).
Form DetectForm(const Bytes& file) {
    Form form;
    size_t at = 0, step = 1;
    const char* bytes = reinterpret_cast<const char*>(file.data());
    const int size = static_cast<int>(file.size());
    if (file.size() >= 2 && file[0] == 0xFF && file[1] == 0xFE) {
        form.encoding = Utf16;
        at = step = 2;
    } else if (file.size() >= 3 && file[0] == 0xEF && file[1] == 0xBB && file[2] == 0xBF) {
        form.encoding = Utf8;
    } else if (std::any_of(file.begin(), file.end(), [](uint8_t b) { return b >= 0x80; }) &&
               MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes, size, nullptr, 0) > 0) {
        form.encoding = Utf8Bare;
    }
    for (; at + step <= file.size(); at += step) {
        if ((file[at] != '\n' && file[at] != '\r') || (step == 2 && file[at + 1] != 0))
            continue;
        bool lf = at + step < file.size() && file[at + step] == '\n';
        form.breaks = file[at] == '\n' ? 1 : lf ? 0 : 2;
        break;
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
        UINT page = form.encoding == Ansi ? CP_ACP : CP_UTF8;
        const char* data = reinterpret_cast<const char*>(file.data()) + skip;
        int size = static_cast<int>(file.size() - skip);
        wide.assign(static_cast<size_t>(MultiByteToWideChar(page, 0, data, size, nullptr, 0)), 0);
        if (!wide.empty())
            MultiByteToWideChar(page, 0, data, size, &wide[0], static_cast<int>(wide.size()));
    }
    std::wstring text;
    for (size_t i = 0; i < wide.size(); ++i) {
        bool isBreak = wide[i] == L'\r' || wide[i] == L'\n';
        text += isBreak ? std::wstring(L"\r\n") : std::wstring(1, wide[i]);
        i += wide[i] == L'\r' && i + 1 < wide.size() && wide[i + 1] == L'\n' ? 1 : 0;
    }
    return text;
}

std::string Shown(const std::wstring& text, size_t limit = 80) {
    std::string out;
    for (wchar_t c : text.substr(0, limit))
        out += c == L'\r'   ? "\\r"
               : c == L'\n' ? "\\n"
                            : std::string(1, c >= 32 && c < 127 ? c : '.');
    return text.size() > limit ? out + "..." : out;
}

// A file's bytes, with the marks and the zeros of UTF-16 shown as dots.
std::string Shown(const Bytes& bytes) {
    return Shown(std::wstring(bytes.begin(), bytes.end()), 160);
}

// Where an editor's text departs from another.
std::string Difference(const std::wstring& now, const std::wstring& other, const char* what) {
    size_t at = 0;
    while (at < now.size() && at < other.size() && now[at] == other[at])
        ++at;
    size_t from = at > 20 ? at - 20 : 0;
    return "the text (" + std::to_string(now.size()) + " characters) departs at character " +
           std::to_string(at) + ": \"" + Shown(now.substr(from), 60) + "\", " + what + " (" +
           std::to_string(other.size()) + "): \"" + Shown(other.substr(from), 60) + "\"";
}

// The files of a folder: name, and size and write time in one number.
std::map<std::string, uint64_t> ListFolder(const std::string& folder) {
    std::map<std::string, uint64_t> files;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "*").c_str(), &found);
    for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileA(find, &found))
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            files[found.cFileName] =
                uint64_t(found.nFileSizeLow) << 32 | found.ftLastWriteTime.dwLowDateTime;
    FindClose(find);
    return files;
}

class Soak {
  public:
    Soak(uint64_t seed, int steps, bool basic, bool links)
        : seed_(seed), steps_(steps), rng_(seed), basic_(basic), links_(links) {}
    int Run() {
        // The document and a decoy in a folder of their own, beside the program's.
        std::string root = app_.ProgramFolder();
        root = root.substr(0, root.size() - 5); // without "prog\"
        docsFolder_ = root + "docs\\";
        CreateDirectoryA(docsFolder_.c_str(), nullptr);
        docPath_ = docsFolder_ + kDocName;
        decoyPath_ = docsFolder_ + kDecoyName;
        // The document's form follows the seed; the large file (a JSON text, so
        // it starts with "{") has the next encoding and break style.
        // Each text has a character beyond ASCII, so that UTF-8 without a
        // mark is told from 8-bit text.
        form_.encoding = static_cast<Encoding>(seed_ % kEncodings);
        form_.breaks = static_cast<int>((seed_ / 3) % 3);
        Form bigForm{static_cast<Encoding>((form_.encoding + 1) % kEncodings),
                     (form_.breaks + 1) % 3};
        pool_[kDocName] =
            Encode(L"first line\r\nsecond line with w\u00F6rds\r\n\r\nthe end", form_);
        std::wstring big = L"{\r\n";
        for (int line = 0; line < 600; ++line)
            big +=
                L"  \"line " + std::to_wstring(line) + L"\": \"some words for a large file\",\r\n";
        if (!basic_)
            pool_[kBigName] = Encode(big + L"  \"\u00E9nd\": 0\r\n}\r\n", bigForm);
        for (const auto& file : pool_)
            WriteFileBytes(docsFolder_ + file.first, file.second);
        decoyBytes_ = ToBytes("decoy\r\n");
        WriteFileBytes(decoyPath_, decoyBytes_);
        // The marker program: a copy of the run probe, which writes the log
        // named in its environment (inherited from here through the program).
        if (!basic_) {
            std::string folder = root + "marker\\", marker = folder + "marker.exe";
            CreateDirectoryA(folder.c_str(), nullptr);
            CopyFileA(BuiltBeside("korvid_run_probe.exe").c_str(), marker.c_str(), FALSE);
            markerLog_ = folder + "ran.log";
            SetEnvironmentVariableA("KORVID_PROBE_LOG", markerLog_.c_str());
            link_ = "file:///" + marker;
            std::replace(link_.begin(), link_.end(), '\\', '/');
        }
        Bytes settings = DefaultSettingsFile();
        const Field fields[] = {{KORVID_FIELD(AutoSaveEnabled), 0},
                                {KORVID_FIELD(MonitorFile), 0},
                                {KORVID_FIELD(EscapeCloses), 0},
                                {KORVID_FIELD(ExitSave), 0},
                                {KORVID_FIELD(UrlHighlight), 1},
                                {KORVID_FIELD(PartialLoadMode), 1},
                                {KORVID_FIELD(PartialLoadSize), kPartialLoadSize}};
        for (Field field : fields)
            SetSettingsField(settings, field.first, field.second);
        // No print program: Print would start one.
        std::fill_n(settings.begin() + KORVID_FIELD(PrintProgram),
                    sizeof SettingsRecord::PrintProgram, 0);
        WriteFileBytes(app_.SettingsPathInProgram(), settings);
        programFiles_ = ListFolder(app_.ProgramFolder());

        std::printf("korvid soak: seed %llu, %d steps, %s with %s breaks\n",
                    static_cast<unsigned long long>(seed_), steps_, kEncodingNames[form_.encoding],
                    kBreakNames[form_.breaks]);
        DWORD start = GetTickCount();
        try {
            Restart();
            for (step_ = 1; step_ <= steps_; ++step_) {
                try {
                    Step();
                    AfterStep();
                } catch (const DriverError&) {
                    // A window read as the program exits may vanish under
                    // the read: then the step is checked as an exit.
                    if (!mayExit_ || app_.FindMainWindow())
                        throw;
                    AfterStep();
                }
            }
        } catch (const std::exception& failure) {
            std::printf("%s\n", Report(failure.what()).c_str());
            return 1;
        }
        std::printf("korvid soak: passed in %.1f s, %d saves checked, %d restarts\n",
                    (GetTickCount() - start) / 1000.0, saves_, restarts_);
        return 0;
    }

  private:
    // A dialog of the program that waits for an answer: a window with a
    // modal window of its own is disabled and waits for that one.
    HWND OpenWindow(HWND ignore = nullptr) const {
        return app_.FindWindowOf("#32770", nullptr,
                                 [&](HWND w) { return w != ignore && IsWindowEnabled(w); });
    }
    std::wstring Text() { return app_.EditorTextW(); }
    bool Named() { return app_.Title() != "Untitled"; }
    bool Rich() { return app_.ToolbarChecked(IDM_RICH_TEXT); }
    // What a save in this step may write, and the text it must hold.
    void NoteBefore() {
        textBefore_ = Text();
        richBefore_ = Rich();
        mayWrite_ = true;
    }
    // A save of a named document writes its own file, unless the document
    // is the start of a larger file: that one asks for another name.
    void ExpectSave() { mustWrite_ = Named() && !partial_; }
    // Edits the close check must ask about: text or format no file holds (an
    // empty editor is never asked about). The control takes an undo back
    // past a save for no change, so after one nothing is asked for.
    bool Dirty() {
        std::wstring text = Text();
        return !undone_ && !text.empty() && (text != savedText_ || Rich() != savedRich_);
    }

    void Log(const std::string& what) {
        recent_.push_back(std::to_string(step_) + ": " + what);
        if (verbose_)
            std::printf("%s\n", recent_.back().c_str());
        if (recent_.size() > 20)
            recent_.pop_front();
    }

    // A failure says where, the last steps, and how to replay it.
    std::string Report(const std::string& what) {
        if (what.rfind("korvid soak: FAILED", 0) == 0)
            return what;
        std::string report = "korvid soak: FAILED at step " + std::to_string(step_) + ", seed " +
                             std::to_string(seed_) + "\n  " + what + "\n  last steps:";
        for (const std::string& line : recent_)
            report += "\n    " + line;
        return report + "\n  replay: korvid_soak.exe --seed " + std::to_string(seed_) +
               " --steps " + std::to_string(step_);
    }
    [[noreturn]] void Fail(const std::string& what) { throw std::runtime_error(Report(what)); }

    std::wstring Word() {
        static const std::vector<std::wstring> words = {L"a", L"e", L"ab", L"the", L"x1", L"o"};
        std::wstring text = Text();
        if (text.size() < 3 || rng_.Percent(30))
            return rng_.Pick(words);
        size_t at = static_cast<size_t>(rng_.Below(static_cast<int>(text.size() - 2)));
        std::wstring word = text.substr(at, 1 + static_cast<size_t>(rng_.Below(3)));
        return word.find_first_of(L"\r\n") == std::wstring::npos ? word : L"e";
    }

    void Barrier(bool byKey, const std::string& keys = "") {
        // An exit may destroy the window at any moment: the barrier goes to
        // the window found once, and a window gone meanwhile ends it.
        HWND window = app_.FindMainWindow();
        if (!window)
            return mayExit_ ? void() : Fail("the main window is gone");
        if (byKey)
            app_.PressKeys(keys.empty() ? "ctrl+t" : keys + " ctrl+t");
        else if (!PostMessageA(window, WM_COMMAND, IDM_ON_TOP, 0))
            return mayExit_ && !IsWindow(window) ? void() : Fail("the barrier cannot be posted");
        for (DWORD start = GetTickCount();; Sleep(2)) {
            if (!app_.Running() && !mayExit_)
                Fail("the program ended (exit code " + std::to_string(app_.WaitForExit(0)) + ")");
            // Read from this very window: an exit may destroy it meanwhile.
            HWND main = app_.FindMainWindow();
            if (!main && mayExit_)
                return;
            if (main && ((GetWindowLongA(main, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0) != onTop_)
                break;
            if (byKey && mustWrite_ && app_.FindFileDialog())
                AskedForName();
            if (GetTickCount() - start > kUiTimeout)
                app_.Fail("the program did not handle the step within " +
                          std::to_string(kUiTimeout) + " ms (On Top did not change)");
        }
        onTop_ = !onTop_;
    }

    void Press(HWND window, int button, const std::string& what) {
        app_.Post(GetDlgItem(window, button), BM_CLICK, 0, 0);
        app_.WaitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); },
                       what + " to close");
    }

    // Answers whatever window is open; false when none is (the main window is
    // enabled, so no modal window is on its way either).
    bool AnswerOne() {
        HWND window = nullptr, main = nullptr;
        app_.WaitUntil(
            [&] {
                window = OpenWindow(ignore_);
                return window || !app_.Running() || !(main = app_.FindMainWindow()) ||
                       IsWindowEnabled(main);
            },
            "the modal window of the disabled main window to show");
        if (!window)
            return false;
        return Answer(window);
    }

    bool Answer(HWND window) {
        std::string title = TextOf(window);
        if (title == kNotifyCaption) {
            Notification note = app_.ReadNotification(window);
            if (note.ButtonText(IDOK) == "Recover unsaved text") {
                if (!expectOffer_)
                    Fail("the start offered a recovery copy though nothing was left unsaved: \"" +
                         note.message + "\"");
                Log("  recover the unsaved text");
                expectOffer_ = false;
                app_.Answer(note, IDOK);
                return true;
            }
            // A link is never opened: the marker program must not run.
            std::vector<int> choices;
            bool link = false;
            for (const auto& button : note.buttons) {
                if (button.second.find("ReadMe") == std::string::npos &&
                    button.second != "Open this link")
                    choices.push_back(button.first);
                link = link || button.second == "Do not open";
            }
            asked_ = asked_ || note.message == kNotSaved;
            if (reloadsWorkingFile_ && note.message.find("File is large") == 0)
                Fail("the reload of the working file asked \"" + note.message +
                     "\": it would load only part of the document");
            if (note.message == "Save Error" || note.message == "Open Error")
                Fail("the program reports \"" + note.message + "\"");
            if (link && rng_.Percent(50)) {
                Log("  answer \"" + note.message + "\" with Escape");
                app_.PressKeysIn(window, "Escape");
                app_.WaitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); },
                               "the link question to close on Escape");
                return true;
            }
            if (choices.empty())
                Fail("the notification \"" + note.message + "\" offers no button to press");
            int id = rng_.Pick(choices);
            if (HWND line = GetDlgItem(window, IDC_NOTIFY_INPUT)) // Goto's line number
                app_.Send(line, WM_SETTEXT, 0,
                          reinterpret_cast<LPARAM>(std::to_string(rng_.Below(40)).c_str()));
            std::string button = note.ButtonText(id);
            Log("  answer \"" + note.message + "\" with \"" + button + "\"");
            // Saved at once unless a file dialog comes (a new document, or
            // Revert, which never saves over the file it reverts to).
            if (button == "Save file now") {
                mayWrite_ = true;
                pendingSave_ = Named() && !partial_;
                if (pendingSave_)
                    target_ = app_.Title();
            }
            stopped_ = stopped_ || button == "Abort Close" || button == "Cancel";
            app_.Answer(note, id);
        } else if (app_.FindFileDialog() == window) {
            AnswerFileDialog(window);
        } else if (GetDlgItem(window, IDYES) && GetDlgItem(window, IDNO)) {
            // The file dialog's question whether to replace the file. A user
            // who said No twice gives in: the dialog would come back forever.
            bool yes = refusedReplace_ >= 2 || rng_.Percent(70);
            refusedReplace_ += yes ? 0 : 1;
            Log(std::string("  replace the file: ") + (yes ? "Yes" : "No"));
            if (yes) {
                mustWrite_ = mayWrite_ = true;
                target_ = kDocName;
            }
            Press(window, yes ? IDYES : IDNO, "the replace question");
        } else if (ClassOf(window) == "#32770" && GetDlgItem(window, IDCANCEL)) {
            Log("  cancel \"" + title + "\"");
            Press(window, IDCANCEL, "the \"" + title + "\" window");
        } else {
            Fail("an unexpected window is open: " + ClassOf(window) + " \"" + title + "\"");
        }
        return true;
    }

    [[noreturn]] void AskedForName() {
        Fail("the save of " + app_.Title() +
             " asked for a file name or was missing, though the document holds its whole file: the "
             "program still takes it for partly loaded, binary or read only");
    }

    void AnswerFileDialog(HWND dialog) {
        pendingSave_ = false;
        std::string title = TextOf(dialog);
        if (rng_.Percent(40)) {
            stopped_ = true;
            Log("  cancel the \"" + title + "\" file dialog");
            app_.CancelFileDialog(dialog);
            return;
        }
        // Open is given the large file at times; a save always the document.
        bool open = title.find("Open") != std::string::npos;
        if (!open && mustWrite_)
            AskedForName();
        std::string name = open ? openName_ : kDocName, path = docsFolder_ + name;
        Log("  give the \"" + title + "\" file dialog " + name);
        HWND box = GetDlgItem(dialog, cmb13) ? GetDlgItem(dialog, cmb13) : GetDlgItem(dialog, edt1);
        app_.Send(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
        reopened_ = reopened_ || open;
        if (!open)
            target_ = kDocName;
        ++fileDialogs_;
        // Posted: the answer may open the replace question first.
        app_.Post(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        app_.WaitUntil(
            [&] {
                HWND other = OpenWindow();
                return !IsWindowVisible(dialog) || (other && other != dialog);
            },
            "the file dialog to close or ask");
    }

    void Settle() {
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

    void AfterStep() {
        Settle();
        if (expectAsk_ && !asked_)
            Fail("the close check did not ask although the editor held unsaved edits: " +
                 (richBefore_ != savedRich_ ? std::string("the format changed")
                                            : Difference(textBefore_, savedText_, "last saved")));
        if (app_.Running() && app_.FindMainWindow() && !Named() && Text().empty()) {
            // A new document: nothing to ask about, no file behind it.
            savedText_.clear();
            savedRich_ = Rich();
            partial_ = undone_ = false;
        }
        HWND main = app_.FindMainWindow();
        if (!app_.Running() || !main) {
            // Only an exit ends the program, and it ends it whole.
            if (!mayExit_)
                Fail(app_.Running() ? "the main window is gone but the program runs"
                                    : "the program ended (exit code " +
                                          std::to_string(app_.WaitForExit(0)) + ")");
            app_.WaitForExit();
            CheckFiles();
            Restart();
            return;
        }
        app_.Send(main, WM_NULL, 0, 0);
        CheckFiles();
        CheckResources();
        if (reopened_ && !stopped_) {
            // The file the program shows now (Reload of a new document reloads
            // the file it had before).
            reopenName_ = app_.Title();
            CheckReopened();
        }
    }

    // Measured 50 steps after each start, then every 25 steps: memory may
    // grow 32 MB, handles 50 (and one per confirmed file dialog: Wine's keeps
    // a registry key open each time), windows 10.
    void CheckResources() {
        int since = step_ - started_;
        if (since < 50 || since % 25 != 0)
            return;
        Resources now = Measure(app_.ProcessId());
        if (now.rssKb <= 0 || now.handles <= 0 || now.windows <= 0)
            Fail("memory, handles or windows cannot be measured: " + now.Text());
        if (since == 50)
            baseline_ = now, fileDialogs_ = 0;
        else if (now.rssKb - baseline_.rssKb > 32 * 1024 ||
                 now.handles - baseline_.handles > 50 + fileDialogs_ ||
                 now.windows - baseline_.windows > 10)
            Fail("the program grew beyond its bounds: " + now.Text() +
                 "; 50 steps after its start: " + baseline_.Text() + "; " +
                 std::to_string(fileDialogs_) + " file dialogs confirmed");
    }

    // A click below the first line (where the marker link may stand:
    // ClickLink clicks it on purpose).
    void ClickSomewhere() {
        RECT client{};
        GetClientRect(app_.Editor(), &client);
        POINT at = {1 + rng_.Below(client.right - 2), 24 + rng_.Below(client.bottom - 25)};
        Log("click at " + std::to_string(at.x) + "," + std::to_string(at.y));
        app_.Click(app_.Editor(), at);
        Barrier(true);
    }

    void CheckFiles() {
        Bytes decoy;
        if (!TryReadFileBytes(decoyPath_, decoy) || decoy != decoyBytes_)
            Fail("the file " + std::string(kDecoyName) + " beside the document changed");
        if (!markerLog_.empty() && FileExists(markerLog_))
            Fail("the marker program ran: a click on the link \"" + link_ +
                 "\" started it without the question's consent");
        for (const auto& file : ListFolder(docsFolder_))
            if (file.first != kDecoyName && !pool_.count(file.first))
                Fail("a file appeared beside the document: " + file.first);
        for (const auto& file : ListFolder(app_.ProgramFolder())) {
            auto known = programFiles_.find(file.first);
            if (file.first != kSettingsFileName && file.first != "Tmp" &&
                file.first.rfind("Recover-", 0) != 0 && // the copy of unsaved text
                (known == programFiles_.end() || known->second != file.second))
                Fail("a file appeared or changed in the program folder: " + file.first);
        }
        for (auto& file : pool_) {
            Bytes bytes;
            if (!TryReadFileBytes(docsFolder_ + file.first, bytes))
                Fail("the file " + file.first + " cannot be read");
            bool changed = bytes != file.second;
            // A partly loaded document refuses to write over its own file, even
            // when a Save As dialog names it and the user agrees to replace it.
            bool refused = partial_ && file.first == partialName_;
            if (changed && refused)
                Fail("the partly loaded file " + file.first + " was written over (" +
                     std::to_string(file.second.size()) + " bytes, now " +
                     std::to_string(bytes.size()) + "): \"" + Shown(bytes) + "\"");
            if (target_ == file.first && !refused && (mustWrite_ || (mayWrite_ && changed))) {
                if (richBefore_) {
                    // Rich Text: the control's own RTF, and nothing after it.
                    if (bytes.size() < 6 || std::memcmp(bytes.data(), "{\\rtf", 5) != 0 ||
                        std::find(bytes.begin(), bytes.end(), 0) != bytes.end())
                        Fail("after the save of Rich Text the file is no RTF without NUL bytes (" +
                             std::to_string(bytes.size()) + " bytes): \"" + Shown(bytes) + "\"");
                } else if (!formKnown_) {
                    // After the toggle the document's form is the working file's.
                    std::wstring saved = Decode(bytes, DetectForm(bytes));
                    if (saved != textBefore_)
                        Fail("after the save the file " + file.first +
                             " does not hold what the editor showed: " +
                             Difference(saved, textBefore_, "the editor"));
                } else {
                    Bytes expected = Encode(textBefore_, form_);
                    if (bytes != expected)
                        Fail("after the save the file " + file.first +
                             " does not hold what the editor showed (" +
                             kEncodingNames[form_.encoding] + ", " + kBreakNames[form_.breaks] +
                             ")\n  editor: \"" + Shown(textBefore_) + "\"\n  file:   \"" +
                             Shown(bytes) + "\"\n  wanted: \"" + Shown(expected) + "\"");
                    NoteChecked(form_, true);
                }
                ++saves_;
                // The text is safe; unless this was a copy, the document is
                // now that file's.
                savedText_ = textBefore_;
                savedRich_ = richBefore_;
                undone_ = false;
                if (!app_.FindMainWindow() || app_.Title() == file.first)
                    partial_ = false;
            } else if (changed) {
                Fail("the file " + file.first + " changed without a save: \"" + Shown(bytes) +
                     "\", was \"" + Shown(file.second) + "\"");
            }
            file.second = bytes;
        }
    }

    // The editor shows a file again: the form is the file's, the text its text,
    // or for the large file its start when it was loaded partly.
    void CheckReopened() {
        auto file = pool_.find(reopenName_);
        if (file == pool_.end())
            return; // no file behind the document: nothing was reopened
        form_ = DetectForm(file->second);
        std::wstring expected = Decode(file->second, form_), shown = Text();
        partial_ = file->second.size() > static_cast<size_t>(kPartialLoadSize) && !shown.empty() &&
                   shown.size() < expected.size() && expected.compare(0, shown.size(), shown) == 0;
        partialName_ = partial_ ? reopenName_ : "";
        if (shown != expected && !partial_)
            Fail("the reopened document shows \"" + Shown(shown) + "\", its file " + reopenName_ +
                 " holds \"" + Shown(expected) + "\"");
        NoteChecked(form_, false);
        formKnown_ = true;
        savedText_ = shown;
        savedRich_ = undone_ = false;
    }

    void Restart() {
        ++restarts_;
        Log("  start the program");
        app_.Start(Quote(docPath_));
        app_.WaitForEditor();
        started_ = step_;
        onTop_ = app_.OnTop();
        Barrier(false);
        // The document may have grown past the partial-load threshold: the
        // start-up's load then asks first.
        reloadsWorkingFile_ = false;
        while (AnswerOne()) {
        }
        if (!killedText_) {
            reopenName_ = kDocName;
            return CheckReopened();
        }
        // Ended as a crash would with unsaved text: the copy brings it back.
        app_.WaitUntil([&] { return !expectOffer_ || AnswerOne(); }, "the offer of the copy");
        Barrier(false); // the recovery puts a new editor in place
        if (Text() != *killedText_ || app_.Title() != killedTitle_ ||
            app_.Send(app_.Editor(), EM_GETMODIFY, 0, 0) == 0)
            Fail("the recovered document is not what the editor held when the program ended: " +
                 Difference(*killedText_, Text(), "recovered") + ", title \"" + app_.Title() +
                 "\"");
        killedText_.reset();
    }

    // Ends the program as a crash would. With unsaved edits it types one
    // more letter and waits for the recovery copy written after it.
    void Kill() {
        NoteBefore();
        bool unsaved = app_.Send(app_.Editor(), EM_GETMODIFY, 0, 0) != 0;
        Log(unsaved ? "end the program once its copy is written" : "end the program");
        if (unsaved) {
            // A change of its own, so that the copy waited for holds it.
            app_.TypeText("k");
            Barrier(true);
            FILETIME since{};
            GetSystemTimeAsFileTime(&since);
            // The copy may carry an earlier owner's name: a recovered one.
            const std::string copies = app_.ProgramFolder() + "Recover-*.kvr";
            app_.WaitUntil(
                [&] {
                    WIN32_FIND_DATAA found{};
                    HANDLE find = FindFirstFileA(copies.c_str(), &found);
                    bool fresh = false;
                    for (BOOL more = find != INVALID_HANDLE_VALUE; more && !fresh;
                         more = FindNextFileA(find, &found))
                        fresh = CompareFileTime(&found.ftLastWriteTime, &since) > 0;
                    FindClose(find);
                    return fresh;
                },
                "the recovery copy", 20000);
            killedText_ = Text();
            killedTitle_ = app_.Title();
            expectOffer_ = true;
        }
        HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, app_.ProcessId());
        if (!process || !TerminateProcess(process, 9))
            Fail("the program cannot be ended");
        CloseHandle(process);
        app_.WaitForExit();
        CheckFiles();
        Restart();
    }

    void Keys(const std::string& keys) {
        Log("keys " + keys);
        Barrier(true, keys);
    }

    void TypeSome() {
        static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789     ";
        std::string text;
        for (int i = 0, n = 1 + rng_.Below(8); i < n; ++i)
            text += kLetters[rng_.Below(sizeof kLetters - 1)];
        Log("type \"" + text + "\"");
        app_.TypeText(text);
        Barrier(true);
    }

    void Command(int id, const std::string& what) {
        Log(what);
        app_.PostCommand(id);
        Barrier(false);
    }

    // Replace, Replace All or Find Next in the Replace dialog, a few times.
    void Replace() {
        app_.PostCommand(IDM_REPLACE);
        HWND dialog = nullptr;
        app_.WaitUntil([&] { return (dialog = ignore_ = app_.FindWindowOf("#32770", "Replace")); },
                       "the Replace dialog");
        std::wstring word = Word();
        std::string what(word.begin(), word.end());
        std::string with =
            std::string(rng_.Percent(30) ? "" : "Q") + (rng_.Percent(50) ? what : "");
        Log("replace \"" + what + "\" with \"" + with + "\"");
        app_.Send(GetDlgItem(dialog, edt1), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(what.c_str()));
        app_.Send(GetDlgItem(dialog, edt2), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(with.c_str()));
        for (int i = 0, presses = 1 + rng_.Below(3); i < presses; ++i) {
            int button = rng_.Pick(std::vector<int>{IDOK, psh1, psh2});
            Log(button == IDOK ? "  Find Next" : button == psh1 ? "  Replace" : "  Replace All");
            auto selection = app_.Selection();
            app_.Post(GetDlgItem(dialog, button), BM_CLICK, 0, 0);
            // Find Next moves the selection or asks whether to start again.
            if (button == IDOK)
                app_.WaitUntil(
                    [&] { return app_.Selection() != selection || app_.FindNotification(); },
                    "Find Next to move the selection or ask");
            Barrier(false);
            while (app_.FindNotification() || !IsWindowEnabled(app_.FindMainWindow()))
                AnswerOne(), Barrier(false);
        }
        app_.PressKeysIn(dialog, "Escape");
        app_.WaitUntil([&] { return !IsWindow(dialog); }, "the Replace dialog to close");
        ignore_ = nullptr;
        Barrier(false);
    }

    void Save(bool byKey) {
        bool named = Named();
        Log(std::string(byKey ? "ctrl+s" : "save command") + (named ? "" : " (no file name yet)"));
        NoteBefore();
        ExpectSave();
        // A partly loaded document asks for a name: a key barrier would go to
        // that dialog, so the command is posted.
        byKey = byKey && !partial_;
        if (!byKey)
            app_.PostCommand(IDM_SAVE);
        else if (!named) {
            // The Save dialog takes the keys that follow: no Ctrl+T behind it.
            app_.PressKeys("ctrl+s");
            app_.WaitUntil([&] { return OpenWindow() != nullptr; }, "the Save dialog");
            return;
        }
        Barrier(byKey, byKey ? "ctrl+s" : "");
    }

    void Exit() {
        NoteBefore();
        expectAsk_ = Dirty();
        mayExit_ = true;
        rng_.Percent(50) ? Command(IDM_EXIT, "exit command")
                         : (Log("close"), app_.Close(), Barrier(false));
    }

    // Open (given the large file at times), Reload or Revert.
    void OpenFile(int how) {
        NoteBefore();
        expectAsk_ = how == 2 && Dirty();
        reopened_ = how != 2; // Open reopens when its dialog is given a file
        const int ids[] = {IDM_RELOAD, IDM_REVERT, IDM_OPEN};
        Command(ids[how], how == 0 ? "reload" : how == 1 ? "revert" : "open " + openName_);
    }

    void New() {
        NoteBefore();
        expectAsk_ = Dirty();
        Command(IDM_NEW, std::string("new") + (partial_ ? " (after a partly loaded file)" : ""));
    }

    // Word Wrap and the font groups build the editor afresh: every character
    // stays, typed past the partial-load threshold or not.
    void Rebuild(int id, const std::string& what) {
        reloadsWorkingFile_ = true;
        std::wstring before = Text(), after;
        Command(id, what + (partial_ ? " (partly loaded document)" : ""));
        if ((after = Text()) != before)
            Fail(what + " changed the text: " + Difference(after, before, "before"));
    }

    // The toggle asks first when plain text does not start with "{"; either
    // answer. The document then differs from its file in format or text.
    void ToggleRichText() {
        NoteBefore();
        reloadsWorkingFile_ = true;
        formKnown_ = false;
        Command(IDM_RICH_TEXT, std::string("rich text toggle") + (richBefore_ ? " off" : " on") +
                                   (partial_ ? " (partly loaded document)" : ""));
        // Plain text that is no RTF comes back as it was ("Convert anyway").
        std::wstring text = Text();
        if (!richBefore_ && Rich() && textBefore_.compare(0, 1, L"{") != 0 && text != textBefore_)
            Fail("the Rich Text toggle changed the text: " +
                 Difference(text, textBefore_, "before"));
    }

    // A click on a link to the marker program, typed at the top when the text
    // has none there. The program may only ask; the answer is never to open.
    void ClickLink() {
        std::wstring wide(link_.begin(), link_.end());
        if (Text().compare(0, wide.size(), wide) != 0) {
            Log("type the marker link at the top");
            app_.PressKeys("ctrl+Home");
            app_.TypeText(link_);
            Barrier(true, "Return");
        }
        Log("click the marker link");
        Barrier(true, "ctrl+Home");
        // The button press moves the caret, then the control reports the link,
        // which may start a question: a posted barrier gets through that too.
        app_.Click(app_.Editor(), {40, 6});
        app_.WaitUntil(
            [&] {
                return app_.Selection() != std::make_pair(0L, 0L) || OpenWindow() ||
                       FileExists(markerLog_);
            },
            "the click on the link to move the caret or ask");
        Barrier(false);
    }

    void Navigate() {
        static const std::vector<std::string> moves = {
            "Left", "Right", "Up", "Down", "Home", "End", "Prior", "Next", "ctrl+Home", "ctrl+End"};
        std::string keys;
        for (int i = 0, n = 1 + rng_.Below(3); i < n; ++i)
            keys +=
                std::string(i ? " " : "") + (rng_.Percent(35) ? "shift+" : "") + rng_.Pick(moves);
        Keys(keys);
    }

    void Step() {
        mayWrite_ = mustWrite_ = reopened_ = mayExit_ = stopped_ = expectAsk_ = asked_ = false;
        reloadsWorkingFile_ = false;
        target_ = Named() && !partial_ ? app_.Title() : kDocName;
        openName_ = !basic_ && rng_.Percent(35) ? kBigName : kDocName;
        // The large file, the toggle and links; a partly loaded document
        // gets Word Wrap and New more often.
        if (!basic_ && partial_ && rng_.Percent(8))
            return rng_.Percent(60) ? Rebuild(IDM_WORD_WRAP, "word wrap") : New();
        static const std::vector<std::string> enter = {"Return", "Return", "Tab", "Return Return"},
                                              erase = {"Delete", "BackSpace",
                                                       "BackSpace BackSpace"},
                                              clip = {"ctrl+c", "ctrl+x", "ctrl+v", "ctrl+v"};
        int group = rng_.Below(3);
        const std::vector<std::pair<int, std::function<void()>>> steps = {
            {basic_ ? 0 : 12, [&] { ToggleRichText(); }},
            {basic_ || !links_ ? 0 : 10, [&] { ClickLink(); }},
            {basic_ ? 0 : 12, [&] { openName_ = kBigName, OpenFile(2); }},
            {340, [&] { TypeSome(); }},
            {70, [&] { Keys(rng_.Pick(enter)); }},
            {130, [&] { Navigate(); }},
            {40, [&] { ClickSomewhere(); }},
            {90, [&] { Keys(rng_.Pick(erase)); }},
            {40, [&] { undone_ = true, Keys("ctrl+z"); }},
            {60, [&] { Keys(rng_.Pick(clip)); }},
            {60, [&] { Save(rng_.Percent(50)); }},
            {40, [&] { Replace(); }},
            {15, [&] { Command(IDM_GOTO_LINE, "go to line"); }},
            {15, [&] { Command(IDM_INSERT_TIME, "insert time"); }},
            {15, [&] { Rebuild(IDM_WORD_WRAP, "word wrap"); }},
            {15,
             [&] { Rebuild(IDM_FONT_GROUP1 + group, "font group " + std::to_string(group + 1)); }},
            {15, [&] { New(); }},
            {15, [&] { OpenFile(rng_.Below(3)); }},
            {10, [&] { NoteBefore(), Command(IDM_SAVE_AS, "save as"); }},
            {10, [&] { Command(IDM_SELECT_ALL, "select all"); }},
            {10,
             [&] { undone_ = true, Command(rng_.Percent(50) ? IDM_UNDO : IDM_REDO, "undo/redo"); }},
            {8, [&] { Command(IDM_DEDOUBLE, "de-double"); }},
            {2, [&] { Exit(); }},
            {basic_ ? 0 : 3, [&] { Kill(); }},
            {10, [&] { Command(rng_.Percent(50) ? IDM_INDENT : IDM_OUTDENT, "indent/outdent"); }}};
        int roll = 0; // over the weights' sum: every step can come
        for (const auto& step : steps)
            roll += step.first;
        roll = rng_.Below(roll);
        for (const auto& [weight, step] : steps)
            if ((roll -= weight) < 0)
                return step();
    }

    uint64_t seed_;
    int steps_;
    bool verbose_ = std::getenv("KORVID_SOAK_VERBOSE") != nullptr;
    Random rng_;
    bool basic_, links_;
    KorvidApp app_;
    int step_ = 0, saves_ = 0, restarts_ = -1; // the first start is none
    std::deque<std::string> recent_;
    std::string docsFolder_, docPath_, decoyPath_, markerLog_, link_;
    Form form_;
    Bytes decoyBytes_;
    std::map<std::string, Bytes> pool_; // the files the document may be
    std::map<std::string, uint64_t> programFiles_;
    bool onTop_ = false;
    bool mayWrite_ = false;             // a save in this step may have written the file
    bool mustWrite_ = false;            // a save certainly wrote it
    bool reopened_ = false;             // the editor now shows the file from disk
    bool mayExit_ = false;              // the program may have ended
    bool stopped_ = false;              // a question or a dialog was turned down
    bool pendingSave_ = false;          // "Save file now": a save unless a dialog comes
    std::string target_;                // the file a save would write
    std::string reopenName_;            // the file the last reopen showed
    std::string openName_;              // the file the next Open dialog is given
    bool partial_ = false;              // the document is the start of a pool file
    std::string partialName_;           // that file
    bool richBefore_ = false;           // Rich Text when the step began
    bool formKnown_ = true;             // form_ is the document's form (no toggle since)
    std::wstring savedText_;            // the text as last loaded or saved
    bool savedRich_ = false;            // and whether as Rich Text
    bool undone_ = false;               // an undo or redo came since
    bool reloadsWorkingFile_ = false;   // the step goes through "Tmp" (toggle, rebuild)
    bool expectAsk_ = false;            // the close check must ask in this step
    bool asked_ = false;                // it did
    HWND ignore_ = nullptr;             // a window the step itself handles
    std::wstring textBefore_;           // the editor's text when the step began
    int refusedReplace_ = 0;            // "No" to the replace question in this settle
    int started_ = 0, fileDialogs_ = 0; // the step of the last start; dialogs confirmed since
    Resources baseline_;
    std::optional<std::wstring> killedText_; // the editor's text when Kill ended the program
    std::string killedTitle_;
    bool expectOffer_ = false; // the next start offers the copy
};

} // namespace

int main(int argc, char** argv) {
    std::vector<uint64_t> seeds;
    int steps = 500;
    bool allForms = false, basic = false, links = true;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (i + 1 < argc && (arg == "--steps" || arg == "--seed"))
            arg == "--steps" ? void(steps = std::atoi(argv[++i]))
                             : seeds.push_back(std::strtoull(argv[++i], nullptr, 10));
        else if (arg == "--all-forms" || arg == "--basic" || arg == "--no-links")
            (arg == "--all-forms" ? allForms
             : arg == "--basic"   ? basic
                                  : links) = arg != "--no-links";
        else
            steps = 0;
    }
    if (steps <= 0) {
        std::printf("usage: korvid_soak.exe [--steps N] [--seed S]... [--all-forms] [--basic] "
                    "[--no-links]\n");
        return 2;
    }
    int status = 0;
    for (uint64_t seed : seeds.empty() ? std::vector<uint64_t>{1} : seeds)
        status |= Soak(seed, steps, basic, links).Run();
    bool every = true;
    for (int saved = 0; saved < 2; ++saved) {
        std::string forms;
        for (int form : checkedEncodings[saved])
            forms += std::string(" ") + kEncodingNames[form];
        for (int form : checkedBreaks[saved])
            forms += std::string(", ") + kBreakNames[form];
        std::printf("korvid soak: %s checked:%s\n", saved ? "saves" : "loads", forms.c_str());
        every = every && checkedEncodings[saved].size() == kEncodings &&
                checkedBreaks[saved].size() == 3;
    }
    if (allForms && !every) {
        std::printf("korvid soak: FAILED: the seeds did not load and save every encoding and "
                    "break style (8-bit, UTF-8, UTF-16; CR LF, LF, CR)\n");
        status = 1;
    }
    return status;
}
