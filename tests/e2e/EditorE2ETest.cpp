// The editor, its bars and its window states, driven from outside with real
// keys and mouse events: the "Ovr Sel" and Escape rules, Ctrl+T and
// Ctrl+wheel, the status bar, the toolbar, the context menu and the tray.
#include "tests/e2e/KorvidDriver.h"
#include "tests/shell/RegistrySnapshot.h"
#include "tests/tools/ProbeLog.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <richedit.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

using namespace korvid_e2e;

namespace {

// Settings-file offsets beyond the driver's.
constexpr size_t kToolbarEnabled = 8;
constexpr size_t kToolbarRunButtons = 3578;
constexpr size_t kToolbarInsertButtons = 3582;
constexpr size_t kToolbarSearchButtons = 3706;
constexpr size_t kToolbarIndentButtons = 3710;
constexpr size_t kToolbarBookmarkButtons = 5754;

// Command ids.
constexpr int kCmdOnTop = 20;
constexpr int kCmdRichText = 21;
constexpr int kCmdWordWrap = 22;
constexpr int kCmdToTray = 23;
constexpr int kCmdFontOne = 40050;

constexpr UINT kTrayNotify = WM_USER + 5;

// Starts the program with the default settings changed by `fields` and
// waits for the editor.
HWND StartWith(KorvidApp& app, std::initializer_list<Field> fields) {
    WriteSettings(app, fields);
    app.Start();
    return app.WaitForEditor();
}

void Select(KorvidApp& app, long first, long last) {
    app.Send(app.Editor(), EM_SETSEL, static_cast<WPARAM>(first), static_cast<LPARAM>(last));
    app.WaitForSelection(first, last);
}

// Puts text into the editor and the caret at `caret` without marking the
// document as changed.
void SetTextUnmodified(KorvidApp& app, const std::string& text, long caret) {
    app.SetEditorText(text);
    app.Send(app.Editor(), EM_SETMODIFY, FALSE, 0);
    Select(app, caret, caret);
}

std::string Quoted(const std::vector<std::string>& texts) {
    std::string shown;
    for (const std::string& text : texts)
        shown += " \"" + text + "\"";
    return shown;
}

std::string Listed(const std::vector<int>& numbers) {
    std::string shown;
    for (int number : numbers)
        shown += " " + std::to_string(number);
    return shown;
}

// Waits until the status bar shows `text` in `part`.
void WaitForStatus(KorvidApp& app, size_t part, const std::string& text) {
    std::vector<std::string> seen;
    app.WaitFor(
        [&] {
            seen = app.StatusTexts();
            return part < seen.size() && seen[part] == text;
        },
        [&] {
            return "status part " + std::to_string(part) + " to show \"" + text +
                   "\"; the parts show" + Quoted(seen);
        });
}

// Waits until the status bar's parts show `texts`.
void WaitForStatus(KorvidApp& app, const std::vector<std::string>& texts) {
    std::vector<std::string> seen;
    app.WaitFor([&] { return (seen = app.StatusTexts()) == texts; },
                [&] { return "the status parts" + Quoted(texts) + "; they show" + Quoted(seen); });
}

// The height of a font group as stored in the settings file on disk.
int32_t StoredHeight(const Bytes& file, size_t group) { return GetSettingsField(file, group); }

// The character height the editor applies at the caret, in twips.
LONG EditorTextHeight(KorvidApp& app) {
    CHARFORMATA format{};
    format.cbSize = sizeof format;
    app.SendWithBuffer(app.Editor(), EM_GETCHARFORMAT, SCF_SELECTION, &format, sizeof format);
    return format.yHeight;
}

// Waits until the editor shows the font of `height`, then reads the
// settings file once and checks that `group` holds `height`. The program
// writes the file in the same step as it formats the text, before it
// answers the next message; polling the file instead could make that write
// fail (see the driver's file helpers).
Bytes WaitForZoom(KorvidApp& app, size_t group, int32_t height) {
    const LONG twips = (height < 0 ? -height : height) * 16;
    LONG seen = 0;
    app.WaitFor([&] { return (seen = EditorTextHeight(app)) == twips; },
                [&] {
                    return "the editor text to take the height " + std::to_string(twips) +
                           " twips; it has " + std::to_string(seen);
                });
    Bytes file = ReadFileBytes(app.SettingsPathInProgram());
    EXPECT_EQ(file.size(), kSettingsFileSize);
    if (file.size() == kSettingsFileSize) {
        EXPECT_EQ(StoredHeight(file, group), height) << "the font height on disk";
    }
    return file;
}

// A wheel message as the system delivers it to the editor.
void PostWheel(KorvidApp& app, WORD keys, short delta) {
    app.Post(app.Editor(), WM_MOUSEWHEEL, MAKEWPARAM(keys, static_cast<WORD>(delta)),
             MAKELPARAM(100, 100));
}

// A paragraph far wider than the window.
const std::string kLongLine = [] {
    std::string line;
    for (int i = 0; i < 60; ++i)
        line += "wrapping ";
    return line;
}();

// The number of lines the editor shows kLongLine in (1: no word wrap).
LRESULT LinesOfTheLongLine(KorvidApp& app) {
    app.SetEditorText(kLongLine);
    return app.Send(app.Editor(), EM_GETLINECOUNT, 0, 0);
}

// Resizes the main window so that its client area is `width` pixels wide.
void SetClientWidth(KorvidApp& app, int width) {
    HWND main = app.FindMainWindow();
    RECT outer{}, client{};
    GetWindowRect(main, &outer);
    GetClientRect(main, &client);
    int frame = (outer.right - outer.left) - client.right;
    ASSERT_TRUE(SetWindowPos(main, nullptr, 0, 0, width + frame, outer.bottom - outer.top,
                             SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE));
    app.WaitUntil(
        [&] {
            GetClientRect(main, &client);
            return client.right == width;
        },
        "the client area to become " + std::to_string(width) + " pixels wide");
}

} // namespace

// ---- "Ovr Sel": typing over a selection ------------------------------------------

TEST(OverwriteSelectionE2E, OffKeepsTheSelectedTextWhenTypingAndBackspacing) {
    KorvidApp app;
    StartWith(app, {{offsets::OverwriteSelection, 0}});
    app.SetEditorText("hello world");
    {
        SCOPED_TRACE("a letter typed over \"wor\"");
        Select(app, 6, 9);
        app.TypeText("X");
        app.WaitForEditorText("hello Xworld");
        app.WaitForSelection(7, 7);
    }
    {
        SCOPED_TRACE("a space typed over \"wor\"");
        Select(app, 7, 10);
        app.TypeText(" ");
        app.WaitForEditorText("hello X world");
        app.WaitForSelection(8, 8);
    }
    {
        SCOPED_TRACE("Backspace on \"wor\"");
        Select(app, 8, 11);
        app.PressKeys("BackSpace");
        app.WaitForSelection(8, 8);
        // A Backspace without a selection deletes as usual: the one on the
        // selection left nothing behind that swallows it.
        app.PressKeys("BackSpace");
        app.WaitForEditorText("hello Xworld");
        app.WaitForSelection(7, 7);
    }
    {
        SCOPED_TRACE("Delete on \"wor\"");
        Select(app, 7, 10);
        app.PressKeys("Delete");
        app.WaitForEditorText("hello Xld");
        app.WaitForSelection(7, 7);
    }
    {
        SCOPED_TRACE("Shift+Right still extends the selection");
        app.PressKeys("shift+Right shift+Right");
        app.WaitForSelection(7, 9);
        EXPECT_EQ(app.EditorText(), "hello Xld");
    }
}

TEST(OverwriteSelectionE2E, OnReplacesTheSelectionLikeAnOrdinaryEditControl) {
    KorvidApp app;
    app.Start(); // "Ovr Sel" is on by default
    app.WaitForEditor();
    app.SetEditorText("hello world");
    {
        SCOPED_TRACE("a letter typed over \"wor\"");
        Select(app, 6, 9);
        app.TypeText("X");
        app.WaitForEditorText("hello Xld");
        app.WaitForSelection(7, 7);
    }
    {
        SCOPED_TRACE("Backspace on \"Xl\"");
        Select(app, 6, 8);
        app.PressKeys("BackSpace");
        app.WaitForEditorText("hello d");
        app.WaitForSelection(6, 6);
    }
    {
        SCOPED_TRACE("Delete on \"hel\"");
        Select(app, 0, 3);
        app.PressKeys("Delete");
        app.WaitForEditorText("lo d");
        app.WaitForSelection(0, 0);
    }
}

// ---- Escape ---------------------------------------------------------------------

TEST(EscapeE2E, EscapeEndsTheProgramWhenEscExitIsOn) {
    KorvidApp app;
    app.Start(); // "Esc Exit" is on by default
    app.WaitForEditor();
    app.PressKeys("Escape");
    app.WaitForExit();
    EXPECT_FALSE(FileExists(app.SettingsPathInProgram())) << "\"Exit Save\" is off by default";
}

TEST(EscapeE2E, EscapeWritesTheSettingsWhenExitSaveIsOn) {
    KorvidApp app;
    StartWith(app, {{offsets::ExitSave, 1}, {offsets::WordWrap, 0}});
    ASSERT_TRUE(DeleteFileA(app.SettingsPathInProgram().c_str()));
    app.PressKeys("Escape");
    app.WaitForExit();
    ASSERT_TRUE(FileExists(app.SettingsPathInProgram())) << "Escape wrote no settings";
    Bytes written = ReadFileBytes(app.SettingsPathInProgram());
    ASSERT_EQ(written.size(), kSettingsFileSize);
    EXPECT_EQ(GetSettingsField(written, offsets::ExitSave), 1);
    EXPECT_EQ(GetSettingsField(written, offsets::WordWrap), 0);
}

TEST(EscapeE2E, EscapeOnAChangedDocumentAsksAtOnce) {
    KorvidApp app;
    app.Start();
    app.WaitForEditor();
    app.TypeText("x");
    app.WaitForEditorText("x");
    app.PressKeys("Escape");
    Notification question = app.WaitForNotification(kUiTimeout);
    EXPECT_EQ(question.message, "File is not saved and changes will be lost");
    EXPECT_EQ(question.ButtonText(2), "Abort Close");
    EXPECT_EQ(question.ButtonText(1612), "Abandon changes");

    app.Answer(question, 2);
    app.TypeText("y");
    app.WaitForEditorText("xy");
    EXPECT_TRUE(app.Running());

    app.PressKeys("Escape");
    app.Answer(app.WaitForNotification(kUiTimeout), 1612);
    app.WaitForExit();
}

TEST(EscapeE2E, EscapeIsAnOrdinaryKeyWhenEscExitIsOff) {
    KorvidApp app;
    StartWith(app, {{offsets::EscapeCloses, 0}});
    app.PressKeys("Escape");
    // Keys arrive in order: once the next one has acted, Escape has too.
    app.TypeText("k");
    app.WaitForEditorText("k");
    EXPECT_TRUE(app.Running());
    EXPECT_NE(app.FindMainWindow(), nullptr);
}

// ---- on top ---------------------------------------------------------------------

TEST(OnTopE2E, CtrlTTogglesOnTopAndTheToolbarButtonFollows) {
    KorvidApp app;
    StartWith(app, {{offsets::ExitSave, 1}});
    ASSERT_NE(app.Toolbar(), nullptr);
    EXPECT_FALSE(app.OnTop());
    EXPECT_FALSE(app.ToolbarChecked(kCmdOnTop));

    app.PressKeys("ctrl+t");
    app.WaitUntil([&] { return app.OnTop(); }, "Ctrl+T to make the window topmost");
    EXPECT_TRUE(app.ToolbarChecked(kCmdOnTop));

    app.PressKeys("ctrl+t");
    app.WaitUntil([&] { return !app.OnTop(); }, "the second Ctrl+T to end topmost");
    EXPECT_FALSE(app.ToolbarChecked(kCmdOnTop));
    // The shortcut is consumed: no "t" reaches the text.
    EXPECT_EQ(app.EditorText(), "");

    // The state is kept with the next settings write.
    app.PressKeys("ctrl+t");
    app.WaitUntil([&] { return app.OnTop(); }, "the third Ctrl+T");
    app.Close();
    app.WaitForExit();
    EXPECT_EQ(GetSettingsField(ReadFileBytes(app.SettingsPathInProgram()), offsets::StayOnTop), 1);
}

TEST(OnTopE2E, ClickingTheToolbarButtonTogglesOnTop) {
    KorvidApp app;
    app.Start();
    app.WaitForEditor();
    HWND toolbar = app.Toolbar();
    ASSERT_NE(toolbar, nullptr);
    POINT button = Centre(app.ToolbarButtonRect(kCmdOnTop));

    app.Click(toolbar, button);
    app.WaitUntil([&] { return app.OnTop() && app.ToolbarChecked(kCmdOnTop); },
                  "a click on the On-Top button to make the window topmost and check it");
    app.Click(toolbar, button);
    app.WaitUntil([&] { return !app.OnTop() && !app.ToolbarChecked(kCmdOnTop); },
                  "a second click to end topmost and uncheck the button");
}

// ---- Ctrl+wheel ------------------------------------------------------------------

TEST(WheelZoomE2E, CtrlWheelResizesANegativeHeightAndStoresIt) {
    KorvidApp app;
    StartWith(app, {{offsets::FontGroup1Font, -13},
                    {offsets::FontGroup2Font, 10},
                    {offsets::FontGroup3Font, -20},
                    {offsets::CurrentFontGroup, 0}});
    EXPECT_EQ(EditorTextHeight(app), 13 * 16);
    POINT at = EditorPoint(app);

    app.Wheel(app.Editor(), at, 1, "ctrl");
    Bytes file = WaitForZoom(app, offsets::FontGroup1Font, -17);
    EXPECT_EQ(StoredHeight(file, offsets::FontGroup2Font), 10);
    EXPECT_EQ(StoredHeight(file, offsets::FontGroup3Font), -20);

    app.Wheel(app.Editor(), at, -2, "ctrl");
    WaitForZoom(app, offsets::FontGroup1Font, -9);
}

TEST(WheelZoomE2E, CtrlWheelResizesAPositiveHeightOfTheCurrentGroup) {
    KorvidApp app;
    StartWith(app, {{offsets::FontGroup1Font, -13},
                    {offsets::FontGroup2Font, 10},
                    {offsets::CurrentFontGroup, 1}});
    POINT at = EditorPoint(app);
    app.Wheel(app.Editor(), at, 1, "ctrl");
    Bytes file = WaitForZoom(app, offsets::FontGroup2Font, 14);
    EXPECT_EQ(StoredHeight(file, offsets::FontGroup1Font), -13);
    app.Wheel(app.Editor(), at, -1, "ctrl");
    WaitForZoom(app, offsets::FontGroup2Font, 10);
}

TEST(WheelZoomE2E, StepsFollowTheWheelDeltaAndOnlyCtrlAloneZooms) {
    KorvidApp app;
    StartWith(app, {{offsets::FontGroup3Font, -20}, {offsets::CurrentFontGroup, 2}});
    // A message that must change nothing is followed by one that changes
    // the height, so that its own effect would show there.
    struct Case {
        WORD keys;
        short delta;
        int32_t height; // expected after this message; 0: unchanged
    };
    const Case cases[] = {
        {MK_CONTROL, 120, -24},  {MK_CONTROL, 500, -28},          {MK_CONTROL, 501, -36},
        {MK_CONTROL, 119, 0},    {MK_CONTROL, -120, -32},         {MK_CONTROL, -599, -28},
        {MK_CONTROL, -600, -20}, {MK_CONTROL | MK_SHIFT, 120, 0}, {0, 120, 0},
        {MK_CONTROL, 600, -28},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("keys " + std::to_string(c.keys) + ", delta " + std::to_string(c.delta));
        PostWheel(app, c.keys, c.delta);
        if (c.height != 0)
            WaitForZoom(app, offsets::FontGroup3Font, c.height);
    }
}

// ---- the status bar ---------------------------------------------------------------

TEST(StatusBarE2E, PartsFollowTheClientWidth) {
    KorvidApp app;
    app.Start();
    app.WaitForEditor();
    for (auto widthAndEdges : {std::make_pair(700, std::vector<int>{200, 250, 400, -1}),
                               std::make_pair(280, std::vector<int>{80, 120, 160, -1}),
                               std::make_pair(350, std::vector<int>{100, 150, 200, -1}),
                               std::make_pair(357, std::vector<int>{102, 152, 204, -1})}) {
        SCOPED_TRACE("client width " + std::to_string(widthAndEdges.first));
        SetClientWidth(app, widthAndEdges.first);
        std::vector<int> seen;
        app.WaitFor([&] { return (seen = app.StatusParts()) == widthAndEdges.second; },
                    [&] {
                        return "the status part edges" + Listed(widthAndEdges.second) +
                               "; they are" + Listed(seen);
                    });
    }
}

TEST(StatusBarE2E, LineColumnAndModifiedFollowTheCaretAndTheText) {
    KorvidApp app;
    app.Start();
    app.WaitForEditor();
    // The control keeps a line break as one character: line 2 starts at 3.
    SetTextUnmodified(app, "ab\r\ncdefghijkl\r\nxyz", 6);
    app.PressKeys("Right");
    app.WaitForSelection(7, 7);
    WaitForStatus(app, {"Ln 2 of 3, Cm 4 of 10", "ins", "", "Korvid 1.9"});

    app.TypeText("Z");
    app.WaitForEditorText("ab\r\ncdefZghijkl\r\nxyz");
    WaitForStatus(app, {"Ln 2 of 3, Cm 5 of 11", "ins", "", "Korvid 1.9, Modified"});

    // ", Modified" is added once.
    app.PressKeys("ctrl+End Return");
    WaitForStatus(app, {"Ln 4 of 4, Cm 0 of 0", "ins", "", "Korvid 1.9, Modified"});

    app.PressKeys("ctrl+Home");
    WaitForStatus(app, 0, "Ln 1 of 4, Cm 0 of 2");
}

TEST(StatusBarE2E, ColumnIsNegativeWhenTheSelectionEndsOnALaterLine) {
    KorvidApp app;
    app.Start();
    app.WaitForEditor();
    SetTextUnmodified(app, "abcdef\r\nxy", 5);
    app.PressKeys("shift+Down");
    app.WaitForSelection(5, 9);
    // The caret's line starts at 7; the selection starts at 5.
    WaitForStatus(app, 0, "Ln 2 of 2, Cm -2 of 2");
}

// The keyboard's Insert toggle is shared by every program of the session:
// a test that presses Insert an odd number of times presses it once more
// on the way out, however it ends.
class InsertToggle {
  public:
    explicit InsertToggle(KorvidApp& app) : app_(app) {}
    ~InsertToggle() {
        if (presses_ % 2 == 0)
            return;
        try {
            app_.PressKeys("Insert");
        } catch (const DriverError&) {
        }
    }
    InsertToggle(const InsertToggle&) = delete;
    InsertToggle& operator=(const InsertToggle&) = delete;
    void Press() {
        ++presses_;
        app_.PressKeys("Insert");
    }

  private:
    KorvidApp& app_;
    int presses_ = 0;
};

TEST(StatusBarE2E, InsertKeySwitchesTheIndicator) {
    KorvidApp app;
    app.Start();
    app.WaitForEditor();
    InsertToggle insert(app);
    // Only the indicator is checked: the control under Wine stays in insert
    // mode whatever the toggle.
    SetTextUnmodified(app, "abc", 0);
    app.PressKeys("Right");
    WaitForStatus(app, 1, "ins");
    insert.Press();
    WaitForStatus(app, 1, "ovr");
    insert.Press();
    WaitForStatus(app, 1, "ins");
    EXPECT_EQ(app.StatusTexts().at(2), "");
}

TEST(StatusBarE2E, DeOvrSwitchesOverwriteStraightBackOff) {
    KorvidApp app;
    StartWith(app, {{offsets::AutoOverwriteOff, 1}});
    SetTextUnmodified(app, "abc", 0);
    app.PressKeys("Right");
    WaitForStatus(app, 1, "ins");
    // The program presses Insert again itself, which leaves the toggle as
    // it was.
    app.PressKeys("Insert");
    WaitForStatus(app, 2, "De Ovr!");
    EXPECT_EQ(app.StatusTexts()[1], "ins");
    app.TypeText("X");
    app.WaitForEditorText("aXbc");
    EXPECT_EQ(app.StatusTexts()[1], "ins");
}

// ---- the toolbar ----------------------------------------------------------------

namespace {

struct ExpectedButton {
    int command; // 0: separator
    int image;
    BYTE style;
};

constexpr ExpectedButton kSep = {0, -1, TBSTYLE_SEP};

std::string Describe(const std::vector<TBBUTTON>& buttons) {
    std::string text;
    for (const TBBUTTON& b : buttons)
        text += b.fsStyle & TBSTYLE_SEP ? " |" : " " + std::to_string(b.idCommand);
    return text;
}

void ExpectButtons(const std::vector<TBBUTTON>& buttons,
                   const std::vector<ExpectedButton>& expected) {
    ASSERT_EQ(buttons.size(), expected.size()) << Describe(buttons);
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE("button " + std::to_string(i) + " of" + Describe(buttons));
        EXPECT_EQ(buttons[i].fsStyle, expected[i].style);
        if (expected[i].style == TBSTYLE_SEP)
            continue;
        EXPECT_EQ(buttons[i].idCommand, expected[i].command);
        EXPECT_EQ(buttons[i].iBitmap, expected[i].image);
        EXPECT_TRUE(buttons[i].fsState & TBSTATE_ENABLED);
    }
}

const std::vector<ExpectedButton> kLeading = {
    {1, 0, TBSTYLE_BUTTON}, {2, 1, TBSTYLE_BUTTON}, {3, 2, TBSTYLE_BUTTON}, kSep,
    {4, 3, TBSTYLE_BUTTON}, {5, 4, TBSTYLE_BUTTON}, {6, 5, TBSTYLE_BUTTON}, {7, 6, TBSTYLE_BUTTON},
    {8, 7, TBSTYLE_BUTTON}};

const std::vector<ExpectedButton> kTrailing = {kSep,
                                               {18, 22, TBSTYLE_BUTTON},
                                               {19, 23, TBSTYLE_BUTTON},
                                               {kCmdOnTop, 24, TBSTYLE_CHECK},
                                               {kCmdRichText, 25, TBSTYLE_CHECK},
                                               {kCmdWordWrap, 26, TBSTYLE_CHECK},
                                               {23, 27, TBSTYLE_BUTTON},
                                               {24, 28, TBSTYLE_BUTTON}};

std::vector<ExpectedButton> Joined(std::initializer_list<std::vector<ExpectedButton>> parts) {
    std::vector<ExpectedButton> all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

} // namespace

TEST(ToolbarE2E, DefaultButtonsInOrderWithTheirCheckStates) {
    KorvidApp app;
    app.Start();
    HWND editor = app.WaitForEditor();
    HWND toolbar = app.Toolbar();
    ASSERT_NE(toolbar, nullptr);
    EXPECT_TRUE(IsWindowVisible(toolbar));
    // The buttons show the pictures of the strip, not blank faces: a bare
    // toolbar draws in a handful of greys.
    RECT strip{};
    GetClientRect(toolbar, &strip);
    app.WaitUntil([&] { return app.CountScreenColours(toolbar, strip) >= 16; },
                  "the toolbar to show its pictures");
    std::string shot = app.SaveScreenshot("editor-start");
    EXPECT_GT(ReadFileBytes(shot).size(), 1000u) << shot;

    const std::vector<ExpectedButton> expected = Joined({
        kLeading,
        {kSep, {9, 8, TBSTYLE_BUTTON}, {10, 9, TBSTYLE_BUTTON}},
        {kSep, {11, 10, TBSTYLE_BUTTON}, {12, 11, TBSTYLE_BUTTON}},
        {kSep, {15, 14, TBSTYLE_BUTTON}, {16, 15, TBSTYLE_BUTTON}, {17, 16, TBSTYLE_BUTTON}},
        {kSep,
         {25, 17, TBSTYLE_BUTTON},
         {26, 18, TBSTYLE_BUTTON},
         {27, 19, TBSTYLE_BUTTON},
         {28, 20, TBSTYLE_BUTTON},
         {29, 21, TBSTYLE_BUTTON}},
        kTrailing,
    });
    ASSERT_EQ(expected.size(), 33u);
    ExpectButtons(app.ToolbarButtons(), expected);
    EXPECT_FALSE(app.ToolbarChecked(kCmdOnTop));
    EXPECT_FALSE(app.ToolbarChecked(kCmdRichText));
    EXPECT_TRUE(app.ToolbarChecked(kCmdWordWrap)); // word wrap is on by default

    // Toolbar, editor and status bar are stacked without overlap.
    HWND status = app.FindChild(STATUSCLASSNAMEA);
    ASSERT_NE(status, nullptr);
    RECT bar{}, edit{}, foot{};
    GetWindowRect(toolbar, &bar);
    GetWindowRect(editor, &edit);
    GetWindowRect(status, &foot);
    EXPECT_LE(bar.bottom, edit.top);
    EXPECT_LE(edit.bottom, foot.top);
    EXPECT_GT(edit.bottom - edit.top, 50);
}

TEST(ToolbarE2E, GroupsAndCheckStatesFollowTheSettingsAtStart) {
    KorvidApp app;
    StartWith(app, {{kToolbarSearchButtons, 0},
                    {kToolbarInsertButtons, 1},
                    {kToolbarIndentButtons, 1},
                    {kToolbarRunButtons, 0},
                    {kToolbarBookmarkButtons, 0},
                    {offsets::StayOnTop, 1},
                    {offsets::WordWrap, 0}});
    ASSERT_NE(app.Toolbar(), nullptr);
    ExpectButtons(app.ToolbarButtons(), Joined({kLeading,
                                                {kSep,
                                                 {11, 10, TBSTYLE_BUTTON},
                                                 {12, 11, TBSTYLE_BUTTON},
                                                 {kSep},
                                                 {13, 12, TBSTYLE_BUTTON},
                                                 {14, 13, TBSTYLE_BUTTON}},
                                                kTrailing}));
    EXPECT_TRUE(app.ToolbarChecked(kCmdOnTop));
    EXPECT_TRUE(app.OnTop());
    EXPECT_FALSE(app.ToolbarChecked(kCmdWordWrap));
    EXPECT_EQ(LinesOfTheLongLine(app), 1) << "word wrap is off";
}

TEST(ToolbarE2E, MissingStripMeansNoToolbarAndAStatusMessage) {
    KorvidApp app;
    ASSERT_TRUE(DeleteFileA((app.ProgramFolder() + "ToolBar.bmp").c_str()));
    app.Start();
    HWND editor = app.WaitForEditor();
    WaitForStatus(app, 2, "ToolBar not found");
    EXPECT_EQ(app.Toolbar(), nullptr);
    EXPECT_EQ(app.FindChild(TOOLBARCLASSNAMEA), nullptr);
    // The editor takes the room at the top.
    RECT frame{};
    GetWindowRect(editor, &frame);
    POINT corner{frame.left, frame.top};
    ScreenToClient(app.FindMainWindow(), &corner);
    EXPECT_EQ(corner.y, 0);
    app.ExpectNoNotification();

    // The toolbar stays off in the settings from now on.
    app.PostCommand(kCmdFontOne);
    Bytes file = app.WaitForFile(app.SettingsPathInProgram(), kSettingsFileSize);
    EXPECT_EQ(GetSettingsField(file, kToolbarEnabled), 0);
}

TEST(ToolbarE2E, MissingStripWithoutStatusBarIsReportedInANotification) {
    KorvidApp app;
    ASSERT_TRUE(DeleteFileA((app.ProgramFolder() + "ToolBar.bmp").c_str()));
    WriteSettings(app, {{offsets::StatusBarEnabled, 0}});
    app.Start();
    Notification note = app.WaitForNotification();
    EXPECT_EQ(note.message, "ToolBar not found");
    EXPECT_EQ(note.ButtonText(1), "OK");
    EXPECT_EQ(note.ButtonText(2), "Open ReadMe");
    app.Answer(note, 1);
    app.WaitForEditor();
    EXPECT_EQ(app.Toolbar(), nullptr);
    EXPECT_EQ(app.FindChild(STATUSCLASSNAMEA), nullptr);
}

TEST(ToolbarE2E, StripInTheCurrentFolderIsFound) {
    // A program started by a file association runs in the document's folder.
    KorvidApp app;
    std::string current = app.ProgramFolder() + "documents\\";
    ASSERT_TRUE(CreateDirectoryA(current.c_str(), nullptr));
    ASSERT_TRUE(MoveFileA((app.ProgramFolder() + "ToolBar.bmp").c_str(),
                          (current + "ToolBar.bmp").c_str()));
    app.Start("", current);
    app.WaitForEditor();
    ASSERT_NE(app.Toolbar(), nullptr);
    EXPECT_EQ(app.ToolbarButtons().size(), 33u);
    EXPECT_NE(app.StatusTexts().at(2), "ToolBar not found");
}

// ---- the context menu -----------------------------------------------------------

TEST(ContextMenuE2E, RightClickThenSelectAllByItsLetter) {
    KorvidApp app;
    app.Start();
    HWND editor = app.WaitForEditor();
    SetTextUnmodified(app, "some words", 2);
    app.Click(editor, EditorPoint(app), 3);
    app.WaitForPopupMenu();
    app.PressKeys("e");
    app.WaitForNoPopupMenu();
    app.WaitUntil(
        [&] {
            auto selection = app.Selection();
            return selection.first == 0 && selection.second >= 10;
        },
        "Select All to select the whole text");
    EXPECT_EQ(app.EditorText(), "some words");
}

TEST(ContextMenuE2E, KeyboardOpensTheMenuAtTheCaret) {
    KorvidApp app;
    app.Start();
    app.WaitForEditor();
    for (const char* key : {"shift+F10", "Menu"}) {
        SCOPED_TRACE(key);
        SetTextUnmodified(app, "some words", 4);
        app.PressKeys(key);
        app.WaitForPopupMenu();
        RECT menu{}, editor{};
        GetWindowRect(app.FindPopupMenu(), &menu);
        GetWindowRect(app.Editor(), &editor);
        EXPECT_TRUE(menu.left >= editor.left && menu.left < editor.right &&
                    menu.top >= editor.top && menu.top < editor.bottom)
            << "the menu opens at " << menu.left << "," << menu.top << ", the editor spans "
            << editor.left << "," << editor.top << " to " << editor.right << "," << editor.bottom;
        app.PressKeys("e");
        app.WaitForNoPopupMenu();
        app.WaitUntil([&] { return app.Selection().first == 0 && app.Selection().second >= 10; },
                      "Select All from the keyboard's menu");
    }
}

TEST(ContextMenuE2E, SettingsSubmenuTogglesOnTopAndWordWrap) {
    KorvidApp app;
    app.Start();
    HWND editor = app.WaitForEditor();
    app.Click(editor, EditorPoint(app), 3);
    app.WaitForPopupMenu();
    app.PressKeys("g");
    app.PressKeys("t");
    app.WaitForNoPopupMenu();
    app.WaitUntil([&] { return app.OnTop() && app.ToolbarChecked(kCmdOnTop); },
                  "\"On Top\" to make the window topmost and check its button");

    // "Word Wrap" has no letter: Options, Rich Text, Word Wrap.
    ASSERT_GT(LinesOfTheLongLine(app), 1);
    app.Click(app.Editor(), EditorPoint(app), 3);
    app.WaitForPopupMenu();
    app.PressKeys("g");
    app.PressKeys("Down Down Return");
    app.WaitForNoPopupMenu();
    app.WaitUntil([&] { return !app.ToolbarChecked(kCmdWordWrap); },
                  "\"Word Wrap\" to uncheck its button");
    app.WaitUntil(
        [&] {
            return app.Editor() && app.EditorText() == kLongLine &&
                   app.Send(app.Editor(), EM_GETLINECOUNT, 0, 0) == 1;
        },
        "the rebuilt editor to show the text unwrapped");
    EXPECT_TRUE(app.OnTop());
}

TEST(ContextMenuE2E, EscapeClosesOnlyTheMenu) {
    KorvidApp app;
    app.Start(); // "Esc Exit" is on
    HWND editor = app.WaitForEditor();
    app.Click(editor, EditorPoint(app), 3);
    app.WaitForPopupMenu();
    app.PressKeys("Escape");
    app.WaitForNoPopupMenu();
    app.TypeText("k");
    app.WaitForEditorText("k");
    EXPECT_TRUE(app.Running());
}

TEST(ContextMenuE2E, ExitByItsLetterEndsTheProgram) {
    KorvidApp app;
    app.Start();
    HWND editor = app.WaitForEditor();
    app.Click(editor, EditorPoint(app), 3);
    app.WaitForPopupMenu();
    app.PressKeys("x");
    app.WaitForExit();
}

// ---- the tray ---------------------------------------------------------------------

TEST(TrayE2E, MinimisingWithTrayMinHidesAndADoubleClickOnTheIconRestores) {
    KorvidApp app;
    StartWith(app, {{offsets::TrayMinimise, 1}});
    HWND main = app.FindMainWindow();
    app.Post(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    app.WaitUntil([&] { return !IsWindowVisible(main); }, "the window to hide to the tray");

    // A single click on the icon does not restore (sent: handled on return).
    app.Send(main, kTrayNotify, 0, WM_LBUTTONUP);
    EXPECT_FALSE(IsWindowVisible(main));
    app.Post(main, kTrayNotify, 0, WM_LBUTTONDBLCLK);
    app.WaitUntil([&] { return IsWindowVisible(main) && !IsIconic(main); },
                  "the double-click on the icon to restore the window");
    EXPECT_EQ(app.FindMainWindow(), main);
    app.TypeText("back");
    app.WaitForEditorText("back");
}

TEST(TrayE2E, MinimisingWithoutTrayMinIsAnOrdinaryMinimise) {
    KorvidApp app;
    app.Start(); // "Tray Min" is off by default
    app.WaitForEditor();
    HWND main = app.FindMainWindow();
    app.Post(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    app.WaitUntil([&] { return IsIconic(main); }, "the window to minimise");
    EXPECT_TRUE(IsWindowVisible(main));
}

TEST(TrayE2E, TrayCommandHidesWhateverTheSetting) {
    KorvidApp app;
    app.Start();
    app.WaitForEditor();
    HWND main = app.FindMainWindow();
    app.PostCommand(kCmdToTray);
    app.WaitUntil([&] { return !IsWindowVisible(main); }, "the Tray command to hide the window");
    // Messages for another icon are not the program's (sent: handled on
    // return).
    app.Send(main, kTrayNotify, 1, WM_LBUTTONDBLCLK);
    EXPECT_FALSE(IsWindowVisible(main));
    app.Post(main, kTrayNotify, 0, WM_LBUTTONDBLCLK);
    app.WaitUntil([&] { return IsWindowVisible(main); }, "the double-click to restore");
}

// ---- links ------------------------------------------------------------------------

namespace {

constexpr size_t kUrlHighlight = 16;

// The prefix's web browser, for one test: what HKCR\http\shell\open\command
// names opens every http link. Put back afterwards.
class BrowserCommand {
  public:
    explicit BrowserCommand(const std::string& command) : old_(classes_root::Value(kKey)) {
        classes_root::SetValue(kKey, command);
    }
    ~BrowserCommand() {
        if (old_ == "(no key)" || old_ == "(no value)")
            classes_root::DeleteValue(kKey);
        else
            classes_root::SetValue(kKey, old_);
    }

  private:
    static constexpr const char* kKey = "http\\shell\\open\\command";
    std::string old_;
};

// Clicks character `character` of line `line` in the editor. Clicks one
// after another go to places apart, so that none is a double-click.
void ClickLine(KorvidApp& app, int line, int character) {
    HWND editor = app.Editor();
    LRESULT first = app.Send(editor, EM_LINEINDEX, static_cast<WPARAM>(line), 0);
    LRESULT at = app.Send(editor, EM_POSFROMCHAR, static_cast<WPARAM>(first + character), 0);
    app.Click(editor, {static_cast<short>(LOWORD(at)) + 2, static_cast<short>(HIWORD(at)) + 5});
}

// The marker's log, named to the program and what it starts through the
// environment they inherit.
struct MarkerLog {
    explicit MarkerLog(const std::string& path) : path(path) {
        SetEnvironmentVariableA("KORVID_PROBE_LOG", path.c_str());
    }
    ~MarkerLog() { SetEnvironmentVariableA("KORVID_PROBE_LOG", nullptr); }
    std::string path;
};

std::vector<ProbeStart> ProbeStarts(const std::string& log) {
    Bytes bytes;
    if (!TryReadFileBytes(log, bytes))
        return {};
    return ParseProbeLog(std::string(bytes.begin(), bytes.end()));
}

} // namespace

// A document can hold a link to a program: it runs only when the user, shown
// the whole target, chooses "Open this link"; Enter and Escape leave it. A
// web link still opens with one click.
TEST(LinkE2E, AFileLinkRunsOnlyAfterTheQuestionAndAWebLinkOpensAtOnce) {
    KorvidApp app;
    std::string built = KorvidExePath();
    built = built.substr(0, built.rfind('\\') + 1) + "korvid_run_probe.exe";
    const std::string marker = app.ProgramFolder() + "marker.exe";
    ASSERT_TRUE(CopyFileA(built.c_str(), marker.c_str(), FALSE)) << built;
    MarkerLog markerLog(app.ProgramFolder() + "marker.log");
    const std::string& log = markerLog.path;
    BrowserCommand browser("\"" + marker + "\" \"%1\"");

    std::string fileLink = "file:///" + marker;
    for (char& c : fileLink)
        if (c == '\\')
            c = '/';
    const std::string webLink = "http://example.com/opened";
    const std::string document = app.ProgramFolder() + "links.txt";
    WriteTextFile(document, fileLink + "\r\n" + webLink + "\r\n");
    WriteSettings(app, {{kUrlHighlight, 1}});
    app.Start(Quote(document));
    app.WaitForEditor();

    for (const char* key : {"Escape", "Return"}) {
        ClickLine(app, 0, key[0] == 'E' ? 8 : 20);
        Notification question = app.WaitForNotification(kUiTimeout);
        EXPECT_NE(question.message.find(fileLink), std::string::npos) << question.message;
        EXPECT_EQ(question.ButtonText(1), "Do not open");
        EXPECT_EQ(question.ButtonText(1612), "Open this link");
        EXPECT_EQ(question.ButtonText(2), "");
        app.PressKeysIn(question.window, key);
        app.WaitUntil([&] { return !IsWindow(question.window); }, std::string(key) + " to close");
    }
    ClickLine(app, 1, 10);
    app.WaitUntil([&] { return !ProbeStarts(log).empty(); }, "the web link to open");
    app.ExpectNoNotification();
    std::vector<ProbeStart> starts = ProbeStarts(log);
    ASSERT_EQ(starts.size(), 1u) << "the file link ran without consent";
    EXPECT_NE(starts[0].arguments.find(webLink), std::string::npos) << starts[0].arguments;

    ClickLine(app, 0, 32);
    Notification question = app.WaitForNotification(kUiTimeout);
    app.Answer(question, 1612);
    app.WaitUntil([&] { return ProbeStarts(log).size() == 2; }, "the file link to run");
}
