// The settings sheet of the real Korvid.exe as a user meets it: Options
// opens it on the View tab, real keys move between the tabs and into the
// controls, and what OK or Cancel leaves is read back from "Korvid.Dat".
#include "tests/e2e/KorvidDriver.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <prsht.h>

#include <cstring>
#include <string>

using namespace korvid_e2e;

namespace {

constexpr int kCmdExit = 40011;

// Settings-file offsets beyond the common ones of the driver.
constexpr size_t kAutoSaveMinutes = 24;
constexpr size_t kAutoSaveEnabled = 44;
constexpr size_t kRunFileA = 56;
constexpr size_t kRunDescriptionA = 1766;
constexpr size_t kPrintParameter = 5554;
constexpr size_t kBookmarkMaxFileSize = 7346;
constexpr size_t kLabelsMaxFileSize = 8174;
constexpr size_t kLabelsMax = 8178;

// Starts the program on the defaults, then removes the settings file so
// that the next write can be waited for.
void StartOnDefaults(KorvidApp& app) {
    WriteFileBytes(app.SettingsPathInProgram(), DefaultSettingsFile());
    app.Start();
    app.WaitForEditor();
    ASSERT_TRUE(DeleteFileA(app.SettingsPathInProgram().c_str()));
}

std::string Text(const Bytes& file, size_t offset) {
    return reinterpret_cast<const char*>(file.data() + offset);
}

// Keys that replace the whole text of the focused edit.
std::string Replace(const std::string& keys) { return "End shift+Home BackSpace " + keys; }

} // namespace

TEST(SettingsE2E, OptionsOpensOnViewAndEscapeStillRewritesTheFileUnchanged) {
    KorvidApp app;
    StartOnDefaults(app);
    HWND sheet = OpenOptions(app);
    EXPECT_EQ(CurrentTab(app, sheet), 0);
    EXPECT_FALSE(IsWindowEnabled(app.FindMainWindow())) << "the sheet is modal";
    app.PressKeysIn(sheet, "Escape");
    Bytes written = app.WaitForFile(app.SettingsPathInProgram(), kSettingsFileSize);
    EXPECT_TRUE(written == DefaultSettingsFile());
    app.WaitUntil([&] { return FindOwnWindow(app, "#32770", "Korvid 1.9") == nullptr; },
                  "the sheet to close");
    EXPECT_TRUE(app.Running());
}

TEST(SettingsE2E, RealKeysOnSeveralPagesAndOkWriteTheFields) {
    KorvidApp app;
    StartOnDefaults(app);
    HWND sheet = OpenOptions(app);

    // View: "Resolution", then Tab into the width and the height.
    app.PressKeysIn(sheet, "alt+o Tab " + Replace("8 0 0") + " Tab " + Replace("6 0 0"));
    NextTab(app, sheet, 1);
    // Auto Save: "Enable using", then the minutes through their label.
    app.PressKeysIn(sheet, "alt+e alt+v " + Replace("5 0 0"));
    NextTab(app, sheet, 2);
    // Run: program and description of button A.
    app.PressKeysIn(sheet,
                    "alt+f " + Replace("n o t e p a d") + " alt+d " + Replace("r u n space i t"));
    NextTab(app, sheet, 3);
    NextTab(app, sheet, 4);
    NextTab(app, sheet, 5);
    // Bookmark: the size limit in units of 1024 and the labels limit.
    app.PressKeysIn(sheet, "alt+f " + Replace("1 0 0") + " alt+l " + Replace("7 7"));
    NextTab(app, sheet, 6);
    // Misc: Word Wrap off and a suffix without its blank; Enter is OK.
    app.PressKeysIn(sheet, "alt+w alt+f " + Replace("minus x") + " Return");

    Bytes file = app.WaitForFile(app.SettingsPathInProgram(), kSettingsFileSize);
    EXPECT_EQ(GetSettingsField(file, offsets::WindowSizeMode), 1);
    EXPECT_EQ(GetSettingsField(file, offsets::WindowSizeValue), 800);
    EXPECT_EQ(GetSettingsField(file, offsets::WindowHeight), 600);
    EXPECT_EQ(GetSettingsField(file, kAutoSaveEnabled), 1);
    EXPECT_EQ(GetSettingsField(file, kAutoSaveMinutes), 180);
    EXPECT_EQ(Text(file, kRunFileA), "notepad");
    EXPECT_EQ(Text(file, kRunDescriptionA), "run it");
    EXPECT_EQ(GetSettingsField(file, kBookmarkMaxFileSize), 102400);
    EXPECT_EQ(GetSettingsField(file, kLabelsMax), 77);
    EXPECT_EQ(GetSettingsField(file, kLabelsMaxFileSize), 499712);
    EXPECT_EQ(GetSettingsField(file, offsets::WordWrap), 0);
    EXPECT_EQ(Text(file, kPrintParameter), "-x ");
    app.WaitUntil([&] { return FindOwnWindow(app, "#32770", "Korvid 1.9") == nullptr; },
                  "the sheet to close");
}

TEST(SettingsE2E, HundredPercentOpensMaximisedAtTheNextStart) {
    KorvidApp app;
    StartOnDefaults(app);
    HWND sheet = OpenOptions(app);
    app.PressKeysIn(sheet, "alt+p Tab " + Replace("1 0 0") + " Return");
    Bytes file = app.WaitForFile(app.SettingsPathInProgram(), kSettingsFileSize);
    EXPECT_EQ(GetSettingsField(file, offsets::WindowSizeMode), 0);
    EXPECT_EQ(GetSettingsField(file, offsets::WindowSizeValue), 100);
    app.PostCommand(kCmdExit);
    app.WaitForExit();

    app.Start();
    HWND main = app.WaitForMainWindow();
    app.WaitUntil([&] { return IsZoomed(main) != FALSE; }, "a maximised main window");
}
