// Launch benchmark: what a user feels when a file is opened from the shell.
// Each program is started with CreateProcess and a file on its command line;
// the clock runs until
//   window: the process's first visible top-level window exists;
//   loaded: its edit control (child of that window) holds the file's whole
//           text, polled with WM_GETTEXTLENGTH through SendMessageTimeout,
//           so the poll also waits for whatever the interface thread does
//           after the text arrives (formatting, scans, layout).
// Peak memory is VmHWM of the program's unix process, read through the Z:
// drive. Korvid, Wine's Notepad and WordPad, and a minimal window run side
// by side in one run and one prefix; times are medians. The ratios of the
// goals are printed at the end, each marked "met" or "NOT met".
//
//   korvid_launch_bench.exe KORVID_EXE PROBE_EXE [runs] [launch|bare|window]
//
// "window" only compares the time to the first window of two programs
// given as they are (say two builds of Korvid.exe, each in a folder with
// its settings, against the minimal window), taken in turn.
//
// With KORVID_TRACE_EXE naming Korvid_trace.exe (the program with its
// start-up trace points), one launch of each file is traced and printed:
// where the time goes between the process's creation and the loaded text.
//
// PROBE_EXE is korvid_launch_probe.exe: the minimal window, and the bare
// rich-edit control whose factors (wrap, undo, links) are switched one at a
// time for the memory table.
#include "BenchSupport.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

using bench::Median;
using bench::NowMs;
using bench::ReadBytes;
using bench::WriteBytes;

constexpr DWORD kLoadTimeout = 120000;
constexpr size_t kMegabyte = 1000000; // Korvid's default partial-load size
constexpr WORD kCmdFontGroupOne = 40050;
constexpr size_t kSettingsFileSize = 8208;

// ---- the files -----------------------------------------------------------------

// Lines of `width` characters (CR LF after each), cut to `size` bytes.
std::string Lines(size_t size, size_t width) {
    const std::string words = "The quick brown fox jumps over the lazy dog; 0123456789. ";
    std::string line;
    while (line.size() < width)
        line += words;
    line.resize(width);
    line += "\r\n";
    std::string text;
    text.reserve(size + line.size());
    while (text.size() < size)
        text += line;
    text.resize(size);
    return text;
}

// Binary content: NUL runs, control bytes and high bytes among short
// stretches of text, as an executable or a database page looks.
std::string Binary(size_t size) {
    std::string bytes;
    bytes.reserve(size);
    uint32_t state = 12345;
    while (bytes.size() < size) {
        state = state * 1103515245u + 12345u;
        uint32_t kind = (state >> 16) % 4;
        uint32_t run = 1 + ((state >> 8) % 24);
        for (uint32_t i = 0; i < run && bytes.size() < size; ++i) {
            state = state * 1103515245u + 12345u;
            uint8_t b = static_cast<uint8_t>(state >> 24);
            if (kind == 0)
                b = 0;
            else if (kind == 1)
                b = static_cast<uint8_t>(b % 32);
            else if (kind == 2)
                b = static_cast<uint8_t>('a' + b % 26);
            bytes.push_back(static_cast<char>(b));
        }
    }
    return bytes;
}

// ---- processes -----------------------------------------------------------------

std::string BaseName(const std::string& path) {
    size_t slash = path.find_last_of("\\/");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    for (char& c : name)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return name;
}

// Unix processes whose command line starts with a program of this name.
std::set<int> UnixProcesses(const std::string& exeName) {
    std::set<int> found;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA("Z:\\proc\\*", &entry);
    if (search == INVALID_HANDLE_VALUE)
        return found;
    do {
        int pid = atoi(entry.cFileName);
        if (pid <= 0)
            continue;
        std::string line = ReadBytes("Z:\\proc\\" + std::string(entry.cFileName) + "\\cmdline");
        std::string first = line.substr(0, line.find('\0'));
        if (BaseName(first) == exeName)
            found.insert(pid);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return found;
}

// A field of /proc/PID/status in kB, or -1.
long StatusKb(int pid, const char* field) {
    std::string status = ReadBytes("Z:\\proc\\" + std::to_string(pid) + "\\status");
    size_t at = status.find(field);
    if (at == std::string::npos)
        return -1;
    return atol(status.c_str() + at + std::strlen(field) + 1);
}

struct Search {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindVisible(HWND window, LPARAM context) {
    auto* s = reinterpret_cast<Search*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    if (owner == s->pid && IsWindowVisible(window) && std::strcmp(name, "tooltips_class32") != 0 &&
        GetWindow(window, GW_OWNER) == nullptr) {
        s->found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK FindEditChild(HWND window, LPARAM context) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    for (char* p = name; *p != 0; ++p)
        *p = static_cast<char>(tolower(static_cast<unsigned char>(*p)));
    if (std::strcmp(name, "edit") == 0 || std::strncmp(name, "richedit", 8) == 0) {
        *reinterpret_cast<HWND*>(context) = window;
        return FALSE;
    }
    return TRUE;
}

struct Launch {
    double windowMs = -1;
    double loadedMs = -1;
    long peakKb = -1;
};

struct Program {
    std::string name;
    std::string exe;
    std::string folder; // current folder
    std::string extra;  // arguments after the file
};

// Starts `program` with `file` and waits for its window and, when
// `expectedLength` is not negative, for that much text in its editor.
Launch Measure(const Program& program, const std::string& file, long expectedLength,
               DWORD timeout = kLoadTimeout) {
    Launch result;
    std::string exeName = BaseName(program.exe);
    std::set<int> before = UnixProcesses(exeName);
    std::string line = "\"" + program.exe + "\"";
    if (!file.empty())
        line += " \"" + file + "\"";
    if (!program.extra.empty())
        line += " " + program.extra;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    double start = NowMs();
    if (!CreateProcessA(program.exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                        program.folder.empty() ? nullptr : program.folder.c_str(), &startup,
                        &process)) {
        std::fprintf(stderr, "cannot start %s\n", program.exe.c_str());
        return result;
    }
    HWND window = nullptr;
    while (window == nullptr && NowMs() - start < timeout) {
        Search s{process.dwProcessId, nullptr};
        EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&s));
        window = s.found;
        if (window == nullptr)
            Sleep(1);
    }
    if (window != nullptr)
        result.windowMs = NowMs() - start;
    if (window != nullptr && expectedLength >= 0) {
        HWND editor = nullptr;
        while (NowMs() - start < timeout) {
            if (editor == nullptr || !IsWindow(editor)) {
                editor = nullptr;
                EnumChildWindows(window, FindEditChild, reinterpret_cast<LPARAM>(&editor));
            }
            DWORD_PTR length = 0;
            if (editor != nullptr &&
                SendMessageTimeoutA(editor, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, timeout,
                                    &length) &&
                static_cast<long>(length) >= expectedLength) {
                result.loadedMs = NowMs() - start;
                break;
            }
            Sleep(1);
        }
    }
    // The program's own process is the new one of its name.
    for (int pid : UnixProcesses(exeName))
        if (before.count(pid) == 0)
            result.peakKb = StatusKb(pid, "VmHWM:");
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return result;
}

struct Figures {
    double windowMs, loadedMs, peakMb;
};

Figures MeasureMedian(const Program& program, const std::string& file, long expected, int runs,
                      DWORD timeout = kLoadTimeout) {
    std::vector<double> windows, loads, peaks;
    for (int i = 0; i < runs; ++i) {
        Launch l = Measure(program, file, expected, timeout);
        windows.push_back(l.windowMs);
        loads.push_back(l.loadedMs);
        peaks.push_back(static_cast<double>(l.peakKb) / 1024.0);
    }
    return {Median(windows), Median(loads), Median(peaks)};
}

// A program folder with Korvid.exe and its default settings, so that no
// first-start greeting stands in the way.
bool PrepareKorvid(const std::string& exe, const std::string& folder) {
    CreateDirectoryA(folder.c_str(), nullptr);
    std::string copy = folder + "Korvid.exe";
    if (!CopyFileA(exe.c_str(), copy.c_str(), FALSE))
        return false;
    std::string source = exe.substr(0, exe.find_last_of('\\') + 1);
    for (const char* name : {"ToolBar.bmp", "KorvWord.txt"})
        CopyFileA((source + name).c_str(), (folder + name).c_str(), FALSE);
    std::string settings = folder + "Korvid.Dat";
    DeleteFileA(settings.c_str());
    std::string line = "\"" + copy + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(copy.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &startup, &process))
        return false;
    bool written = false;
    for (DWORD t = GetTickCount(); !written && GetTickCount() - t < 20000; Sleep(20)) {
        Search s{process.dwProcessId, nullptr};
        EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&s));
        char name[32] = {};
        if (s.found != nullptr && GetClassNameA(s.found, name, sizeof name) &&
            std::strcmp(name, "KorvidBox") == 0)
            PostMessageA(s.found, WM_COMMAND, kCmdFontGroupOne, 0);
        written = ReadBytes(settings).size() == kSettingsFileSize;
    }
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return written;
}

// A figure for the tables; a negative one (not measured) shows as "-".
std::string Figure(double value, const char* unit) {
    char text[32];
    if (value < 0)
        return "-";
    std::snprintf(text, sizeof text, "%.0f %s", value, unit);
    return text;
}
std::string Ms(double ms) { return Figure(ms, "ms"); }
std::string Mb(double mb) { return Figure(mb, "MB"); }

void Row(const char* label, const std::vector<std::string>& cells) {
    std::printf("| %-34s |", label);
    for (const std::string& cell : cells)
        std::printf(" %10s |", cell.c_str());
    std::printf("\n");
}

struct Goal {
    const char* what;
    double value, base, limit;
};
std::vector<Goal> goals;

bool PrintGoal(const Goal& g) {
    double ratio = g.base > 0 && g.value > 0 ? g.value / g.base : -1;
    bool met = ratio > 0 && ratio <= g.limit;
    std::printf("  %-52s %6.2fx  (goal <= %.1fx)  %s\n", g.what, ratio, g.limit,
                met ? "met" : "NOT met");
    return met;
}

struct Case {
    std::string path;
    std::string bytes;
    long Length() const { return static_cast<long>(bytes.size()); }
};

// Korvid against its peers; the goals' ratios are kept for the end.
void LaunchTable(std::map<std::string, Case>& file, const Program& korvid, const Program& minimal,
                 int runs) {
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    const Program notepad{"Notepad", std::string(windows) + "\\system32\\notepad.exe", "", ""};
    const Program wordpad{"WordPad", "C:\\Program Files\\Windows NT\\Accessories\\wordpad.exe", "",
                          ""};
    // The first start of each program pays for loading its DLLs from disk.
    for (const Program* p : {&korvid, &notepad, &wordpad, &minimal})
        Measure(*p, p == &minimal ? "" : file["tiny"].path, -1);

    // The cases run round by round, each once per round, so that a change
    // in the machine's load falls on every program alike.
    struct Job {
        const Program* program;
        const char* file; // nullptr: no file (the minimal window)
        int runs;
        DWORD timeout;
        std::vector<double> windows{}, loads{}, peaks{};
        Figures Result() const { return {Median(windows), Median(loads), Median(peaks)}; }
    };
    // WordPad and Notepad take seconds over the big files, so they run once;
    // Notepad's edit control takes minutes over one line of 1 MB.
    std::vector<Job> jobs = {
        {&korvid, "tiny", runs, kLoadTimeout},    {&notepad, "tiny", runs, kLoadTimeout},
        {&wordpad, "tiny", runs, kLoadTimeout},   {&minimal, nullptr, runs, kLoadTimeout},
        {&korvid, "text", runs, kLoadTimeout},    {&notepad, "text", runs, kLoadTimeout},
        {&wordpad, "text", 1, kLoadTimeout},      {&korvid, "oneline", runs, kLoadTimeout},
        {&notepad, "oneline", 1, 30000},          {&korvid, "lines6000", runs, kLoadTimeout},
        {&notepad, "lines6000", 1, kLoadTimeout}, {&korvid, "binary", runs, kLoadTimeout},
    };
    for (int round = 0; round < runs; ++round)
        for (Job& job : jobs) {
            if (round >= job.runs)
                continue;
            Launch l = job.file ? Measure(*job.program, file[job.file].path,
                                          file[job.file].Length(), job.timeout)
                                : Measure(*job.program, "", -1, job.timeout);
            job.windows.push_back(l.windowMs);
            job.loads.push_back(l.loadedMs);
            job.peaks.push_back(static_cast<double>(l.peakKb) / 1024.0);
        }
    std::printf("Launch to fully loaded, median of %d runs, taken in turn (Wine, one prefix)\n\n",
                runs);
    Figures kTiny = jobs[0].Result(), nTiny = jobs[1].Result(), wTiny = jobs[2].Result(),
            mWindow = jobs[3].Result(), kText = jobs[4].Result(), nText = jobs[5].Result(),
            wText = jobs[6].Result(), kOne = jobs[7].Result(), nOne = jobs[8].Result(),
            k6000 = jobs[9].Result(), n6000 = jobs[10].Result(), kBinary = jobs[11].Result();

    Row("", {"Korvid", "Notepad", "WordPad", "minimal"});
    Row("window shown",
        {Ms(kTiny.windowMs), Ms(nTiny.windowMs), Ms(wTiny.windowMs), Ms(mWindow.windowMs)});
    Row("tiny file loaded", {Ms(kTiny.loadedMs), Ms(nTiny.loadedMs), Ms(wTiny.loadedMs), "-"});
    Row("1 MB text loaded (60-char lines)",
        {Ms(kText.loadedMs), Ms(nText.loadedMs), Ms(wText.loadedMs), "-"});
    Row("peak memory, 1 MB",
        {Mb(kText.peakMb), Mb(nText.peakMb), Mb(wText.peakMb), Mb(mWindow.peakMb)});
    Row("1 MB of one line loaded",
        {Ms(kOne.loadedMs), nOne.loadedMs < 0 ? "> 30 s" : Ms(nOne.loadedMs), "-", "-"});
    Row("1 MB of 6000-char lines loaded", {Ms(k6000.loadedMs), Ms(n6000.loadedMs), "-", "-"});
    Row("1 MB binary (NUL, control bytes)", {Ms(kBinary.loadedMs), "-", "-", "-"});

    goals.push_back({"1 MB loaded, Korvid / Notepad", kText.loadedMs, nText.loadedMs, 1.2});
    goals.push_back({"tiny file loaded, Korvid / Notepad", kTiny.loadedMs, nTiny.loadedMs, 1.1});
    goals.push_back(
        {"window shown, Korvid / minimal window", kTiny.windowMs, mWindow.windowMs, 1.3});
    goals.push_back({"1 MB binary / 1 MB text, Korvid", kBinary.loadedMs, kText.loadedMs, 2.0});
    goals.push_back(
        {"1 MB one line / 1 MB text, Korvid (wrap on)", kOne.loadedMs, kText.loadedMs, 2.0});
    goals.push_back({"1 MB 6000-char lines / 1 MB text, Korvid (wrap on)", k6000.loadedMs,
                     kText.loadedMs, 2.0});
}

void TraceTable(std::map<std::string, Case>& file, const std::string& folder) {
    char traceExe[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("KORVID_TRACE_EXE", traceExe, sizeof traceExe);
    if (n == 0 || n >= sizeof traceExe)
        return;
    std::string copy = folder + "Korvid_trace.exe";
    std::string log = folder + "trace.txt";
    if (!CopyFileA(traceExe, copy.c_str(), FALSE))
        return;
    SetEnvironmentVariableA("KORVID_TRACE_FILE", log.c_str());
    for (const char* name : {"tiny", "text", "oneline"}) {
        DeleteFileA(log.c_str());
        Measure({"trace", copy, folder, ""}, file[name].path, file[name].Length());
        std::printf("\nStart-up trace, %s file (ms since the process was created)\n%s", name,
                    ReadBytes(log).c_str());
    }
    SetEnvironmentVariableA("KORVID_TRACE_FILE", nullptr);
}

// The bare control in a minimal window, one factor changed at a time.
void BareTable(const Program& probe, const Case& text, const Case& tiny, const Case& oneLine,
               int runs) {
    std::printf("\nBare RichEdit20A in a minimal window, one factor changed at a time\n\n");
    Row("", {"1 MB", "peak", "tiny, peak"});
    const std::pair<const char*, const char*> factors[] = {
        {"the control's defaults (wrap, undo)", ""},
        {"no word wrap", "nowrap"},
        {"no undo", "noundo"},
        {"no wrap, no undo", "nowrap noundo"},
        {"links detected", "url"},
        {"plain-text mode", "plain"},
        {"streamed as UTF-16", "unicode"},
        {"hidden while streaming", "hidden"},
        {"no redraw while streaming", "noredraw"},
    };
    for (const auto& factor : factors) {
        Program bare{"bare", probe.exe, "", factor.second};
        Figures f = MeasureMedian(bare, text.path, text.Length(), runs);
        Figures t = MeasureMedian(bare, tiny.path, tiny.Length(), 1);
        Row(factor.first, {Ms(f.loadedMs), Mb(f.peakMb), Mb(t.peakMb)});
    }
    // The same megabyte in one paragraph: what the paragraphs cost. Without
    // wrap the control takes over a minute over it, so it runs once.
    Program wrapped{"bare", probe.exe, "", ""}, unwrapped{"bare", probe.exe, "", "nowrap"};
    Figures one = MeasureMedian(wrapped, oneLine.path, oneLine.Length(), runs);
    Row("one line of 1 MB", {Ms(one.loadedMs), Mb(one.peakMb), "-"});
    one = MeasureMedian(unwrapped, oneLine.path, oneLine.Length(), 1);
    Row("one line of 1 MB, no word wrap", {Ms(one.loadedMs), Mb(one.peakMb), "-"});
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(
            stderr,
            "usage: korvid_launch_bench KORVID_EXE PROBE_EXE [runs] [launch|bare|window]\n");
        return 2;
    }
    setvbuf(stdout, nullptr, _IONBF, 0);
    int runs = argc > 3 ? atoi(argv[3]) : 5;
    if (runs < 1)
        runs = 1;
    std::string only = argc > 4 ? argv[4] : "";
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string folder = std::string(temp) + "korvid-launch\\";
    CreateDirectoryA(folder.c_str(), nullptr);

    std::map<std::string, Case> file = {
        {"tiny", {folder + "tiny.txt", "Hello world.\r\n"}},
        {"text", {folder + "text.txt", Lines(kMegabyte, 60)}},
        {"oneline", {folder + "oneline.txt", Lines(kMegabyte, kMegabyte - 2)}},
        {"lines6000", {folder + "lines6000.txt", Lines(kMegabyte, 6000)}},
        // Korvid shows every byte of a binary file as one character.
        {"binary", {folder + "binary.bin", Binary(kMegabyte)}},
    };
    for (const auto& entry : file) {
        if (!WriteBytes(entry.second.path, entry.second.bytes)) {
            std::fprintf(stderr, "cannot write %s\n", entry.second.path.c_str());
            return 1;
        }
    }
    Program minimal{"minimal", argv[2], "", ""};
    // Two programs' windows, taken in turn: "window" compares KORVID_EXE (as
    // given, in its own folder) with PROBE_EXE.
    if (only == "window") {
        Program a{"a", argv[1], "", ""};
        std::vector<double> wa, wb;
        Measure(a, "", -1);
        Measure(minimal, "", -1);
        for (int i = 0; i < runs; ++i) {
            wa.push_back(Measure(a, "", -1).windowMs);
            wb.push_back(Measure(minimal, "", -1).windowMs);
        }
        std::printf("window shown, median of %d: %.0f ms and %.0f ms (%.2fx)\n", runs, Median(wa),
                    Median(wb), Median(wa) / Median(wb));
        return 0;
    }
    if (only != "bare") {
        std::string korvidFolder = folder + "prog\\";
        if (!PrepareKorvid(argv[1], korvidFolder)) {
            std::fprintf(stderr, "cannot prepare Korvid in %s\n", korvidFolder.c_str());
            return 1;
        }
        LaunchTable(file, {"Korvid", korvidFolder + "Korvid.exe", korvidFolder, ""}, minimal, runs);
        TraceTable(file, korvidFolder);
    }
    if (only != "launch")
        BareTable(minimal, file["text"], file["tiny"], file["oneline"], runs);
    if (!goals.empty()) {
        std::printf("\nGoals\n");
        int failures = 0;
        for (const Goal& g : goals)
            failures += PrintGoal(g) ? 0 : 1;
        std::printf("\n%s\n", failures == 0 ? "every goal met" : "some goals NOT met");
        return failures == 0 ? 0 : 1;
    }
    return 0;
}
