// Start-up and shut-down of the real Korvid.exe: the command line, the
// first run, where the settings file goes, the record written back on the
// way out and a stored window placement from a screen that is gone.
#include "tests/e2e/KorvidDriver.h"
#include "version.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace korvid_e2e;

namespace {

// The first offset where two settings files differ, for a failure message.
std::string FirstDifference(const Bytes& expected, const Bytes& actual) {
    size_t at = 0;
    while (at < expected.size() && at < actual.size() && expected[at] == actual[at])
        ++at;
    return "sizes " + std::to_string(expected.size()) + " and " + std::to_string(actual.size()) +
           ", first difference at offset " + std::to_string(at);
}

// Defaults with patterns where a careless save would write zeros: the
// reserved areas and the bytes behind a text field's terminator. A plain
// window of fixed size, so that no placement is captured on the way out.
Bytes KnownSettings(int32_t exitSave) {
    Bytes file = DefaultSettingsFile();
    for (Field field : {Field{KORVID_FIELD(ExitSave), exitSave},
                        {KORVID_FIELD(EscapeCloses), 1},
                        {KORVID_FIELD(WindowSizeMode), 1},
                        {KORVID_FIELD(WindowSizeValue), 700},
                        {KORVID_FIELD(WindowHeight), 500}})
        SetSettingsField(file, field.offset, field.value);
    for (auto [offset, size] : {std::pair<size_t, size_t>{KORVID_FIELD(Reserved1), 60},
                                {KORVID_FIELD(ReservedTextColours), 8},
                                {KORVID_FIELD(Reserved3), 6},
                                {KORVID_FIELD(InsertTextA) + 10, 290}})
        for (size_t i = 0; i < size; ++i)
            file[offset + i] = static_cast<uint8_t>(0x11 + 7 * i);
    std::memcpy(&file[KORVID_FIELD(InsertTextA)], "inserted\0", 9);
    return file;
}

} // namespace

TEST(CommandLineE2E, AnOverlongArgumentStartsUntitledAndANamedFileOpens) {
    KorvidApp app;
    const std::string path = app.ProgramFolder() + "named on the line.txt";
    WriteTextFile(path, "from the command line\r\n");
    struct Case {
        std::string arguments, title, text, status;
    };
    for (const Case& c : {Case{std::string(700, 'k'), "Untitled", "", KORVID_NAME_AND_VERSION},
                          Case{Quote(path), "named on the line.txt", "from the command line\r\n",
                               "Opened at 23 bytes"}}) {
        SCOPED_TRACE(c.title);
        app.Start(c.arguments);
        app.WaitForEditor();
        app.WaitForStatus(c.status);
        EXPECT_EQ(app.Title(), c.title);
        EXPECT_EQ(app.EditorText(), c.text);
        app.ExpectNoNotification();
        app.Close();
        app.WaitForExit();
    }
}

TEST(FirstRunE2E, TheGreetingComesFirstAndTheSettingsGoWhereTheyBelong) {
    {
        // Data beside the program: no greeting, and no file before the
        // first save occasion (font group Three).
        KorvidApp app;
        app.Start();
        app.WaitForEditor();
        EXPECT_FALSE(FileExists(app.SettingsPathInProgram()));
        app.PostCommand(IDM_FONT_GROUP3);
        Bytes file = app.WaitForFile(app.SettingsPathInProgram(), kSettingsFileSize);
        EXPECT_EQ(std::string(file.begin(), file.begin() + kSettingsTagSize), kSettingsTag);
        EXPECT_EQ(GetSettingsField(file, KORVID_FIELD(CurrentFontGroup)), 2);
    }
    // Data in the profile: the greeting shows before the main window, and
    // its answer writes the defaults there; the next start does not greet.
    KorvidApp app(true);
    app.Start();
    Notification greeting = app.WaitForNotification();
    EXPECT_EQ(greeting.message.rfind("Thanks for trying Korvid.", 0), 0u) << greeting.message;
    EXPECT_EQ(app.FindMainWindow(), nullptr) << "the main window came before the greeting";
    EXPECT_FALSE(FileExists(app.SettingsPathInData())) << "settings written before the answer";
    app.Answer(greeting, kFirst);
    app.WaitForEditor();
    Bytes file = ReadFileBytes(app.SettingsPathInData());
    ASSERT_EQ(file.size(), kSettingsFileSize);
    for (size_t offset : {KORVID_FIELD(WordWrap), KORVID_FIELD(PartialLoadSize),
                          KORVID_FIELD(LabelsMax), KORVID_FIELD(ExitSave)})
        EXPECT_EQ(GetSettingsField(file, offset), GetSettingsField(DefaultSettingsFile(), offset))
            << "offset " << offset;
    EXPECT_FALSE(FileExists(app.SettingsPathInProgram()));
    app.PostCommand(IDM_EXIT);
    app.WaitForExit();
    app.Start();
    app.WaitForEditor();
    app.ExpectNoNotification();
}

// The close box and Escape ("Esc Exit") write the record back byte for
// byte while "Exit Save" is on; the Exit command never does. The settings
// file is deleted once the program runs, so a file seen after the end was
// written on the way out. With a data folder in the profile, a file found
// beside the program is read and the record goes to the profile.
TEST(ExitSaveE2E, OnlyTheCloseBoxAndEscapeWriteTheRecordBackByteForByte) {
    enum How { CloseBox, ExitCommand, Escape };
    struct Case {
        How how;
        int32_t exitSave;
        bool profile, written;
    };
    for (Case c : {Case{CloseBox, 1, false, true}, Case{ExitCommand, 1, false, false},
                   Case{CloseBox, 0, false, false}, Case{Escape, 1, false, true},
                   Case{CloseBox, 1, true, true}}) {
        SCOPED_TRACE("way out " + std::to_string(c.how) + ", Exit Save " +
                     std::to_string(c.exitSave) + (c.profile ? ", data in the profile" : ""));
        KorvidApp app(c.profile);
        const Bytes known = KnownSettings(c.exitSave);
        WriteFileBytes(app.SettingsPathInProgram(), known);
        app.Start();
        app.WaitForEditor();
        const std::string written =
            c.profile ? app.SettingsPathInData() : app.SettingsPathInProgram();
        if (!c.profile) {
            ASSERT_TRUE(DeleteFileA(written.c_str()));
        }
        EXPECT_FALSE(FileExists(written));
        if (c.how == CloseBox)
            app.Close();
        else if (c.how == ExitCommand)
            app.PostCommand(IDM_EXIT);
        else
            app.PressKeys("Escape");
        EXPECT_EQ(app.WaitForExit(), 0u);
        ASSERT_EQ(FileExists(written), c.written);
        if (c.written) {
            Bytes file = ReadFileBytes(written);
            EXPECT_TRUE(file == known) << FirstDifference(known, file);
        }
    }
}

// A placement stored on a screen that is gone: the window shows on the
// screen there is, at the size it was saved with.
TEST(PlacementE2E, AWindowStoredOffEveryScreenIsShownOnTheScreen) {
    KorvidApp app;
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    const size_t placement = KORVID_FIELD(WindowPlacement);
    app.WriteSettings(
        {{KORVID_FIELD(WindowSizeMode), 3},
         {placement, sizeof(WINDOWPLACEMENT)},
         {placement + offsetof(WINDOWPLACEMENT, showCmd), SW_SHOWNORMAL},
         {placement + offsetof(WINDOWPLACEMENT, rcNormalPosition), width + 2000},
         {placement + offsetof(WINDOWPLACEMENT, rcNormalPosition) + 4, height + 1500},
         {placement + offsetof(WINDOWPLACEMENT, rcNormalPosition) + 8, width + 2600},
         {placement + offsetof(WINDOWPLACEMENT, rcNormalPosition) + 12, height + 1900}});
    app.Start();
    app.WaitForEditor();
    RECT window{};
    GetWindowRect(app.FindMainWindow(), &window);
    EXPECT_GE(window.left, 0);
    EXPECT_GE(window.top, 0);
    EXPECT_LE(window.right, width);
    EXPECT_LE(window.bottom, height);
    EXPECT_EQ(window.right - window.left, 600);
}
