// A typed character's latency in a large document, in this process, on a
// main window of the program's own procedure: key down, character and key
// up sent to the editor, then whatever they left in the queue run, timed
// together. Cases, on one 10 MB document (60-character lines) with the caret
// in its middle:
//   - status bar on and off, keys one after another (a fast typist or a
//     held key), the two taking turns key by key: the goal is on / off
//     <= 1.1, the line and column costing the keystroke at most a tenth of
//     the control's own cost;
//   - status bar on, a key every 150 ms: the status is brought up to date
//     between keys;
// and then whether the status shows the caret's place once input rests,
// and what that one update costs.
//   korvid_win_bench.exe typing [megabytes]   (default 10; minutes to load)
#include "BenchSupport.h"
#include "app/AppState.h"
#include "app/Bars.h"
#include "app/Editor.h"
#include "app/MainWindow.h"
#include "document/Autosave.h"
#include "document/DocumentState.h"
#include "document/Notify.h"
#include "settings/SettingsFile.h"
#include "text/TextRoutines.h"

#include <commctrl.h>
#include <richedit.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

void RunTypingBenchmarks(int megabytes);

namespace {

using bench::FromSource;
using bench::Median;
using bench::NowMs;
using bench::Source;

constexpr int kKeys = 40;

// Runs what is in this thread's queue now (timers that are due included).
void Drain() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        if (msg.message != WM_QUIT)
            DispatchMessageA(&msg);
}

// Runs this thread's messages until `done` holds or `ms` passes.
bool PumpFor(
    double ms, const std::function<bool()>& done = [] { return false; }) {
    double end = NowMs() + ms;
    while (!done()) {
        if (NowMs() > end)
            return false;
        Drain();
        if (!done())
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
    }
    return true;
}

std::string Document(size_t bytes) {
    std::string text;
    text.reserve(bytes + 64);
    char line[80];
    for (int i = 0; text.size() < bytes; ++i) {
        std::snprintf(line, sizeof line, "%08d the quick brown fox jumps over the lazy dog ...\r\n",
                      i);
        text += line;
    }
    return text;
}

// One character typed as the keyboard gives it, and the queue run dry.
double TypeKey(HWND editor, char c) {
    double start = NowMs();
    WPARAM key = static_cast<WPARAM>(c - 'a' + 'A');
    SendMessageA(editor, WM_KEYDOWN, key, 1);
    SendMessageA(editor, WM_CHAR, static_cast<WPARAM>(c), 1);
    SendMessageA(editor, WM_KEYUP, key, 0xC0000001);
    Drain();
    return NowMs() - start;
}

std::string Status0() {
    char text[256] = "";
    if (app.statusBar != nullptr &&
        LOWORD(SendMessageA(app.statusBar, SB_GETTEXTLENGTHA, 0, 0)) < sizeof text)
        SendMessageA(app.statusBar, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
    return text;
}

// The first part of the status as it should read now (the line and column
// asked of the control outside any timing).
std::string ExpectedPlace(HWND editor) {
    CHARRANGE range = {0, 0};
    SendMessageA(editor, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    LRESULT line = SendMessageA(editor, EM_EXLINEFROMCHAR, 0, range.cpMin);
    LRESULT start = SendMessageA(editor, EM_LINEINDEX, line, 0);
    char text[64];
    std::snprintf(text, sizeof text, "Ln %ld of ", static_cast<long>(line + 1));
    std::string s = text;
    std::snprintf(text, sizeof text, ", Cm %ld of ", static_cast<long>(range.cpMin - start));
    return s + "|" + text;
}

bool StatusShowsPlace(HWND editor) {
    std::string want = ExpectedPlace(editor), now = Status0();
    size_t bar = want.find('|');
    return now.compare(0, bar, want, 0, bar) == 0 && now.find(want.substr(bar + 1)) != now.npos;
}

struct Case {
    std::vector<double> times;
    double Worst() const {
        double w = 0;
        for (double t : times)
            w = std::max(w, t);
        return w;
    }
};

void Row(const char* what, const Case& c) {
    std::printf("%-44s %9.2f ms %9.2f ms  (%zu keys)\n", what, Median(c.times), c.Worst(),
                c.times.size());
}

} // namespace

void OpenBenchWindow(); // ToolsWinBench.cpp

void RunTypingBenchmarks(int megabytes) {
    InitCommonControls();
    OpenBenchWindow();
    settings.StatusBarEnabled = 1;
    settings.ToolbarEnabled = 0;
    SetForegroundWindow(app.mainWindow);
    CreateBars();
    CreateEditor(app.mainWindow);
    RelayoutMainWindow();

    std::string text = Document(static_cast<size_t>(megabytes) * 1024 * 1024);
    std::printf("\nTyping in a %zu-byte document: streaming it in ...\n", text.size());
    std::fflush(stdout);
    double loadStart = NowMs();
    Source source = {&text, 0};
    EDITSTREAM request = {reinterpret_cast<DWORD_PTR>(&source), 0, FromSource};
    SendMessageA(app.editorWindow, EM_STREAMIN, SF_TEXT, reinterpret_cast<LPARAM>(&request));
    UpdateWindow(app.editorWindow);
    PumpFor(200);
    std::printf("  loaded in %.1f s\n", (NowMs() - loadStart) / 1000);
    HWND editor = app.editorWindow;
    LONG middle = static_cast<LONG>(text.size() / 2);
    CHARRANGE at = {middle, middle};
    SendMessageA(editor, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&at));
    SendMessageA(editor, EM_SCROLLCARET, 0, 0);
    PumpFor(200);

    // The two back-to-back cases take turns key by key, so they share the
    // machine's moods; the paced keys come after them.
    Case on, off, paced;
    for (int i = 0; i < kKeys; ++i) {
        settings.StatusBarEnabled = 1;
        on.times.push_back(TypeKey(editor, static_cast<char>('a' + i % 26)));
        settings.StatusBarEnabled = 0;
        off.times.push_back(TypeKey(editor, static_cast<char>('a' + i % 26)));
    }
    settings.StatusBarEnabled = 1;
    PumpFor(300);
    for (int i = 0; i < kKeys; ++i) {
        paced.times.push_back(TypeKey(editor, static_cast<char>('a' + i % 26)));
        PumpFor(150);
    }

    // Once input rests the status shows the caret's place.
    settings.StatusBarEnabled = 1;
    for (int i = 0; i < 5; ++i)
        TypeKey(editor, 'x');
    double restStart = NowMs();
    bool current = PumpFor(5000, [&] { return StatusShowsPlace(editor); });
    double rest = NowMs() - restStart;
    Case update;
    for (int i = 0; i < 10; ++i) {
        double start = NowMs();
        UpdateStatusBar();
        update.times.push_back(NowMs() - start);
    }

    double ratio = Median(on.times) / Median(off.times);
    std::printf("%-44s %12s %12s\n", "", "median", "worst");
    Row("key, status bar on", on);
    Row("key, status bar off", off);
    Row("key every 150 ms, status bar on", paced);
    Row("one line-and-column update (UpdateStatusBar)", update);
    std::printf("on / off (medians)                           %9.2f     goal <= 1.1: %s\n", ratio,
                ratio <= 1.1 ? "met" : "NOT MET");
    std::printf("status current once input rests: %s (after %.0f ms)\n", current ? "yes" : "NO",
                rest);

    DestroyWindow(app.mainWindow);
    PumpFor(50);
}
