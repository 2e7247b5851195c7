#include "MainWindowFixture.h"

#include "app/Bars.h"
#include "document/DocumentNames.h"
#include "document/Lifecycle.h"
#include "document/Load.h"
#include "document/Notify.h"
#include "document/Save.h"

#include <atomic>
#include <cstdlib>
#include <thread>

namespace {

class DocumentTest : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        CreateBars();
        settings.ShowFileErrors = 0;
    }
    void Open(const std::string& path) {
        TextCopy(path.c_str(), doc.fileName);
        OpenDocument();
    }
    std::string Status() {
        char text[128] = {};
        SendMessageA(app.statusBar, SB_GETTEXTA, 3, reinterpret_cast<LPARAM>(text));
        return text;
    }
    std::string FileBytes(const std::string& path) {
        std::string bytes;
        ReadWholeFile(path, &bytes);
        return bytes;
    }
    // Opens, edits (types at the end and deletes it again, so the text is
    // the same), saves and returns the file's bytes.
    std::string RoundTrip(const std::string& name, const std::string& bytes) {
        std::string path = folder.File(name);
        EXPECT_TRUE(WriteWholeFile(path, bytes));
        Open(path);
        SendMessageA(app.editorWindow, EM_SETMODIFY, TRUE, 0);
        EXPECT_EQ(SaveDocument(), 0);
        return FileBytes(path);
    }
};

// Runs `action`; a window of this process captioned `caption` that shows
// meanwhile is answered with `buttonId`. Returns whether one showed.
bool AskedDuring(const char* caption, int buttonId, const std::function<void()>& action) {
    std::atomic<bool> done{false}, asked{false}, ended{false};
    std::string title = caption;
    std::thread watch([&] {
        while (!done) {
            if (HWND dialog = FindOwnWindow(title.c_str())) {
                asked = true;
                PressDialogButton(dialog, buttonId);
                break;
            }
            Sleep(20);
        }
        ended = true;
    });
    action();
    done = true;
    // The search reads the captions of this thread's windows: it needs
    // their messages answered until it has ended.
    PumpUntil([&] { return ended.load(); });
    watch.join();
    return asked;
}

std::string Wide(const std::string& narrow) {
    std::string w = "\xFF\xFE";
    for (char c : narrow) {
        w.push_back(c);
        w.push_back('\0');
    }
    return w;
}

} // namespace

TEST_F(DocumentTest, PlainTextOpensAndRoundTripsInEveryLineBreakStyle) {
    std::string crlf = "first line\r\nsecond line\r\n";
    EXPECT_EQ(RoundTrip("crlf.txt", crlf), crlf);
    EXPECT_EQ(EditorText().substr(0, 10), "first line");
    EXPECT_EQ(Status(), "Saved at 25 bytes");
    EXPECT_EQ(RoundTrip("lf.txt", "one\ntwo\n\nthree"), "one\ntwo\n\nthree");
    EXPECT_EQ(RoundTrip("cr.txt", "one\rtwo\r"), "one\rtwo\r");
    EXPECT_EQ(RoundTrip("none.txt", "no break at all"), "no break at all");
    std::string accents = "caf\xE9 \xFC\xDF\r\n";
    EXPECT_EQ(RoundTrip("ansi.txt", accents), accents);
    // Word Wrap rebuilds the editor through a working file; with no break
    // left in the text the reload cannot see the style, which stays the
    // document's for the breaks typed afterwards.
    std::string path = folder.File("lf-edited.txt");
    ASSERT_TRUE(WriteWholeFile(path, "one\ntwo\n"));
    Open(path);
    SetWindowTextA(app.editorWindow, "x");
    Command(IDM_WORD_WRAP);
    Command(IDM_WORD_WRAP);
    SendMessageA(app.editorWindow, EM_SETSEL, 1, 1);
    SendMessageA(app.editorWindow, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("\ry"));
    EXPECT_EQ(SaveDocument(), 0);
    EXPECT_EQ(FileBytes(path), "x\ny");
}

TEST_F(DocumentTest, Utf16KeepsItsMarkAndReportsIt) {
    std::string bytes = Wide("Hello World!");
    ASSERT_TRUE(WriteWholeFile(folder.File("u.txt"), bytes));
    Open(folder.File("u.txt"));
    EXPECT_EQ(doc.unicodeText, 1);
    EXPECT_EQ(Status(), "Opened at 26 bytes, Unicode");
    EXPECT_EQ(EditorText(), "Hello World!");
    SendMessageA(app.editorWindow, EM_SETMODIFY, TRUE, 0);
    EXPECT_EQ(SaveDocument(), 0);
    EXPECT_EQ(Status(), "Saved at 26 bytes, Unicode");
    EXPECT_EQ(FileBytes(folder.File("u.txt")), bytes);

    std::string lf = Wide("a\nb\n");
    EXPECT_EQ(RoundTrip("ulf.txt", lf), lf);
    // A text with the UTF-8 mark is read as UTF-8 and written back so.
    std::string utf8 = "\xEF\xBB\xBF"
                       "caf\xC3\xA9 \xE2\x82\xAC\r\nline\r\n";
    EXPECT_EQ(RoundTrip("utf8.txt", utf8), utf8);
    EXPECT_EQ(doc.unicodeText, 0);
    EXPECT_EQ(doc.utf8Text, 1);
    // Big-endian marks are ordinary 8-bit text.
    std::string big = "\xFE\xFFtext";
    EXPECT_EQ(RoundTrip("be.txt", big), big);
}

TEST_F(DocumentTest, OddUtf16AndBinaryContentGiveADefinedResult) {
    std::string odd = Wide("abc") + "X";
    ASSERT_TRUE(WriteWholeFile(folder.File("odd.txt"), odd));
    Open(folder.File("odd.txt"));
    EXPECT_EQ(EditorText(), "abc");
}

TEST_F(DocumentTest, RichTextByExtensionRoundTrips) {
    std::string rtf =
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 Hello \\b bold\\b0 world\\par\n}";
    ASSERT_TRUE(WriteWholeFile(folder.File("notes.RTF"), rtf));
    Open(folder.File("notes.RTF"));
    EXPECT_EQ(doc.richText, 1);
    EXPECT_EQ(EditorText().substr(0, 15), "Hello boldworld");
    SendMessageA(app.editorWindow, EM_SETMODIFY, TRUE, 0);
    ASSERT_EQ(SaveDocument(), 0);
    std::string saved = FileBytes(folder.File("notes.RTF"));
    EXPECT_EQ(saved.substr(0, 5), "{\\rtf");
    Open(folder.File("notes.RTF"));
    EXPECT_EQ(EditorText().substr(0, 15), "Hello boldworld");
}

TEST_F(DocumentTest, ThresholdDecidesPartialLoading) {
    settings.PartialLoadSize = 10000;
    settings.PartialLoadMode = 2; // Auto
    ASSERT_TRUE(WriteWholeFile(folder.File("exact.txt"), std::string(10000, 'e')));
    Open(folder.File("exact.txt"));
    EXPECT_EQ(doc.partialLoaded, 0);
    EXPECT_EQ(Status(), "Opened at 10000 bytes");

    ASSERT_TRUE(WriteWholeFile(folder.File("more.txt"), std::string(10001, 'm')));
    Open(folder.File("more.txt"));
    EXPECT_EQ(doc.partialLoaded, 1);
    EXPECT_EQ(doc.readOnly, 1);
    EXPECT_EQ(Status(), "Partially Opened at 8192 bytes of 10001 bytes, File is Read Only");
    EXPECT_EQ(GetWindowTextLengthA(app.editorWindow), 8192);

    settings.PartialLoadMode = 1; // Optionally: the question decides
    PressDialogButtonLater("Korvid 1.2", 2);
    Open(folder.File("more.txt"));
    EXPECT_EQ(doc.partialLoaded, 0);
    EXPECT_EQ(GetWindowTextLengthA(app.editorWindow), 10001);
}

// Answers the Save dialog with `path`; when the file exists, the question
// whether to replace it is answered Yes.
void SaveAsLater(const std::string& path) {
    WithDialogLater("Save As", [path](HWND dialog) {
        SetDlgItemTextA(dialog, 0x480, path.c_str());
        SetDlgItemTextA(dialog, 0x47c, path.c_str());
        PressDialogButton(dialog, IDOK);
        // The dialog asks under the caption "Error" whether to replace it.
        if (FileExists(path)) {
            if (HWND question = WaitForOwnWindow("Error"))
                PressDialogButton(question, IDYES);
            else
                PressDialogButton(dialog, IDCANCEL); // fails the test, never hangs it
        }
    });
}

// A partly loaded file holds only its start: a save never writes it over
// the file, whose rest would be lost, but under another name it may go.
TEST_F(DocumentTest, APartlyLoadedFileIsNeverSavedOverItself) {
    settings.PartialLoadSize = 10000;
    settings.PartialLoadMode = 2;
    std::string path = folder.File("big.txt");
    std::string original(20000, 'o');
    ASSERT_TRUE(WriteWholeFile(path, original));
    Open(path);
    ASSERT_EQ(doc.partialLoaded, 1);
    SendMessageA(app.editorWindow, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("edit"));

    SaveAsLater(path);
    Command(IDM_SAVE);
    EXPECT_EQ(FileBytes(path), original);
    EXPECT_EQ(Status(), "Partly loaded: save it under another name");
    EXPECT_EQ(doc.partialLoaded, 1);
    EXPECT_EQ(doc.readOnly, 1);

    std::string part = folder.File("part.txt");
    SaveAsLater(part);
    Command(IDM_SAVE);
    EXPECT_EQ(FileBytes(path), original);
    EXPECT_EQ(FileBytes(part).size(), 8192u + 4u);
    EXPECT_STREQ(doc.fileName, part.c_str());
    EXPECT_EQ(doc.partialLoaded, 0);
    // Now a document of its own: saved in place without asking.
    SendMessageA(app.editorWindow, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("!"));
    Command(IDM_SAVE);
    EXPECT_EQ(FileBytes(part).size(), 8192u + 5u);
}

// The control cannot hold NUL characters: they show as stand-ins, and the
// file is never written over with them.
TEST_F(DocumentTest, BinaryContentShowsStandInsAndIsNeverSavedOverItsFile) {
    const char standIn = GetACP() >= 1250 && GetACP() <= 1258 ? '\xB7' : '.';
    std::string path = folder.File("bin.dat");
    // Once a NUL is seen the other control characters get the stand-in too,
    // tabs and line breaks excepted.
    std::string binary("A\0B\0\0C\x01\x02\tD", 10);
    ASSERT_TRUE(WriteWholeFile(path, binary));
    Open(path);
    EXPECT_EQ(EditorText(), std::string("A") + standIn + "B" + standIn + standIn + "C" + standIn +
                                standIn + "\tD");
    EXPECT_EQ(Status(), "Opened at 10 bytes, binary content shown, read only");
    EXPECT_EQ(doc.readOnly, 1);

    SendMessageA(app.editorWindow, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("edit"));
    SaveAsLater(path);
    Command(IDM_SAVE);
    EXPECT_EQ(FileBytes(path), binary);
    EXPECT_EQ(Status(), "Binary content: save it under another name");

    // Under a name of its own it is a text like any other.
    std::string copy = folder.File("copy.txt");
    SaveAsLater(copy);
    Command(IDM_SAVE);
    EXPECT_EQ(FileBytes(path), binary);
    EXPECT_EQ(FileBytes(copy).find('\0'), std::string::npos);
    EXPECT_EQ(doc.binaryContent, 0);

    // A NUL unit of UTF-16, but not a unit whose low byte is zero.
    std::string wide = Wide("x") + std::string("\0\0\0\x01", 4);
    ASSERT_TRUE(WriteWholeFile(path, wide));
    Open(path);
    EXPECT_EQ(EditorTextWide(), L"x\x00B7\x0100");
    EXPECT_EQ(Status(), "Opened at 8 bytes, Unicode, binary content shown, read only");
}

TEST_F(DocumentTest, FilesOfFourGigabytesLoadTheirStart) {
    std::string path = folder.File("huge.log");
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD done = 0;
    WriteFile(file, "start of a big log\r\n", 20, &done, nullptr);
    LARGE_INTEGER size;
    size.QuadPart = 5000000000ll;
    ASSERT_TRUE(SetFilePointerEx(file, size, nullptr, FILE_BEGIN));
    ASSERT_TRUE(SetEndOfFile(file));
    CloseHandle(file);
    settings.PartialLoadMode = 2;
    settings.WordWrap = 0; // a megabyte of zeros is one long line
    Open(path);
    EXPECT_EQ(Status(), "Partially Opened at 999424 bytes of 5000000000 bytes, binary content "
                        "shown, read only");
    EXPECT_EQ(EditorText().substr(0, 18), "start of a big log");
}

TEST_F(DocumentTest, ReadOnlyFileAsksBeforeItIsWrittenAndKeepsTheAttribute) {
    std::string path = folder.File("ro.txt");
    ASSERT_TRUE(WriteWholeFile(path, "old"));
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    Open(path);
    EXPECT_EQ(doc.readOnly, 1);
    EXPECT_EQ(Status(), "Opened at 3 bytes, File is Read Only");
    SetWindowTextA(app.editorWindow, "new");

    PressDialogButtonLater("Korvid 1.2", 2); // "Abort Close"
    EXPECT_EQ(SaveDocument(), 1);
    EXPECT_EQ(FileBytes(path), "old");

    PressDialogButtonLater("Korvid 1.2", 1); // "OverRide ReadOnly"
    EXPECT_EQ(SaveDocument(), 0);
    EXPECT_EQ(FileBytes(path), "new");
    EXPECT_TRUE(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(DocumentTest, CloseCheckAnswers) {
    Open(folder.File("new.txt")); // not there yet: an empty, named document
    EXPECT_EQ(Status(), "Korvid 1.9");
    SetWindowTextA(app.editorWindow, "changed");
    SendMessageA(app.editorWindow, EM_SETMODIFY, TRUE, 0);
    PressDialogButtonLater("Korvid 1.2", 2);
    EXPECT_EQ(ConfirmDiscard(), 1);
    PressDialogButtonLater("Korvid 1.2", 1612);
    EXPECT_EQ(ConfirmDiscard(), 0);
    PressDialogButtonLater("Korvid 1.2", 1); // "Save file now"
    EXPECT_EQ(ConfirmDiscard(), 0);
    EXPECT_EQ(FileBytes(folder.File("new.txt")), "changed");

    SetWindowTextA(app.editorWindow, "");
    SendMessageA(app.editorWindow, EM_SETMODIFY, TRUE, 0);
    EXPECT_EQ(ConfirmDiscard(), 0); // emptied: no question
    settings.SaveEmptyFiles = 1;
    PressDialogButtonLater("Korvid 1.2", 2);
    EXPECT_EQ(ConfirmDiscard(), 1);
}

TEST_F(DocumentTest, UnreadableNamesReportOpenError) {
    CreateDirectoryA(folder.File("adir.txt").c_str(), nullptr);
    Open(folder.File("adir.txt"));
    EXPECT_EQ(Status(), "Open Error");
    std::string locked = folder.File("locked.txt");
    ASSERT_TRUE(WriteWholeFile(locked, "secret"));
    HANDLE held = CreateFileA(locked.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    Open(locked);
    EXPECT_EQ(Status(), "Open Error");
    CloseHandle(held);
}

TEST_F(DocumentTest, ExtensionRulesAndTitles) {
    ASSERT_TRUE(WriteWholeFile(folder.File("readme.nfo"), "x"));
    Open(folder.File("readme.nfo"));
    EXPECT_EQ(+settings.CurrentFontGroup, 0);
    EXPECT_EQ(app.wordWrap, 0);
    char title[600];
    GetWindowTextA(app.mainWindow, title, sizeof title);
    EXPECT_STREQ(title, "readme.nfo");
    settings.TitleFullPath = 1;
    UpdateWindowTitle();
    GetWindowTextA(app.mainWindow, title, sizeof title);
    EXPECT_EQ(std::string(title), folder.File("readme.nfo"));
    settings.TitleFullPath = 0;
    TextCopy("C:\\docs\\a", doc.fileName);
    UpdateWindowTitle();
    GetWindowTextA(app.mainWindow, title, sizeof title);
    EXPECT_STREQ(title, "C:\\docs\\a");
}

TEST_F(DocumentTest, RichTextToggleBothWays) {
    ASSERT_TRUE(WriteWholeFile(folder.File("p.txt"), "plain words"));
    Open(folder.File("p.txt"));
    PressDialogButtonLater("Korvid 1.2", 2); // "Abort convertion"
    Command(IDM_RICH_TEXT);
    EXPECT_EQ(doc.richText, 0);
    EXPECT_EQ(EditorText(), "plain words");

    // The source of a Rich Text as plain text (the control would read
    // text set directly as Rich Text).
    ASSERT_TRUE(WriteWholeFile(folder.File("src.txt"), "{\\rtf1 Rich \\b words\\b0}"));
    Open(folder.File("src.txt"));
    Command(IDM_RICH_TEXT);
    EXPECT_EQ(doc.richText, 1);
    EXPECT_EQ(EditorText(), "Rich words");
    // Unchanged before the switch; what it shows now is not the file's text.
    EXPECT_NE(SendMessageA(app.editorWindow, EM_GETMODIFY, 0, 0), 0);
    Command(IDM_RICH_TEXT);
    EXPECT_EQ(doc.richText, 0);
    EXPECT_EQ(EditorText().substr(0, 5), "{\\rtf");
}

TEST_F(DocumentTest, PlainTextTakesTheGroupFormatWithoutReformatting) {
    settings.FontGroup3Font.lfHeight = -30;
    ASSERT_TRUE(WriteWholeFile(folder.File("f.txt"), "some text\r\nmore"));
    Open(folder.File("f.txt"));
    ASSERT_EQ(+settings.CurrentFontGroup, 2);
    CHARFORMATA format = {};
    format.cbSize = sizeof format;
    SendMessageA(app.editorWindow, EM_SETSEL, 0, -1);
    SendMessageA(app.editorWindow, EM_GETCHARFORMAT, SCF_SELECTION,
                 reinterpret_cast<LPARAM>(&format));
    EXPECT_EQ(format.yHeight, 480);
    EXPECT_TRUE(format.dwMask & CFM_SIZE); // the same size throughout

    // Start-up applies the group once more after the open: the format is
    // the one the text came in with, so the control is not asked to lay it
    // all out again; a changed group is applied.
    static int formats;
    static WNDPROC original;
    formats = 0;
    original = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        app.editorWindow, GWLP_WNDPROC,
        reinterpret_cast<LONG_PTR>(+[](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
            formats += m == EM_SETCHARFORMAT;
            return CallWindowProcA(original, w, m, wp, lp);
        })));
    ApplyFontGroup();
    EXPECT_EQ(formats, 0);
    settings.FontGroup3Font.lfHeight = -20;
    ApplyFontGroup();
    EXPECT_EQ(formats, 2);
    SetWindowLongPtrA(app.editorWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
}

TEST_F(DocumentTest, FullDiskLeavesTheOldFileWhole) {
    const char* small = std::getenv("KORVID_SMALL_DISK");
    if (small == nullptr || *small == 0)
        GTEST_SKIP() << "no small disk given (scripts/test.sh mounts one)";
    std::string folderPath = std::string("Z:") + small;
    for (char& c : folderPath)
        if (c == '/')
            c = '\\';
    std::string path = folderPath + "\\precious.txt";
    std::string old = "the original text, which must survive\r\n";
    ASSERT_TRUE(WriteWholeFile(path, old));
    Open(path);
    std::string big;
    while (big.size() < 512 * 1024)
        big += "a line of text that will not fit on the small disk\r\n";
    SetWindowTextA(app.editorWindow, big.c_str());
    EXPECT_EQ(SaveDocument(), 1);
    EXPECT_EQ(Status(), "Save Error");
    EXPECT_EQ(FileBytes(path), old);
    DeleteFileA(path.c_str());
}

// A partly loaded file keeps that state through everything that passes its
// text through the working file: Word Wrap's rebuild keeps every character
// typed past the threshold, and the Rich Text switch (no question: the text
// starts with "{") leaves it guarded, so neither Save nor autosave writes it
// over the file. New then starts a whole, writable document.
TEST_F(DocumentTest, APartlyLoadedFileStaysGuardedThroughRebuildAndSwitch) {
    settings.PartialLoadSize = 10000;
    settings.PartialLoadMode = 2;
    std::string path = folder.File("data.json");
    std::string original = "{\"items\": [";
    while (original.size() < 20000)
        original += "\"entry\", ";
    ASSERT_TRUE(WriteWholeFile(path, original));
    Open(path);
    ASSERT_EQ(doc.partialLoaded, 1);
    SendMessageA(app.editorWindow, EM_SETSEL, -1, -1);
    SendMessageA(app.editorWindow, EM_REPLACESEL, TRUE,
                 reinterpret_cast<LPARAM>("typed at the end"));

    Command(IDM_WORD_WRAP);
    EXPECT_EQ(app.wordWrap, 0);
    std::string text = EditorText();
    EXPECT_EQ(text.size(), 8192u + 16u);
    EXPECT_EQ(text.substr(8192), "typed at the end");
    EXPECT_TRUE(text.compare(0, 8192, original, 0, 8192) == 0);

    Command(IDM_RICH_TEXT);
    ASSERT_EQ(doc.richText, 1);
    EXPECT_EQ(doc.partialLoaded, 1);
    EXPECT_EQ(doc.readOnly, 1);
    EXPECT_TRUE(AskedDuring("Save As", IDCANCEL, [&] { Command(IDM_SAVE); }));
    EXPECT_EQ(FileBytes(path), original);
    SaveAsLater(path); // Save As onto the file's own name
    Command(IDM_SAVE_AS);
    EXPECT_EQ(FileBytes(path), original);
    EXPECT_EQ(Status(), "Partly loaded: save it under another name");
    settings.AutoSaveMode = AutosaveOriginal;
    EXPECT_FALSE(AskedDuring("Save As", IDCANCEL,
                             [&] { SendMessageA(app.mainWindow, WM_TIMER, TIMER_AUTOSAVE, 0); }));
    EXPECT_EQ(FileBytes(path), original);

    AskedDuring("Korvid 1.2", 1612, [&] { Command(IDM_NEW); }); // "Abandon changes"
    EXPECT_EQ(doc.partialLoaded, 0);
    EXPECT_EQ(doc.binaryContent, 0);
    EXPECT_EQ(doc.readOnly, 0);
}

// The switch shows the text in the other format; that is not the file's
// content, so the document counts as changed, while its size, write time and
// status still describe its file. Rich Text the program writes holds no NUL
// byte, so its source shown as plain text is no binary content.
// Rich Text is written as 8-bit whatever the document came from; the
// document keeps its own encoding and break style for its plain saves.
TEST_F(DocumentTest, TheRichTextSwitchKeepsTheFilesEncodingAndBreaks) {
    std::string path = folder.File("data.txt");
    const char16_t text[] = u"{a}\nline two\n";
    std::string bytes = "\xFF\xFE";
    bytes.append(reinterpret_cast<const char*>(text), sizeof text - sizeof(char16_t));
    ASSERT_TRUE(WriteWholeFile(path, bytes));
    Open(path);
    ASSERT_EQ(doc.unicodeText, 1);
    Command(IDM_RICH_TEXT); // the text starts with "{": no question
    ASSERT_EQ(doc.richText, 1);
    ASSERT_EQ(SaveDocument(), 0);
    std::string rich = FileBytes(path);
    EXPECT_EQ(rich.rfind("{\\rtf", 0), 0u) << rich.substr(0, 8);
    EXPECT_EQ(rich.find('\0'), std::string::npos);

    Command(IDM_RICH_TEXT);
    ASSERT_EQ(doc.richText, 0);
    ASSERT_EQ(SaveDocument(), 0);
    std::string plain = FileBytes(path);
    EXPECT_EQ(plain.rfind("\xFF\xFE{\0\\\0r\0t\0f\0", 0), 0u);
    EXPECT_EQ(plain.find('\r'), std::string::npos);
    EXPECT_NE(plain.find(std::string("\n\0", 2)), std::string::npos);
}

TEST_F(DocumentTest, TheRichTextSwitchKeepsTheDocumentChanged) {
    std::string path = folder.File("notes.rtf");
    ASSERT_TRUE(WriteWholeFile(path, "{\\rtf1\\ansi Hello \\b bold\\b0 world\\par\n}"));
    Open(path);
    SendMessageA(app.editorWindow, EM_SETSEL, 0, 0);
    SendMessageA(app.editorWindow, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("New "));
    ASSERT_EQ(SaveDocument(), 0);
    std::string saved = FileBytes(path);
    EXPECT_EQ(saved.find('\0'), std::string::npos);
    EXPECT_EQ(saved.back(), '}');

    SendMessageA(app.editorWindow, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("edit "));
    const FILETIME written = doc.fileWriteTime;
    const std::string status = Status();
    Command(IDM_RICH_TEXT);
    ASSERT_EQ(doc.richText, 0);
    EXPECT_EQ(EditorText().substr(0, 5), "{\\rtf");
    EXPECT_EQ(doc.binaryContent, 0);
    EXPECT_EQ(doc.readOnly, 0);
    EXPECT_EQ(CompareFileTime(&written, &doc.fileWriteTime), 0);
    EXPECT_EQ(Status().rfind(status, 0), 0u) << Status();
    EXPECT_TRUE(AskedDuring("Korvid 1.2", 2, [&] { EXPECT_EQ(ConfirmDiscard(), 1); }));
    EXPECT_EQ(FileBytes(path), saved);
}
