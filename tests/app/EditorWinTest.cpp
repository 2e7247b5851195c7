#include "MainWindowFixture.h"

#include "app/Bars.h"

#include <algorithm>
#include <vector>

namespace {

// The control's own procedure behind the key rules, recording the
// characters that reach it.
WNDPROC realEditorProc;
std::vector<WPARAM> charactersReached;
LRESULT CALLBACK RecordingEditorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CHAR)
        charactersReached.push_back(wParam);
    return CallWindowProcA(realEditorProc, window, message, wParam, lParam);
}

class EditorTest : public MainWindowTest {
  protected:
    void SetText(const char* text, LONG selStart, LONG selEnd) {
        SetWindowTextA(app.editorWindow, text);
        CHARRANGE range = {selStart, selEnd};
        SendMessageA(app.editorWindow, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    }
    // A key as the message loop delivers it: the key-down, then the
    // character TranslateMessage made from it.
    void Type(WPARAM key, char character) {
        SendMessageA(app.editorWindow, WM_KEYDOWN, key, 1);
        if (character != 0)
            SendMessageA(app.editorWindow, WM_CHAR, static_cast<unsigned char>(character), 1);
        SendMessageA(app.editorWindow, WM_KEYUP, key, 0xC0000001);
    }
    CHARRANGE Selection() {
        CHARRANGE range = {};
        SendMessageA(app.editorWindow, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
        return range;
    }
    std::string StatusPart(int part) {
        char text[256] = {};
        SendMessageA(app.statusBar, SB_GETTEXTA, part, reinterpret_cast<LPARAM>(text));
        return text;
    }
};

} // namespace

TEST_F(EditorTest, OvrSelOffTypingInsertsBeforeTheSelectionAndKeepsIt) {
    settings.OverwriteSelection = 0;
    SetText("abcdef", 1, 4);
    Type('X', 'x');
    EXPECT_EQ(EditorText(), "axbcdef");
    EXPECT_EQ(Selection().cpMin, 2);
    EXPECT_EQ(Selection().cpMax, 2);

    SetText("abcdef", 1, 4);
    Type(VK_BACK, '\b');
    EXPECT_EQ(EditorText(), "abcdef"); // nothing deleted
    EXPECT_EQ(Selection().cpMin, 1);
    EXPECT_EQ(Selection().cpMax, 1);

    // Ctrl was released where the editor did not see it (inside a dialog):
    // the key rules find it up, and the backspace still deletes nothing,
    // its character included (the control behind the rules never gets it).
    WNDPROC control = app.oldEditorProc;
    app.oldEditorProc = RecordingEditorProc;
    realEditorProc = control;
    charactersReached.clear();
    app.ctrlDown = 1;
    SetText("abcdef", 3, 5);
    Type(VK_BACK, '\b');
    app.oldEditorProc = control;
    EXPECT_EQ(EditorText(), "abcdef");
    EXPECT_EQ(Selection().cpMin, 3);
    EXPECT_EQ(app.ctrlDown, 0);
    EXPECT_EQ(std::count(charactersReached.begin(), charactersReached.end(), '\b'), 0);

    SetText("abcdef", 1, 4);
    Type(VK_DELETE, 0);
    EXPECT_EQ(EditorText(), "aef");

    SetText("abcdef", 2, 2);
    Type(VK_BACK, '\b'); // no selection: an ordinary backspace
    EXPECT_EQ(EditorText(), "acdef");
}

TEST_F(EditorTest, OvrSelOnBehavesAsAnOrdinaryControl) {
    settings.OverwriteSelection = 1;
    SetText("abcdef", 1, 4);
    Type('X', 'x');
    EXPECT_EQ(EditorText(), "axef");
    SetText("abcdef", 1, 4);
    Type(VK_BACK, '\b');
    EXPECT_EQ(EditorText(), "aef");
}

TEST_F(EditorTest, CtrlWheelZoomsTheCurrentGroupAndStoresIt) {
    settings.CurrentFontGroup = 1;
    struct Case {
        short delta;
        int32_t from, to;
    } cases[] = {{120, -12, -16}, {600, -12, -20}, {501, 12, 20}, {500, 12, 16},
                 {-120, -12, -8}, {-599, 12, 8},   {-600, 12, 4}, {60, -12, -12}};
    for (const Case& c : cases) {
        settings.FontGroup2Font.lfHeight = c.from;
        LRESULT r =
            SendMessageA(app.editorWindow, WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, c.delta), 0);
        EXPECT_EQ(r, 0);
        EXPECT_EQ(+settings.FontGroup2Font.lfHeight, c.to) << "delta " << c.delta;
    }
    EXPECT_TRUE(FileExists(folder.File("Korvid.Dat")));
    settings.FontGroup2Font.lfHeight = -12;
    SendMessageA(app.editorWindow, WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL | MK_SHIFT, 120), 0);
    SendMessageA(app.editorWindow, WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
    EXPECT_EQ(+settings.FontGroup2Font.lfHeight, -12);
}

TEST_F(EditorTest, StatusShowsLineColumnInsertAndModifiedOnce) {
    CreateBars();
    RelayoutMainWindow();
    ASSERT_NE(app.statusBar, nullptr);
    SetText("first\r\nsecond line", 9, 9);
    SendMessageA(app.editorWindow, EM_SETMODIFY, FALSE, 0);
    app.modifiedShown = 0;
    app.insertShown = 0;
    UpdateStatusBar();
    EXPECT_EQ(StatusPart(0), "Ln 2 of 2, Cm 3 of 11");
    EXPECT_EQ(StatusPart(1), "ins");
    EXPECT_EQ(StatusPart(3), "Korvid 1.9");

    // A selection from the first line to the caret on the second gives a
    // negative column.
    SetText("first\r\nsecond line", 2, 9);
    UpdateStatusBar();
    EXPECT_EQ(StatusPart(0).substr(0, 16), "Ln 2 of 2, Cm -4");

    SendMessageA(app.editorWindow, EM_SETMODIFY, TRUE, 0);
    UpdateStatusBar();
    UpdateStatusBar();
    EXPECT_EQ(StatusPart(3), "Korvid 1.9, Modified");
    EXPECT_STREQ(doc.statusText, "Korvid 1.9, Modified");
}

TEST_F(EditorTest, LongLinkTextIsReadWhole) {
    std::string address = "http://example.com/" + std::string(700, 'p');
    SetWindowTextA(app.editorWindow, address.c_str());
    CHARRANGE range = {0, static_cast<LONG>(address.size())};
    EXPECT_EQ(EditorTextRange(app.editorWindow, range), address);
    CHARRANGE empty = {5, 5};
    EXPECT_EQ(EditorTextRange(app.editorWindow, empty), "");
}

TEST_F(EditorTest, EscapeWithEscExitRunsTheCloseAtOnce) {
    settings.EscapeCloses = 1;
    settings.ExitSave = 1;
    HWND editor = app.editorWindow;
    SendMessageA(editor, WM_KEYDOWN, VK_ESCAPE, 1);
    EXPECT_FALSE(IsWindow(editor));
    EXPECT_TRUE(DrainQuit());
    EXPECT_TRUE(FileExists(folder.File("Korvid.Dat")));

    CreateEditor(app.mainWindow);
    settings.EscapeCloses = 0;
    SendMessageA(app.editorWindow, WM_KEYDOWN, VK_ESCAPE, 1);
    EXPECT_TRUE(IsWindow(app.editorWindow));
    EXPECT_FALSE(DrainQuit());
}

TEST_F(EditorTest, ShortcutsArePostedNotRunInline) {
    // Real key state: the Ctrl rules look at the keyboard, not only at the
    // messages.
    SetForegroundWindow(app.mainWindow);
    SetFocus(app.editorWindow);
    settings.StayOnTop = 0;
    INPUT keys[4] = {};
    for (INPUT& k : keys)
        k.type = INPUT_KEYBOARD;
    keys[0].ki.wVk = VK_CONTROL;
    keys[1].ki.wVk = 'T';
    keys[2].ki.wVk = 'T';
    keys[2].ki.dwFlags = KEYEVENTF_KEYUP;
    keys[3].ki.wVk = VK_CONTROL;
    keys[3].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(4, keys, sizeof(INPUT));
    EXPECT_TRUE(PumpUntil([] { return settings.StayOnTop == 1; }, 5000));
    EXPECT_EQ(app.ctrlDown, 0);
    SendInput(4, keys, sizeof(INPUT));
    EXPECT_TRUE(PumpUntil([] { return settings.StayOnTop == 0; }, 5000));
}

// The question about a link comes inside the control's button-down and
// takes the button's release: the click must still end there, or every
// later move of the mouse goes on selecting text (and typing replaces it).
TEST_F(EditorTest, ALinkQuestionEndsTheClick) {
    settings.UrlHighlight = 1;
    SendMessageA(app.editorWindow, EM_AUTOURLDETECT, TRUE, 0);
    SetText("file:///C:/x/tool.exe\r\nabc def ghi\r\n", 30, 30);
    bool asked = false;
    WithDialogLater("Korvid 1.2", [&asked](HWND dialog) {
        asked = true;
        PressDialogButton(dialog, IDOK); // "Do not open"
    });
    SendMessageA(app.editorWindow, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 8));
    EXPECT_TRUE(asked);
    EXPECT_EQ(Selection().cpMin, 0);
    EXPECT_EQ(Selection().cpMax, 21);
    SendMessageA(app.editorWindow, WM_MOUSEMOVE, 0, MAKELPARAM(60, 30));
    EXPECT_EQ(Selection().cpMin, 0);
    EXPECT_EQ(Selection().cpMax, 21);
}

// After a click on a link the control's last change can stay open; the
// control under Wine then ends the process on Ctrl+Z. The shortcut closes
// the change first.
TEST_F(EditorTest, UndoAfterALinkClickKeepsTheProgramAlive) {
    settings.UrlHighlight = 1;
    settings.OverwriteSelection = 0;
    SendMessageA(app.editorWindow, EM_AUTOURLDETECT, TRUE, 0);
    SetText("", 0, 0);
    const std::string link = "file:///C:/x/tool.exe";
    for (char c : link)
        Type(0, c);
    Type(VK_RETURN, '\r');
    SetText(EditorText().c_str(), 0, 0);
    WithDialogLater("Korvid 1.2", [](HWND dialog) { PressDialogButton(dialog, IDCANCEL); });
    SendMessageA(app.editorWindow, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 8));
    SendMessageA(app.editorWindow, WM_LBUTTONUP, 0, MAKELPARAM(30, 8));
    BYTE keys[256];
    GetKeyboardState(keys);
    auto hold = [&keys](int key, bool down) {
        keys[key] = down ? 0x80 : 0;
        SetKeyboardState(keys);
    };
    Type(VK_END, 0);
    hold(VK_SHIFT, true);
    Type(VK_LEFT, 0);
    Type(VK_END, 0);
    hold(VK_SHIFT, false);
    Type(VK_RETURN, '\r');
    hold(VK_CONTROL, true);
    SendMessageA(app.editorWindow, WM_KEYDOWN, VK_CONTROL, 1);
    SendMessageA(app.editorWindow, WM_KEYDOWN, 'Z', 1);
    hold(VK_CONTROL, false);
    SendMessageA(app.editorWindow, WM_KEYUP, VK_CONTROL, 0xC0000001);
    EXPECT_EQ(EditorText().rfind(link, 0), 0u) << EditorText();
}
