#include "MainWindowFixture.h"
#include "WinTestSupport.h"

#include "app/AppState.h"
#include "app/Bars.h"
#include "app/Commands.h"
#include "app/ContextMenu.h"
#include "app/Editor.h"
#include "app/MainWindow.h"
#include "app/Startup.h"
#include "document/DocumentState.h"
#include "document/MemoryGuard.h"
#include "resource.h"
#include "settings/SettingsFile.h"
#include "text/TextRoutines.h"

#include <gtest/gtest.h>

#include <richedit.h>

#include <cstring>
#include <string>

TEST_F(MainWindowTest, StartupCompletionIsTheFirstMessageBeforeAnyPaint) {
    EXPECT_TRUE(startupPosted);
}

TEST(Paths, JoinAtTheLimitAndRefuseBeyondIt) {
    char path[kPathSize];
    std::string folder(589, 'f');
    EXPECT_TRUE(MakePath(folder.c_str(), "Korvid.Dat", path)); // 599 characters
    EXPECT_EQ(std::strlen(path), 599u);
    folder += "f";
    EXPECT_FALSE(MakePath(folder.c_str(), "Korvid.Dat", path));
    EXPECT_STREQ(path, "");
}

TEST_F(MainWindowTest, CloseBoxWritesSettingsOnlyWithExitSave) {
    settings.ExitSave = 0;
    SendMessageA(app.mainWindow, WM_CLOSE, 0, 0);
    EXPECT_TRUE(DrainQuit());
    EXPECT_FALSE(FileExists(folder.File("Korvid.Dat")));
    EXPECT_TRUE(IsWindow(app.mainWindow)); // the loop ends; the window is not destroyed
    EXPECT_EQ(app.editorWindow, nullptr);

    CreateEditor(app.mainWindow);
    settings.ExitSave = 1;
    SendMessageA(app.mainWindow, WM_CLOSE, 0, 0);
    EXPECT_TRUE(DrainQuit());
    std::string bytes;
    ASSERT_TRUE(ReadWholeFile(folder.File("Korvid.Dat"), &bytes));
    EXPECT_EQ(bytes.size(), 8208u);
}

TEST_F(MainWindowTest, ExitCommandEndsWithoutWritingSettings) {
    settings.ExitSave = 1;
    Command(IDM_EXIT);
    EXPECT_FALSE(IsWindow(app.mainWindow));
    EXPECT_TRUE(DrainQuit());
    EXPECT_FALSE(FileExists(folder.File("Korvid.Dat")));
}

TEST_F(MainWindowTest, WordWrapRebuildKeepsTextSelectionAndModifiedFlag) {
    SetWindowTextA(app.editorWindow, "first line\r\nsecond line that is long\r\nthird");
    CHARRANGE range = {3, 14};
    SendMessageA(app.editorWindow, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    SendMessageA(app.editorWindow, EM_SETMODIFY, TRUE, 0);
    std::string before = EditorText();
    HWND oldEditor = app.editorWindow;

    Command(IDM_WORD_WRAP);
    EXPECT_EQ(app.wordWrap, 0);
    EXPECT_NE(app.editorWindow, oldEditor);
    EXPECT_FALSE(IsWindow(oldEditor));
    EXPECT_EQ(EditorText(), before);
    EXPECT_TRUE(GetWindowLongA(app.editorWindow, GWL_STYLE) & ES_AUTOHSCROLL);
    CHARRANGE now = {};
    SendMessageA(app.editorWindow, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&now));
    EXPECT_EQ(now.cpMin, 3);
    EXPECT_EQ(now.cpMax, 14);
    EXPECT_NE(SendMessageA(app.editorWindow, EM_GETMODIFY, 0, 0), 0);

    SendMessageA(app.editorWindow, EM_SETMODIFY, FALSE, 0);
    Command(IDM_WORD_WRAP);
    EXPECT_EQ(app.wordWrap, 1);
    EXPECT_FALSE(GetWindowLongA(app.editorWindow, GWL_STYLE) & ES_AUTOHSCROLL);
    EXPECT_EQ(SendMessageA(app.editorWindow, EM_GETMODIFY, 0, 0), 0);
    EXPECT_EQ(EditorText(), before);
}

// The editor, the setting, the button (which its own click has toggled)
// and the menu's check all keep the old state.
// A rebuild that cannot take the text whole (its working file cannot be
// written, or the new editor would run out of memory) is not started: the
// old editor, its text and the Word Wrap state all stay.
TEST_F(MainWindowTest, RebuildKeepsTheOldEditorWhenItCannotTakeTheTextWhole) {
    settings.ShowFileErrors = 0; // the write failure is reported in the status bar alone
    std::string strip;
    ASSERT_TRUE(ReadWholeFile(std::string(KORVID_SOURCE_DIR) + "/resources/ToolBar.bmp", &strip));
    ASSERT_TRUE(WriteWholeFile(folder.File("ToolBar.bmp"), strip));
    CreateBars();
    ASSERT_NE(app.toolBar, nullptr);
    std::string text;
    for (int i = 0; i < 2000; ++i)
        text += "precious\r\n";
    for (bool memory : {false, true}) {
        SCOPED_TRACE(memory ? "not enough memory" : "working file not writable");
        SetWindowTextA(app.editorWindow, text.c_str());
        std::string notice;
        if (memory) {
            TextCopy(folder.path().c_str(), app.dataFolder);
            SetAvailableAddressSpaceForTest(64 * 1024 * 1024);
            WithDialogLater("Korvid 1.2", [&notice](HWND dialog) {
                char shown[200] = {};
                GetDlgItemTextA(dialog, IDC_NOTIFY_TEXT, shown, sizeof shown);
                notice = shown;
                PressDialogButton(dialog, IDOK);
            });
        } else {
            TextCopy((folder.path() + "gone\\").c_str(), app.dataFolder);
        }
        HWND oldEditor = app.editorWindow;
        ASSERT_EQ(app.wordWrap, 1);
        SendMessageA(app.toolBar, TB_CHECKBUTTON, IDM_WORD_WRAP, MAKELONG(FALSE, 0)); // the click
        Command(IDM_WORD_WRAP);
        SetAvailableAddressSpaceForTest(0);
        EXPECT_EQ(app.editorWindow, oldEditor);
        EXPECT_EQ(EditorText(), text);
        if (memory)
            EXPECT_EQ(notice, "Not enough memory for this change. The text was left as it was.");
        else
            EXPECT_STREQ(doc.statusText, "Save Error");
        EXPECT_EQ(app.wordWrap, 1);
        EXPECT_NE(SendMessageA(app.toolBar, TB_ISBUTTONCHECKED, IDM_WORD_WRAP, 0), 0);
        HMENU menu = BuildContextMenu();
        EXPECT_TRUE(GetMenuState(menu, IDM_WORD_WRAP, MF_BYCOMMAND) & MF_CHECKED);
        DestroyMenu(menu);
    }
}

TEST_F(MainWindowTest, SelectAllAndDelete) {
    SetWindowTextA(app.editorWindow, "some text");
    Command(IDM_SELECT_ALL);
    // The whole text is selected (the control counts its closing mark too).
    CHARRANGE range = {};
    SendMessageA(app.editorWindow, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    EXPECT_EQ(range.cpMin, 0);
    EXPECT_GE(range.cpMax, 9);
    EXPECT_EQ(SelectionLength(app.editorWindow), range.cpMax + 1);
    EXPECT_EQ(app.selectionSave.cpMin, 0);
    EXPECT_EQ(app.selectionSave.cpMax, -1);
    Command(IDM_DELETE);
    EXPECT_EQ(EditorText(), "");
}

TEST_F(MainWindowTest, FontGroupCommandChoosesAndWritesSettings) {
    Command(IDM_FONT_GROUP3);
    EXPECT_EQ(+settings.CurrentFontGroup, 2);
    EXPECT_EQ(+settings.DefaultFontGroup, 2);
    EXPECT_TRUE(FileExists(folder.File("Korvid.Dat")));
}

TEST_F(MainWindowTest, OnTopTogglesTheWindowAndTheSetting) {
    Command(IDM_ON_TOP);
    EXPECT_EQ(+settings.StayOnTop, 1);
    EXPECT_TRUE(GetWindowLongA(app.mainWindow, GWL_EXSTYLE) & WS_EX_TOPMOST);
    Command(IDM_ON_TOP);
    EXPECT_EQ(+settings.StayOnTop, 0);
    EXPECT_FALSE(GetWindowLongA(app.mainWindow, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_FALSE(FileExists(folder.File("Korvid.Dat"))); // stored at the next write
}

TEST_F(MainWindowTest, FontGroupFormattingKeepsTheModifiedFlag) {
    SetWindowTextA(app.editorWindow, "x");
    SendMessageA(app.editorWindow, EM_SETMODIFY, FALSE, 0);
    settings.CurrentFontGroup = 1;
    settings.FontGroup2Font.lfHeight = -20;
    settings.FontGroup2Font.lfWeight = 700;
    settings.FontGroup2TextColour = 0x0000FF;
    ApplyFontGroup();
    EXPECT_EQ(SendMessageA(app.editorWindow, EM_GETMODIFY, 0, 0), 0);
    CHARFORMATA format = {};
    format.cbSize = sizeof format;
    SendMessageA(app.editorWindow, EM_SETSEL, 0, 1);
    SendMessageA(app.editorWindow, EM_GETCHARFORMAT, SCF_SELECTION,
                 reinterpret_cast<LPARAM>(&format));
    EXPECT_EQ(format.yHeight, 320);
    EXPECT_TRUE(format.dwEffects & CFE_BOLD);
    EXPECT_EQ(format.crTextColor, 0x0000FFu);
}

TEST(CommandTable, HoldsEveryCommandOnce) {
    const WORD ids[] = {
        IDM_NEW,         IDM_OPEN,        IDM_SAVE,         IDM_CUT,          IDM_COPY,
        IDM_PASTE,       IDM_UNDO,        IDM_REDO,         IDM_FIND,         IDM_GOTO_LINE,
        IDM_INSERT_TIME, IDM_INSERT_TEXT, IDM_INDENT,       IDM_OUTDENT,      IDM_RUN_A,
        IDM_RUN_B,       IDM_RUN_C,       IDM_NEW_INSTANCE, IDM_OPTIONS,      IDM_ON_TOP,
        IDM_RICH_TEXT,   IDM_WORD_WRAP,   IDM_TO_TRAY,      IDM_README,       IDM_GOTO_MARK1,
        IDM_GOTO_MARK2,  IDM_GOTO_MARK3,  IDM_GOTO_MARK4,   IDM_GOTO_MARK5,   IDM_STARTUP,
        IDM_DELETE,      IDM_SAVE_AS,     IDM_EXIT,         IDM_SELECT_ALL,   IDM_REPLACE,
        IDM_FONT,        IDM_EXECUTE,     IDM_RELOAD,       IDM_REVERT,       IDM_FILE_INFO,
        IDM_PRINT,       IDM_DEDOUBLE,    IDM_SCAN_MARKS,   IDM_SET_MARK1,    IDM_SET_MARK2,
        IDM_SET_MARK3,   IDM_SET_MARK4,   IDM_SET_MARK5,    IDM_SET_DEF_SIZE, IDM_BACKGROUND,
        IDM_COLOUR,      IDM_LABELS,      IDM_FONT_GROUP1,  IDM_FONT_GROUP2,  IDM_FONT_GROUP3};
    int count = 0;
    const CommandEntry* table = CommandTable(&count);
    EXPECT_EQ(count, static_cast<int>(sizeof ids / sizeof ids[0]));
    for (WORD id : ids) {
        int seen = 0;
        for (int i = 0; i < count; ++i)
            seen += table[i].id == id;
        EXPECT_EQ(seen, 1) << "command " << id;
    }
    EXPECT_EQ(FindCommand(IDM_RUN_FILE_BASE), nullptr);
    EXPECT_EQ(FindCommand(IDM_INSERT_LIST_BASE), nullptr);
}

TEST_F(MainWindowTest, ListIdsWithoutEntriesAndUnknownIdsDoNothing) {
    SetWindowTextA(app.editorWindow, "keep");
    for (WORD id :
         {WORD(41000), WORD(41001), WORD(42000), WORD(42001), WORD(42999), WORD(12345), WORD(0)})
        Command(id);
    EXPECT_EQ(EditorText(), "keep");

    InsertTextEntry entries[2] = {};
    TextCopy("one", entries[0].text);
    TextCopy("two", entries[1].text);
    app.insertTextList = entries;
    app.insertTextCount = 2;
    SendMessageA(app.editorWindow, EM_SETSEL, 0, 0);
    Command(42002);
    Command(42003); // past the end of the list
    EXPECT_EQ(EditorText(), "twokeep");
    app.insertTextList = nullptr;
    app.insertTextCount = 0;
}
