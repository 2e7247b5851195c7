// Start-up and shut-down of the real Korvid.exe, driven from outside: the
// main window, the command line, the first-run greeting and the settings
// file written on the way out.
#include "tests/e2e/KorvidDriver.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace korvid_e2e;

namespace {

constexpr const char* kGreetingStart = "Thanks for trying Korvid.";

// Settings-file offsets beyond the common ones of the driver.
constexpr size_t kToolbarEnabled = 8;
constexpr size_t kUrlHighlight = 16;
constexpr size_t kAutoSaveMinutes = 24;
constexpr size_t kAutoSaveMode = 28;
constexpr size_t kSelectionBar = 52;
constexpr size_t kRunFileA = 56;
constexpr size_t kInsertTextA = 2066;
constexpr size_t kReserved1 = 3598;
constexpr size_t kPartialLoadSize = 4926;
constexpr size_t kPartialLoadMode = 4930;
constexpr size_t kPrintProgram = 4954;
constexpr size_t kPrintParameter = 5554;
constexpr size_t kBookmarkMarker = 5654;
constexpr size_t kShowFileErrors = 7234;
constexpr size_t kReservedTextColours = 7250;
constexpr size_t kBackColours = 7258;
constexpr size_t kCustomColours = 7278;
constexpr size_t kBookmarkMaxFileSize = 7346;
constexpr size_t kFontGroup1Font = 7694;
constexpr size_t kFontGroup3Extensions = 7874;
constexpr size_t kLabelsMaxFileSize = 8174;
constexpr size_t kLabelsMax = 8178;
constexpr size_t kCurrentFontGroup = 8190;
constexpr size_t kReserved3 = 8202;

// Writes `text` and its terminator into a text field, and fills the rest of
// the field with `filler`: bytes after the terminator must be kept as found.
void SetText(Bytes& file, size_t offset, size_t size, const std::string& text, uint8_t filler) {
    ASSERT_LT(text.size(), size);
    std::memset(file.data() + offset, filler, size);
    std::memcpy(file.data() + offset, text.c_str(), text.size() + 1);
}

void Fill(Bytes& file, size_t offset, size_t size, uint8_t first) {
    for (size_t i = 0; i < size; ++i)
        file[offset + i] = static_cast<uint8_t>(first + 7 * i);
}

// A complete settings file whose every byte is known: a plain window of
// 700 x 500 pixels (window-size mode 1, so no placement is captured on
// save), both bars, and known patterns in the reserved areas and behind the
// text terminators.
Bytes KnownSettings(int32_t exitSave) {
    Bytes file = MakeSettingsFile();
    SetSettingsField(file, kToolbarEnabled, 1);
    SetSettingsField(file, offsets::StatusBarEnabled, 1);
    SetSettingsField(file, kUrlHighlight, 1);
    SetSettingsField(file, kAutoSaveMinutes, 60);
    SetSettingsField(file, kAutoSaveMode, 1);
    SetSettingsField(file, offsets::WindowSizeMode, 1);
    SetSettingsField(file, offsets::WindowSizeValue, 700);
    SetSettingsField(file, offsets::WindowHeight, 500);
    SetSettingsField(file, offsets::WordWrap, 1);
    SetSettingsField(file, kSelectionBar, 1);
    SetText(file, kRunFileA, 300, "C:\\Tools\\run.exe", 0xA5);
    SetText(file, kInsertTextA, 300, "inserted text", 0x5A);
    Fill(file, kReserved1, 60, 0x11);
    SetSettingsField(file, kPartialLoadSize, 1000000);
    SetSettingsField(file, kPartialLoadMode, 1);
    SetSettingsField(file, offsets::ExitSave, exitSave);
    SetText(file, kPrintProgram, 600, "C:\\Program Files\\Windows NT\\Accessories\\wordpad.exe",
            0x3C);
    SetText(file, kPrintParameter, 100, "/p ", 0);
    SetText(file, kBookmarkMarker, 100, "Korvid", 0x77);
    SetSettingsField(file, offsets::EscapeCloses, 1);
    SetSettingsField(file, kShowFileErrors, 1);
    Fill(file, kReservedTextColours, 8, 0x21);
    for (size_t group = 0; group < 5; ++group)
        SetSettingsField(file, kBackColours + 4 * group, 0xFFFFFF);
    Fill(file, kCustomColours, 64, 0x31);
    SetSettingsField(file, kBookmarkMaxFileSize, 200000);
    SetSettingsField(file, kFontGroup1Font, -13);              // lfHeight
    SetSettingsField(file, kFontGroup1Font + 16, 400);         // lfWeight
    SetText(file, kFontGroup1Font + 28, 32, "Courier New", 0); // lfFaceName
    SetText(file, kFontGroup3Extensions, 300, ".txt    ", 0x2E);
    SetSettingsField(file, kLabelsMaxFileSize, 500000);
    SetSettingsField(file, kLabelsMax, 1000);
    Fill(file, kReserved3, 6, 0xE1);
    return file;
}

// The first few offsets where two settings files differ, for a failure
// message that says which fields changed.
std::string Differences(const Bytes& expected, const Bytes& actual) {
    if (expected.size() != actual.size())
        return "sizes " + std::to_string(expected.size()) + " and " + std::to_string(actual.size());
    std::string report;
    int shown = 0;
    for (size_t i = 0; i < expected.size() && shown < 12; ++i) {
        if (expected[i] != actual[i]) {
            report += " offset " + std::to_string(i) + ": " + std::to_string(expected[i]) + " -> " +
                      std::to_string(actual[i]) + ";";
            ++shown;
        }
    }
    return report.empty() ? "identical" : report;
}

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

std::string ClassName(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

} // namespace

// ---- the main window --------------------------------------------------------

TEST(StartupE2E, StartsUntitledWithTheEditorInTheMainWindow) {
    KorvidApp app;
    app.Start();
    HWND main = app.WaitForMainWindow();
    EXPECT_EQ(ClassName(main), "KorvidBox");
    EXPECT_EQ(GetParent(main), nullptr);
    EXPECT_EQ(app.Title(), "Untitled");

    HWND editor = app.WaitForEditor();
    EXPECT_EQ(GetParent(editor), main);
    EXPECT_EQ(GetDlgCtrlID(editor), kEditorId);
    EXPECT_TRUE(IsWindowVisible(editor));
    EXPECT_EQ(app.EditorText(), "");
    EXPECT_EQ(app.Selection(), std::make_pair(0L, 0L));
    app.ExpectNoNotification();

    std::string shot = app.SaveScreenshot("startup-untitled");
    EXPECT_GT(ReadFileBytes(shot).size(), 1000u) << shot;
}

TEST(StartupE2E, StatusBarShowsTheStartState) {
    KorvidApp app;
    app.Start();
    app.WaitForEditor();
    HWND main = app.FindMainWindow();
    if (!app.FindChild("msctls_statusbar32"))
        GTEST_SKIP() << "Korvid.exe has no status bar yet";

    RECT client{};
    GetClientRect(main, &client);
    int u = client.right / 7;
    std::vector<int> edges = app.StatusParts();
    ASSERT_EQ(edges.size(), 4u);
    EXPECT_EQ(edges[0], 2 * u);
    EXPECT_EQ(edges[1], 2 * u + (u <= 50 ? u : 50));
    EXPECT_EQ(edges[2], 4 * u);
    EXPECT_EQ(edges[3], -1);

    std::vector<std::string> texts = app.StatusTexts();
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[0], "Ln 1 of 1, Cm 0 of 0");
    EXPECT_EQ(texts[1], "ins");
    EXPECT_EQ(texts[2], "");
    EXPECT_EQ(texts[3], "Korvid 1.9");
}

TEST(StartupE2E, TypedKeysAndSelectAllReachTheEditor) {
    KorvidApp app;
    app.Start();
    app.WaitForEditor();
    app.TypeText("Hello there");
    app.WaitForEditorText("Hello there");
    app.PressKeys("Home shift+End");
    app.WaitForSelection(0, 11);
    app.PressKeys("End");
    app.WaitForSelection(11, 11);
    app.PostCommand(40014); // Select All
    app.WaitUntil(
        [&] {
            auto selection = app.Selection();
            return selection.first == 0 && selection.second >= 11;
        },
        "Select All to select the whole text");
    app.PressKeys("Delete");
    app.WaitForEditorText("");
}

TEST(StartupE2E, CloseBoxEndsTheProcess) {
    KorvidApp app;
    app.Start();
    app.WaitForEditor();
    app.Close();
    app.WaitForExit();
    EXPECT_FALSE(app.Running());
}

TEST(StartupE2E, ExitCommandEndsTheProcess) {
    KorvidApp app;
    app.Start();
    app.WaitForEditor();
    app.PostCommand(40011);
    app.WaitForExit();
}

// ---- the command line ---------------------------------------------------------

TEST(CommandLineE2E, SwitchesEndTheProcessByThemselves) {
    // Any argument that begins with "/s" or "/x" is the switch.
    for (const char* argument : {"/s", "/x", "/xyz"}) {
        SCOPED_TRACE(argument);
        KorvidApp app;
        app.Start(argument);
        app.WaitForExit();
    }
}

TEST(CommandLineE2E, OverlongArgumentStartsUntitled) {
    KorvidApp app;
    app.Start(std::string(700, 'k'));
    app.WaitForEditor();
    EXPECT_EQ(app.Title(), "Untitled");
    app.ExpectNoNotification();
    EXPECT_TRUE(app.Running());
    EXPECT_EQ(app.EditorText(), "");
}

// ---- the first run and the settings file ------------------------------------

TEST(FirstRunE2E, NoGreetingAndNoFileWhenTheDataStaysBesideTheProgram) {
    KorvidApp app;
    app.Start();
    app.WaitForEditor(); // fails at once if a greeting shows
    app.ExpectNoNotification();
    EXPECT_FALSE(FileExists(app.SettingsPathInProgram()));

    // "Exit Save" is off by default, so closing is no save occasion.
    app.Close();
    app.WaitForExit();
    EXPECT_FALSE(FileExists(app.SettingsPathInProgram()));
}

TEST(FirstRunE2E, FirstSaveOccasionWritesTheFileBesideTheProgram) {
    KorvidApp app;
    app.Start();
    app.WaitForEditor();
    EXPECT_FALSE(FileExists(app.SettingsPathInProgram()));
    app.PostCommand(40052); // font group Three: a save occasion
    Bytes file = app.WaitForFile(app.SettingsPathInProgram(), kSettingsFileSize);
    EXPECT_EQ(std::string(file.begin(), file.begin() + 8), kSettingsTag);
    EXPECT_EQ(GetSettingsField(file, kCurrentFontGroup), 2);
    EXPECT_EQ(GetSettingsField(file, kLabelsMax), 1000); // the defaults were saved
    app.ExpectNoNotification();
}

TEST(FirstRunE2E, GreetingComesBeforeTheMainWindowAndOkWritesTheDefaults) {
    KorvidApp app(true);
    ASSERT_NE(app.DataFolder(), app.ProgramFolder());
    app.Start();
    Notification greeting = app.WaitForNotification();
    EXPECT_TRUE(StartsWith(greeting.message, kGreetingStart)) << greeting.message;
    ASSERT_EQ(greeting.buttons.size(), 2u);
    EXPECT_EQ(greeting.ButtonText(1), "OK");
    EXPECT_EQ(greeting.ButtonText(2), "Open ReadMe");
    EXPECT_EQ(GetWindow(greeting.window, GW_OWNER), nullptr);
    EXPECT_EQ(app.FindMainWindow(), nullptr)
        << "the main window exists before the greeting is answered";
    EXPECT_FALSE(FileExists(app.SettingsPathInData())) << "settings written before the answer";

    app.Answer(greeting, 1);
    app.WaitForMainWindow();
    ASSERT_TRUE(FileExists(app.SettingsPathInData()));
    Bytes file = ReadFileBytes(app.SettingsPathInData());
    ASSERT_EQ(file.size(), kSettingsFileSize);
    EXPECT_EQ(std::string(file.begin(), file.begin() + 8), kSettingsTag);
    EXPECT_FALSE(FileExists(app.SettingsPathInProgram()));

    // A few defaults, from the record's different regions.
    EXPECT_EQ(GetSettingsField(file, kToolbarEnabled), 1);
    EXPECT_EQ(GetSettingsField(file, offsets::WindowSizeMode), 0);
    EXPECT_EQ(GetSettingsField(file, offsets::WindowSizeValue), 60);
    EXPECT_EQ(GetSettingsField(file, offsets::WordWrap), 1);
    EXPECT_EQ(GetSettingsField(file, kPartialLoadSize), 1000000);
    EXPECT_EQ(GetSettingsField(file, offsets::ExitSave), 0);
    EXPECT_STREQ(reinterpret_cast<const char*>(&file[kBookmarkMarker]), "Korvid");
    EXPECT_EQ(GetSettingsField(file, kLabelsMax), 1000);

    // The next start finds the file and does not greet again.
    app.PostCommand(40011);
    app.WaitForExit();
    app.Start();
    app.WaitForEditor();
    app.ExpectNoNotification();
}

TEST(FirstRunE2E, GreetingAnsweredOpenReadMeStillWritesTheFile) {
    KorvidApp app(true);
    app.Start();
    Notification greeting = app.WaitForNotification();
    app.Answer(greeting, 2);
    app.WaitForMainWindow();
    ASSERT_TRUE(FileExists(app.SettingsPathInData()));
    EXPECT_EQ(ReadFileBytes(app.SettingsPathInData()).size(), kSettingsFileSize);
}

// ---- saved placement -------------------------------------------------------------

// "Variable" window size with no "Set Def Size" yet: the stored placement is
// all zero, and the window opens at its own size, visible. A placement from
// a screen that is gone is moved onto the screen there is.
TEST(PlacementE2E, AVariableWindowIsAlwaysSeenOnAScreenThatExists) {
    constexpr size_t kWindowPlacement = 3658; // 44 bytes, laid out as WINDOWPLACEMENT
    {
        KorvidApp app;
        WriteSettings(app, {{offsets::WindowSizeMode, 3},
                            {offsets::WindowSizeValue, 640},
                            {offsets::WindowHeight, 480}});
        app.Start();
        // The editor comes after the placement in the start-up.
        app.WaitUntil([&] { return app.Editor() != nullptr; }, "the editor");
        HWND main = app.FindMainWindow();
        EXPECT_TRUE(IsWindowVisible(main));
        EXPECT_FALSE(IsIconic(main));
        app.Close();
        app.WaitForExit();
    }
    KorvidApp app;
    RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    WriteSettings(app, {{offsets::WindowSizeMode, 3},
                        {kWindowPlacement, 44},
                        {kWindowPlacement + 8, SW_SHOWNORMAL},
                        {kWindowPlacement + 28, screen.right + 2000}, // normal rectangle
                        {kWindowPlacement + 32, screen.bottom + 1500},
                        {kWindowPlacement + 36, screen.right + 2600},
                        {kWindowPlacement + 40, screen.bottom + 1900}});
    app.Start();
    app.WaitUntil([&] { return app.Editor() != nullptr; }, "the editor");
    HWND main = app.FindMainWindow();
    EXPECT_TRUE(IsWindowVisible(main));
    RECT window{};
    GetWindowRect(main, &window);
    EXPECT_GE(window.left, screen.left);
    EXPECT_GE(window.top, screen.top);
    EXPECT_LE(window.right, screen.right);
    EXPECT_LE(window.bottom, screen.bottom);
    EXPECT_EQ(window.right - window.left, 600)
        << window.left << "," << window.top << " " << window.right << ","
        << window.bottom; // the size it was saved with
}

// ---- "Exit Save" ------------------------------------------------------------------

// The settings file is deleted once the program runs, so that a file seen
// after the end was written on the way out.
TEST(ExitSaveE2E, CloseBoxWritesTheRecordBackByteForByte) {
    KorvidApp app;
    const Bytes known = KnownSettings(1);
    WriteFileBytes(app.SettingsPathInProgram(), known);
    app.Start();
    app.WaitForEditor();
    ASSERT_TRUE(DeleteFileA(app.SettingsPathInProgram().c_str()));
    app.Close();
    app.WaitForExit();
    ASSERT_TRUE(FileExists(app.SettingsPathInProgram())) << "the close box wrote no settings";
    Bytes written = ReadFileBytes(app.SettingsPathInProgram());
    EXPECT_TRUE(written == known) << Differences(known, written);
}

TEST(ExitSaveE2E, ExitCommandWritesNothing) {
    KorvidApp app;
    WriteFileBytes(app.SettingsPathInProgram(), KnownSettings(1));
    app.Start();
    app.WaitForEditor();
    ASSERT_TRUE(DeleteFileA(app.SettingsPathInProgram().c_str()));
    app.PostCommand(40011);
    app.WaitForExit();
    EXPECT_FALSE(FileExists(app.SettingsPathInProgram()));
}

TEST(ExitSaveE2E, CloseBoxWritesNothingWhenExitSaveIsOff) {
    KorvidApp app;
    WriteFileBytes(app.SettingsPathInProgram(), KnownSettings(0));
    app.Start();
    app.WaitForEditor();
    ASSERT_TRUE(DeleteFileA(app.SettingsPathInProgram().c_str()));
    app.Close();
    app.WaitForExit();
    EXPECT_FALSE(FileExists(app.SettingsPathInProgram()));
}

TEST(ExitSaveE2E, SettingsBesideTheProgramAreSavedIntoTheDataFolder) {
    // A settings file shipped beside the program is read when the data
    // folder has none, without a greeting, and the save goes to the data
    // folder.
    KorvidApp app(true);
    const Bytes known = KnownSettings(1);
    WriteFileBytes(app.SettingsPathInProgram(), known);
    app.Start();
    app.WaitForEditor();
    app.ExpectNoNotification();
    EXPECT_FALSE(FileExists(app.SettingsPathInData()));
    app.Close();
    app.WaitForExit();
    ASSERT_TRUE(FileExists(app.SettingsPathInData()));
    Bytes written = ReadFileBytes(app.SettingsPathInData());
    EXPECT_TRUE(written == known) << Differences(known, written);
    EXPECT_TRUE(ReadFileBytes(app.SettingsPathInProgram()) == known);
}
