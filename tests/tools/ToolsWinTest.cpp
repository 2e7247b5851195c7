// The editing tools on a real main window, editor, common Find and Replace
// dialogs, notifications, the clipboard and the labels window.
#include "MainWindowFixture.h"

#include "document/Lifecycle.h"
#include "document/MemoryGuard.h"
#include "tools/EditorText.h"
#include "tools/Tools.h"

#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>

namespace {

class ToolsTest : public MainWindowTest {
  protected:
    // Opens Find or Replace, puts the texts in and presses a button; the
    // dialog answers through the main window, so the loop runs until the
    // expected state holds.
    HWND OpenDialog(WORD command) {
        Command(command);
        EXPECT_NE(app.findDialog, nullptr);
        EXPECT_EQ(app.findState, 2);
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
};

TEST_F(ToolsTest, FindProposesTheSelectionStepsWrapsAndRepeatsWithF3) {
    SetText("one two one two");
    Select(4, 7);
    HWND dialog = OpenDialog(IDM_FIND);
    char proposed[64] = {};
    GetDlgItemTextA(dialog, edt1, proposed, sizeof proposed);
    EXPECT_STREQ(proposed, "two");
    Command(IDM_FIND); // a second opening does nothing while one is open
    EXPECT_EQ(app.findDialog, dialog);

    Press(dialog, IDOK);
    EXPECT_TRUE(WaitForSelection(12, 15));
    // Nothing further down: "Start again at top" finds the first one.
    Answer(kAsk, IDOK, [&] {
        Press(dialog, IDOK);
        EXPECT_TRUE(WaitForSelection(4, 7));
    });
    // "Cancel" leaves the selection.
    Select(12, 15);
    Answer(kAsk, IDCANCEL, [&] {
        Press(dialog, IDOK);
        EXPECT_TRUE(PumpUntil([] { return notify.modalBusy == 0 && !NotificationsOpen(); }));
    });
    EXPECT_EQ(Selection(), std::make_pair(12L, 15L));
    CloseDialog();

    // F3 after the dialog closed repeats the search downward.
    Select(0, 0);
    FindNextDown();
    EXPECT_EQ(Selection(), std::make_pair(4L, 7L));
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

    // Rich Text goes through the control and gives the same result.
    doc.richText = 1;
    SetText("b b b");
    SetDlgItemTextA(dialog, edt1, "b");
    SetDlgItemTextA(dialog, edt2, "bb");
    Press(dialog, psh2);
    EXPECT_TRUE(PumpUntil([&] { return EditorText() == "bb bb bb"; }, 5000)) << EditorText();
    CloseDialog();
}

// With little address space left, a paste or a Replace All that would need
// more than there is is refused with a notice and leaves the text as it
// was; a small paste still goes in.
TEST_F(ToolsTest, TextThatWouldNotFitInMemoryIsRefusedWithANotice) {
    struct Budget {
        Budget() { SetAvailableAddressSpaceForTest(300 * 1024 * 1024); }
        ~Budget() { SetAvailableAddressSpaceForTest(0); }
    } budget;
    settings.PureTextPaste = 1;
    auto putOnClipboard = [](const std::wstring& text) {
        ASSERT_TRUE(OpenClipboard(nullptr));
        EmptyClipboard();
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(WCHAR));
        std::memcpy(GlobalLock(memory), text.c_str(), (text.size() + 1) * sizeof(WCHAR));
        GlobalUnlock(memory);
        SetClipboardData(CF_UNICODETEXT, memory);
        CloseClipboard();
    };
    std::string notice;
    auto refusing = [&notice](const std::function<void()>& action) {
        notice.clear();
        Answer(kAsk, IDOK, action, [&](HWND q) { notice = ItemText(q, IDC_NOTIFY_TEXT); });
    };
    const std::string refused = "Not enough memory for this change. The text was left as it was.";

    std::string lines;
    for (int i = 0; i < 3000; ++i)
        lines += "x\r\n";
    SetText(lines.c_str());
    Select(0, 0);
    putOnClipboard(std::wstring(100000, L'p'));
    refusing([&] { Command(IDM_PASTE); });
    EXPECT_EQ(notice, refused);
    EXPECT_EQ(EditorText(), lines);

    std::u16string text = ReadEditorText(app.editorWindow);
    refusing([&] {
        ApplyTextEdit(text, ReplaceAllText(text, u"x", std::u16string(600, u'y'), false, false,
                                           SystemFolding()));
    });
    EXPECT_EQ(notice, refused);
    EXPECT_EQ(EditorText(), lines);

    putOnClipboard(L"ok");
    Command(IDM_PASTE);
    EXPECT_EQ(EditorText(), "ok" + lines);
}

TEST_F(ToolsTest, InsertTimeAndTheInsertDialog) {
    // The clock is read before and after: a test across midnight (or the
    // new year) accepts either day.
    settings.InsertTimeMode = 4;
    std::strcpy(settings.InsertTimeFormat, "'at'");
    std::strcpy(settings.InsertDateFormat, "yyyy");
    SYSTEMTIME before, after;
    GetLocalTime(&before);
    Command(IDM_INSERT_TIME);
    GetLocalTime(&after);
    std::string text = EditorText();
    EXPECT_TRUE(text == "at " + std::to_string(before.wYear) ||
                text == "at " + std::to_string(after.wYear))
        << text;

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
    // OK keeps the typing, inserts nothing and writes the settings file.
    std::string file = std::string(app.dataFolder) + "Korvid.Dat";
    DeleteFileA(file.c_str());
    Answer(
        "Insert", IDOK, [&] { Command(IDM_INSERT_TEXT); },
        [&](HWND d) { SetDlgItemTextA(d, IDC_INSERT_EDIT_A + 2, std::string(400, 't').c_str()); });
    EXPECT_EQ(EditorText(), "[stored]");
    EXPECT_EQ(std::string(settings.InsertTextC), std::string(299, 't'));
    EXPECT_TRUE(FileExists(file));
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

    // A double click on the focused row selects there and closes.
    LVITEMA state = {};
    state.stateMask = state.state = LVIS_FOCUSED | LVIS_SELECTED;
    SendMessageA(labelsList, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&state));
    NMITEMACTIVATE click = {};
    click.hdr = {labelsList, IDC_LABELS_LIST, static_cast<UINT>(NM_DBLCLK)};
    SendMessageA(window, WM_NOTIFY, IDC_LABELS_LIST, reinterpret_cast<LPARAM>(&click));
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(labelsWindowOpen, 0);
    EXPECT_EQ(Selection(), std::make_pair(10L, 11L));

    // Over the size limit: the notice, and no window.
    doc.documentBytes = static_cast<uint64_t>(settings.LabelsMaxFileSize) + 1;
    Answer(kAsk, IDOK, [&] { Command(IDM_LABELS); });
    EXPECT_EQ(labelsWindow, nullptr);
}

} // namespace
