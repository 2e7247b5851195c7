// Run buttons, File Info, the user lists and printing as a user meets them
// in the real program. Started programs are the test probe, which logs its
// arguments, current folder and show state.
#include "tests/e2e/KorvidDriver.h"
#include "tests/tools/ProbeLog.h"

#include <gtest/gtest.h>

#include <richedit.h>

#include <cstring>
#include <string>
#include <vector>

using namespace korvid_e2e;

namespace {

constexpr size_t kRunFileA = 56;
constexpr size_t kRunParamA = 956;
constexpr size_t kRunSpecialA = 3566;
constexpr size_t kPrintProgram = 4954;
constexpr int kCmdRunA = 15;

// IDC_INFO_* of the File Info dialog.
constexpr int kInfoSize = 1002, kInfoType = 1004, kInfoCharacters = 3008, kInfoLetters = 1001,
              kInfoSpaces = 3006, kInfoSymbols = 3007, kInfoWords = 3002, kInfoLines = 3003,
              kInfoSentences = 3004, kInfoAvgWord = 3009, kInfoAvgSentence = 3010;

// The probe copied into the program folder, logging beside it.
class Probe {
  public:
    explicit Probe(const KorvidApp& app) : log_(app.ProgramFolder() + "probe.log") {
        std::string built = KorvidExePath();
        built = built.substr(0, built.rfind('\\') + 1) + "korvid_run_probe.exe";
        path_ = app.ProgramFolder() + "korvid_run_probe.exe";
        if (!CopyFileA(built.c_str(), path_.c_str(), FALSE))
            ADD_FAILURE() << "cannot copy " << built;
        SetEnvironmentVariableA("KORVID_PROBE_LOG", log_.c_str());
    }
    ~Probe() { SetEnvironmentVariableA("KORVID_PROBE_LOG", nullptr); }
    const std::string& Path() const { return path_; }

    std::vector<ProbeStart> WaitForStarts(KorvidApp& app, size_t count) {
        std::vector<ProbeStart> starts;
        app.WaitUntil(
            [&] {
                Bytes bytes;
                starts.clear();
                if (!TryReadFileBytes(log_, bytes))
                    return false;
                starts = ParseProbeLog(std::string(bytes.begin(), bytes.end()));
                return starts.size() >= count;
            },
            std::to_string(count) + " start(s) of the probe");
        return starts;
    }

  private:
    std::string log_;
    std::string path_;
};

TEST(RunInfoE2E, RunAFromTheToolbarStartsItsProgramWithTheFileNameInItsFolder) {
    KorvidApp app;
    Probe probe(app);
    std::string folder = app.ProgramFolder() + "t\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    WriteTextFile(folder + "a.txt", "some text");
    Bytes settings = DefaultSettingsFile();
    SetSettingsText(settings, kRunFileA, 300, probe.Path());
    SetSettingsText(settings, kRunParamA, 270, "??");
    SetSettingsField(settings, kRunSpecialA, 1);
    WriteFileBytes(app.SettingsPathInProgram(), settings);
    app.Start(Quote(folder + "a.txt"));
    app.WaitForEditor();

    app.Click(app.Toolbar(), Centre(app.ToolbarButtonRect(kCmdRunA)));
    auto starts = probe.WaitForStarts(app, 1);
    EXPECT_EQ(starts[0].arguments, "a.txt ");
    EXPECT_EQ(_stricmp(starts[0].folder.c_str(), folder.substr(0, folder.size() - 1).c_str()), 0)
        << starts[0].folder;
    EXPECT_EQ(starts[0].show, SW_SHOWNORMAL);
}

TEST(RunInfoE2E, FileInfoFromTheMenuCountsTheSavedFileAndClosesWithEnter) {
    KorvidApp app;
    std::string path = app.ProgramFolder() + "hello.txt";
    WriteTextFile(path, "Hello world.");
    app.Start(Quote(path));
    HWND editor = app.WaitForEditor();
    app.PressKeys("ctrl+End");
    app.TypeText(" More words, not saved.");
    app.WaitUntil([&] { return app.Send(editor, EM_GETMODIFY, 0, 0) != 0; }, "the edit");

    app.Click(editor, EditorPoint(app), 3);
    app.WaitForPopupMenu();
    app.PressKeys("Up Up Up Return"); // Exit, New Instance, File Info
    HWND info = WaitForOwnWindow(app, "#32770", "File Info");
    app.WaitUntil([&] { return !ItemText(app, info, kInfoAvgSentence).empty(); },
                  "the counts of File Info");
    EXPECT_EQ(ItemText(app, info, kInfoSize), "12");
    EXPECT_EQ(ItemText(app, info, kInfoType), "Text");
    EXPECT_EQ(ItemText(app, info, kInfoLetters), "10");
    EXPECT_EQ(ItemText(app, info, kInfoSpaces), "1");
    EXPECT_EQ(ItemText(app, info, kInfoSymbols), "1");
    EXPECT_EQ(ItemText(app, info, kInfoCharacters), "12");
    EXPECT_EQ(ItemText(app, info, kInfoWords), "2");
    EXPECT_EQ(ItemText(app, info, kInfoLines), "1");
    EXPECT_EQ(ItemText(app, info, kInfoSentences), "1");
    EXPECT_EQ(ItemText(app, info, kInfoAvgWord), "5");
    EXPECT_EQ(ItemText(app, info, kInfoAvgSentence), "2");

    app.PressKeysIn(info, "Return"); // "Close" is the default button
    app.WaitUntil([&] { return !IsWindow(info); }, "File Info to close");
    EXPECT_NE(app.Send(editor, EM_GETMODIFY, 0, 0), 0);
}

struct MenuCount {
    DWORD pid;
    int menus;
};

BOOL CALLBACK CountMenu(HWND window, LPARAM p) {
    auto* count = reinterpret_cast<MenuCount*>(p);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char cls[16] = {};
    GetClassNameA(window, cls, sizeof cls);
    if (pid == count->pid && IsWindowVisible(window) && strcmp(cls, "#32768") == 0)
        ++count->menus;
    return TRUE;
}

// The program's open menus: 2 while a submenu is open.
int VisibleMenus(const KorvidApp& app) {
    MenuCount count = {app.ProcessId(), 0};
    EnumWindows(CountMenu, reinterpret_cast<LPARAM>(&count));
    return count.menus;
}

// Opens the context menu, goes down to its item number `item` and opens
// that submenu. The lists arrive from the start-up thread: until they have,
// the item is no submenu, so the menu is closed and opened again.
void OpenSubmenu(KorvidApp& app, int item) {
    std::string keys;
    for (int i = 0; i < item; ++i)
        keys += "Down ";
    for (int attempt = 0;; ++attempt) {
        app.Click(app.Editor(), EditorPoint(app), 3);
        app.WaitForPopupMenu();
        app.PressKeys(keys + "Right");
        DWORD start = GetTickCount();
        while (VisibleMenus(app) < 2 && GetTickCount() - start < 1500)
            Sleep(10);
        if (VisibleMenus(app) >= 2)
            return;
        ASSERT_LT(attempt, 5) << "item " << item << " never opened a submenu";
        app.PressKeys("Escape Escape");
        app.WaitForNoPopupMenu();
    }
}

// The lists come from the copy of "KorvWord.txt" made in the data folder on
// the first start; the menu inserts a text and starts a command, and Print
// hands a quiet copy to the print program.
TEST(RunInfoE2E, UserListsFromTheFirstStartsCopyAndPrintFromTheMenu) {
    KorvidApp app(true);
    Probe probe(app);
    const std::string lists =
        "# the probe and two texts\r\n*run\r\nProbe\r\nkorvid_run_probe.exe\r\n"
        "*ins\r\nKind regards\r\nBest wishes\r\n";
    WriteTextFile(app.ProgramFolder() + "KorvWord.txt", lists);
    Bytes settings = DefaultSettingsFile();
    SetSettingsText(settings, kPrintProgram, 600, probe.Path());
    MakeFolders(app.DataFolder());
    WriteFileBytes(app.SettingsPathInData(), settings);
    app.Start();
    HWND editor = app.WaitForEditor();
    Bytes copy = app.WaitForFile(app.DataFolder() + "KorvWord.txt", lists.size());
    EXPECT_EQ(std::string(copy.begin(), copy.end()), lists);

    // New, Save, Save As, Open, Print, Undo, Copy, Cut, Paste, Delete,
    // Select All, Run File, Insert Text.
    OpenSubmenu(app, 13);
    app.PressKeys("Down Return");
    app.WaitForEditorText("Best wishes");
    OpenSubmenu(app, 12);
    app.PressKeys("Return");
    auto starts = probe.WaitForStarts(app, 1);
    EXPECT_EQ(starts[0].arguments, "");
    EXPECT_EQ(starts[0].show, SW_SHOWNORMAL);

    app.Click(editor, EditorPoint(app), 3);
    app.WaitForPopupMenu();
    app.PressKeys("p"); // &Print comes before &Paste
    starts = probe.WaitForStarts(app, 2);
    std::string printCopy = app.DataFolder() + "Korvid.txt";
    EXPECT_EQ(starts[1].arguments, "/p \"" + printCopy + "\"");
    EXPECT_EQ(starts[1].show, SW_HIDE);
    Bytes printed = ReadFileBytes(printCopy);
    EXPECT_EQ(std::string(printed.begin(), printed.end()), "Best wishes");
    EXPECT_EQ(app.Title(), "Untitled");
    EXPECT_NE(app.Send(editor, EM_GETMODIFY, 0, 0), 0);
}

} // namespace
