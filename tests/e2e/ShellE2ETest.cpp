// File types as a user meets them: "Korvid.exe /s" makes the shell open
// text files in the program, any switch that begins with "/x" gives the
// types back, and "Auto" sets them at every start. The prefix's registry is
// put back afterwards.
#include "tests/e2e/KorvidDriver.h"
#include "tests/shell/RegistrySnapshot.h"

#include <gtest/gtest.h>

#include <shellapi.h>

using namespace korvid_e2e;
using namespace classes_root;

namespace {

// Settings with every type "UnChanged" (5) but the rows given.
Bytes StatesFile(std::initializer_list<std::pair<int, int32_t>> states, int32_t autoRefresh) {
    Bytes file = DefaultSettingsFile();
    const size_t rows = KORVID_FIELD(AssocTypeStates);
    for (int row = 0; row < 14; ++row)
        SetSettingsField(file, rows + 4 * row, 5);
    for (const auto& [row, action] : states)
        SetSettingsField(file, rows + 4 * row, action);
    SetSettingsField(file, KORVID_FIELD(AssocAutoRefresh), autoRefresh);
    return file;
}

} // namespace

TEST(ShellE2E, SlashSOpensTextFilesInKorvidSlashXGivesThemBackAutoSetsThemAtStart) {
    RegistrySnapshot snapshot;
    SetValue(".txt", "txtfile");
    SetValue(".htm", "htmlfile");
    SetValue(".log", "txtfile");
    KorvidApp app;
    // Text File "On", HTML "Edit Only".
    WriteFileBytes(app.SettingsPathInProgram(), StatesFile({{0, 1}, {4, 3}}, 0));
    app.Start("/s");
    EXPECT_EQ(app.WaitForExit(), 0u);
    const std::string command = Quote(app.ProgramFolder() + "Korvid.exe") + " \"%1\"";
    EXPECT_EQ(Value(".txt"), "Korvid.txtFile");
    EXPECT_EQ(Value("Korvid.txtFile\\shell\\Open\\Command"), command);
    EXPECT_EQ(Value(".htm"), "htmlfile");
    EXPECT_EQ(Value("htmlfile\\shell\\Korvid\\Command"), command);

    // The shell now opens a text file in the program.
    const std::string document = app.ProgramFolder() + "opened by the shell.txt";
    WriteTextFile(document, "from the shell");
    ASSERT_GT(reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, nullptr, document.c_str(), nullptr,
                                                      nullptr, SW_SHOWNORMAL)),
              32);
    HWND opened = nullptr;
    app.WaitUntil(
        [&] {
            return (opened = FindTopWindow(0, "KorvidBox", "opened by the shell.txt")) != nullptr;
        },
        "Korvid showing the document the shell opened");
    DWORD pid = 0;
    GetWindowThreadProcessId(opened, &pid);
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
    PostMessageA(opened, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(process, kExitTimeout), WAIT_OBJECT_0);
    CloseHandle(process);

    app.Start("/xyz");
    EXPECT_EQ(app.WaitForExit(), 0u);
    EXPECT_EQ(Value(".txt"), "txtfile");
    EXPECT_FALSE(KeyExists("htmlfile\\shell\\Korvid"));

    // "Auto" for Log File: set at start, while the window is already open.
    WriteFileBytes(app.SettingsPathInProgram(), StatesFile({{11, 1}}, 1));
    app.Start();
    app.WaitForEditor();
    app.WaitUntil([&] { return Value(".log") == "Korvid.logFile"; }, "\".log\" to be set");
}
