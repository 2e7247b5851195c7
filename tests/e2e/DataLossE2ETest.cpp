// The paths where a file could be lost: a document that is only part of its
// file, binary content shown with stand-ins, a Rich Text document switched
// to its source, a file too large for memory and a save to a full disk.
// None may ever write over the file it came from.
#include "tests/e2e/KorvidDriver.h"

#include <gtest/gtest.h>

#include <richedit.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>

using namespace korvid_e2e;

namespace {

constexpr int32_t kModeOff = 0, kModeAuto = 2;

// Lines of 32 bytes ending in CR LF.
std::string PlainLines(size_t size) {
    std::string text;
    char line[40];
    for (int n = 0; text.size() < size; ++n) {
        std::snprintf(line, sizeof line, "Line %07d of the large file\r\n", n);
        text += line;
    }
    return text.substr(0, size);
}

std::string Json(size_t size) {
    std::string json = "{\"records\": [";
    while (json.size() < size)
        json += "{\"id\": 17, \"name\": \"entry\"}, ";
    return json.substr(0, size);
}

std::string Binary(size_t size) {
    std::string bytes;
    for (int i = 0; bytes.size() < size; ++i)
        bytes += i % 3 == 0 ? std::string(40, '\0') : i % 3 == 1 ? "a line\r\n" : "\x01\x02\x1b";
    return bytes.substr(0, size);
}

const char* const kRichText =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\r\n"
    "\\pard\\f0\\fs22 Plain start, \\b bold words\\b0  end.\\par\r\n}\r\n";

} // namespace

// Each document is changed in its own way, offered to Ctrl+S where it must
// ask for another name, and closed, which asks after an edit: the file
// stays whole.
TEST(DataLossE2E, PartsStandInsAndSwitchedRichTextNeverReplaceTheirFile) {
    struct Case {
        const char* name;
        std::string bytes;
        int32_t partialSize;
        std::string status;
        std::function<void(KorvidApp&)> change;
        bool saveAsks, closeAsks;
    };
    auto typeAtEnd = [](KorvidApp& app) {
        app.PressKeys("ctrl+End");
        app.TypeText("typed");
        app.WaitUntil([&] { return app.EditorText().find("typed") != std::string::npos; },
                      "the typed text");
    };
    const Case cases[] = {
        // Word Wrap builds the editor afresh: text typed past the loaded
        // part comes back whole.
        {"big.txt", PlainLines(20000), 10000,
         "Partially Opened at 8192 bytes of 20000 bytes, File is Read Only",
         [&](KorvidApp& app) {
             typeAtEnd(app);
             std::string before = app.EditorText();
             app.PostCommand(IDM_WORD_WRAP);
             app.WaitUntil([&] { return !app.ToolbarChecked(IDM_WORD_WRAP); }, "Word Wrap off");
             app.WaitForEditorText(before);
         },
         true, true},
        // JSON starts with "{": the switch asks nothing.
        {"data.json", Json(100000), 20000,
         "Partially Opened at 16384 bytes of 100000 bytes, File is Read Only",
         [](KorvidApp& app) {
             app.PostCommand(IDM_RICH_TEXT);
             app.WaitUntil([&] { return app.ToolbarChecked(IDM_RICH_TEXT); }, "Rich Text on");
         },
         true, false},
        {"data.bin", Binary(20000), 1000000,
         "Opened at 20000 bytes, binary content shown, read only",
         [&](KorvidApp& app) {
             EXPECT_EQ(app.EditorText().find('\0'), std::string::npos);
             typeAtEnd(app);
         },
         true, true},
        // An edited Rich Text document switched to its source: the edit
        // lives only in the editor.
        {"notes.rtf", kRichText, 1000000,
         "Opened at " + std::to_string(strlen(kRichText)) + " bytes",
         [&](KorvidApp& app) {
             typeAtEnd(app);
             app.PostCommand(IDM_RICH_TEXT);
             app.WaitUntil([&] { return app.EditorText().rfind("{\\rtf1", 0) == 0; },
                           "the Rich Text source");
             EXPECT_NE(app.EditorText().find("typed"), std::string::npos);
         },
         false, true},
    };
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
        c.change(app);
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
                seen = "(busy)"; // laying the text out, or ended (the next look fails)
                if (!app.Running())
                    app.Fail("the program ended during the load");
            }
            return seen.rfind(prefix, 0) == 0;
        },
        [&] { return "a partial-load status; it shows \"" + seen + "\""; }, 240000);
    ASSERT_GT(seen.size(), prefix.size() + suffix.size()) << seen;
    EXPECT_EQ(seen.substr(seen.size() - suffix.size()), suffix);
    size_t loaded = std::stoul(seen.substr(prefix.size()));
    EXPECT_GT(loaded, 0u);
    EXPECT_LT(loaded, text.size());
    EXPECT_EQ(loaded % 2, 0u) << "line breaks are taken whole";
    EXPECT_EQ(app.Send(app.Editor(), EM_GETLINECOUNT, 0, 0), static_cast<LRESULT>(loaded / 2 + 1));
    app.PostCommand(IDM_SAVE);
    app.CancelFileDialog(app.WaitForFileDialog(30000));
    EXPECT_TRUE(ReadFileBytes(path) == ToBytes(text));
}

namespace {

// Whether the tests run as root, where scripts/test.sh mounts the disk.
bool RunningAsRoot() {
    HANDLE file = CreateFileA("Z:\\proc\\self\\status", GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    char text[4096] = {};
    DWORD done = 0;
    ReadFile(file, text, sizeof text - 1, &done, nullptr);
    CloseHandle(file);
    return std::strstr(text, "\nUid:\t0\t") != nullptr;
}

} // namespace

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
    struct Cleanup {
        std::string path, filler, folder;
        ~Cleanup() {
            DeleteFileA(path.c_str());
            DeleteFileA(filler.c_str());
            RemoveDirectoryA(folder.c_str());
        }
    } cleanup{path, filler, folder};
    const std::string original = PlainLines(20000);
    WriteTextFile(path, original);
    KorvidApp app;
    app.WriteSettings({});
    app.Start(Quote(path));
    app.WaitForEditor();
    app.WaitForStatus("Opened at 20000 bytes");

    // Fill the disk to the last byte.
    HANDLE file = CreateFileA(filler.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    std::vector<char> block(4096, 'f');
    DWORD done = 0;
    for (DWORD size = 4096; size > 0; size = done == size ? size : size / 2)
        if (!WriteFile(file, block.data(), size, &done, nullptr))
            done = 0;
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
    int files = 0;
    do
        files += (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? 0 : 1;
    while (find != INVALID_HANDLE_VALUE && FindNextFileA(find, &entry));
    FindClose(find);
    EXPECT_EQ(files, 2) << "files left beside the document";

    // With room again the same document saves.
    ASSERT_TRUE(DeleteFileA(filler.c_str()));
    app.PressKeys("ctrl+s");
    app.WaitForStatus("Saved at 20005 bytes");
    EXPECT_TRUE(ReadFileBytes(path) == ToBytes("More " + original));
}
