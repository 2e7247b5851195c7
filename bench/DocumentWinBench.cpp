// Document benchmarks under Wine: the real Korvid.exe, driven from this
// process, against the bare rich-edit control doing the same work here.
//   (a) open: IDM_RELOAD (the path every open takes: a new editor and the
//       file streamed into it) to "Opened at " in the status bar, against
//       EM_STREAMIN of the same file into a fresh control of the same size;
//   (b) partial load: the first 1,000,000 bytes of a 4 GB file ("Auto"
//       mode) against opening a 1,000,000-byte file whole;
//   (c) save: IDM_SAVE to "Saved at ", against EM_STREAMOUT into a new
//       file that then replaces the old one (MoveFileEx);
//   (d) memory: the working set gained by opening the document, Korvid's
//       process against this process with the bare control;
//   (e), (f) UTF-8: open and save a text with an accented letter a line as
//       UTF-8 without a mark, against the same text as 8-bit.
// Times are medians of several runs, all in one process run; compare the
// ratios, the machine is noisy. RunDocumentBenchmarks prints one table.
// KORVID_BENCH_SKIP_10MB set to anything skips the 10 MB cases (about two
// minutes of the run).
//
// RunLargeFileBenchmarks (minutes; "memory" on the bench program's command
// line): the largest plain text (60-character lines, partial loading Off)
// that Korvid.exe loads whole, found by doubling and then halving the step,
// with the program as built (large-address-aware) and with a copy whose
// large-address flag is cleared; then a 100 MB file, which must leave a
// running program with the start of the file, read only.
#include "BenchSupport.h"

#include <windows.h>

#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

void RunDocumentBenchmarks(const char* korvidExe);
void RunUtf8Benchmarks(const char* korvidExe, int megabytes);
void RunLargeFileBenchmarks(const char* korvidExe);

namespace {

using bench::Median;
using bench::NowMs;
using bench::ReadBytes;
using bench::WriteBytes;

constexpr WORD kCmdSave = 3;
constexpr WORD kCmdExit = 40011;
constexpr WORD kCmdReload = 40021;
constexpr WORD kCmdFontGroupOne = 40050; // a settings save occasion that changes nothing
constexpr int kEditorId = 1000;
constexpr size_t kSettingsFileSize = 8208;
constexpr size_t kPartialLoadSize = 4926;
constexpr size_t kPartialLoadMode = 4930;
constexpr int32_t kModeOff = 0;
constexpr int32_t kModeAuto = 2;
constexpr DWORD kLongWait = 600000;

std::string BenchFolder() {
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    std::string folder = std::string(base) + "korvid-docbench\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

// Plain text in lines of 60 bytes with CR LF, cut to `size` bytes.
std::string PlainText(size_t size) {
    const std::string line = "The quick brown fox jumps over the lazy dog; 0123456789.\r\n";
    std::string text;
    text.reserve(size + line.size());
    while (text.size() < size)
        text += line;
    text.resize(size);
    return text;
}

// A sparse file of `size` bytes whose start is `head`.
bool MakeSparseFile(const std::string& path, uint64_t size, const std::string& head) {
    if (!WriteBytes(path, head))
        return false;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(size);
    bool ok = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    CloseHandle(file);
    return ok;
}

// The working set of a process, through kernel32's export (no psapi).
SIZE_T WorkingSetOf(HANDLE process) {
    struct Counters {
        DWORD cb;
        DWORD PageFaultCount;
        SIZE_T PeakWorkingSetSize;
        SIZE_T WorkingSetSize;
        SIZE_T QuotaPeakPagedPoolUsage;
        SIZE_T QuotaPagedPoolUsage;
        SIZE_T QuotaPeakNonPagedPoolUsage;
        SIZE_T QuotaNonPagedPoolUsage;
        SIZE_T PagefileUsage;
        SIZE_T PeakPagefileUsage;
    };
    using Query = BOOL(WINAPI*)(HANDLE, Counters*, DWORD);
    static Query query = reinterpret_cast<Query>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "K32GetProcessMemoryInfo")));
    Counters counters{};
    counters.cb = sizeof counters;
    if (!query || !query(process, &counters, sizeof counters))
        return 0;
    return counters.WorkingSetSize;
}

double Megabytes(SIZE_T bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

// ---- the bare control ------------------------------------------------------------

DWORD CALLBACK ReadChunk(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* got) {
    DWORD read = 0;
    if (!ReadFile(reinterpret_cast<HANDLE>(cookie), buffer, static_cast<DWORD>(wanted), &read,
                  nullptr))
        read = 0;
    *got = static_cast<LONG>(read);
    return 0;
}

DWORD CALLBACK WriteChunk(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* written) {
    DWORD done = 0;
    if (!WriteFile(reinterpret_cast<HANDLE>(cookie), buffer, static_cast<DWORD>(count), &done,
                   nullptr))
        done = 0;
    *written = static_cast<LONG>(done);
    return done == static_cast<DWORD>(count) ? 0 : 1;
}

// A visible top-level window holding a word-wrapping RichEdit20A of the
// given client size, as Korvid's editor is.
class BareEditor {
  public:
    BareEditor(int width, int height) {
        frame_ = CreateWindowExA(0, "STATIC", "bare", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                 width + 40, height + 60, nullptr, nullptr, nullptr, nullptr);
        editor_ =
            CreateWindowExA(0, "RichEdit20A", "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE,
                            0, 0, width, height, frame_, nullptr, nullptr, nullptr);
        SendMessageA(editor_, EM_EXLIMITTEXT, 0, static_cast<LPARAM>(0xFFFFFFFF));
    }
    ~BareEditor() { DestroyWindow(frame_); }
    BareEditor(const BareEditor&) = delete;
    BareEditor& operator=(const BareEditor&) = delete;

    bool Load(const std::string& path) {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return false;
        EDITSTREAM stream = {reinterpret_cast<DWORD_PTR>(file), 0, ReadChunk};
        SendMessageA(editor_, EM_STREAMIN, SF_TEXT, reinterpret_cast<LPARAM>(&stream));
        CloseHandle(file);
        return stream.dwError == 0;
    }

    // Streams the text into a new file beside `path` and puts it in place.
    bool Save(const std::string& path) {
        std::string temporary = path + ".new";
        HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return false;
        EDITSTREAM stream = {reinterpret_cast<DWORD_PTR>(file), 0, WriteChunk};
        SendMessageA(editor_, EM_STREAMOUT, SF_TEXT, reinterpret_cast<LPARAM>(&stream));
        bool ok = stream.dwError == 0 && FlushFileBuffers(file);
        ok = CloseHandle(file) && ok;
        return ok && MoveFileExA(temporary.c_str(), path.c_str(),
                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    }

    LRESULT Length() const { return SendMessageA(editor_, WM_GETTEXTLENGTH, 0, 0); }

  private:
    HWND frame_ = nullptr;
    HWND editor_ = nullptr;
};

// ---- Korvid.exe driven from outside ---------------------------------------------

struct WindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindKorvidWindow(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char name[32] = {};
    GetClassNameA(window, name, sizeof name);
    if (owner == search->processId && std::strcmp(name, "KorvidBox") == 0 &&
        IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// One Korvid.exe in a program folder of its own.
class Korvid {
  public:
    Korvid(const std::string& exe, const std::string& folder) : folder_(folder) {
        CreateDirectoryA(folder.c_str(), nullptr);
        CopyFileA(exe.c_str(), (folder + "Korvid.exe").c_str(), FALSE);
        std::string strip = exe.substr(0, exe.find_last_of('\\') + 1) + "ToolBar.bmp";
        CopyFileA(strip.c_str(), (folder + "ToolBar.bmp").c_str(), FALSE);
    }
    ~Korvid() { End(); }
    Korvid(const Korvid&) = delete;
    Korvid& operator=(const Korvid&) = delete;

    std::string SettingsPath() const { return folder_ + "Korvid.Dat"; }

    // Starts the program and waits for its editor and status bar.
    bool Start(const std::string& arguments) {
        End();
        std::string exe = folder_ + "Korvid.exe";
        std::string line = "\"" + exe + "\" " + arguments;
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        if (!CreateProcessA(exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                            folder_.c_str(), &startup, &process_))
            return false;
        for (DWORD start = GetTickCount(); GetTickCount() - start < kLongWait; Sleep(5)) {
            WindowSearch search{process_.dwProcessId, nullptr};
            EnumWindows(FindKorvidWindow, reinterpret_cast<LPARAM>(&search));
            if (search.found) {
                main_ = search.found;
                status_ = FindWindowExA(main_, nullptr, STATUSCLASSNAMEA, nullptr);
                HWND editor = GetDlgItem(main_, kEditorId);
                if (status_ && editor && IsWindowVisible(editor))
                    return true;
            }
        }
        return false;
    }

    // Writes the settings file with its defaults: the program writes it at
    // a save occasion.
    bool MakeDefaultSettings() {
        DeleteFileA(SettingsPath().c_str());
        if (!Start(""))
            return false;
        PostMessageA(main_, WM_COMMAND, kCmdFontGroupOne, 0);
        bool written = false;
        for (DWORD start = GetTickCount(); !written && GetTickCount() - start < 10000; Sleep(10))
            written = ReadBytes(SettingsPath()).size() == kSettingsFileSize;
        End();
        return written;
    }

    bool SetSettingsFields(std::initializer_list<std::pair<size_t, int32_t>> fields) {
        std::string file = ReadBytes(SettingsPath());
        if (file.size() != kSettingsFileSize)
            return false;
        for (const auto& field : fields)
            std::memcpy(&file[field.first], &field.second, 4);
        return WriteBytes(SettingsPath(), file);
    }

    // Status-bar part 3; waits for as long as the program is busy.
    std::string Status() {
        char text[256] = {};
        void* remote = VirtualAllocEx(process_.hProcess, nullptr, sizeof text,
                                      MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        if (!remote)
            return std::string();
        DWORD_PTR result = 0;
        if (SendMessageTimeoutA(status_, SB_GETTEXTA, 3, reinterpret_cast<LPARAM>(remote),
                                SMTO_NORMAL, kLongWait, &result))
            ReadProcessMemory(process_.hProcess, remote, text, sizeof text - 1, nullptr);
        VirtualFreeEx(process_.hProcess, remote, 0, MEM_RELEASE);
        return text;
    }

    void ClearStatus() {
        char empty[4] = {};
        void* remote = VirtualAllocEx(process_.hProcess, nullptr, sizeof empty,
                                      MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        if (!remote)
            return;
        WriteProcessMemory(process_.hProcess, remote, empty, sizeof empty, nullptr);
        DWORD_PTR result = 0;
        SendMessageTimeoutA(status_, SB_SETTEXTA, 3, reinterpret_cast<LPARAM>(remote), SMTO_NORMAL,
                            kLongWait, &result);
        VirtualFreeEx(process_.hProcess, remote, 0, MEM_RELEASE);
    }

    // Milliseconds from posting `command` to a status that starts with
    // `prefix`; -1 when it never came.
    double CommandToStatus(WORD command, const std::string& prefix) {
        ClearStatus();
        double start = NowMs();
        PostMessageA(main_, WM_COMMAND, command, 0);
        return WaitForStatus(prefix, start);
    }

    double WaitForStatus(const std::string& prefix, double start) {
        while (NowMs() - start < kLongWait) {
            if (Status().compare(0, prefix.size(), prefix) == 0)
                return NowMs() - start;
            Sleep(1);
        }
        return -1;
    }

    SIZE_T WorkingSet() const { return WorkingSetOf(process_.hProcess); }

    bool Running() const {
        return process_.hProcess && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
    }

    // Status-bar part 3 once it is no longer the loading message, or "" when
    // the program ended first.
    std::string StatusAfterLoad() {
        for (double start = NowMs(); NowMs() - start < kLongWait; Sleep(100)) {
            if (!Running())
                return std::string();
            std::string status = Status();
            if (!status.empty() && status.compare(0, 8, "Loading ") != 0)
                return status;
        }
        return std::string();
    }

    std::string ExePath() const { return folder_ + "Korvid.exe"; }

    void EditorClient(int* width, int* height) const {
        RECT rect{};
        GetClientRect(GetDlgItem(main_, kEditorId), &rect);
        *width = rect.right;
        *height = rect.bottom;
    }

    void End() {
        if (!process_.hProcess)
            return;
        if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
            PostMessageA(main_, WM_COMMAND, kCmdExit, 0);
            if (WaitForSingleObject(process_.hProcess, 5000) != WAIT_OBJECT_0) {
                TerminateProcess(process_.hProcess, 1);
                WaitForSingleObject(process_.hProcess, 5000);
            }
        }
        CloseHandle(process_.hProcess);
        CloseHandle(process_.hThread);
        process_ = PROCESS_INFORMATION{};
    }

  private:
    std::string folder_;
    PROCESS_INFORMATION process_{};
    HWND main_ = nullptr;
    HWND status_ = nullptr;
};

struct Row {
    std::string what;
    double korvid;
    double bare;
    const char* unit;
};

void PrintTable(const std::vector<Row>& rows) {
    std::printf("\n%-52s %12s %12s %8s\n", "document benchmark (median)", "Korvid", "baseline",
                "ratio");
    for (const Row& row : rows) {
        double ratio = row.bare > 0 ? row.korvid / row.bare : 0;
        std::printf("%-52s %9.1f %-2s %9.1f %-2s %8.2f\n", row.what.c_str(), row.korvid, row.unit,
                    row.bare, row.unit, ratio);
    }
    std::fflush(stdout);
}

void Progress(const std::string& text) {
    std::printf("  ... %s\n", text.c_str());
    std::fflush(stdout);
}

// (a), (c) and (d) for one document size.
void BenchDocument(const std::string& exe, const std::string& folder, size_t size, int runs,
                   bool save, std::vector<Row>& rows) {
    std::string label = std::to_string(size / 1000000) + " MB";
    std::string path = folder + "doc.txt";
    Korvid korvid(exe, folder + "prog\\");
    if (!korvid.MakeDefaultSettings() ||
        !korvid.SetSettingsFields({{kPartialLoadMode, kModeOff}})) {
        std::printf("Korvid.exe did not write its settings; document benchmark skipped\n");
        return;
    }

    // Memory before: the program with a one-line document.
    WriteBytes(path, "x\r\n");
    if (!korvid.Start("\"" + path + "\"") || korvid.WaitForStatus("Opened at ", NowMs()) < 0) {
        std::printf("Korvid.exe did not open %s\n", path.c_str());
        return;
    }
    Sleep(200);
    SIZE_T korvidBefore = korvid.WorkingSet();
    std::string text = PlainText(size);
    WriteBytes(path, text);
    std::vector<double> opens;
    for (int i = 0; i < runs; ++i) {
        opens.push_back(korvid.CommandToStatus(kCmdReload, "Opened at "));
        if (i == 0) {
            Sleep(200);
            Progress("Korvid opened " + label + " in " + std::to_string(opens[0]) + " ms");
        }
    }
    SIZE_T korvidAfter = korvid.WorkingSet();
    int width = 0, height = 0;
    korvid.EditorClient(&width, &height);
    std::vector<double> saves;
    for (int i = 0; save && i < runs; ++i)
        saves.push_back(korvid.CommandToStatus(kCmdSave, "Saved at "));
    korvid.End();

    // The bare control, in a window of the same size.
    WriteBytes(path, text);
    std::vector<double> bareOpens, bareSaves;
    SIZE_T bareBefore = 0, bareAfter = 0;
    {
        BareEditor warm(width, height); // loads the library and its first window
        warm.Load(folder + "nothing.txt");
    }
    for (int i = 0; i < runs; ++i) {
        SIZE_T before = WorkingSetOf(GetCurrentProcess());
        BareEditor bare(width, height);
        double start = NowMs();
        bool loaded = bare.Load(path);
        bareOpens.push_back(loaded ? NowMs() - start : -1);
        if (i == 0) {
            bareBefore = before;
            bareAfter = WorkingSetOf(GetCurrentProcess());
            Progress("bare control loaded " + label + " in " + std::to_string(bareOpens[0]) +
                     " ms");
        }
        for (int j = 0; save && i == runs - 1 && j < runs; ++j) {
            double saveStart = NowMs();
            bareSaves.push_back(bare.Save(path) ? NowMs() - saveStart : -1);
        }
    }

    rows.push_back({"(a) open " + label + " plain text (reload to status)", Median(opens),
                    Median(bareOpens), "ms"});
    if (save)
        rows.push_back(
            {"(c) save " + label + " (command to status)", Median(saves), Median(bareSaves), "ms"});
    rows.push_back({"(d) working set gained by opening " + label,
                    Megabytes(korvidAfter - korvidBefore), Megabytes(bareAfter - bareBefore),
                    "MB"});
}

// (e) and (f): a text with one accented letter a line, as UTF-8 without a
// mark (read through the program's own UTF-8 check and reader) against the
// same text as 8-bit, which the control reads itself.
void BenchUtf8(const std::string& exe, const std::string& folder, size_t size, int runs,
               std::vector<Row>& rows) {
    std::string label = std::to_string(size / 1000000) + " MB";
    std::string path = folder + "doc.txt";
    Korvid korvid(exe, folder + "prog\\");
    if (!korvid.MakeDefaultSettings() ||
        !korvid.SetSettingsFields({{kPartialLoadMode, kModeOff}})) {
        std::printf("Korvid.exe did not write its settings; UTF-8 benchmark skipped\n");
        return;
    }
    std::string eightBit = PlainText(size), utf8;
    utf8.reserve(size + size / 50);
    for (char c : eightBit)
        utf8 += c == 'q' ? std::string("\xC3\xA9") : std::string(1, c); // each "q" an e-acute
    for (char& c : eightBit)
        c = c == 'q' ? '\xE9' : c;
    WriteBytes(path, "x\r\n");
    if (!korvid.Start("\"" + path + "\"") || korvid.WaitForStatus("Opened at ", NowMs()) < 0) {
        std::printf("Korvid.exe did not open %s\n", path.c_str());
        return;
    }
    double times[2][2] = {}; // [UTF-8, 8-bit][open, save]
    for (int form = 0; form < 2; ++form) {
        WriteBytes(path, form == 0 ? utf8 : eightBit);
        std::vector<double> opens, saves;
        for (int i = 0; i < runs; ++i)
            opens.push_back(korvid.CommandToStatus(kCmdReload, "Opened at "));
        for (int i = 0; i < runs; ++i)
            saves.push_back(korvid.CommandToStatus(kCmdSave, "Saved at "));
        times[form][0] = Median(opens);
        times[form][1] = Median(saves);
        Progress(std::string(form == 0 ? "UTF-8" : "8-bit") + " " + label + " opened in " +
                 std::to_string(times[form][0]) + " ms, saved in " +
                 std::to_string(times[form][1]) + " ms");
    }
    korvid.End();
    rows.push_back(
        {"(e) open " + label + " UTF-8 (baseline: as 8-bit)", times[0][0], times[1][0], "ms"});
    rows.push_back(
        {"(f) save " + label + " UTF-8 (baseline: as 8-bit)", times[0][1], times[1][1], "ms"});
}

// (b): the start of a 4 GB file against a whole 1,000,000-byte file.
void BenchPartialLoad(const std::string& exe, const std::string& folder, int runs,
                      std::vector<Row>& rows) {
    std::string huge = folder + "huge.txt";
    std::string whole = folder + "whole.txt";
    std::string text = PlainText(1000000);
    if (!MakeSparseFile(huge, 4294967296ull, PlainText(1200000)) || !WriteBytes(whole, text)) {
        std::printf("cannot make the files of the partial-load benchmark\n");
        return;
    }
    Korvid korvid(exe, folder + "prog\\");
    if (!korvid.MakeDefaultSettings() ||
        !korvid.SetSettingsFields({{kPartialLoadMode, kModeAuto}, {kPartialLoadSize, 1000000}})) {
        std::printf("Korvid.exe did not write its settings; partial-load benchmark skipped\n");
        return;
    }
    std::vector<double> partial, complete;
    if (korvid.Start("\"" + huge + "\"") &&
        korvid.WaitForStatus("Partially Opened at ", NowMs()) >= 0) {
        for (int i = 0; i < runs; ++i)
            partial.push_back(korvid.CommandToStatus(kCmdReload, "Partially Opened at "));
    }
    if (korvid.Start("\"" + whole + "\"") && korvid.WaitForStatus("Opened at ", NowMs()) >= 0) {
        for (int i = 0; i < runs; ++i)
            complete.push_back(korvid.CommandToStatus(kCmdReload, "Opened at "));
    }
    korvid.End();
    DeleteFileA(huge.c_str());
    rows.push_back({"(b) partial load of a 4 GB file vs a 1 MB file", Median(partial),
                    Median(complete), "ms"});
}

// Sets or clears IMAGE_FILE_LARGE_ADDRESS_AWARE in a program's PE header.
bool SetLargeAddressAware(const std::string& exe, bool on) {
    std::string image = ReadBytes(exe);
    if (image.size() < 0x40)
        return false;
    uint32_t header = 0;
    std::memcpy(&header, &image[0x3C], 4);
    size_t at = static_cast<size_t>(header) + 22; // "PE\0\0", then the file header
    if (at + 2 > image.size() || image.compare(header, 4, std::string("PE\0\0", 4)) != 0)
        return false;
    uint16_t characteristics = 0;
    std::memcpy(&characteristics, &image[at], 2);
    characteristics = static_cast<uint16_t>(on ? characteristics | IMAGE_FILE_LARGE_ADDRESS_AWARE
                                               : characteristics & ~IMAGE_FILE_LARGE_ADDRESS_AWARE);
    std::memcpy(&image[at], &characteristics, 2);
    return WriteBytes(exe, image);
}

// Opens a file of `megabytes` MB in a fresh start of the program; true when
// the status says it was opened whole.
bool LoadsWhole(Korvid& korvid, const std::string& path, size_t megabytes) {
    WriteBytes(path, PlainText(megabytes * 1000000));
    double start = NowMs();
    bool started = korvid.Start("\"" + path + "\"");
    std::string status = started ? korvid.StatusAfterLoad() : std::string();
    bool whole = status.compare(0, 10, "Opened at ") == 0;
    Progress(std::to_string(megabytes) +
             " MB: " + (status.empty() ? std::string("program ended") : status) + " (" +
             std::to_string(static_cast<int>((NowMs() - start) / 1000)) + " s)");
    korvid.End();
    return whole;
}

// The largest size in MB that loads whole: doubling from 4 MB, then
// halving the step down to 1 MB.
size_t LargestWhole(Korvid& korvid, const std::string& path) {
    size_t good = 0, bad = 0;
    for (size_t mb = 4; bad == 0 && mb <= 512; mb *= 2)
        (LoadsWhole(korvid, path, mb) ? good : bad) = mb;
    while (bad > good + 1) {
        size_t middle = good + (bad - good) / 2;
        (LoadsWhole(korvid, path, middle) ? good : bad) = middle;
    }
    return good;
}

} // namespace

void RunLargeFileBenchmarks(const char* korvidExe) {
    if (korvidExe == nullptr || GetFileAttributesA(korvidExe) == INVALID_FILE_ATTRIBUTES) {
        std::printf("large-file benchmarks need the path of Korvid.exe\n");
        return;
    }
    std::string folder = BenchFolder();
    std::string path = folder + "large.txt";
    size_t largest[2] = {0, 0};
    for (bool aware : {false, true}) {
        Korvid korvid(korvidExe, folder + (aware ? "aware\\" : "plain\\"));
        if (!SetLargeAddressAware(korvid.ExePath(), aware) || !korvid.MakeDefaultSettings() ||
            !korvid.SetSettingsFields({{kPartialLoadMode, kModeOff}})) {
            std::printf("cannot prepare Korvid.exe; large-file benchmark skipped\n");
            return;
        }
        Progress(aware ? "large-address-aware:" : "large-address flag cleared:");
        largest[aware] = LargestWhole(korvid, path);
    }
    Korvid korvid(korvidExe, folder + "aware\\");
    Progress("100 MB, partial loading Off:");
    WriteBytes(path, PlainText(100000000));
    std::string status;
    bool answers = false;
    if (korvid.Start("\"" + path + "\"")) {
        status = korvid.StatusAfterLoad();
        // Still running and answering once the text is in.
        answers = korvid.Running() && !korvid.Status().empty();
    }
    korvid.End();
    DeleteFileA(path.c_str());

    std::printf("\nlargest plain text loaded whole (60-character lines, partial loading Off)\n");
    std::printf("  without the large-address flag   %4zu MB\n", largest[0]);
    std::printf("  large-address-aware (as built)   %4zu MB   (%.1fx)\n", largest[1],
                largest[0] > 0 ? static_cast<double>(largest[1]) / largest[0] : 0.0);
    std::printf("100 MB with partial loading Off: %s\n  \"%s\"\n",
                answers ? "the program runs and answers" : "THE PROGRAM DID NOT SURVIVE",
                status.c_str());
    std::fflush(stdout);
}

void RunUtf8Benchmarks(const char* korvidExe, int megabytes) {
    std::vector<Row> rows;
    BenchUtf8(korvidExe, BenchFolder(), static_cast<size_t>(megabytes) * 1000000, 3, rows);
    PrintTable(rows);
    DeleteFileA((BenchFolder() + "doc.txt").c_str());
}

void RunDocumentBenchmarks(const char* korvidExe) {
    if (korvidExe == nullptr || GetFileAttributesA(korvidExe) == INVALID_FILE_ATTRIBUTES) {
        std::printf("document benchmarks need the path of Korvid.exe\n");
        return;
    }
    LoadLibraryA("RichEd20.dll");
    std::string folder = BenchFolder();
    std::vector<Row> rows;
    BenchDocument(korvidExe, folder, 1000000, 5, true, rows);
    if (std::getenv("KORVID_BENCH_SKIP_10MB") == nullptr)
        BenchDocument(korvidExe, folder, 10000000, 3, true, rows);
    BenchPartialLoad(korvidExe, folder, 5, rows);
    BenchUtf8(korvidExe, folder, std::getenv("KORVID_BENCH_SKIP_10MB") ? 1000000 : 10000000, 3,
              rows);
    PrintTable(rows);
    DeleteFileA((folder + "doc.txt").c_str());
    DeleteFileA((folder + "whole.txt").c_str());
}
