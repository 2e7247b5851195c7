// Window-side benchmarks, run under Wine by scripts/bench.sh: the settings
// file on disk, moving text between files and the rich-edit control, and
// the time from starting Korvid.exe to its main window.
#include "BenchSupport.h"
#include "app/AppState.h"
#include "app/Editor.h"
#include "document/DocumentState.h"
#include "document/Load.h"
#include "document/Recovery.h"
#include "resource.h"
#include "document/Save.h"
#include "settings/SettingsFile.h"
#include "text/TextRoutines.h"

#include <richedit.h>

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

// Median wall time of `runs` calls, in milliseconds.
double MedianMs(int runs, const std::function<void()>& body) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        double start = bench::NowMs();
        body();
        times.push_back(bench::NowMs() - start);
    }
    return bench::Median(times);
}

std::string Folder() {
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    std::string folder = std::string(base) + "korvid-bench\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

void WriteText(const std::string& path, std::size_t bytes) {
    std::string text;
    const char* line = "The quick brown fox jumps over the lazy dog; 0123456789.\r\n";
    while (text.size() < bytes)
        text += line;
    text.resize(bytes);
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD done = 0;
    WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &done, nullptr);
    CloseHandle(f);
}

void BenchSettings(const std::string& folder) {
    TextCopy(folder.c_str(), app.dataFolder);
    TextCopy(folder.c_str(), app.programFolder);
    RestoreDefaultSettings();
    double save = MedianMs(50, [] { SaveSettings(); });
    double load = MedianMs(50, [] { LoadSettings(); });
    std::printf("settings save (temp file, flush, replace)  %8.3f ms\n", save);
    std::printf("settings load                              %8.3f ms\n", load);
}

void BenchTransfer(const std::string& folder) {
    LoadLibraryA("RichEd20.dll");
    settings.PartialLoadMode = 0; // whole, without the large-file question
    for (std::size_t kb : {256, 1024, 2048}) {
        std::string in = folder + "in.txt", out = folder + "out.txt";
        WriteText(in, kb * 1024);
        double load = MedianMs(3, [&] {
            HWND editor = CreateWindowExA(0, "RichEdit20A", "", WS_POPUP | ES_MULTILINE, 0, 0, 400,
                                          300, nullptr, nullptr, nullptr, nullptr);
            SendMessageA(editor, EM_EXLIMITTEXT, 0, static_cast<LPARAM>(0xFFFFFFFF));
            LoadDocumentFile(editor, in.c_str());
            DestroyWindow(editor);
        });
        HWND editor = CreateWindowExA(0, "RichEdit20A", "", WS_POPUP | ES_MULTILINE, 0, 0, 400, 300,
                                      nullptr, nullptr, nullptr, nullptr);
        SendMessageA(editor, EM_EXLIMITTEXT, 0, static_cast<LPARAM>(0xFFFFFFFF));
        LoadDocumentFile(editor, in.c_str());
        double save = MedianMs(5, [&] { SaveDocumentFile(editor, out.c_str()); });
        DestroyWindow(editor);
        std::printf("plain text %5zu KB: load %9.1f ms, save %7.1f ms\n", kb, load, save);
    }
}

DWORD CALLBACK FromString(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* got) {
    auto* source = reinterpret_cast<std::pair<const std::string*, std::size_t>*>(cookie);
    std::size_t n = std::min(source->first->size() - source->second, std::size_t(wanted));
    std::memcpy(buffer, source->first->data() + source->second, n);
    source->second += n;
    *got = static_cast<LONG>(n);
    return 0;
}

// Median and worst of 40 typed characters, each sent and waited for.
std::pair<double, double> Keystrokes(HWND editor) {
    std::vector<double> times;
    for (int i = 0; i < 40; ++i) {
        double start = bench::NowMs();
        SendMessageA(editor, WM_CHAR, 'x', 1);
        times.push_back(bench::NowMs() - start);
    }
    return {bench::Median(times), *std::max_element(times.begin(), times.end())};
}

// The copy of unsaved text: the part the interface thread spends taking
// the text out of the control, the whole copy (taken and written), and
// typing while the write goes on against typing without one.
void BenchRecoveryCopy(const std::string& folder) {
    LoadLibraryA("RichEd20.dll");
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "KorvidRecoveryBench";
    RegisterClassA(&wc);
    TextCopy(folder.c_str(), app.dataFolder);
    app.wordWrap = 0;
    app.mainWindow = CreateWindowExA(0, wc.lpszClassName, "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                                     0, 800, 600, nullptr, nullptr, wc.hInstance, nullptr);
    std::vector<std::size_t> sizes = {1};
    if (std::getenv("KORVID_BENCH_SKIP_10MB") == nullptr)
        sizes.push_back(10);
    for (std::size_t mb : sizes) {
        std::string text;
        const char* line = "The quick brown fox jumps over the lazy dog; 0123456789.\r\n";
        while (text.size() < mb * 1000000)
            text += line;
        CreateEditor(app.mainWindow);
        MoveWindow(app.editorWindow, 0, 0, 780, 560, TRUE);
        std::pair<const std::string*, std::size_t> source = {&text, 0};
        EDITSTREAM request = {reinterpret_cast<DWORD_PTR>(&source), 0, FromString};
        SendMessageA(app.editorWindow, EM_STREAMIN, SF_TEXT, reinterpret_cast<LPARAM>(&request));
        SendMessageA(app.editorWindow, EM_SETMODIFY, TRUE, 0);
        UpdateWindow(app.editorWindow);
        auto idle = Keystrokes(app.editorWindow);
        double start = bench::NowMs();
        OnRecoveryTimer(app.mainWindow, TIMER_RECOVERY_PAUSE); // the pause after typing
        double taken = bench::NowMs() - start;
        auto during = Keystrokes(app.editorWindow);
        double whole = MedianMs(3, [] { WriteRecoveryCopyNow(); });
        std::printf("recovery copy %2zu MB: interface thread %6.1f ms, whole copy %7.1f ms; "
                    "a key: idle %5.2f / %5.2f ms, during the write %5.2f / %5.2f ms "
                    "(median / worst)\n",
                    mb, taken, whole, idle.first, idle.second, during.first, during.second);
        EndRecovery();
        DestroyWindow(app.editorWindow);
        app.editorWindow = nullptr;
    }
    DestroyWindow(app.mainWindow);
    app.mainWindow = nullptr;
}

void BenchStartup(const char* exe) {
    double ms = MedianMs(5, [exe] {
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        std::string line = std::string("\"") + exe + "\"";
        if (!CreateProcessA(exe, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
            return;
        WaitForInputIdle(pi.hProcess, 10000);
        HWND found = nullptr;
        for (int i = 0; i < 1000 && found == nullptr; ++i) {
            found = FindWindowA("KorvidBox", nullptr);
            if (found == nullptr)
                Sleep(1);
        }
        TerminateProcess(pi.hProcess, 0);
        WaitForSingleObject(pi.hProcess, 10000);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    });
    std::printf("start to main window                       %8.1f ms\n", ms);
}

} // namespace

void RunDocumentBenchmarks(const char* korvidExe);
void RunUtf8Benchmarks(const char* korvidExe, int megabytes);
void RunLargeFileBenchmarks(const char* korvidExe);
void RunToolsBenchmarks();
void RunSelectionBenchmarks();
void RunTypingBenchmarks(int megabytes);

// "tools" alone runs only the editing-tool benchmarks, which need no
// Korvid.exe and take seconds rather than minutes; "selection" only the
// large-selection benchmarks (a minute or two); "memory KORVID_EXE" only
// the large-file benchmark, which takes many minutes.
int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "selection") {
        RunSelectionBenchmarks();
        return 0;
    }
    if (argc > 1 && std::string(argv[1]) == "tools") {
        RunToolsBenchmarks();
        return 0;
    }
    if (argc > 1 && std::string(argv[1]) == "typing") {
        RunTypingBenchmarks(argc > 2 ? std::atoi(argv[2]) : 10);
        return 0;
    }
    if (argc > 1 && std::string(argv[1]) == "recovery") {
        BenchRecoveryCopy(Folder());
        return 0;
    }
    if (argc > 2 && std::string(argv[1]) == "utf8") {
        RunUtf8Benchmarks(argv[2], argc > 3 ? std::atoi(argv[3]) : 10);
        return 0;
    }
    if (argc > 2 && std::string(argv[1]) == "memory") {
        RunLargeFileBenchmarks(argv[2]);
        return 0;
    }
    std::string folder = Folder();
    BenchSettings(folder);
    BenchTransfer(folder);
    BenchRecoveryCopy(folder);
    if (argc > 1) {
        BenchStartup(argv[1]);
        RunDocumentBenchmarks(argv[1]);
        RunLargeFileBenchmarks(argv[1]);
    }
    RunToolsBenchmarks();
    return 0;
}
