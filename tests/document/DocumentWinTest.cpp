// Documents through the real control and real files: streaming in and out,
// the never-destroying save, partial, binary and read-only files and their
// save guards, the Rich Text switch, the close check, New, Open, Save As,
// Revert and Reload, and what the file name decides.
#include "MainWindowFixture.h"

#include "document/Load.h"
#include "document/Recovery.h"
#include "document/Save.h"

#include <cstdlib>

namespace {

std::string Wide(const std::string& narrow) {
    std::string w;
    for (char c : narrow)
        w += std::string{c, '\0'};
    return w;
}

class DocumentTest : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        CreateBars();
    }
    // Opens a file of these bytes, marks it changed, saves it and returns
    // what the file holds then.
    std::string RoundTrip(const std::string& bytes) {
        OpenWith("round.txt", bytes);
        SetModified(true);
        EXPECT_EQ(SaveDocument(), 0);
        return FileBytes(folder.File("round.txt"));
    }
    void PartlyLoad(const std::string& name, const std::string& bytes) {
        settings.PartialLoadSize = 10000;
        settings.PartialLoadMode = 2; // Auto
        OpenWith(name, bytes);
        ASSERT_EQ(doc.partialLoaded, 1);
    }
};

} // namespace

// The control asks for 4096 bytes a request; a line break split across two
// requests must still come back as one, in every encoding and break style.
TEST_F(DocumentTest, EveryEncodingAndBreakStyleRoundTripsAcrossEveryRequestBoundary) {
    struct Encoding {
        const char* mark;
        int unit;           // bytes a character
        const char* filler; // repeated to fill the text
        const char* status; // after "Saved at N bytes"
    };
    const Encoding encodings[] = {{"", 1, "caf\xE9 \xFC\xDF ", ""},
                                  {"\xFF\xFE", 2, "wide text ", ", Unicode"},
                                  {"\xEF\xBB\xBF", 1, "caf\xC3\xA9 \xE2\x82\xAC ", ", UTF-8"},
                                  {"", 1, "\xF0\x9F\x98\x80 caf\xC3\xA9 \xE2\x82\xAC ", ", UTF-8"}};
    for (const Encoding& e : encodings)
        for (std::string brk : {"\r\n", "\n", "\r"})
            for (int at = 4093; at <= 4097; ++at) {
                SCOPED_TRACE(std::string("mark ") + e.mark + ", break of " +
                             std::to_string(brk.size()) + " at byte " + std::to_string(at));
                std::string text;
                while (text.size() * e.unit < static_cast<size_t>(at))
                    text += e.filler;
                text.resize(at / e.unit);
                while (!text.empty() && static_cast<unsigned char>(text.back()) >= 0x80)
                    text.pop_back(); // no UTF-8 character cut in two
                text.resize(at / e.unit, 'a');
                text += brk + "middle" + brk + std::string(4100, 'b') + brk + "end";
                std::string bytes = e.mark + (e.unit == 2 ? Wide(text) : text);
                ASSERT_EQ(RoundTrip(bytes), bytes);
                EXPECT_EQ(Status(),
                          "Saved at " + std::to_string(bytes.size()) + " bytes" + e.status);
            }
    OpenWith("odd.txt", "\xFF\xFE" + Wide("abc") + "X");
    EXPECT_EQ(EditorText(), "abc");
    // Word Wrap rebuilds the editor through a working file; with no break
    // left the style stays the document's for the breaks typed afterwards.
    OpenWith("lf.txt", "one\ntwo\n");
    SetText("x");
    Command(IDM_WORD_WRAP);
    Command(IDM_WORD_WRAP);
    Select(1, 1);
    Type("\ry");
    EXPECT_EQ(SaveDocument(), 0);
    EXPECT_EQ(FileBytes(folder.File("lf.txt")), "x\ny");
}

// UTF-8 without a mark, as word lists and most files of other systems are
// written: shown as its characters, saved as its own bytes, and an edit
// changes only the bytes it touches. Whether a file is UTF-8 is decided
// from all of it, or from what is read of a partly loaded one.
TEST_F(DocumentTest, Utf8WithoutAMarkShowsItsCharactersAndKeepsItsBytes) {
    auto wideText = [] {
        std::wstring text(GetWindowTextLengthA(app.editorWindow) * 2 + 2, L'\0');
        GETTEXTEX get = {static_cast<DWORD>(text.size() * 2), GT_DEFAULT, 1200, nullptr, nullptr};
        text.resize(SendMessageA(app.editorWindow, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get),
                                 reinterpret_cast<LPARAM>(&text[0])));
        return text;
    };
    std::string words = "na\xC3\xAFve\n";
    for (int i = 0; i < 2000; ++i)
        words += "word" + std::to_string(i) + "\n";
    words += "\xC3\x85ngstr\xC3\xB6m\n\xC3\x85ngstr\xC3\xB6ms\nzebra\n";
    OpenWith("words", words);
    EXPECT_EQ(Status(), "Opened at " + std::to_string(words.size()) + " bytes, UTF-8");
    EXPECT_NE(wideText().find(L"\r\u00C5ngstr\u00F6m\r\u00C5ngstr\u00F6ms\r"), std::wstring::npos);
    SetModified(true);
    ASSERT_EQ(SaveDocument(), 0);
    EXPECT_EQ(FileBytes(folder.File("words")), words);
    Select(0, 5); // "naive" with its diaeresis
    Type("plain");
    Select(-1, -1);
    SETTEXTEX add = {ST_SELECTION, 1200};
    SendMessageA(app.editorWindow, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&add),
                 reinterpret_cast<LPARAM>(L"Z\u00FCrich"));
    const std::string edited = "plain" + words.substr(6) + "Z\xC3\xBCrich";
    ASSERT_EQ(SaveDocument(), 0);
    EXPECT_EQ(FileBytes(folder.File("words")), edited);
    // Word Wrap rebuilds the editor through the working file.
    Command(IDM_WORD_WRAP);
    Command(IDM_WORD_WRAP);
    ASSERT_EQ(SaveDocument(), 0);
    EXPECT_EQ(FileBytes(folder.File("words")), edited);

    // Valid at the start, a stray byte late on: 8-bit text when read whole,
    // UTF-8 when only the start is read, which stops short of a character
    // cut at the end of what is read.
    std::string mixed = std::string(9998, 'x') + "\xE2\x82\xAC" + std::string(3000, 'y');
    mixed.replace(5, 2, "\xC3\xA9");
    mixed += "caf\xE9";
    OpenWith("mixed.txt", mixed);
    EXPECT_EQ(Status(), "Opened at " + std::to_string(mixed.size()) + " bytes");
    EXPECT_EQ(EditorText().substr(0, 8), "xxxxx\xC3\xA9x");
    PartlyLoad("mixed.txt", mixed);
    EXPECT_EQ(Status(), "Partially Opened at 9998 bytes of " + std::to_string(mixed.size()) +
                            " bytes, UTF-8, File is Read Only");
    EXPECT_EQ(wideText().substr(0, 7), L"xxxxx\u00E9x");
    EXPECT_EQ(wideText().size(), 9997u);
    // The mark is no character of the text.
    OpenWith("marked.txt", "\xEF\xBB\xBF"
                           "caf\xC3\xA9");
    EXPECT_EQ(wideText(), L"caf\u00E9");
}

TEST_F(DocumentTest, ASaveReplacesTheOldFileWholeOrLeavesItAsItWas) {
    ASSERT_TRUE(WriteWholeFile(folder.File("doc.txt"), std::string(50000, 'o')));
    SetText("short new text");
    ASSERT_EQ(SaveDocumentFile(app.editorWindow, folder.File("doc.txt").c_str()), 0);
    EXPECT_EQ(FileBytes(folder.File("doc.txt")), "short new text");
    // A folder in the target's place cannot be replaced by a file.
    CreateDirectoryA(folder.File("target").c_str(), nullptr);
    EXPECT_FALSE(WriteFileReplacing(folder.File("target").c_str(), "abc", 3));
    EXPECT_TRUE(GetFileAttributesA(folder.File("target").c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    WIN32_FIND_DATAA found;
    EXPECT_EQ(FindFirstFileA(folder.File("*.tmp").c_str(), &found), INVALID_HANDLE_VALUE);
    EXPECT_EQ(SaveDocumentFile(app.editorWindow, folder.File("no such\\x.txt").c_str()), 1);

    // Names that cannot be read: a folder, a file another program holds.
    Open(folder.File("target"));
    EXPECT_EQ(Status(), "Open Error");
    HANDLE held = CreateFileA(folder.File("doc.txt").c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    Open(folder.File("doc.txt"));
    EXPECT_EQ(Status(), "Open Error");
    CloseHandle(held);
}

// scripts/test.sh mounts a small disk where it can (as root) and names it.
TEST_F(DocumentTest, AFullDiskLeavesTheOldFileWhole) {
    const char* small = std::getenv("KORVID_SMALL_DISK");
    if (small == nullptr || *small == 0) {
        // The Unix side of this process, through Wine's drive of the root.
        std::string status = FileBytes("Z:\\proc\\self\\status");
        size_t uid = status.find("Uid:");
        if (uid != std::string::npos && std::atoi(status.c_str() + uid + 4) == 0)
            FAIL() << "running as root, where a small disk can be mounted, but none "
                      "was given";
        GTEST_SKIP() << "no small disk given (scripts/test.sh mounts one as root)";
    }
    std::string path = std::string("Z:") + small + "\\precious.txt";
    for (char& c : path)
        c = c == '/' ? '\\' : c;
    std::string old = "the original text, which must survive\r\n";
    OpenWith("unused.txt", "");
    ASSERT_TRUE(WriteWholeFile(path, old));
    Open(path);
    std::string big;
    while (big.size() < 512 * 1024)
        big += "a line of text that will not fit on the small disk\r\n";
    SetText(big);
    EXPECT_EQ(SaveDocument(), 1);
    EXPECT_EQ(Status(), "Save Error");
    EXPECT_EQ(FileBytes(path), old);
    DeleteFileA(path.c_str());
}

TEST_F(DocumentTest, TheThresholdAndTheModeDecidePartialLoading) {
    settings.PartialLoadSize = 10000;
    settings.PartialLoadMode = 2; // Auto
    OpenWith("exact.txt", std::string(10000, 'e'));
    EXPECT_EQ(Status(), "Opened at 10000 bytes");
    OpenWith("more.txt", std::string(10001, 'm'));
    EXPECT_EQ(Status(), "Partially Opened at 8192 bytes of 10001 bytes, File is Read Only");
    EXPECT_EQ(GetWindowTextLengthA(app.editorWindow), 8192);
    EXPECT_EQ(doc.readOnly, 1);
    settings.PartialLoadMode = 1; // the question decides
    for (int button : {IDOK, IDCANCEL}) {
        Answer(kAsk, button, [&] { Open(folder.File("more.txt")); }); // "Partial Load..."
        EXPECT_EQ(GetWindowTextLengthA(app.editorWindow), button == IDOK ? 8192 : 10001);
    }
    settings.PartialLoadMode = 0; // off: whole, without a question
    EXPECT_FALSE(DialogDuring(
        kAsk, [](HWND q) { PressDialogButton(q, IDOK); }, [&] { Open(folder.File("more.txt")); }));
    EXPECT_EQ(Status(), "Opened at 10001 bytes");
    settings.PartialLoadMode = 1; // and the question is still there when asked for
    Answer(kAsk, IDCANCEL, [&] { Open(folder.File("more.txt")); });

    // Sizes beyond 32 bits show their true size.
    std::string path = folder.File("huge.log");
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD done = 0;
    WriteFile(file, "start of a big log\r\n", 20, &done, nullptr);
    LARGE_INTEGER size = {{705032704, 1}}; // 5,000,000,000
    ASSERT_TRUE(SetFilePointerEx(file, size, nullptr, FILE_BEGIN) && SetEndOfFile(file));
    CloseHandle(file);
    settings.PartialLoadMode = 2;
    Open(path);
    EXPECT_EQ(Status(), "Partially Opened at 8192 bytes of 5000000000 bytes, binary content "
                        "shown, read only");
    EXPECT_EQ(EditorText().substr(0, 18), "start of a big log");
}

// A partly loaded file holds only its start; binary content holds stand-ins
// for NUL bytes: neither is ever written over its file, but under another
// name either becomes a document of its own.
TEST_F(DocumentTest, PartialAndBinaryDocumentsAreNeverSavedOverTheirFiles) {
    const std::string original(20000, 'o');
    PartlyLoad("big.txt", original);
    Type("edit");
    ChooseFile("Save As", folder.File("big.txt"), [&] { Command(IDM_SAVE); });
    EXPECT_EQ(FileBytes(folder.File("big.txt")), original);
    EXPECT_EQ(Status().rfind("Partly loaded: save it under another name", 0), 0u)
        << Status(); // ", Modified" may follow
    EXPECT_EQ(doc.readOnly, 1);
    ChooseFile("Save As", folder.File("part.txt"), [&] { Command(IDM_SAVE); });
    EXPECT_EQ(FileBytes(folder.File("part.txt")).size(), 8192u + 4u);
    EXPECT_EQ(doc.partialLoaded, 0);
    Type("!");
    Command(IDM_SAVE); // its own document now: no dialog
    EXPECT_EQ(FileBytes(folder.File("part.txt")).size(), 8192u + 5u);

    const char standIn = GetACP() >= 1250 && GetACP() <= 1258 ? '\xB7' : '.';
    const std::string binary("A\0B\0\0C\x01\x02\tD", 10);
    OpenWith("bin.dat", binary);
    EXPECT_EQ(EditorText(), std::string("A") + standIn + "B" + standIn + standIn + "C" + standIn +
                                standIn + "\tD");
    EXPECT_EQ(Status(), "Opened at 10 bytes, binary content shown, read only");
    Type("edit");
    ChooseFile("Save As", folder.File("bin.dat"), [&] { Command(IDM_SAVE); });
    EXPECT_EQ(FileBytes(folder.File("bin.dat")), binary);
    EXPECT_EQ(Status().rfind("Binary content: save it under another name", 0), 0u)
        << Status(); // ", Modified" may follow
    ChooseFile("Save As", folder.File("copy.txt"), [&] { Command(IDM_SAVE); });
    EXPECT_EQ(FileBytes(folder.File("copy.txt")).find('\0'), std::string::npos);
    EXPECT_EQ(doc.binaryContent, 0);
    // A NUL unit of UTF-16, but not a unit whose low byte is zero.
    OpenWith("wide.dat", "\xFF\xFE" + Wide("x") + std::string("\0\0\0\x01", 4));
    wchar_t wide[8] = {};
    GETTEXTEX request = {sizeof wide, GT_DEFAULT, 1200, nullptr, nullptr};
    SendMessageA(app.editorWindow, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&request),
                 reinterpret_cast<LPARAM>(wide));
    EXPECT_EQ(std::wstring(wide), L"x\x00B7\x0100");
    EXPECT_EQ(Status(), "Opened at 8 bytes, Unicode, binary content shown, read only");
}

// Word Wrap's rebuild keeps what was typed past the threshold, and the Rich
// Text switch (no question: the text starts with "{") leaves the document
// guarded against Save, Save As onto its file and autosave. New ends it.
TEST_F(DocumentTest, APartlyLoadedFileStaysGuardedThroughRebuildAndSwitch) {
    std::string original = "{\"items\": [";
    while (original.size() < 20000)
        original += "\"entry\", ";
    PartlyLoad("data.json", original);
    Select(-1, -1);
    Type("typed at the end");
    Command(IDM_WORD_WRAP);
    EXPECT_EQ(EditorText(), original.substr(0, 8192) + "typed at the end");
    Command(IDM_RICH_TEXT);
    ASSERT_EQ(doc.richText, 1);
    EXPECT_EQ(doc.partialLoaded, 1);
    Answer("Save As", IDCANCEL, [&] { Command(IDM_SAVE); });
    ChooseFile("Save As", folder.File("data.json"), [&] { Command(IDM_SAVE_AS); });
    EXPECT_EQ(Status().rfind("Partly loaded: save it under another name", 0), 0u)
        << Status(); // ", Modified" may follow
    settings.AutoSaveMode = AutosaveOriginal;
    EXPECT_FALSE(DialogDuring(
        "Save As", [](HWND d) { PressDialogButton(d, IDCANCEL); },
        [&] { OnMainTimer(app.mainWindow, TIMER_AUTOSAVE); }));
    EXPECT_EQ(FileBytes(folder.File("data.json")), original);
    DialogDuring(
        kAsk, [](HWND q) { PressDialogButton(q, IDC_NOTIFY_THIRD); },
        [&] { Command(IDM_NEW); }); // "Abandon changes" when it asks
    EXPECT_EQ(doc.partialLoaded + doc.binaryContent + doc.readOnly, 0);
}

TEST_F(DocumentTest, AReadOnlyFileAsksAndOnlyOverrideWritesItKeepingTheAttribute) {
    std::string path = folder.File("ro.txt");
    ASSERT_TRUE(WriteWholeFile(path, "old"));
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    Open(path);
    EXPECT_EQ(Status(), "Opened at 3 bytes, File is Read Only");
    SetText("new");
    Answer(kAsk, IDCANCEL, [&] { EXPECT_EQ(SaveDocument(), 1); }); // "Abort Close"
    EXPECT_EQ(FileBytes(path), "old");
    Answer(kAsk, IDOK, [&] { EXPECT_EQ(SaveDocument(), 0); }); // "OverRide ReadOnly"
    EXPECT_EQ(FileBytes(path), "new");
    EXPECT_TRUE(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(DocumentTest, TheCloseCheckAnswers) {
    Open(folder.File("new.txt")); // not there yet: an empty, named document
    EXPECT_EQ(Status(), "Korvid 1.9");
    SetText("changed");
    SetModified(true);
    std::string texts;
    Answer(
        kAsk, IDCANCEL, [&] { EXPECT_EQ(ConfirmDiscard(), 1); },
        [&](HWND q) {
            texts = ItemText(q, IDC_NOTIFY_TEXT) + "|" + ItemText(q, IDOK) + "|" +
                    ItemText(q, IDCANCEL) + "|" + ItemText(q, IDC_NOTIFY_THIRD);
        });
    EXPECT_EQ(texts, "File is not saved and changes will be lost|Save file now|Abort Close|"
                     "Abandon changes");
    Answer(kAsk, IDC_NOTIFY_THIRD, [&] { EXPECT_EQ(ConfirmDiscard(), 0); });
    EXPECT_FALSE(FileExists(folder.File("new.txt")));
    Answer(kAsk, IDOK, [&] { EXPECT_EQ(ConfirmDiscard(), 0); });
    EXPECT_EQ(FileBytes(folder.File("new.txt")), "changed");
    SetText("");
    SetModified(true);
    EXPECT_FALSE(DialogDuring(
        kAsk, [](HWND q) { PressDialogButton(q, IDCANCEL); },
        [&] { EXPECT_EQ(ConfirmDiscard(), 0); }))
        << "an emptied document asks nothing while \"Save empty files\" is off";
    settings.SaveEmptyFiles = 1;
    Answer(kAsk, IDOK, [&] { EXPECT_EQ(ConfirmDiscard(), 0); });
    EXPECT_EQ(FileBytes(folder.File("new.txt")), "");

    // "Save file now" on an untitled document whose Save dialog is cancelled.
    Command(IDM_NEW);
    Type("draft");
    Answer(kAsk, IDOK,
           [&] { Answer("Save As", IDCANCEL, [&] { EXPECT_EQ(ConfirmDiscard(), 1); }); });
    EXPECT_EQ(Title(), "Untitled");
}

TEST_F(DocumentTest, NewOpenSaveAsRevertAndReload) {
    OpenWith("kept.txt", "Kept on disk\r\n");
    Command(IDM_NEW);
    EXPECT_EQ(EditorText(), "");
    EXPECT_EQ(Title(), "Untitled");
    Command(IDM_REVERT);
    EXPECT_EQ(EditorText(), "Kept on disk\r\n");
    EXPECT_EQ(Title(), "kept.txt");

    // Reload drops changes without asking, where the close check asks.
    Type("?");
    Answer(kAsk, IDCANCEL, [&] { EXPECT_EQ(ConfirmDiscard(), 1); });
    ASSERT_TRUE(WriteWholeFile(folder.File("kept.txt"), "outside"));
    EXPECT_FALSE(DialogDuring(
        kAsk, [](HWND q) { PressDialogButton(q, IDCANCEL); }, [&] { Command(IDM_RELOAD); }));
    EXPECT_EQ(EditorText(), "outside");

    // Save As on a named document writes the copy and keeps the name.
    Select(0, 0);
    Type("+");
    ChooseFile("Save As", folder.File("copy.txt"), [&] { Command(IDM_SAVE_AS); });
    EXPECT_EQ(FileBytes(folder.File("copy.txt")), "+outside");
    EXPECT_EQ(Title(), "kept.txt");
    Command(IDM_SAVE);
    EXPECT_EQ(FileBytes(folder.File("kept.txt")), "+outside");
    // A chosen file opens.
    ChooseFile("Open", folder.File("copy.txt"), [&] { Command(IDM_OPEN); });
    EXPECT_EQ(Title(), "copy.txt");
}

// Rich Text the program writes ends with its brace and holds no NUL (the
// control hands over one after the brace).
TEST_F(DocumentTest, ARichTextFileLoadsAndSavesAsRichText) {
    OpenWith("notes.RTF", "{\\rtf1\\ansi Hello \\b bold\\b0 world\\par\n}");
    EXPECT_EQ(doc.richText, 1);
    EXPECT_EQ(EditorText().substr(0, 15), "Hello boldworld");
    SetModified(true);
    ASSERT_EQ(SaveDocument(), 0);
    std::string saved = FileBytes(folder.File("notes.RTF"));
    EXPECT_EQ(saved.substr(0, 5), "{\\rtf");
    EXPECT_EQ(saved.back(), '}');
    EXPECT_EQ(saved.find('\0'), std::string::npos);
}

// The switch shows the text in the other format: that is not the file's
// content, so the document counts as changed, while size, write time and
// status still describe its file; the document keeps its encoding and
// break style for its plain saves.
TEST_F(DocumentTest, TheRichTextSwitch) {
    OpenWith("p.txt", "plain words");
    Answer(kAsk, IDCANCEL, [&] { Command(IDM_RICH_TEXT); }); // "Abort convertion"
    EXPECT_EQ(doc.richText, 0);
    EXPECT_EQ(EditorText(), "plain words");

    OpenWith("src.txt", "{\\rtf1 Rich \\b words\\b0}");
    const FILETIME written = doc.fileWriteTime;
    const std::string status = Status();
    Command(IDM_RICH_TEXT); // starts with "{": no question
    ASSERT_EQ(doc.richText, 1);
    EXPECT_EQ(EditorText(), "Rich words");
    EXPECT_TRUE(Modified());
    EXPECT_EQ(CompareFileTime(&written, &doc.fileWriteTime), 0);
    EXPECT_EQ(Status().rfind(status, 0), 0u) << Status();
    Answer(kAsk, IDCANCEL, [&] { EXPECT_EQ(ConfirmDiscard(), 1); });
    EXPECT_EQ(FileBytes(folder.File("src.txt")), "{\\rtf1 Rich \\b words\\b0}");
    // Written as 8-bit Rich Text; switched back, the UTF-16 LF document
    // saves as it came.
    OpenWith("src.txt", "\xFF\xFE" + Wide("{a}\nline two\n"));
    Command(IDM_RICH_TEXT);
    ASSERT_EQ(SaveDocument(), 0);
    std::string rich = FileBytes(folder.File("src.txt"));
    EXPECT_EQ(rich.rfind("{\\rtf", 0), 0u) << rich.substr(0, 8);
    EXPECT_EQ(rich.find('\0'), std::string::npos);
    Command(IDM_RICH_TEXT);
    ASSERT_EQ(doc.richText, 0);
    EXPECT_EQ(doc.binaryContent + doc.readOnly, 0);
    ASSERT_EQ(SaveDocument(), 0);
    std::string plain = FileBytes(folder.File("src.txt"));
    EXPECT_EQ(plain.rfind("\xFF\xFE{\0\\\0r\0t\0f\0", 0), 0u);
    EXPECT_EQ(plain.find('\r'), std::string::npos);
}

// The copy of unsaved text brings the document back under its own name and
// in its own format, where the usual save then writes it, and goes once the
// text is saved or given up. Only a copy whose owner is gone is offered; a
// partly loaded original stays guarded; a copy that cannot be read stays.
TEST_F(DocumentTest, TheRecoveryCopyPutsTheDocumentBackAndGoesWhenNoLongerNeeded) {
    struct Case {
        const char* name;
        std::string bytes, saved; // "" for Rich Text
    };
    const Case cases[] = {
        {"plain.txt", "caf\xE9\r\nend", "caf\xE9\r\nend+"},
        {"lf.txt", "one\ntwo", "one\ntwo+"},
        {"wide.txt", "\xFF\xFE" + Wide("w\xE9\r\nx"), "\xFF\xFE" + Wide("w\xE9\r\nx+")},
        {"utf8.txt", "\xEF\xBB\xBF\xE2\x82\xAC\r\n", "\xEF\xBB\xBF\xE2\x82\xAC\r\n+"},
        {"bare8.txt", "\xE2\x82\xAC\n", "\xE2\x82\xAC\n+"},
        {"notes.rtf", "{\\rtf1\\ansi Hello \\b bold\\b0\\par\n}", ""}};
    auto typeAndCopy = [&] {
        Select(-1, -1);
        Type("+");
        EXPECT_TRUE(WriteRecoveryCopyNow());
        return OwnRecoveryCopy();
    };
    auto recover = [&](const std::string& copy) { // as a new process would
        std::memset(&doc, 0, sizeof doc);
        doc.lineBreaks = -1;
        SetText("");
        ASSERT_TRUE(RecoverFromCopy(copy.c_str()));
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OpenWith(c.name, c.bytes);
        const std::string copy = typeAndCopy(), shown = EditorText();
        const DocumentState before = doc;
        ASSERT_NE(copy, "");
        recover(copy);
        EXPECT_EQ(EditorText(), shown);
        EXPECT_TRUE(Modified());
        EXPECT_EQ(Title(), c.name);
        EXPECT_EQ(std::vector<int>(
                      {doc.richText, doc.unicodeText, doc.utf8Text, doc.utf8Mark, doc.lineBreaks}),
                  std::vector<int>({before.richText, before.unicodeText, before.utf8Text,
                                    before.utf8Mark, before.lineBreaks}));
        ASSERT_EQ(SaveDocument(), 0);
        std::string file = FileBytes(folder.File(c.name));
        EXPECT_EQ(c.saved.empty() ? file.substr(0, 5) : file, c.saved.empty() ? "{\\rtf" : c.saved);
        EXPECT_FALSE(FileExists(copy)) << "a save removes the copy";
    }
    // Opening another document and abandoning changes remove it too.
    std::string copy = typeAndCopy();
    OpenWith("other.txt", "o");
    EXPECT_FALSE(FileExists(copy));
    copy = typeAndCopy();
    Answer(kAsk, IDC_NOTIFY_THIRD, [&] { EXPECT_EQ(ConfirmDiscard(), 0); });
    EXPECT_FALSE(FileExists(copy));
    // Changes that never leave a lull are copied after a second period.
    Type("~");
    NoteRecoveryChange();
    SendMessageA(app.mainWindow, WM_TIMER, TIMER_RECOVERY_STEADY, 0);
    KillTimer(app.mainWindow, TIMER_RECOVERY_PAUSE); // no lull comes
    SendMessageA(app.mainWindow, WM_TIMER, TIMER_RECOVERY_STEADY, 0);
    for (DWORD start = GetTickCount(); !FileExists(copy) && GetTickCount() - start < 5000;)
        Sleep(10); // the write's own thread; no messages, so no lull either
    EXPECT_TRUE(FileExists(copy));

    const std::string big(20000, 'p');
    PartlyLoad("big.txt", big);
    copy = typeAndCopy();
    const std::string shown = EditorText(), offered = folder.File("Recover-77.kvr");
    ASSERT_TRUE(WriteWholeFile(offered, FileBytes(copy)));
    Answer(kAsk, IDC_NOTIFY_THIRD, [&] { EXPECT_EQ(ConfirmDiscard(), 0); });
    HANDLE owner = CreateFileA(folder.File("Recover-77.kvl").c_str(), GENERIC_WRITE, 0, nullptr,
                               CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    EXPECT_FALSE(DialogDuring(
        kAsk, [](HWND q) { PressDialogButton(q, IDOK); },
        [&] { OfferRecoveryCopies(app.mainWindow); }))
        << "a copy whose owner runs is not offered";
    CloseHandle(owner);
    std::string message;
    Answer(
        kAsk, IDOK, [&] { OfferRecoveryCopies(app.mainWindow); },
        [&](HWND q) { message = ItemText(q, IDC_NOTIFY_TEXT); });
    EXPECT_NE(message.find(folder.File("big.txt")), std::string::npos) << message;
    EXPECT_EQ(EditorText(), shown);
    EXPECT_EQ(doc.partialLoaded, 1);
    EXPECT_EQ(SaveDocumentFile(app.editorWindow, doc.fileName), 1);
    EXPECT_EQ(FileBytes(folder.File("big.txt")), big);
    EXPECT_EQ(OwnRecoveryCopy(), offered);
    EndRecovery();
    EXPECT_FALSE(FileExists(offered));

    ASSERT_TRUE(WriteWholeFile(offered, "Korvid recovery copy 1\r\nsize=9\r\n\r\ncut"));
    Answer(
        kAsk, IDOK, [&] { OfferRecoveryCopies(app.mainWindow); },
        [&](HWND q) { message = ItemText(q, IDC_NOTIFY_TEXT); });
    EXPECT_NE(message.find("cannot be read"), std::string::npos) << message;
    EXPECT_TRUE(FileExists(offered)) << "an unreadable copy is kept";
}
