// Start-up and shut-down of the real Korvid.exe: the command line and its
// file-type switches, the first run, where the settings file goes, the
// record written back on the way out and a placement from a screen that is
// gone. The prefix's registry is put back after the file-type test.
#include "tests/e2e/KorvidDriver.h"
#include "tests/shell/RegistrySnapshot.h"
#include "version.h"

#include <gtest/gtest.h>

#include <shellapi.h>

#include <algorithm>
#include <cstring>

using namespace korvid_e2e;
using namespace classes_root;

// A file named on the command line that is not there yet starts empty
// under its name, and the first save creates it.
TEST(CommandLineE2E, AnOverlongArgumentStartsUntitledAndANamedFileOpens) {
    KorvidApp app;
    const std::string path = app.ProgramFolder() + "named.txt";
    WriteTextFile(path, "from the command line");
    for (auto [arguments, title, status] :
         {std::make_tuple(std::string(700, 'k'), "Untitled", KORVID_NAME_AND_VERSION),
          std::make_tuple(Quote(path), "named.txt", "Opened at 21 bytes"),
          std::make_tuple(Quote(app.ProgramFolder() + "new.txt"), "new.txt",
                          KORVID_NAME_AND_VERSION)}) {
        app.Start(arguments);
        app.WaitForEditor();
        app.WaitForStatus(status);
        EXPECT_EQ(app.Title(), title);
        EXPECT_EQ(app.EditorText(), title[1] == 'a' ? "from the command line" : "");
        app.ExpectNoNotification();
        if (title == std::string("new.txt")) {
            app.TypeText("typed");
            app.PressKeys("ctrl+s");
            app.WaitForStatus("Saved at 5 bytes");
            EXPECT_EQ(ReadFileBytes(app.ProgramFolder() + "new.txt"), ToBytes("typed"));
        }
        app.Close();
        app.WaitForExit();
    }
}

// "/s" makes the shell open text files in the program, any switch that
// begins with "/x" gives the types back, "Auto" sets them at every start.
TEST(CommandLineE2E, SlashSOpensTextFilesInKorvidSlashXGivesThemBackAutoSetsThemAtStart) {
    RegistrySnapshot snapshot;
    SetValue(".txt", "txtfile");
    SetValue(".htm", "htmlfile");
    SetValue(".log", "txtfile");
    KorvidApp app;
    // Every type "UnChanged" (5) but Text File "On" (1), HTML "Edit Only" (3).
    Bytes settings = DefaultSettingsFile();
    for (int row = 0; row < 14; ++row)
        SetSettingsField(settings, KORVID_FIELD(AssocTypeStates) + 4 * row,
                         row == 0   ? 1
                         : row == 4 ? 3
                                    : 5);
    WriteFileBytes(app.SettingsPathInProgram(), settings);
    app.Start("/s");
    EXPECT_EQ(app.WaitForExit(), 0u);
    const std::string command = Quote(app.ProgramFolder() + "Korvid.exe") + " \"%1\"";
    EXPECT_EQ(Value(".txt"), "Korvid.txtFile");
    EXPECT_EQ(Value("Korvid.txtFile\\shell\\Open\\Command"), command);
    EXPECT_EQ(Value(".htm"), "htmlfile");
    EXPECT_EQ(Value("htmlfile\\shell\\Korvid\\Command"), command);

    const std::string document = app.ProgramFolder() + "opened by the shell.txt";
    WriteTextFile(document, "from the shell");
    ShellExecuteA(nullptr, nullptr, document.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    HWND opened = nullptr;
    app.WaitUntil(
        [&] { return (opened = FindTopWindow(0, "KorvidBox", "opened by the shell.txt")); },
        "Korvid showing the document the shell opened");
    DWORD pid = 0;
    GetWindowThreadProcessId(opened, &pid);
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    PostMessageA(opened, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(process, kExitTimeout), WAIT_OBJECT_0);
    CloseHandle(process);

    app.Start("/xyz");
    EXPECT_EQ(app.WaitForExit(), 0u);
    EXPECT_EQ(Value(".txt"), "txtfile");
    EXPECT_FALSE(KeyExists("htmlfile\\shell\\Korvid"));

    // Log File (row 11) "On" with "Auto": set while the window is open.
    SetSettingsField(settings, KORVID_FIELD(AssocTypeStates) + 4 * 11, 1);
    SetSettingsField(settings, KORVID_FIELD(AssocAutoRefresh), 1);
    WriteFileBytes(app.SettingsPathInProgram(), settings);
    app.Start();
    app.WaitForEditor();
    app.WaitUntil([&] { return Value(".log") == "Korvid.logFile"; }, "\".log\" to be set");
}

// Data beside the program: no greeting, no file before the first save
// occasion. Data in the profile: the greeting before the main window, and
// its answer writes the defaults there; the next start does not greet.
TEST(FirstRunE2E, TheGreetingComesFirstAndTheSettingsGoWhereTheyBelong) {
    for (bool profile : {false, true}) {
        KorvidApp app(profile);
        app.Start();
        if (profile) {
            Notification greeting = app.WaitForNotification();
            EXPECT_EQ(greeting.message.rfind("Thanks for trying Korvid.", 0), 0u);
            EXPECT_EQ(app.FindMainWindow(), nullptr) << "the main window came first";
            EXPECT_FALSE(FileExists(app.SettingsPathInData())) << "written before the answer";
            app.Answer(greeting, kFirst);
        }
        app.WaitForEditor();
        EXPECT_NE(FileExists(app.SettingsPathInData()), !profile);
        app.PostCommand(IDM_FONT_GROUP3); // a save occasion
        app.WaitUntil([&] { return FileExists(app.SettingsPathInData()); }, "the settings file");
        app.Close();
        app.WaitForExit();
        Bytes file = ReadFileBytes(app.SettingsPathInData());
        ASSERT_EQ(file.size(), kSettingsFileSize);
        EXPECT_EQ(GetSettingsField(file, KORVID_FIELD(CurrentFontGroup)), 2);
        for (size_t offset : {KORVID_FIELD(WordWrap), KORVID_FIELD(PartialLoadSize),
                              KORVID_FIELD(LabelsMax), KORVID_FIELD(ExitSave)})
            EXPECT_EQ(GetSettingsField(file, offset),
                      GetSettingsField(DefaultSettingsFile(), offset));
        EXPECT_EQ(FileExists(app.SettingsPathInProgram()), !profile);
        app.Start();
        app.WaitForEditor(); // fails at once on a greeting
    }
}

// While "Exit Save" is on, the close box and Escape ("Esc Exit") write the
// record back byte for byte, reserved bytes and bytes behind a text's
// terminator too; the Exit command never does. The file is deleted once the
// program runs, so a file seen after the end was written on the way out.
// With data in the profile a file beside the program is read and the
// record goes to the profile.
TEST(ExitSaveE2E, OnlyTheCloseBoxAndEscapeWriteTheRecordBackByteForByte) {
    enum How { CloseBox, ExitCommand, Escape };
    struct Case {
        How how;
        int32_t exitSave;
        bool profile, written;
    } cases[] = {{CloseBox, 1, false, true},
                 {ExitCommand, 1, false, false},
                 {CloseBox, 0, false, false},
                 {Escape, 1, false, true},
                 {CloseBox, 1, true, true}};
    for (Case c : cases) {
        SCOPED_TRACE(std::to_string(c.how) + " " + std::to_string(c.exitSave) +
                     (c.profile ? " profile" : ""));
        Bytes known = DefaultSettingsFile();
        for (Field field : {Field{KORVID_FIELD(ExitSave), c.exitSave},
                            {KORVID_FIELD(WindowSizeMode), 1}, // no placement captured
                            {KORVID_FIELD(WindowSizeValue), 700},
                            {KORVID_FIELD(WindowHeight), 500}})
            SetSettingsField(known, field.first, field.second);
        for (size_t offset : {KORVID_FIELD(Reserved1), KORVID_FIELD(Reserved3),
                              KORVID_FIELD(ReservedTextColours), KORVID_FIELD(InsertTextA) + 9})
            for (size_t i = 0; i < 6; ++i)
                known[offset + i] = static_cast<uint8_t>(0x11 + 7 * i);
        std::memcpy(&known[KORVID_FIELD(InsertTextA)], "inserted", 9);
        KorvidApp app(c.profile);
        WriteFileBytes(app.SettingsPathInProgram(), known);
        app.Start();
        app.WaitForEditor();
        if (!c.profile)
            DeleteFileA(app.SettingsPathInProgram().c_str());
        EXPECT_FALSE(FileExists(app.SettingsPathInData()));
        c.how == CloseBox      ? app.Close()
        : c.how == ExitCommand ? app.PostCommand(IDM_EXIT)
                               : app.PressKeys("Escape");
        EXPECT_EQ(app.WaitForExit(), 0u);
        ASSERT_EQ(FileExists(app.SettingsPathInData()), c.written);
        Bytes file = c.written ? ReadFileBytes(app.SettingsPathInData()) : known;
        EXPECT_TRUE(file == known)
            << "first difference at offset "
            << std::mismatch(known.begin(), known.end(), file.begin(), file.end()).first -
                   known.begin();
    }
}

// A placement stored on a screen that is gone: the window shows on the
// screen there is, at the size it was saved with.
TEST(PlacementE2E, AWindowStoredOffEveryScreenIsShownOnTheScreen) {
    KorvidApp app;
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    const size_t normal =
        KORVID_FIELD(WindowPlacement) + offsetof(WINDOWPLACEMENT, rcNormalPosition);
    app.WriteSettings({{KORVID_FIELD(WindowSizeMode), 3},
                       {KORVID_FIELD(WindowPlacement), sizeof(WINDOWPLACEMENT)},
                       {KORVID_FIELD(WindowPlacement) + 8, SW_SHOWNORMAL},
                       {normal, width + 2000},
                       {normal + 4, height + 1500},
                       {normal + 8, width + 2600},
                       {normal + 12, height + 1900}});
    app.Start();
    app.WaitForEditor();
    RECT window{};
    GetWindowRect(app.FindMainWindow(), &window);
    EXPECT_TRUE(window.left >= 0 && window.top >= 0 && window.right <= width &&
                window.bottom <= height)
        << window.left << "," << window.top << " " << window.right << "," << window.bottom;
    EXPECT_EQ(window.right - window.left, 600);
}
