// The watch on the open file and autosave, as a user meets them: another
// program rewrites the document while Korvid has it open (the question,
// both answers, a minimised window, a storm of rewrites, a close while the
// question stands, the setting off), and the autosave tick writing its copy
// beside the document or into the data folder.
#include "tests/e2e/KorvidDriver.h"

#include <gtest/gtest.h>

#include <richedit.h>

#include <initializer_list>
#include <set>
#include <string>

using namespace korvid_e2e;

namespace {

// Settings-file offsets beyond the driver's.
constexpr size_t kAutoSaveMinutes = 24;
constexpr size_t kAutoSaveMode = 28;
constexpr size_t kAutoSaveEnabled = 44;
constexpr size_t kMonitorFile = 4922;

constexpr int kCmdSave = 3;
constexpr int kCmdReload = 40021;
constexpr UINT_PTR kAutosaveTimer = 1;

constexpr int kReload = 1;
constexpr int kKeepMonitoring = 2;
constexpr int kAbandon = 1612;

constexpr const char* kModifiedOutside = "File has been modified externally.";
constexpr const char* kNotSaved = "File is not saved and changes will be lost";

// How long a question is given to show up before "none" is believed.
constexpr DWORD kQuietMs = 500;

// Documents get a folder of their own, so that the watched folder holds
// nothing but what a test puts there.
std::string DocFolder(const KorvidApp& app) {
    std::string folder = app.ProgramFolder() + "docs\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

// Writes the default settings with `fields` changed beside the program,
// `text` into `path`, and starts the program on it.
void StartWithFile(KorvidApp& app, const std::string& path, const std::string& text,
                   std::initializer_list<Field> fields) {
    Bytes file = DefaultSettingsFile();
    for (const Field& field : fields)
        SetSettingsField(file, field.offset, field.value);
    WriteFileBytes(app.SettingsPathInProgram(), file);
    WriteTextFile(path, text);
    app.Start(Quote(path));
    app.WaitForEditor();
    app.WaitForEditorText(text);
}

FILETIME WriteTime(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

// Another program rewrites the file; written again until its last-write
// time has moved, in case the file system keeps coarse times.
void Rewrite(KorvidApp& app, const std::string& path, const std::string& text) {
    const FILETIME before = WriteTime(path);
    WriteTextFile(path, text);
    app.WaitUntil(
        [&] {
            FILETIME now = WriteTime(path);
            if (CompareFileTime(&now, &before) != 0)
                return true;
            WriteTextFile(path, text);
            return false;
        },
        "the last-write time of " + path + " to change");
}

// Waits for the question about an outside change and checks its texts.
Notification WaitForChangeQuestion(KorvidApp& app) {
    Notification question = app.WaitForNotification(kUiTimeout);
    EXPECT_EQ(question.message, kModifiedOutside);
    EXPECT_EQ(question.ButtonText(kReload), "Reload modified file");
    EXPECT_EQ(question.ButtonText(kKeepMonitoring), "Keep monitoring");
    return question;
}

// The closing proof of every "nothing asks" check: the watch is alive, and
// a real rewrite gets exactly one question, which "Keep monitoring" ends.
void RewriteAsksOnce(KorvidApp& app, const std::string& path, const std::string& text) {
    Rewrite(app, path, text);
    app.Answer(WaitForChangeQuestion(app), kKeepMonitoring);
    app.ExpectNoNotification(kQuietMs);
}

std::string StatusPart(const KorvidApp& app, size_t part) {
    std::vector<std::string> texts = app.StatusTexts();
    return part < texts.size() ? texts[part] : "(no part " + std::to_string(part) + ")";
}

// Another program writes a file beside the document: the watch wakes up,
// finds the document as it last accepted it and asks nothing.
void WriteNeighbour(KorvidApp& app, const std::string& document) {
    std::string neighbour = document.substr(0, document.rfind('\\') + 1) + "neighbour.txt";
    Rewrite(app, neighbour, "Written beside the document");
    app.ExpectNoNotification(kQuietMs);
}

// Waits for a save of the program to report `status`, failing if a
// question shows at any time before or for a while after.
void SavesWithoutAQuestion(KorvidApp& app, const std::string& status) {
    std::string seen;
    app.WaitFor(
        [&] {
            if (HWND note = app.FindNotification())
                app.Fail("the save asked \"" + app.ReadNotification(note).message + "\"");
            seen = StatusPart(app, 3);
            return seen == status;
        },
        [&] { return "the status \"" + status + "\"; it shows \"" + seen + "\""; });
    app.ExpectNoNotification(kQuietMs);
}

// Puts `text` in at the caret as a paste would (the document becomes
// modified). The system carries the string of EM_REPLACESEL across.
void TypeAtCaret(KorvidApp& app, const std::string& text) {
    app.Send(app.Editor(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

bool Modified(const KorvidApp& app) { return app.Send(app.Editor(), EM_GETMODIFY, 0, 0) != 0; }

void WaitForStatus(KorvidApp& app, size_t part, const std::string& expected) {
    std::string seen;
    app.WaitFor(
        [&] {
            seen = StatusPart(app, part);
            return seen == expected;
        },
        [&] {
            return "status part " + std::to_string(part) + " \"" + expected + "\"; it shows \"" +
                   seen + "\"";
        });
}

// Milliseconds the main window takes to answer a message; fails after a
// second.
DWORD AnswerTime(const KorvidApp& app) {
    DWORD_PTR result = 0;
    DWORD start = GetTickCount();
    if (!SendMessageTimeoutA(app.FindMainWindow(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &result))
        app.Fail("the main window did not answer WM_NULL within 1000 ms");
    return GetTickCount() - start;
}

Bytes ToBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

} // namespace

// ---- the watch ----------------------------------------------------------------

TEST(MonitorE2E, KeepMonitoringKeepsTheTextAndOnlyTheNextChangeAsksAgain) {
    KorvidApp app;
    std::string path = DocFolder(app) + "watched.txt";
    StartWithFile(app, path, "First version\r\n", {{kMonitorFile, 1}});

    Rewrite(app, path, "Second version\r\n");
    app.Answer(WaitForChangeQuestion(app), kKeepMonitoring);
    app.ExpectNoNotification(kQuietMs);
    WriteNeighbour(app, path);
    EXPECT_EQ(app.EditorText(), "First version\r\n");
    EXPECT_FALSE(Modified(app));

    Rewrite(app, path, "Third version\r\n");
    app.Answer(WaitForChangeQuestion(app), kKeepMonitoring);
    app.ExpectNoNotification(kQuietMs);
    EXPECT_EQ(app.EditorText(), "First version\r\n");
}

TEST(MonitorE2E, ReloadShowsTheNewTextOverChangesAndRestoresTheMinimisedWindow) {
    KorvidApp app;
    std::string path = DocFolder(app) + "reload.txt";
    StartWithFile(app, path, "Old text\r\n", {{kMonitorFile, 1}});
    TypeAtCaret(app, "typed ");
    app.WaitForEditorText("typed Old text\r\n");
    ASSERT_TRUE(Modified(app));
    HWND main = app.FindMainWindow();
    app.Post(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    app.WaitUntil([&] { return IsIconic(main) != FALSE; }, "the window to minimise");

    const std::string outside = "New text from elsewhere\r\n";
    Rewrite(app, path, outside);
    app.Answer(WaitForChangeQuestion(app), kReload);
    app.WaitForEditorText(outside);
    WaitForStatus(app, 3, "Opened at " + std::to_string(outside.size()) + " bytes");
    app.ExpectNoNotification(kQuietMs); // no question about the typed text
    EXPECT_FALSE(IsIconic(main)) << "the reload left the window minimised";
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_FALSE(Modified(app));
    EXPECT_EQ(ReadFileBytes(path), ToBytes(outside)) << "the reload wrote the file";

    // The reloaded file is watched in its turn.
    RewriteAsksOnce(app, path, "Newer text\r\n");
    EXPECT_EQ(app.EditorText(), outside);
}

TEST(MonitorE2E, OwnSavesOtherFilesAndAttributeChangesNeverAsk) {
    KorvidApp app;
    std::string folder = DocFolder(app);
    std::string path = folder + "quiet.txt";
    StartWithFile(app, path, "Quiet\r\n", {{kMonitorFile, 1}});

    TypeAtCaret(app, "Saved ");
    app.PostCommand(kCmdSave);
    SavesWithoutAQuestion(app, "Saved at 13 bytes");
    EXPECT_EQ(ReadFileBytes(path), ToBytes("Saved Quiet\r\n"));

    // Ctrl+S, a second save through the keys.
    app.TypeText("x");
    app.WaitUntil([&] { return Modified(app); }, "the typed x");
    app.PressKeys("ctrl+s");
    SavesWithoutAQuestion(app, "Saved at 14 bytes");

    std::string other = folder + "other.txt";
    for (int i = 0; i < 3; ++i)
        Rewrite(app, other, "Another file " + std::to_string(i));
    app.ExpectNoNotification(kQuietMs);

    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    app.ExpectNoNotification(kQuietMs);
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_ARCHIVE));
    app.ExpectNoNotification(kQuietMs);
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL));
    app.ExpectNoNotification(kQuietMs);

    RewriteAsksOnce(app, path, "Rewritten\r\n");
}

TEST(MonitorE2E, StormOfRewritesAsksOnceAndTheWindowKeepsAnswering) {
    KorvidApp app;
    std::string path = DocFolder(app) + "storm.txt";
    StartWithFile(app, path, "Calm\r\n", {{kMonitorFile, 1}});

    DWORD slowest = 0;
    std::set<HWND> questions;
    DWORD start = GetTickCount();
    for (int i = 0; i < 200; ++i) {
        WriteTextFile(path, "Storm " + std::to_string(i) + "\r\n");
        DWORD took = AnswerTime(app);
        slowest = took > slowest ? took : slowest;
        if (HWND question = app.FindNotification())
            questions.insert(question);
    }
    DWORD stormMs = GetTickCount() - start;
    Notification question = WaitForChangeQuestion(app);
    questions.insert(question.window);
    for (int i = 0; i < 5; ++i) {
        DWORD took = AnswerTime(app);
        slowest = took > slowest ? took : slowest;
    }
    RecordProperty("storm_ms", static_cast<int>(stormMs));
    RecordProperty("slowest_answer_ms", static_cast<int>(slowest));
    EXPECT_LT(slowest, 1000u);
    EXPECT_EQ(questions.size(), 1u) << "questions seen during the storm";

    // "Keep monitoring" accepts the file as the storm left it.
    app.Answer(question, kKeepMonitoring);
    app.ExpectNoNotification(kQuietMs);
    WriteNeighbour(app, path);
    EXPECT_EQ(app.EditorText(), "Calm\r\n");
    RewriteAsksOnce(app, path, "After the storm\r\n");
}

TEST(MonitorE2E, ClosingWhileTheQuestionIsOpenEndsTheProgram) {
    KorvidApp app;
    std::string folder = DocFolder(app);
    std::string path = folder + "closing.txt";
    StartWithFile(app, path, "Before\r\n", {{kMonitorFile, 1}});
    Rewrite(app, path, "After\r\n");
    Notification question = WaitForChangeQuestion(app);

    DWORD start = GetTickCount();
    app.Close();
    EXPECT_EQ(app.WaitForExit(), 0u);
    RecordProperty("exit_ms", static_cast<int>(GetTickCount() - start));
    EXPECT_FALSE(IsWindow(question.window));
    EXPECT_EQ(ReadFileBytes(path), ToBytes("After\r\n"));
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((folder + "*").c_str(), &entry);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    std::set<std::string> names;
    do {
        names.insert(entry.cFileName);
    } while (FindNextFileA(find, &entry));
    FindClose(find);
    EXPECT_EQ(names, (std::set<std::string>{".", "..", "closing.txt"}));
}

TEST(MonitorE2E, OffByDefaultARewriteNeverAsks) {
    KorvidApp app;
    std::string path = DocFolder(app) + "unwatched.txt";
    StartWithFile(app, path, "Unwatched\r\n", {});
    Rewrite(app, path, "Changed once\r\n");
    app.ExpectNoNotification(kQuietMs);

    // A reload starts no watch either.
    app.PostCommand(kCmdReload);
    app.WaitForEditorText("Changed once\r\n");
    Rewrite(app, path, "Changed twice\r\n");
    app.ExpectNoNotification(kQuietMs);
    EXPECT_EQ(app.EditorText(), "Changed once\r\n");
}

// ---- autosave -----------------------------------------------------------------

namespace {

struct Ticked {
    std::string path;   // the document
    std::string status; // status part 3 before the tick
};

// Starts on a document with autosave in `mode`, types into it and lets the
// autosave timer tick.
Ticked TickOnChangedDocument(KorvidApp& app, int32_t mode) {
    Ticked ticked{DocFolder(app) + "draft.txt", ""};
    StartWithFile(app, ticked.path, "Autosave me\r\n",
                  {{kAutoSaveEnabled, 1}, {kAutoSaveMode, mode}, {kAutoSaveMinutes, 60}});
    app.PressKeys("ctrl+Home");
    app.TypeText("Draft ");
    app.WaitForEditorText("Draft Autosave me\r\n");
    WaitForStatus(app, 3, "Opened at 13 bytes, Modified");
    ticked.status = StatusPart(app, 3);
    app.Post(app.FindMainWindow(), WM_TIMER, kAutosaveTimer, 0);
    return ticked;
}

// Once the status reports the copy: the document itself is untouched and
// still modified, in the status bar and when closing.
void ExpectStillModified(KorvidApp& app, const Ticked& ticked) {
    WaitForStatus(app, 2, "Auto Saved");
    EXPECT_EQ(StatusPart(app, 3), ticked.status);
    const std::string& path = ticked.path;
    EXPECT_EQ(ReadFileBytes(path), ToBytes("Autosave me\r\n"));
    EXPECT_TRUE(Modified(app)) << "the copy cleared the modified mark";
    EXPECT_EQ(app.Title(), "draft.txt");
    app.Close();
    Notification question = app.WaitForNotification(kUiTimeout);
    EXPECT_EQ(question.message, kNotSaved);
    app.Answer(question, kAbandon);
    app.WaitForExit();
    EXPECT_EQ(ReadFileBytes(path), ToBytes("Autosave me\r\n"));
}

} // namespace

TEST(AutosaveE2E, CopyModeWritesTheBackupBesideTheDocument) {
    KorvidApp app;
    Ticked ticked = TickOnChangedDocument(app, 1);
    const std::string expected = "Draft Autosave me\r\n";
    Bytes copy = app.WaitForFile(ticked.path + " Backup", expected.size());
    EXPECT_EQ(copy, ToBytes(expected));
    ExpectStillModified(app, ticked);
    EXPECT_FALSE(FileExists(app.DataFolder() + "KvAuto.txt"));
}

TEST(AutosaveE2E, HiddenModeWritesKvAutoIntoTheDataFolder) {
    KorvidApp app(true);
    Ticked ticked = TickOnChangedDocument(app, 2);
    const std::string expected = "Draft Autosave me\r\n";
    Bytes copy = app.WaitForFile(app.DataFolder() + "KvAuto.txt", expected.size());
    EXPECT_EQ(copy, ToBytes(expected));
    ExpectStillModified(app, ticked);
    EXPECT_FALSE(FileExists(ticked.path + " Backup"));
    EXPECT_FALSE(FileExists(app.ProgramFolder() + "KvAuto.txt"));
}
