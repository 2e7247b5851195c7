// The paths where a file could be lost: a document that is only part of its
// file, binary content shown with stand-ins, a Rich Text document switched
// to its source, a file too large for memory and a save to a full disk.
// None may ever write over the file it came from.
#include "tests/e2e/KorvidDriver.h"

#include <gtest/gtest.h>

#include <richedit.h>

#include <cstdlib>
#include <cstring>

using namespace korvid_e2e;

namespace {

constexpr int32_t kModeOff = 0, kModeAuto = 2;

// `unit` again and again, cut at `size` bytes.
std::string Repeat(const std::string& start, const std::string& unit, size_t size) {
    std::string text = start;
    while (text.size() < size)
        text += unit;
    return text.substr(0, size);
}

// Lines of 32 bytes ending in CR LF.
std::string PlainLines(size_t size) {
    std::string text;
    for (int n = 1000000; text.size() < size; ++n)
        text += "Line " + std::to_string(n) + " of the large file\r\n";
    return text.substr(0, size);
}

const char* const kRichText =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\r\n"
    "\\pard\\f0\\fs22 Plain start, \\b bold words\\b0  end.\\par\r\n}\r\n";

} // namespace

// Each document is typed into, switched by a command that builds the
// editor afresh, offered to Ctrl+S where it must ask for another name, and
// closed, which asks after an edit: its file stays whole. Word Wrap keeps
// text typed past the loaded part; a JSON text starts with "{", so the Rich
// Text switch asks nothing; an edited Rich Text document switched to its
// source holds the edit only in the editor.
TEST(DataLossE2E, PartsStandInsAndSwitchedRichTextNeverReplaceTheirFile) {
    struct Case {
        const char* name;
        std::string bytes;
        int32_t partialSize;
        std::string status;
        bool type;
        int command;
        bool saveAsks, closeAsks;
    };
    const Case cases[] = {
        {"big.txt", PlainLines(20000), 10000,
         "Partially Opened at 8192 bytes of 20000 bytes, File is Read Only", true, IDM_WORD_WRAP,
         true, true},
        {"data.json", Repeat("{\"records\": [", "{\"id\": 17, \"name\": \"entry\"}, ", 100000),
         20000, "Partially Opened at 16384 bytes of 100000 bytes, File is Read Only", false,
         IDM_RICH_TEXT, true, false},
        {"data.bin", Repeat("", std::string(40, '\0') + "a line\r\n\x01\x02\x1b", 20000), 1000000,
         "Opened at 20000 bytes, binary content shown, read only", true, 0, true, true},
        {"notes.rtf", kRichText, 1000000,
         "Opened at " + std::to_string(strlen(kRichText)) + " bytes", true, IDM_RICH_TEXT, false,
         true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        KorvidApp app;
        const std::string path = app.ProgramFolder() + c.name;
        WriteTextFile(path, c.bytes);
        app.WriteSettings({{KORVID_FIELD(PartialLoadSize), c.partialSize},
                           {KORVID_FIELD(PartialLoadMode), kModeAuto}});
        app.Start(Quote(path));
        app.WaitForEditor();
        app.WaitForStatus(c.status, 30000);
        EXPECT_EQ(app.EditorText().find('\0'), std::string::npos);
        if (c.type) {
            app.PressKeys("ctrl+End");
            app.TypeText("typed");
            app.WaitUntil([&] { return app.EditorText().find("typed") != std::string::npos; },
                          "the typed text");
        }
        if (c.command) {
            const std::string before = app.EditorText();
            const bool on = app.ToolbarChecked(c.command);
            app.PostCommand(c.command);
            app.WaitUntil([&] { return app.ToolbarChecked(c.command) != on; }, "the switch");
            if (c.command == IDM_WORD_WRAP)
                app.WaitForEditorText(before);
            EXPECT_EQ(app.EditorText().find("typed") != std::string::npos, c.type);
        }
        if (c.saveAsks) {
            app.PressKeys("ctrl+s");
            app.CancelFileDialog(app.WaitForFileDialog());
        }
        app.Close();
        if (c.closeAsks)
            app.Expect(kNotSaved, kThird);
        app.WaitForExit();
        EXPECT_TRUE(ReadFileBytes(path) == ToBytes(c.bytes)) << "the file changed";
    }
}

// Empty lines cost the control most memory per byte, so 6,000,000 bytes of
// them need more than a 32-bit process can have: the load stops while the
// text still fits, read only, whole line breaks, and a save asks for a name.
TEST(DataLossE2E, AFileTooLargeForMemoryLeavesAGuardedPartialDocument) {
    if (sizeof(void*) != 4) // the 64-bit build made where 32-bit programs cannot run
        GTEST_SKIP() << "the limit is a 32-bit process's address space";
    KorvidApp app;
    std::string text;
    for (int i = 0; i < 3000000; ++i)
        text += "\r\n";
    const std::string path = app.ProgramFolder() + "huge.txt";
    WriteTextFile(path, text);
    app.WriteSettings({{KORVID_FIELD(PartialLoadMode), kModeOff}});
    app.Start(Quote(path));
    app.WaitForEditor();
    const std::string prefix = "Partially Opened at ";
    const std::string suffix = " bytes of 6000000 bytes, not enough memory for the rest";
    std::string seen;
    app.WaitFor(
        [&] {
            try {
                seen = app.StatusMessage();
            } catch (const DriverError&) {
                seen = app.Running() ? "(busy laying the text out)" : "(ended)";
            }
            return seen.rfind(prefix, 0) == 0 || !app.Running();
        },
        [&] { return "a partial-load status; it shows \"" + seen + "\""; }, 240000);
    size_t loaded = std::strtoul(seen.c_str() + prefix.size(), nullptr, 10);
    EXPECT_EQ(seen, prefix + std::to_string(loaded) + suffix);
    EXPECT_GT(loaded, 0u);
    EXPECT_LT(loaded, text.size());
    EXPECT_EQ(loaded % 2, 0u) << "line breaks are taken whole";
    EXPECT_EQ(app.Send(app.Editor(), EM_GETLINECOUNT, 0, 0), static_cast<LRESULT>(loaded / 2 + 1));
    app.PostCommand(IDM_SAVE);
    app.CancelFileDialog(app.WaitForFileDialog(30000));
    EXPECT_TRUE(ReadFileBytes(path) == ToBytes(text));
}

// Whether the tests run as root, where scripts/test.sh mounts the disk.
static bool RunningAsRoot() {
    HANDLE file = CreateFileA("Z:\\proc\\self\\status", GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    char text[4096] = {};
    DWORD done = 0;
    ReadFile(file, text, sizeof text - 1, &done, nullptr);
    CloseHandle(file);
    return std::strstr(text, "\nUid:\t0\t") != nullptr;
}

// KORVID_SMALL_DISK names a small mounted file system (a 256 KB tmpfs).
TEST(DataLossE2E, ASaveToAFullDiskLeavesTheOldFileWhole) {
    const char* disk = std::getenv("KORVID_SMALL_DISK");
    if (!disk || !*disk) {
        if (RunningAsRoot())
            FAIL() << "KORVID_SMALL_DISK is not set, though the tests run as root, where "
                      "scripts/test.sh mounts the small disk";
        GTEST_SKIP() << "KORVID_SMALL_DISK is not set (a small disk needs root to mount)";
    }
    const std::string folder = WindowsPathOf(disk) + "\\korvid-e2e\\";
    const std::string path = folder + "full.txt", filler = folder + "filler.bin";
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string original = PlainLines(20000);
    WriteTextFile(path, original);
    KorvidApp app;
    app.WriteSettings({});
    app.Start(Quote(path));
    app.WaitForEditor();
    app.WaitForStatus("Opened at 20000 bytes");

    // Fill the disk to the last byte.
    HANDLE file = CreateFileA(filler.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    std::vector<char> block(4096, 'f');
    for (DWORD size = 4096, done = 0; size > 0; size = done == size ? size : size / 2)
        done = WriteFile(file, block.data(), size, &done, nullptr) ? done : 0;
    CloseHandle(file);

    app.PressKeys("ctrl+Home");
    app.TypeText("More ");
    app.WaitUntil([&] { return app.EditorText().rfind("More Line", 0) == 0; }, "the typed text");
    app.PressKeys("ctrl+s");
    app.Expect("Save Error", kFirst);
    app.WaitForStatus("Save Error");
    EXPECT_TRUE(ReadFileBytes(path) == ToBytes(original)) << "the failed save changed the file";
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((folder + "*.*").c_str(), &entry);
    int entries = 0;
    for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileA(find, &entry))
        entries += (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? 0 : 1;
    FindClose(find);
    EXPECT_EQ(entries, 2) << "files left beside the document";

    // With room again the same document saves.
    ASSERT_TRUE(DeleteFileA(filler.c_str()));
    app.PressKeys("ctrl+s");
    app.WaitForStatus("Saved at 20005 bytes");
    EXPECT_TRUE(ReadFileBytes(path) == ToBytes("More " + original));
    app.Close();
    app.WaitForExit();
    DeleteFileA(path.c_str());
    RemoveDirectoryA(folder.c_str());
}

namespace {

// The recovery copies in the program's data folder.
std::vector<std::string> RecoveryCopies(const KorvidApp& app) {
    std::vector<std::string> copies;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((app.ProgramFolder() + "Recover-*.kvr").c_str(), &entry);
    for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileA(find, &entry))
        copies.push_back(app.ProgramFolder() + entry.cFileName);
    FindClose(find);
    return copies;
}

void EndAsACrashWould(KorvidApp& app) {
    HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, app.ProcessId());
    ASSERT_NE(process, nullptr);
    TerminateProcess(process, 9);
    CloseHandle(process);
    app.WaitForExit();
}

} // namespace

// Text typed into a document outlives a process that ends without closing:
// a second Korvid running beside the first is not offered it; the next
// start offers it, "Ask me later" keeps it, "Recover unsaved text" brings
// back what was there at the pause and Save writes it to the file; "Discard
// it" removes a copy.
TEST(DataLossE2E, UnsavedTextComesBackAfterTheProcessEnds) {
    KorvidApp app;
    const std::string path = app.ProgramFolder() + "notes.txt";
    WriteTextFile(path, "first line\r\n");
    app.Start(Quote(path));
    app.WaitForEditor();
    app.PressKeys("ctrl+End");
    app.TypeText("typed, never saved");
    const std::string typed = "first line\r\ntyped, never saved";
    app.WaitForEditorText(typed);
    app.WaitUntil([&] { return RecoveryCopies(app).size() == 1; }, "the recovery copy", 20000);

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION second{};
    std::string exe = app.ProgramFolder() + "Korvid.exe", line = Quote(exe);
    ASSERT_TRUE(CreateProcessA(exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                               app.ProgramFolder().c_str(), &startup, &second));
    HWND secondMain = nullptr;
    app.WaitUntil(
        [&] {
            secondMain = FindTopWindow(second.dwProcessId, "KorvidBox");
            return secondMain != nullptr &&
                   FindWindowExA(secondMain, nullptr, "RichEdit20A", nullptr) != nullptr;
        },
        "the second Korvid's editor", kStartTimeout);
    DWORD_PTR result = 0;
    SendMessageTimeoutA(secondMain, WM_NULL, 0, 0, SMTO_NORMAL, kUiTimeout, &result);
    bool offered = false;
    for (DWORD start = GetTickCount(); GetTickCount() - start < 1000 && !offered; Sleep(20))
        offered = FindTopWindow(second.dwProcessId, "#32770", kNotifyCaption) != nullptr;
    EXPECT_FALSE(offered) << "the second Korvid was offered the first one's copy";
    TerminateProcess(second.hProcess, 0);
    WaitForSingleObject(second.hProcess, kExitTimeout);
    CloseHandle(second.hProcess);
    CloseHandle(second.hThread);

    EndAsACrashWould(app);
    app.Start();
    Notification offer = app.WaitForNotification(kStartTimeout);
    EXPECT_NE(offer.message.find("notes.txt"), std::string::npos) << offer.message;
    EXPECT_EQ(offer.ButtonText(kFirst), "Recover unsaved text");
    EXPECT_EQ(offer.ButtonText(kSecond), "Ask me later");
    EXPECT_EQ(offer.ButtonText(kThird), "Discard it");
    app.Answer(offer, kSecond);
    app.WaitForEditorText("");
    EXPECT_EQ(RecoveryCopies(app).size(), 1u) << "\"Ask me later\" keeps the copy";
    app.Close();
    app.WaitForExit();

    app.Start();
    app.Answer(app.WaitForNotification(kStartTimeout), kFirst);
    app.WaitForEditorText(typed);
    EXPECT_EQ(app.Title(), "notes.txt");
    app.PressKeys("ctrl+s");
    app.WaitForStatus("Saved at " + std::to_string(typed.size()) + " bytes");
    EXPECT_TRUE(ReadFileBytes(path) == ToBytes(typed));
    app.WaitUntil([&] { return RecoveryCopies(app).empty(); }, "the copy removed by the save");

    app.TypeText(" more");
    app.WaitUntil([&] { return RecoveryCopies(app).size() == 1; }, "a new copy", 20000);
    EndAsACrashWould(app);
    app.Start();
    app.Answer(app.WaitForNotification(kStartTimeout), kThird);
    app.WaitForEditorText("");
    EXPECT_TRUE(RecoveryCopies(app).empty()) << "\"Discard it\" removes the copy";
    EXPECT_TRUE(ReadFileBytes(path) == ToBytes(typed));

    // A new document comes back as a new document.
    EXPECT_EQ(app.Title(), "Untitled");
    app.TypeText("never named");
    app.WaitUntil([&] { return RecoveryCopies(app).size() == 1; }, "the untitled copy", 20000);
    EndAsACrashWould(app);
    app.Start();
    app.Answer(app.WaitForNotification(kStartTimeout), kFirst);
    app.WaitForEditorText("never named");
    EXPECT_EQ(app.Title(), "Untitled");
    EXPECT_NE(app.Send(app.Editor(), EM_GETMODIFY, 0, 0), 0);
}
