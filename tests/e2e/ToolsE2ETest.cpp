// The editing tools as a user meets them in the real program: Find and
// Replace with real keys, F3 and the wrap question, Goto, Insert Time and
// the Insert dialog, De-Double, bookmarks in the status bar and the
// toolbar, and the labels window.
#include "tests/e2e/KorvidDriver.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <dlgs.h>
#include <richedit.h>

#include <cstring>
#include <initializer_list>
#include <string>

using namespace korvid_e2e;

namespace {

constexpr size_t kInsertTextC = 2666;
constexpr size_t kToolbarBookmarkButtons = 5754;
constexpr size_t kBookmarkMode = 5758;
constexpr size_t kInsertTimeMode = 7370;
constexpr size_t kLabelsMaxFileSize = 8174;

constexpr int kCmdInsertText = 12;
constexpr int kCmdGotoMark2 = 26;
constexpr int kCmdDeDouble = 40030;
constexpr int kCmdLabels = 40044;

HWND StartWith(KorvidApp& app, std::initializer_list<Field> fields, const std::string& args = "",
               const char* insertTextC = nullptr) {
    Bytes file = DefaultSettingsFile();
    for (const Field& field : fields)
        SetSettingsField(file, field.offset, field.value);
    if (insertTextC)
        std::strcpy(reinterpret_cast<char*>(file.data() + kInsertTextC), insertTextC);
    WriteFileBytes(app.SettingsPathInProgram(), file);
    app.Start(args);
    return app.WaitForEditor();
}

void Select(KorvidApp& app, long first, long last) {
    app.Send(app.Editor(), EM_SETSEL, static_cast<WPARAM>(first), static_cast<LPARAM>(last));
    app.WaitForSelection(first, last);
}

TEST(ToolsE2E, FindWithRealKeysStepsRepeatsAndWraps) {
    KorvidApp app;
    StartWith(app, {});
    app.SetEditorText("alpha beta alpha beta");
    Select(app, 6, 10);

    app.PressKeys("ctrl+f");
    HWND find = WaitForOwnWindow(app, "#32770", "Find");
    EXPECT_EQ(ItemText(app, find, edt1), "beta");
    // The dialog gets its own keys from the program's loop: Tab moves on
    // from the text field, Enter is Find Next.
    HWND field = GetDlgItem(find, edt1);
    app.WaitUntil([&] { return FocusOf(find) == field; }, "the search field's focus");
    app.PressKeysIn(find, "Tab");
    app.WaitUntil([&] { return FocusOf(find) != field; }, "Tab to move the focus");
    app.PressKeysIn(find, "shift+Tab Return");
    app.WaitForSelection(17, 21);
    app.PressKeysIn(find, "Escape");
    app.WaitUntil([&] { return !IsWindow(find); }, "the Find dialog to close");

    // F3 repeats after the dialog closed; at the end it asks to wrap.
    app.PressKeys("F3");
    Notification wrap = app.WaitForNotification(kUiTimeout);
    EXPECT_EQ(wrap.message, "No instances found.");
    EXPECT_EQ(wrap.ButtonText(1), "Start again at top");
    EXPECT_EQ(wrap.ButtonText(2), "Cancel");
    app.Answer(wrap, 1);
    app.WaitForSelection(6, 10);
}

TEST(ToolsE2E, ReplaceAllGotoAndDeDouble) {
    KorvidApp app;
    StartWith(app, {});
    app.SetEditorText("aaa");
    Select(app, 3, 3);
    app.PressKeys("ctrl+h");
    HWND replace = WaitForOwnWindow(app, "#32770", "Replace");
    SetItemText(app, replace, edt1, "a");
    SetItemText(app, replace, edt2, "aa");
    app.PressKeysIn(replace, "alt+a"); // Replace All
    app.WaitForEditorText("aaaaaa");
    app.PressKeysIn(replace, "Escape");
    app.WaitUntil([&] { return !IsWindow(replace); }, "the Replace dialog to close");

    app.SetEditorText("one\r\ntwo\r\nthree");
    Select(app, 0, 0);
    app.PressKeys("ctrl+g");
    Notification prompt = app.WaitForNotification(kUiTimeout);
    EXPECT_EQ(prompt.message, "Enter the line number.");
    EXPECT_EQ(prompt.ButtonText(1), "Goto");
    app.PressKeysIn(prompt.window, "3 Return");
    app.WaitForSelection(8, 9);
    app.PressKeys("ctrl+g");
    prompt = app.WaitForNotification(kUiTimeout);
    app.PressKeysIn(prompt.window, "9 9 Return");
    app.WaitUntil(
        [&] {
            auto selection = app.Selection();
            return selection.first == selection.second;
        },
        "the selection to go");

    app.SetEditorText("xababababy");
    Select(app, 1, 3);
    app.PostCommand(kCmdDeDouble);
    app.WaitForEditorText("xaby");
}

TEST(ToolsE2E, InsertTimeAndTheInsertDialogsPasteAndOk) {
    KorvidApp app;
    StartWith(app, {{kInsertTimeMode, 1}}, "", "stored C");
    app.SetEditorText("");
    app.PressKeys("F5");
    SYSTEMTIME now;
    GetLocalTime(&now);
    char date[100];
    GetDateFormatA(LOCALE_USER_DEFAULT, DATE_LONGDATE, &now, nullptr, date, sizeof date);
    app.WaitForEditorText(date);

    // Paste C inserts the stored text, not what was typed into C.
    app.SetEditorText("[]");
    Select(app, 1, 1);
    app.PostCommand(kCmdInsertText);
    HWND insert = WaitForOwnWindow(app, "#32770", "Insert");
    EXPECT_EQ(ItemText(app, insert, 1042), "stored C");
    SetItemText(app, insert, 1042, "typed");
    app.Post(insert, WM_COMMAND, MAKEWPARAM(1037, BN_CLICKED),
             reinterpret_cast<LPARAM>(GetDlgItem(insert, 1037)));
    app.WaitForEditorText("[stored C]");

    // OK keeps the typing and writes the settings file.
    DeleteFileA(app.SettingsPathInProgram().c_str());
    app.PostCommand(kCmdInsertText);
    insert = WaitForOwnWindow(app, "#32770", "Insert");
    SetItemText(app, insert, 1042, "typed");
    app.PressKeysIn(insert, "Return");
    Bytes written = app.WaitForFile(app.SettingsPathInProgram(), kSettingsFileSize);
    EXPECT_STREQ(reinterpret_cast<const char*>(written.data() + kInsertTextC), "typed");
    EXPECT_EQ(app.EditorText(), "[stored C]");
}

TEST(ToolsE2E, BookmarksAreReportedOnLoadAndTheToolbarJumps) {
    KorvidApp app;
    std::string path = app.ProgramFolder() + "marks.txt";
    WriteTextFile(path, "xx KORVIDtwo yy\r\nKorvidone\r\n");
    StartWith(app, {{kBookmarkMode, 1}, {kToolbarBookmarkButtons, 1}}, "\"" + path + "\"");
    app.WaitUntil(
        [&] {
            auto parts = app.StatusTexts();
            return parts.size() > 2 && parts[2] == "BookMarks found: One, Two";
        },
        "the bookmark report");
    Select(app, 20, 20);
    RECT button = app.ToolbarButtonRect(kCmdGotoMark2);
    app.Click(app.Toolbar(), {(button.left + button.right) / 2, (button.top + button.bottom) / 2});
    app.WaitForSelection(3, 4);
}

// Points the shell's "open" of .htm files at a command that copies the file
// it was given to `copy`, for as long as it lives; the old command returns
// at the end.
class HtmlOpenCommand {
  public:
    explicit HtmlOpenCommand(const std::string& copy) {
        char progId[128] = {};
        LONG size = sizeof progId;
        if (RegQueryValueA(HKEY_CLASSES_ROOT, ".htm", progId, &size) != ERROR_SUCCESS || !progId[0])
            std::strcpy(progId, "htmlfile");
        if (RegQueryValueA(HKEY_CLASSES_ROOT, ".htm", nullptr, &size) != ERROR_SUCCESS)
            RegSetValueA(HKEY_CLASSES_ROOT, ".htm", REG_SZ, progId, 0);
        key_ = std::string(progId) + "\\shell\\open\\command";
        char old[1024] = {};
        size = sizeof old;
        hadOld_ = RegQueryValueA(HKEY_CLASSES_ROOT, key_.c_str(), old, &size) == ERROR_SUCCESS;
        old_ = old;
        std::string command = "C:\\windows\\system32\\cmd.exe /c copy \"%1\" \"" + copy + "\"";
        RegSetValueA(HKEY_CLASSES_ROOT, key_.c_str(), REG_SZ, command.c_str(), 0);
    }
    ~HtmlOpenCommand() {
        if (hadOld_)
            RegSetValueA(HKEY_CLASSES_ROOT, key_.c_str(), REG_SZ, old_.c_str(), 0);
        else
            RegDeleteKeyA(HKEY_CLASSES_ROOT, key_.c_str());
    }

  private:
    std::string key_, old_;
    bool hadOld_ = false;
};

TEST(ToolsE2E, LabelsWindowJumpsOnDoubleClickAndTheLimitAsks) {
    KorvidApp app;
    std::string big = app.ProgramFolder() + "big.txt";
    WriteTextFile(big, std::string(600, 'x') + " proc\r\n");
    StartWith(app, {{kLabelsMaxFileSize, 500}});
    app.SetEditorText("MyRoutine proc\r\nmore text");
    app.PostCommand(kCmdLabels);
    HWND labels = WaitForOwnWindow(app, "XtraSBox", "Labels Found");
    HWND list = FindWindowExA(labels, nullptr, WC_LISTVIEWA, nullptr);
    ASSERT_NE(list, nullptr);
    app.WaitUntil([&] { return app.Send(list, LVM_GETITEMCOUNT, 0, 0) == 1; }, "one label");

    // The list raises the double click itself, on its focused first row.
    LVITEMA state = {};
    state.stateMask = state.state = LVIS_FOCUSED | LVIS_SELECTED;
    app.SendWithBuffer(list, LVM_SETITEMSTATE, 0, &state, sizeof state);
    RECT row = {};
    row.left = LVIR_BOUNDS;
    app.SendWithBuffer(list, LVM_GETITEMRECT, 0, &row, sizeof row);
    LPARAM at = MAKELPARAM((row.left + row.right) / 2, (row.top + row.bottom) / 2);
    app.Post(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    app.Post(list, WM_LBUTTONUP, 0, at);
    app.WaitUntil([&] { return !IsWindow(labels); }, "the labels window to close");
    app.WaitForSelection(10, 11);

    // A document over the limit asks instead of listing.
    app.SetEditorText("");
    app.Send(app.Editor(), EM_SETMODIFY, FALSE, 0);
    app.DropFiles(app.Editor(), {big});
    app.WaitUntil([&] { return app.Title() == "big.txt"; }, "big.txt to open");
    app.PostCommand(kCmdLabels);
    Notification notice = app.WaitForNotification(kUiTimeout);
    EXPECT_EQ(notice.message,
              "File bigger than set maximum. You can change this setting in Korvid Options");
    EXPECT_EQ(notice.ButtonText(2), "Open ReadMe");
    app.Answer(notice, 1);
    app.ExpectNoNotification(200);
    EXPECT_EQ(FindOwnWindow(app, "XtraSBox", "Labels Found"), nullptr);

    // "Open ReadMe" opens the read-me beside the program.
    WriteTextFile(app.ProgramFolder() + "ReadMe.htm", "<p>read me</p>");
    std::string opened = app.ProgramFolder() + "opened.htm";
    HtmlOpenCommand command(opened);
    app.PostCommand(kCmdLabels);
    app.Answer(app.WaitForNotification(kUiTimeout), 2);
    app.WaitUntil([&] { return FileExists(opened); }, "the read-me to be opened", 15000);
    EXPECT_EQ(FindOwnWindow(app, "XtraSBox", "Labels Found"), nullptr);
}

} // namespace
