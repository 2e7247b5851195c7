// The editor's own rules on a real main window: the line and column status,
// the Insert indicator and "De Ovr", Escape, and links that ask before they
// open.
#include "MainWindowFixture.h"

namespace {

class EditorTest : public MainWindowTest {
  protected:
    // A key as the message loop delivers it: the key-down, then the
    // character TranslateMessage made from it.
    void Key(WPARAM key, char character) {
        SendMessageA(app.editorWindow, WM_KEYDOWN, key, 1);
        if (character != 0)
            SendMessageA(app.editorWindow, WM_CHAR, static_cast<unsigned char>(character), 1);
        SendMessageA(app.editorWindow, WM_KEYUP, key, 0xC0000001);
    }
    // The Insert key through the system, to the focused editor.
    void RealInsert() {
        SetForegroundWindow(app.mainWindow);
        SetFocus(app.editorWindow);
        INPUT input[2] = {};
        input[0].type = input[1].type = INPUT_KEYBOARD;
        input[0].ki.wVk = input[1].ki.wVk = VK_INSERT;
        input[1].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(2, input, sizeof(INPUT));
    }
};

} // namespace

TEST_F(EditorTest, TheStatusShowsLineColumnInsertAndModifiedOnce) {
    CreateBars();
    RelayoutMainWindow();
    SetText("first\r\nsecond line");
    Select(9, 9);
    SetModified(false);
    UpdateStatusBar();
    EXPECT_EQ(Status(0), "Ln 2 of 2, Cm 3 of 11");
    EXPECT_EQ(Status(1), "ins");
    EXPECT_EQ(Status(3), "Korvid 1.9");
    // A selection from the first line to the caret on the second: the
    // column counts from the caret's line start, so it is negative.
    Select(2, 9);
    UpdateStatusBar();
    EXPECT_EQ(Status(0), "Ln 2 of 2, Cm -4 of 11");
    SetModified(true);
    UpdateStatusBar();
    UpdateStatusBar();
    EXPECT_EQ(Status(3), "Korvid 1.9, Modified");

    // The Insert key shows "ovr"; with "De Ovr" the program presses Insert
    // straight back itself and says so.
    for (int deOvr : {0, 1}) {
        settings.AutoOverwriteOff = deOvr;
        RealInsert();
        ASSERT_TRUE(
            PumpUntil([&] { return Status(deOvr ? 2 : 1) == (deOvr ? "De Ovr!" : "ovr"); }, 5000))
            << Status(1) << "|" << Status(2);
        if (!deOvr)
            RealInsert();
        EXPECT_TRUE(PumpUntil([] { return (GetKeyState(VK_INSERT) & 1) == 0; }, 5000));
        UpdateStatusBar();
        EXPECT_EQ(Status(1), "ins");
    }
}

TEST_F(EditorTest, EscapeClosesOnlyWithEscExitAndAsksFirst) {
    settings.EscapeCloses = 0;
    SendMessageA(app.editorWindow, WM_KEYDOWN, VK_ESCAPE, 1);
    EXPECT_FALSE(DrainQuit());
    settings.EscapeCloses = 1;
    SetText("changed");
    SetModified(true);
    Answer(kAsk, IDCANCEL, [&] { SendMessageA(app.editorWindow, WM_KEYDOWN, VK_ESCAPE, 1); });
    EXPECT_TRUE(IsWindow(app.editorWindow)) << "\"Abort Close\" keeps the program";
    EXPECT_FALSE(DrainQuit());
    SetModified(false);
    settings.ExitSave = 1;
    HWND editor = app.editorWindow;
    SendMessageA(editor, WM_KEYDOWN, VK_ESCAPE, 1);
    EXPECT_FALSE(IsWindow(editor));
    EXPECT_TRUE(DrainQuit());
    EXPECT_TRUE(FileExists(folder.File("Korvid.Dat")));
}

// A link to a program asks first. The question comes inside the control's
// button-down and takes the button's release: the click must still end
// there, or every later move goes on selecting text. After such a click
// the control's last change can stay open, and the control under Wine then
// ends the process on Ctrl+Z: the shortcut closes the change first.
TEST_F(EditorTest, ALinkAsksFirstAndTheClickAndUndoEndWell) {
    settings.UrlHighlight = 1;
    settings.OverwriteSelection = 0;
    SendMessageA(app.editorWindow, EM_AUTOURLDETECT, TRUE, 0);
    const std::string link = "file:///C:/x/tool.exe";
    for (char c : link)
        Key(0, c);
    Key(VK_RETURN, '\r');
    Type("abc def ghi\r\n");
    Select(30, 30);
    std::string message;
    Answer(
        kAsk, IDOK, // "Do not open"
        [&] { SendMessageA(app.editorWindow, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 8)); },
        [&](HWND q) { message = ItemText(q, IDC_NOTIFY_TEXT); });
    EXPECT_NE(message.find(link), std::string::npos) << message;
    EXPECT_EQ(Selection(), std::make_pair(0L, 21L));
    SendMessageA(app.editorWindow, WM_MOUSEMOVE, 0, MAKELPARAM(60, 30));
    EXPECT_EQ(Selection(), std::make_pair(0L, 21L));
    SendMessageA(app.editorWindow, WM_LBUTTONUP, 0, MAKELPARAM(30, 8));

    BYTE keys[256];
    GetKeyboardState(keys);
    auto hold = [&keys](int key, bool down) {
        keys[key] = down ? 0x80 : 0;
        SetKeyboardState(keys);
    };
    Key(VK_END, 0);
    hold(VK_SHIFT, true);
    Key(VK_LEFT, 0);
    Key(VK_END, 0);
    hold(VK_SHIFT, false);
    Key(VK_RETURN, '\r');
    hold(VK_CONTROL, true);
    SendMessageA(app.editorWindow, WM_KEYDOWN, VK_CONTROL, 1);
    SendMessageA(app.editorWindow, WM_KEYDOWN, 'Z', 1);
    hold(VK_CONTROL, false);
    SendMessageA(app.editorWindow, WM_KEYUP, VK_CONTROL, 0xC0000001);
    EXPECT_EQ(EditorText().rfind(link, 0), 0u) << EditorText();
}
