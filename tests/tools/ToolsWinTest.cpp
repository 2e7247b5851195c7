// The tools on a real main window: Find and Replace, memory refusals, Insert,
// the labels window, the Run buttons, printing, File Info and the user
// lists. Started programs are seen through the probe, which logs how it was
// started; File Info is read from its dialog while it is open.
#include "app/Dpi.h"
#include "MainWindowFixture.h"

#include "document/Lifecycle.h"
#include "document/MemoryGuard.h"
#include "tests/tools/ProbeLog.h"
#include "tools/EditorText.h"
#include "tools/Tools.h"

#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>

#include <functional>
#include <vector>

namespace {

class ToolsTest : public MainWindowTest {
  protected:
    // Opens Find or Replace, puts the texts in and presses a button; the
    // dialog answers through the main window, so the loop runs until the
    // expected state holds.
    HWND OpenDialog(WORD command) {
        Command(command);
        EXPECT_NE(app.findDialog, nullptr);
        return app.findDialog;
    }
    void Press(HWND dialog, int button) {
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
    }
    void CloseDialog() {
        Press(app.findDialog, IDCANCEL);
        ASSERT_TRUE(PumpUntil([] { return app.findState == 1; }, 5000));
    }
    bool WaitForSelection(LONG first, LONG last) {
        return PumpUntil([&] { return Selection() == std::make_pair(first, last); }, 5000);
    }
    static std::string Cell(int item, int column) {
        char text[260] = {};
        LVITEMA sub = {};
        sub.iSubItem = column;
        sub.pszText = text;
        sub.cchTextMax = sizeof text;
        SendMessageA(labelsList, LVM_GETITEMTEXTA, item, reinterpret_cast<LPARAM>(&sub));
        return text;
    }
    static int ItemCount() { return int(SendMessageA(labelsList, LVM_GETITEMCOUNT, 0, 0)); }
    static void PutOnClipboard(const std::wstring& text) {
        ASSERT_TRUE(OpenClipboard(nullptr));
        EmptyClipboard();
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(WCHAR));
        std::memcpy(GlobalLock(memory), text.c_str(), (text.size() + 1) * sizeof(WCHAR));
        GlobalUnlock(memory);
        SetClipboardData(CF_UNICODETEXT, memory);
        CloseClipboard();
    }
    static bool Refused(const std::function<void()>& action) {
        std::string notice;
        Answer(kAsk, IDOK, action, [&](HWND q) { notice = ItemText(q, IDC_NOTIFY_TEXT); });
        return notice == "Not enough memory for this change. The text was left as it was.";
    }
    struct Budget {
        explicit Budget(uint64_t bytes) { SetAvailableAddressSpaceForTest(bytes); }
        ~Budget() { SetAvailableAddressSpaceForTest(0); }
    };
};

TEST_F(ToolsTest, FindProposesTheSelectionStepsAndWrapsWhenAsked) {
    SetText("one two one two");
    Select(4, 7);
    HWND dialog = OpenDialog(IDM_FIND);
    char proposed[64] = {};
    GetDlgItemTextA(dialog, edt1, proposed, sizeof proposed);
    EXPECT_STREQ(proposed, "two");

    Press(dialog, IDOK);
    EXPECT_TRUE(WaitForSelection(12, 15));
    // Nothing further down: "Start again at top" finds the first one.
    Answer(kAsk, IDOK, [&] {
        Press(dialog, IDOK);
        EXPECT_TRUE(WaitForSelection(4, 7));
    });
    CloseDialog();
}

TEST_F(ToolsTest, ReplaceIgnoresCaseAndReplaceAllRunsFromTheTopOnce) {
    SetText("xCATx cat");
    Select(1, 4);
    HWND dialog = OpenDialog(IDM_REPLACE);
    SetDlgItemTextA(dialog, edt1, "cat");
    SetDlgItemTextA(dialog, edt2, "dog");
    Press(dialog, psh1); // Replace, then the next match is selected
    EXPECT_TRUE(WaitForSelection(6, 9));
    EXPECT_EQ(EditorText(), "xdogx cat");

    SetText("aaa");
    Select(3, 3);
    SetDlgItemTextA(dialog, edt1, "a");
    SetDlgItemTextA(dialog, edt2, "aa");
    Press(dialog, psh2); // Replace All
    EXPECT_TRUE(PumpUntil([&] { return EditorText() == "aaaaaa"; }, 5000)) << EditorText();
    EXPECT_EQ(Selection(), std::make_pair(6L, 6L));
    // One step undoes it all.
    SendMessageA(app.editorWindow, WM_UNDO, 0, 0);
    EXPECT_EQ(EditorText(), "aaa");

    CloseDialog();
}

// A plain cut puts characters only on the clipboard, and deletes only what
// reached it.
TEST_F(ToolsTest, APlainCutDeletesWhatReachedTheClipboard) {
    settings.PureTextPaste = 1;
    SetText("a\r\nb c");
    Select(1, 1);
    Command(IDM_CUT); // nothing selected: nothing goes
    Select(0, 2);     // the control counts a line break as one character
    Command(IDM_CUT);
    EXPECT_EQ(EditorText(), "b c");
    ASSERT_TRUE(OpenClipboard(app.mainWindow));
    HANDLE data = GetClipboardData(CF_TEXT);
    EXPECT_STREQ(data ? static_cast<const char*>(GlobalLock(data)) : "(none)", "a\r\n");
    GlobalUnlock(data);
    CloseClipboard();
}

// With little address space left, a paste or a Replace All that would need
// more than there is is refused with a notice and leaves the text as it
// was; a small paste still goes in.
TEST_F(ToolsTest, TextThatWouldNotFitInMemoryIsRefusedWithANotice) {
    Budget budget(300 * 1024 * 1024);
    settings.PureTextPaste = 1;

    std::string lines;
    for (int i = 0; i < 3000; ++i)
        lines += "x\r\n";
    SetText(lines.c_str());
    Select(0, 0);
    PutOnClipboard(std::wstring(100000, L'p'));
    EXPECT_TRUE(Refused([&] { Command(IDM_PASTE); }));
    EXPECT_EQ(EditorText(), lines);

    std::u16string text = ReadEditorText(app.editorWindow);
    EXPECT_TRUE(Refused([&] {
        ApplyTextEdit(text, ReplaceAllText(text, u"x", std::u16string(600, u'y'), false, false,
                                           SystemFolding()));
    }));
    EXPECT_EQ(EditorText(), lines);

    PutOnClipboard(L"ok");
    Command(IDM_PASTE);
    EXPECT_EQ(EditorText(), "ok" + lines);
}

// Removing thousands of paragraphs in place takes the control time that
// grows with their square: every way of replacing such a selection goes
// through a fresh editor instead. It leaves the text around the selection
// with the new text between, the caret after it, Rich Text formats and a
// modified document; one undo brings back the old text and its selection.
// A change whose new text would not fit in memory is refused.
TEST_F(ToolsTest, ALargeSelectionIsReplacedThroughAFreshEditorAsOneStep) {
    settings.OverwriteSelection = 1;
    std::strcpy(settings.InsertTextB, "ins");
    std::string text = "head";
    for (int i = 0; i < 3000; ++i)
        text += "x\r\n";
    text += "tail";
    const std::pair<LONG, LONG> selected(2, 6006); // the control counts a break as one
    auto key = [](UINT message, WPARAM code) {
        return [=] { SendMessageA(app.editorWindow, message, code, 0); };
    };
    auto shifted = [](WPARAM code) { // posts its command
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[VK_SHIFT] = 0x80;
        SetKeyboardState(keys);
        SendMessageA(app.editorWindow, WM_KEYDOWN, code, 0);
        keys[VK_SHIFT] = 0;
        SetKeyboardState(keys);
        for (MSG msg; PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);)
            DispatchMessageA(&msg);
    };
    InsertTextEntry listed[1] = {{"listed"}};
    app.insertTextList = listed;
    app.insertTextCount = 1;
    const struct {
        const char* name;
        std::function<void()> act;
        std::string put;
        int rich; // also the paste through the control
    } cases[] = {
        {"Delete", [&] { Command(IDM_DELETE); }, "", 0},
        {"Cut", [&] { Command(IDM_CUT); }, "", 1},
        {"Delete key", key(WM_KEYDOWN, VK_DELETE), "", 0},
        {"Backspace",
         [&] {
             key(WM_KEYDOWN, VK_BACK)();
             key(WM_CHAR, '\b')();
         },
         "", 0},
        {"typing", key(WM_CHAR, 'z'), "z", 0},
        {"Paste", [&] { Command(IDM_PASTE); }, "pasted", 0},
        {"Paste, Rich Text", [&] { Command(IDM_PASTE); }, "pasted", 1},
        {"Insert Text",
         [&] { Answer("Insert", IDC_INSERT_PASTE_A + 1, [&] { Command(IDM_INSERT_TEXT); }); },
         "ins", 0},
        {"an Insert Text list entry", [&] { Command(IDM_INSERT_LIST_BASE + 1); }, "listed", 0},
        {"Shift+Delete", [&] { shifted(VK_DELETE); }, "", 0},
        {"Shift+Insert", [&] { shifted(VK_INSERT); }, "pasted", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        doc.richText = c.rich;
        settings.PureTextPaste = 1 - c.rich;
        PutOnClipboard(L"pasted");
        SetText(text);
        Select(0, 4);
        CHARFORMATA bold = {};
        bold.cbSize = sizeof bold;
        bold.dwMask = bold.dwEffects = CFM_BOLD;
        SendMessageA(app.editorWindow, EM_SETCHARFORMAT, SCF_SELECTION,
                     reinterpret_cast<LPARAM>(&bold));
        Select(selected.first, selected.second);
        SetModified(false);
        c.act();
        EXPECT_NE(app.undoEditor, nullptr);
        EXPECT_EQ(EditorText(), "he" + c.put + "il");
        LONG caret = 2 + static_cast<LONG>(c.put.size());
        EXPECT_EQ(Selection(), std::make_pair(caret, caret));
        EXPECT_TRUE(Modified());
        if (c.rich) {
            Select(0, 1);
            CHARFORMATA format = {};
            format.cbSize = sizeof format;
            SendMessageA(app.editorWindow, EM_GETCHARFORMAT, SCF_SELECTION,
                         reinterpret_cast<LPARAM>(&format));
            EXPECT_TRUE(format.dwEffects & CFE_BOLD);
        }
        Command(IDM_UNDO);
        EXPECT_EQ(EditorText(), text);
        EXPECT_EQ(Selection(), selected);
    }
    app.insertTextList = nullptr;
    app.insertTextCount = 0;
    Budget none(1);
    SetText(text);
    Select(selected.first, selected.second);
    EXPECT_TRUE(Refused([&] { Command(IDM_DELETE); }));
    EXPECT_EQ(EditorText(), text);
}

TEST_F(ToolsTest, TheInsertDialogPastesTheStoredText) {
    // Paste C inserts the stored text and drops what was typed.
    std::strcpy(settings.InsertTextC, "stored");
    SetText("[]");
    Select(1, 1);
    Answer(
        "Insert", IDC_INSERT_PASTE_A + 2, [&] { Command(IDM_INSERT_TEXT); },
        [&](HWND d) { SetDlgItemTextA(d, IDC_INSERT_EDIT_A + 2, std::string("typed").c_str()); });
    EXPECT_EQ(EditorText(), "[stored]");
    EXPECT_STREQ(settings.InsertTextC, "stored");
    EXPECT_EQ(notify.modalBusy, 0);
}

TEST_F(ToolsTest, LabelsWindowListsJumpsAndComesForwardAgain) {
    SetText("MyRoutine proc\r\n*** Intro\r\nOther PROC");
    doc.documentBytes = 10;
    Command(IDM_LABELS);
    HWND window = labelsWindow;
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(PumpUntil([] { return ItemCount() == 3; }, 5000)) << ItemCount();
    EXPECT_EQ(Cell(0, 0) + Cell(0, 1) + "|" + Cell(0, 2) + "|" + Cell(1, 0) + "|" + Cell(2, 1) +
                  Cell(2, 0),
              "MyRoutine proc|10|Other|*** Intro");

    // Moved to a screen at 150 %: wider columns, the proposed rectangle.
    EXPECT_EQ(SendMessageA(labelsList, LVM_GETCOLUMNWIDTH, 0, 0), 200);
    const RECT proposed = {50, 60, 650, 900};
    SendMessageA(window, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&proposed));
    EXPECT_EQ(SendMessageA(labelsList, LVM_GETCOLUMNWIDTH, 0, 0), 300);
    EXPECT_EQ(SendMessageA(labelsList, LVM_GETCOLUMNWIDTH, 2, 0), 120);
    RECT now;
    GetWindowRect(window, &now);
    EXPECT_TRUE(EqualRect(&now, &proposed));

    // A double click on the focused row selects there and closes.
    LVITEMA state = {};
    state.stateMask = state.state = LVIS_FOCUSED | LVIS_SELECTED;
    SendMessageA(labelsList, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&state));
    NMITEMACTIVATE click = {};
    click.hdr = {labelsList, IDC_LABELS_LIST, static_cast<UINT>(NM_DBLCLK)};
    SendMessageA(window, WM_NOTIFY, IDC_LABELS_LIST, reinterpret_cast<LPARAM>(&click));
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(Selection(), std::make_pair(10L, 11L));
}

} // namespace

namespace {

class RunInfoTest : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        CreateBars();
        char self[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, self, sizeof self);
        probe = self;
        probe = probe.substr(0, probe.rfind('\\') + 1) + "korvid_run_probe.exe";
        ASSERT_TRUE(FileExists(probe)) << probe;
        SetEnvironmentVariableA("KORVID_PROBE_LOG", folder.File("probe.log").c_str());
    }
    void TearDown() override {
        SetEnvironmentVariableA("KORVID_PROBE_LOG", nullptr);
        MainWindowTest::TearDown();
    }
    // Runs `command` and waits until the probe has logged one start more.
    ProbeStart Started(WORD command) {
        Command(command);
        std::vector<ProbeStart> starts;
        // A process start on a loaded machine can take seconds.
        EXPECT_TRUE(PumpUntil(
            [&] {
                return (starts = ParseProbeLog(FileBytes(folder.File("probe.log")))).size() > seen;
            },
            30000));
        return starts.size() > seen ? starts[seen++] : ProbeStart{"(none)", "", 0};
    }
    void Name(const std::string& path) {
        TextCopy(path.c_str(), doc.fileName);
        doc.hasFileName = 1;
    }
    std::string probe;
    size_t seen = 0;
};

TEST_F(RunInfoTest, RunButtonsReplaceTheWildcardAsTheirSpecialSays) {
    std::string documentFolder = folder.path() + "t";
    CreateDirectoryA(documentFolder.c_str(), nullptr);
    Name(documentFolder + "\\a.txt");
    SetText("hello world");
    for (char* program : {settings.RunFileA, settings.RunFileB, settings.RunFileC})
        TextCopy(probe.c_str(), program);
    TextCopy("??", settings.RunParamA);
    settings.RunSpecialA = 1; // Filename
    TextCopy("x ?? ??", settings.RunParamB);
    settings.RunSpecialB = 2; // Filename w/o Ext: only the first wildcard
    TextCopy("[??]", settings.RunParamC);
    settings.RunSpecialC = 3; // Selected Text
    ProbeStart a = Started(IDM_RUN_A);
    EXPECT_EQ(a.arguments, "a.txt ");
    EXPECT_EQ(_stricmp(a.folder.c_str(), documentFolder.c_str()), 0) << a.folder;
    EXPECT_EQ(a.show, SW_SHOWNORMAL);
    EXPECT_EQ(Started(IDM_RUN_B).arguments, "x a ?? ");
    Select(0, 5);
    EXPECT_EQ(Started(IDM_RUN_C).arguments, "[hello] ");
    Select(2, 2); // nothing selected: the wildcard stays
    EXPECT_EQ(Started(IDM_RUN_C).arguments, "[??]");
    // Untitled, "Filename" leaves the wildcard alone; a selection longer
    // than the work buffer is cut to fit it.
    doc.hasFileName = 0;
    doc.fileName[0] = '\0';
    EXPECT_EQ(Started(IDM_RUN_A).arguments, "??");
    SetText(std::string(700, 'w'));
    Select(0, -1);
    TextCopy("??", settings.RunParamC);
    EXPECT_EQ(Started(IDM_RUN_C).arguments, std::string(599, 'w'));
}

// Print writes a quiet copy (the document stays untitled and modified) and
// starts the print program hidden, the user's switch before the copy.
TEST_F(RunInfoTest, PrintWritesAQuietCopyAndStartsThePrintProgramHidden) {
    TextCopy(probe.c_str(), settings.PrintProgram);
    TextCopy("/pt Printer1 ", settings.PrintParameter);
    SetText("print me");
    SetModified(true);
    ProbeStart print = Started(IDM_PRINT);
    EXPECT_EQ(print.arguments, "/pt Printer1 \"" + folder.File("Korvid.txt") + "\"");
    EXPECT_EQ(print.show, SW_HIDE);
    EXPECT_EQ(FileBytes(folder.File("Korvid.txt")), "print me");
    EXPECT_EQ(doc.hasFileName, 0);
    EXPECT_TRUE(Modified());
}

// The stored file is counted, not the unsaved edits, while another program
// holds it open for writing; only Close ends the dialog.
TEST_F(RunInfoTest, FileInfoCountsTheStoredFileWhileAnotherProgramWritesIt) {
    std::string path = folder.File("log.txt");
    ASSERT_TRUE(WriteWholeFile(path, "Hello world." + std::string(999986, 'x') + "\r\n"));
    HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    Name(path);
    SetText("unsaved edits are not counted");
    std::string info;
    Answer(
        "File Info", IDOK, [&] { Command(IDM_FILE_INFO); },
        [&](HWND dialog) {
            for (DWORD start = GetTickCount(); GetTickCount() - start < 10000; Sleep(10))
                if (!ItemText(dialog, IDC_INFO_AVG_SENTENCE).empty())
                    break;
            for (int id :
                 {IDC_INFO_NAME, IDC_INFO_SIZE, IDC_INFO_TYPE, IDC_INFO_CHARACTERS,
                  IDC_INFO_LETTERS, IDC_INFO_SPACES, IDC_INFO_SYMBOLS, IDC_INFO_WORDS,
                  IDC_INFO_LINES, IDC_INFO_SENTENCES, IDC_INFO_AVG_WORD, IDC_INFO_AVG_SENTENCE})
                info += ItemText(dialog, id) + "|";
            SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            SendMessageA(dialog, WM_CLOSE, 0, 0);
            EXPECT_TRUE(IsWindow(dialog) && IsWindowVisible(dialog));
        });
    CloseHandle(writer);
    EXPECT_EQ(notify.modalBusy, 0);
    EXPECT_EQ(info, path + "|1,000,000|Text|999,998|999,996|1|1|2|2|1|499,998|2|");
}

TEST_F(RunInfoTest, TheListsCommandsRunTheirProgramAndInsertTheirText) {
    // '-', '#' and '*' are markers anywhere in a list line, and a build
    // folder may hold them: the list names a copy of the probe without them.
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string listed = std::string(temp) + "KorvidListProbe.exe";
    ASSERT_EQ(listed.find_first_of("-#*"), std::string::npos) << listed;
    ASSERT_TRUE(CopyFileA(probe.c_str(), listed.c_str(), FALSE));
    ASSERT_TRUE(WriteWholeFile(folder.File("KorvWord.txt"),
                               "*run\r\nProbe\r\n" + listed +
                                   "\r\nNo command\r\n*ins\r\nfirst text\r\nsecond text\r\n"));
    LoadUserLists();

    SetText("A-B");
    Select(1, 2);
    Command(IDM_INSERT_LIST_BASE + 2);
    EXPECT_EQ(EditorText(), "Asecond textB");
    Command(IDM_UNDO);
    Command(IDM_INSERT_LIST_BASE + 3); // past the end of the list: nothing
    EXPECT_EQ(EditorText(), "A-B");
    ProbeStart run = Started(IDM_RUN_FILE_BASE + 1);
    EXPECT_EQ(run.arguments, "");
    EXPECT_EQ(run.show, SW_SHOWNORMAL);
    DeleteFileA(listed.c_str());
}

} // namespace
