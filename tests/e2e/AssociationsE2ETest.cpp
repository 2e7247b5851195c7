// File types as a user meets them: "Korvid.exe /s" makes the program open
// text files from the shell, "/x" gives the types back, and the File Types
// page sets them with real keys. The prefix's registry is put back after.
#include "tests/e2e/KorvidDriver.h"
#include "tests/shell/RegistrySnapshot.h"

#include <gtest/gtest.h>

#include <prsht.h>
#include <shellapi.h>

#include <string>

using namespace korvid_e2e;
using namespace classes_root;

namespace {

constexpr size_t kAssocTypeStates = 6082; // 14 x 32-bit actions
constexpr size_t kAssocAutoRefresh = 3594;

struct MainSearch {
    const char* title;
    HWND found;
    DWORD pid;
};

BOOL CALLBACK MatchKorvid(HWND window, LPARAM p) {
    auto* search = reinterpret_cast<MainSearch*>(p);
    char cls[32] = {}, text[64] = {};
    GetClassNameA(window, cls, sizeof cls);
    GetWindowTextA(window, text, sizeof text);
    if (strcmp(cls, "KorvidBox") == 0 && strcmp(text, search->title) == 0) {
        search->found = window;
        GetWindowThreadProcessId(window, &search->pid);
        return FALSE;
    }
    return TRUE;
}

// Settings with every type "UnChanged" but the ones given.
Bytes StatesFile(std::initializer_list<std::pair<int, int32_t>> states) {
    Bytes file = DefaultSettingsFile();
    for (int i = 0; i < 14; ++i)
        SetSettingsField(file, kAssocTypeStates + 4 * i, 5);
    for (const auto& [row, action] : states)
        SetSettingsField(file, kAssocTypeStates + 4 * row, action);
    return file;
}

TEST(AssociationsE2E, SlashSOpensTextFilesInKorvidAndSlashXGivesThemBack) {
    RegistrySnapshot snapshot;
    SetValue(".txt", "txtfile");
    SetValue(".htm", "htmlfile");
    KorvidApp app;
    // Text File "On", HTML "Edit Only".
    WriteFileBytes(app.SettingsPathInProgram(), StatesFile({{0, 1}, {4, 3}}));
    app.Start("/s");
    EXPECT_EQ(app.WaitForExit(), 0u);
    std::string command = "\"" + app.ProgramFolder() + "Korvid.exe\" \"%1\"";
    EXPECT_EQ(Value(".txt"), "Korvid.txtFile");
    EXPECT_EQ(Value("Korvid.txtFile\\shell\\Open\\Command"), command);
    EXPECT_EQ(Value(".htm"), "htmlfile");
    EXPECT_EQ(Value("htmlfile\\shell\\Korvid\\Command"), command);

    // The shell now opens a text file in the program.
    std::string document = app.ProgramFolder() + "opened by the shell.txt";
    WriteTextFile(document, "from the shell");
    HINSTANCE started =
        ShellExecuteA(nullptr, nullptr, document.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    ASSERT_GT(reinterpret_cast<INT_PTR>(started), 32);
    MainSearch search{"opened by the shell.txt", nullptr, 0};
    app.WaitUntil(
        [&] {
            EnumWindows(MatchKorvid, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        },
        "Korvid showing the document the shell opened");
    HANDLE opened = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, search.pid);
    PostMessageA(search.found, WM_CLOSE, 0, 0);
    if (opened != nullptr) {
        if (WaitForSingleObject(opened, kUiTimeout) != WAIT_OBJECT_0)
            TerminateProcess(opened, 1);
        CloseHandle(opened);
    }

    app.Start("/x");
    EXPECT_EQ(app.WaitForExit(), 0u);
    EXPECT_EQ(Value(".txt"), "txtfile");
    EXPECT_FALSE(KeyExists("htmlfile\\shell\\Korvid"));
    EXPECT_FALSE(KeyExists("*\\shell\\Open with Korvid"));
}

TEST(AssociationsE2E, TheFileTypesPageSetsTheNormalTypesWithRealKeys) {
    RegistrySnapshot snapshot;
    SetValue(".txt", "txtfile");
    SetValue(".rtf", "rtffile");
    KorvidApp app;
    WriteFileBytes(app.SettingsPathInProgram(), StatesFile({}));
    app.Start();
    app.WaitForEditor();
    HWND sheet = OpenOptions(app);
    for (int tab = 1; tab <= 4; ++tab)
        NextTab(app, sheet, tab); // View, Auto Save, Run, Font, File Types
    // Ctrl+Tab leaves the focus on the tabs, so the page's own letters work.
    HWND tabs = reinterpret_cast<HWND>(app.Send(sheet, PSM_GETTABCONTROL, 0, 0));
    EXPECT_EQ(FocusOf(sheet), tabs);
    app.PressKeysIn(sheet, "alt+o alt+s"); // "Norm", then "Set File Types"
    // The report comes once every key is written.
    app.WaitUntil(
        [&] {
            auto texts = app.StatusTexts();
            return texts.size() > 3 && texts[3] == "File types set, 0 keys not written";
        },
        "the report in the status bar");
    EXPECT_EQ(Value(".txt"), "Korvid.txtFile");
    EXPECT_EQ(Value("Korvid.txtFile\\DefaultIcon"), app.ProgramFolder() + "Korvid.exe,3");
    EXPECT_EQ(Value(".rtf"), "rtffile");
    EXPECT_EQ(Value("rtffile\\shell\\Korvid\\Command"),
              "\"" + app.ProgramFolder() + "Korvid.exe\" \"%1\"");

    // The choices were stored as they were made: Cancel still writes them.
    ASSERT_TRUE(DeleteFileA(app.SettingsPathInProgram().c_str()));
    app.PressKeysIn(sheet, "Escape");
    Bytes file = app.WaitForFile(app.SettingsPathInProgram(), kSettingsFileSize);
    EXPECT_EQ(GetSettingsField(file, kAssocTypeStates), 2);     // Text File: On & Use Icon
    EXPECT_EQ(GetSettingsField(file, kAssocTypeStates + 4), 3); // Rich Text: Edit Only
}

// "Auto": without the companion program beside it, the program sets the
// file types itself at every start, while the window is already open.
TEST(AssociationsE2E, AutoSetsTheFileTypesAtStartWithoutTheCompanion) {
    RegistrySnapshot snapshot;
    SetValue(".log", "txtfile");
    KorvidApp app;
    Bytes settings = StatesFile({{11, 1}});
    SetSettingsField(settings, kAssocAutoRefresh, 1);
    WriteFileBytes(app.SettingsPathInProgram(), settings);
    app.Start();
    app.WaitForEditor();
    app.WaitUntil([&] { return Value(".log") == "Korvid.logFile"; }, "\".log\" to be set");
    EXPECT_EQ(Value("Korvid.logFile"), "Log File");
}

} // namespace
