// The main window and what hangs on it: the command table, the toolbar and
// the context menu (their properties, not their captions), the status bar,
// the tray, closing, Word Wrap's rebuild of the editor, and the editor's own
// rules: the status, "De Ovr", Escape, and links that ask before they open.
#include "MainWindowFixture.h"

#include "app/Commands.h"
#include "app/Dpi.h"
#include "app/ContextMenu.h"
#include "app/Startup.h"
#include "app/Tray.h"
#include "document/MemoryGuard.h"

#include <shellapi.h>

#include <functional>
#include <set>
#include <thread>
#include <vector>

namespace {

struct Item {
    UINT id;
    bool separator, checked;
    HMENU submenu;
};

// Every item of the menu, depth first; separators as they stand per level.
void Flatten(HMENU menu, std::vector<Item>* all, std::vector<std::vector<Item>>* levels) {
    std::vector<Item> level;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU;
        GetMenuItemInfoA(menu, i, TRUE, &info);
        level.push_back({info.wID, (info.fType & MFT_SEPARATOR) != 0,
                         (info.fState & MFS_CHECKED) != 0, info.hSubMenu});
        all->push_back(level.back());
        if (info.hSubMenu)
            Flatten(info.hSubMenu, all, levels);
    }
    levels->push_back(level);
}

struct Menu {
    Menu() : handle(BuildContextMenu()) { Flatten(handle, &items, &levels); }
    ~Menu() { DestroyMenu(handle); }
    bool Has(UINT id) const { return State(id) != nullptr; }
    const Item* State(UINT id) const {
        for (const Item& i : items)
            if (!i.separator && !i.submenu && i.id == id)
                return &i;
        return nullptr;
    }
    HMENU handle;
    std::vector<Item> items;
    std::vector<std::vector<Item>> levels;
};

using WindowTest = MainWindowTest;

} // namespace

// Every command the user can choose is in the menu or on the toolbar; the
// program posts the other two to itself: start-up completion (the window
// posts it first, checked here) and Reload (the monitor's answer).
TEST_F(WindowTest, EveryCommandIsInTheTableOnceAndReachableFromTheMenuOrTheToolbar) {
    EXPECT_TRUE(startupPosted) << "start-up completion comes before any paint";
    int count = 0;
    const CommandEntry* table = CommandTable(&count);
    std::set<UINT> ids, reachable;
    for (int i = 0; i < count; ++i)
        EXPECT_TRUE(ids.insert(table[i].id).second) << "command " << table[i].id << " twice";
    // Every menu item and button, with everything switched on.
    settings.MenuManipulate = settings.WindowSizeMode = 3;
    doc.hasFileName = app.printAvailable = 1;
    settings.ToolbarSearchButtons = settings.ToolbarInsertButtons = settings.ToolbarRunButtons = 1;
    settings.ToolbarBookmarkButtons = settings.ToolbarIndentButtons = 1;
    Menu menu;
    for (const Item& i : menu.items)
        if (!i.separator && !i.submenu) {
            reachable.insert(i.id);
            EXPECT_TRUE(ids.count(i.id)) << "menu item " << i.id << " runs nothing";
        }
    TBBUTTON buttons[kToolbarButtonsMax];
    int n = ToolbarButtonsFor(settings, buttons);
    for (int i = 0; i < n; ++i) {
        if (buttons[i].fsStyle == TBSTYLE_SEP)
            continue;
        WORD id = static_cast<WORD>(buttons[i].idCommand);
        reachable.insert(id);
        EXPECT_TRUE(ids.count(id)) << "button " << id << " runs nothing";
        EXPECT_NE(ToolbarTooltip(id), nullptr) << "button " << id << " has no tooltip";
    }
    for (UINT id : ids)
        EXPECT_TRUE(reachable.count(id) || id == IDM_STARTUP || id == IDM_RELOAD) << id;
}

TEST_F(WindowTest, SeparatorsNeverStandTogetherOrAtTheEnds) {
    std::vector<RunFileEntry> runs(2);
    InsertTextEntry texts[1] = {};
    app.runFileList = runs.data();
    app.insertTextList = texts;
    for (int mask = 0; mask < 256; ++mask) {
        settings.MenuManipulate = mask & 1;
        settings.MenuRunList = (mask >> 1) & 1;
        settings.MenuInsertList = (mask >> 2) & 1;
        settings.MenuBookmarks = (mask >> 3) & 1;
        settings.LabelsEnabled = (mask >> 4) & 1;
        app.findState = (mask >> 5) & 1 ? 2 : 0;
        app.runFileCount = (mask >> 6) & 1 ? 2 : 0;
        app.insertTextCount = (mask >> 7) & 1 ? 1 : 0;
        Menu menu;
        for (const auto& level : menu.levels) {
            ASSERT_FALSE(level.empty()) << mask;
            EXPECT_FALSE(level.front().separator || level.back().separator) << mask;
            for (size_t i = 1; i < level.size(); ++i)
                EXPECT_FALSE(level[i].separator && level[i - 1].separator) << mask;
        }
        // The program's own section (Settings, Help...) stands apart.
        const std::vector<Item>& top = menu.levels.back();
        for (size_t i = 2; i < top.size(); ++i)
            EXPECT_TRUE(top[i].id != IDM_README || top[i - 2].separator) << mask;
        EXPECT_EQ(menu.Has(IDM_RUN_FILE_BASE + 1), app.runFileCount && settings.MenuRunList);
        EXPECT_EQ(menu.Has(IDM_INSERT_LIST_BASE + 1),
                  app.insertTextCount && settings.MenuInsertList);
    }
    // Toolbar groups in every combination.
    for (int mask = 0; mask < 32; ++mask) {
        settings.ToolbarSearchButtons = mask & 1;
        settings.ToolbarInsertButtons = (mask >> 1) & 1;
        settings.ToolbarRunButtons = (mask >> 2) & 1;
        settings.ToolbarBookmarkButtons = (mask >> 3) & 1;
        settings.ToolbarIndentButtons = (mask >> 4) & 1;
        TBBUTTON b[kToolbarButtonsMax + 1];
        b[kToolbarButtonsMax].idCommand = -7;
        int n = ToolbarButtonsFor(settings, b);
        ASSERT_GT(n, 2);
        ASSERT_EQ(b[kToolbarButtonsMax].idCommand, -7) << "the buttons overran the buffer";
        EXPECT_NE(b[0].fsStyle, TBSTYLE_SEP);
        EXPECT_NE(b[n - 1].fsStyle, TBSTYLE_SEP);
        for (int i = 1; i < n; ++i)
            EXPECT_FALSE(b[i].fsStyle == TBSTYLE_SEP && b[i - 1].fsStyle == TBSTYLE_SEP) << mask;
    }
}

TEST_F(WindowTest, TheEditorLiesBetweenTheBarsAndTheStripIsFoundBesideTheDocument) {
    CreateBarsWithStrip();
    MoveWindow(app.mainWindow, 0, 0, 716, 500, TRUE);
    RECT client, editor;
    GetClientRect(app.mainWindow, &client);
    GetWindowRect(app.editorWindow, &editor);
    MapWindowPoints(nullptr, app.mainWindow, reinterpret_cast<POINT*>(&editor), 2);
    EXPECT_EQ(editor.top, app.toolbarHeight);
    EXPECT_EQ(editor.bottom, client.bottom - app.statusHeight);
    EXPECT_EQ(editor.right - editor.left, client.right);
    // A new editor is made in its place: its first resize would cost much.
    DestroyWindow(app.editorWindow);
    CreateEditor(app.mainWindow);
    RECT made;
    GetWindowRect(app.editorWindow, &made);
    MapWindowPoints(nullptr, app.mainWindow, reinterpret_cast<POINT*>(&made), 2);
    EXPECT_TRUE(EqualRect(&made, &editor));

    // The strip is also looked for in the current folder (a program started
    // by an association runs in the document's); without it the toolbar is
    // switched off and the status bar says so.
    DeleteFileA(folder.File("ToolBar.bmp").c_str());
    char current[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, current);
    TempFolder documents;
    ASSERT_TRUE(SetCurrentDirectoryA(documents.path().c_str()));
    DestroyWindow(app.toolBar);
    app.toolBar = nullptr;
    app.toolbarStrips[0] = nullptr;
    CreateBars();
    EXPECT_EQ(app.toolBar, nullptr);
    EXPECT_EQ(+settings.ToolbarEnabled, 0);
    EXPECT_EQ(Status(2), "ToolBar not found");
    WriteWholeFile(documents.File("ToolBar.bmp"),
                   FileBytes(std::string(KORVID_SOURCE_DIR) + "/resources/ToolBar.bmp"));
    settings.ToolbarEnabled = 1;
    CreateBars();
    SetCurrentDirectoryA(current);
    EXPECT_NE(app.toolBar, nullptr);
}

// A move to a screen of another scale: the window takes the proposed
// rectangle, the toolbar the images of that scale (the largest strip there
// is), buttons and separators grow with them, the status bar's font,
// height and second part follow, the editor zooms its text and lies
// between the bars. Back at 96 dpi all is as it was.
TEST_F(WindowTest, AChangeOfScaleLaysTheWindowOutAgainAtTheProposedRectangle) {
    CopyStrip("ToolBar24.bmp");
    CreateBarsWithStrip();
    MoveWindow(app.mainWindow, 0, 40, 1000, 560, TRUE);
    ASSERT_EQ(app.dpi, 96) << "the tests run at 100 %";
    auto buttonSize = [] {
        return static_cast<DWORD>(SendMessageA(app.toolBar, TB_GETBUTTONSIZE, 0, 0));
    };
    auto imageSize = [] {
        int cx = 0, cy = 0;
        ImageList_GetIconSize(
            reinterpret_cast<HIMAGELIST>(SendMessageA(app.toolBar, TB_GETIMAGELIST, 0, 0)), &cx,
            &cy);
        return cx == cy ? cx : -1;
    };
    auto separatorWidth = [] {
        RECT r = {};
        SendMessageA(app.toolBar, TB_GETITEMRECT, 3, reinterpret_cast<LPARAM>(&r));
        return r.right - r.left;
    };
    const DWORD size96 = buttonSize();
    const int toolbar96 = app.toolbarHeight, status96 = app.statusHeight;
    const int separator96 = separatorWidth();
    EXPECT_EQ(size96, static_cast<DWORD>(MAKELONG(23, 22)));
    EXPECT_EQ(imageSize(), 16);

    struct Step {
        int dpi, image, cap;
        bool withLargest;
    } steps[] = {{144, 24, 75, false},
                 {192, 24, 100, false},
                 {96, 16, 50, false},
                 {192, 32, 100, true},
                 {96, 16, 50, true}};
    for (const Step& step : steps) {
        SCOPED_TRACE(step.dpi);
        if (step.withLargest)
            CopyStrip("ToolBar32.bmp");
        // Wide enough that the second part reaches its cap; one size for
        // all, so no resize comes to lay the window out.
        const RECT proposed = {step.dpi / 4, 40, step.dpi / 4 + 1000, 600};
        SendMessageA(app.mainWindow, WM_DPICHANGED, MAKEWPARAM(step.dpi, step.dpi),
                     reinterpret_cast<LPARAM>(&proposed));
        RECT window, client, editor;
        GetWindowRect(app.mainWindow, &window);
        EXPECT_TRUE(EqualRect(&window, &proposed));

        EXPECT_EQ(imageSize(), step.image);
        // The toolbar's padding of 7 x 6 pixels, scaled.
        EXPECT_EQ(LOWORD(buttonSize()), step.image + (7 * step.dpi + 48) / 96);
        EXPECT_EQ(HIWORD(buttonSize()), step.image + 6 * step.dpi / 96);
        RECT toolbar;
        GetClientRect(app.toolBar, &toolbar);
        EXPECT_EQ(app.toolbarHeight, toolbar.bottom + 2 * step.dpi / 96);
        EXPECT_GE(app.toolbarHeight, HIWORD(buttonSize()));

        GetClientRect(app.mainWindow, &client);
        int parts[4] = {};
        ASSERT_EQ(SendMessageA(app.statusBar, SB_GETPARTS, 4, reinterpret_cast<LPARAM>(parts)), 4);
        const int u = client.right / 7;
        EXPECT_EQ(parts[0], 2 * u);
        EXPECT_EQ(parts[1], 2 * u + step.cap);
        EXPECT_EQ(parts[2], 4 * u);

        GetWindowRect(app.editorWindow, &editor);
        MapWindowPoints(nullptr, app.mainWindow, reinterpret_cast<POINT*>(&editor), 2);
        EXPECT_EQ(editor.top, app.toolbarHeight);
        EXPECT_EQ(editor.bottom, client.bottom - app.statusHeight);
        EXPECT_EQ(editor.right, client.right);
        if (step.withLargest) { // an editor made again (Word Wrap, an open) zooms alike
            DestroyWindow(app.editorWindow);
            CreateEditor(app.mainWindow);
        }
        WPARAM numerator = 1;
        LPARAM denominator = 1;
        SendMessageA(app.editorWindow, EM_GETZOOM, reinterpret_cast<WPARAM>(&numerator),
                     reinterpret_cast<LPARAM>(&denominator));
        EXPECT_EQ(numerator, static_cast<WPARAM>(step.dpi == 96 ? 0 : step.dpi));
        EXPECT_EQ(denominator, static_cast<LPARAM>(step.dpi == 96 ? 0 : 96));

        if (step.dpi == 96) {
            EXPECT_EQ(buttonSize(), size96);
            EXPECT_EQ(app.toolbarHeight, toolbar96);
            EXPECT_EQ(app.statusHeight, status96);
            EXPECT_EQ(separatorWidth(), separator96);
        } else {
            EXPECT_GT(app.statusHeight, status96);
            EXPECT_EQ(separatorWidth(), 8 * step.dpi / 96);
        }
    }
}

TEST_F(WindowTest, TheTrayHidesRestoresAndTipsWithTheName) {
    AppRecord record = {}, *saved = appRecord;
    record.largeIcon = LoadIconA(nullptr, IDI_APPLICATION);
    appRecord = &record;
    settings.TrayMinimise = 0;
    ShowWindow(app.mainWindow, SW_MINIMIZE);
    EXPECT_TRUE(IsWindowVisible(app.mainWindow));
    EXPECT_FALSE(TrayIconAdded());
    ShowWindow(app.mainWindow, SW_RESTORE);
    settings.TrayMinimise = 1;
    ShowWindow(app.mainWindow, SW_MINIMIZE);
    EXPECT_FALSE(IsWindowVisible(app.mainWindow));
    ASSERT_TRUE(TrayIconAdded());
    EXPECT_EQ(LastTrayRecord().hIcon, record.largeIcon);
    // The tip follows the document's name, cut to 127 characters.
    doc.hasFileName = 1;
    std::string path = "C:\\" + std::string(596, 'a');
    TextCopy(path.c_str(), doc.fileName);
    SendMessageA(app.mainWindow, WM_TRAY_NOTIFY, 0, WM_MOUSEMOVE);
    EXPECT_EQ(std::string(LastTrayRecord().szTip), path.substr(0, 127));
    SendMessageA(app.mainWindow, WM_TRAY_NOTIFY, 0, WM_LBUTTONDBLCLK); // restores
    EXPECT_FALSE(TrayIconAdded());
    EXPECT_TRUE(IsWindowVisible(app.mainWindow) && !IsIconic(app.mainWindow));
    appRecord = saved;
}

// The rebuild keeps text, selection and the modified flag; one that cannot
// take the text whole (no working file, not enough memory) is not started:
// editor, setting, button and menu check all keep the old state.
TEST_F(WindowTest, WordWrapRebuildsTheEditorOrLeavesItWhole) {
    CreateBarsWithStrip();
    SetText("first line\r\nsecond line that is long\r\nthird");
    Select(3, 14);
    SetModified(true);
    Command(IDM_WORD_WRAP);
    EXPECT_EQ(app.wordWrap, 0);
    EXPECT_TRUE(GetWindowLongA(app.editorWindow, GWL_STYLE) & ES_AUTOHSCROLL);
    EXPECT_EQ(EditorText(), "first line\r\nsecond line that is long\r\nthird");
    EXPECT_EQ(Selection(), std::make_pair(3L, 14L));
    EXPECT_TRUE(Modified());
    Command(IDM_WORD_WRAP);

    std::string text;
    for (int i = 0; i < 2000; ++i)
        text += "precious\r\n";
    for (bool memory : {false, true}) {
        SCOPED_TRACE(memory ? "not enough memory" : "working file not writable");
        SetText(text);
        HWND before = app.editorWindow;
        SendMessageA(app.toolBar, TB_CHECKBUTTON, IDM_WORD_WRAP, MAKELONG(FALSE, 0)); // the click
        std::string notice;
        if (memory) {
            TextCopy(folder.path().c_str(), app.dataFolder);
            SetAvailableAddressSpaceForTest(64 * 1024 * 1024);
            Answer(
                kAsk, IDOK, [&] { Command(IDM_WORD_WRAP); },
                [&](HWND q) { notice = ItemText(q, IDC_NOTIFY_TEXT); });
            SetAvailableAddressSpaceForTest(0);
            EXPECT_EQ(notice, "Not enough memory for this change. The text was left as it was.");
        } else {
            TextCopy((folder.path() + "gone\\").c_str(), app.dataFolder);
            Command(IDM_WORD_WRAP);
            EXPECT_STREQ(doc.statusText, "Save Error");
        }
        EXPECT_EQ(app.editorWindow, before);
        EXPECT_EQ(EditorText(), text);
        EXPECT_EQ(app.wordWrap, 1);
        EXPECT_NE(SendMessageA(app.toolBar, TB_ISBUTTONCHECKED, IDM_WORD_WRAP, 0), 0);
        EXPECT_TRUE(Menu().State(IDM_WORD_WRAP)->checked);
    }
}

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
    SetModified(true);
    UpdateStatusBar();
    UpdateStatusBar();
    EXPECT_EQ(Status(3), "Korvid 1.9, Modified");

    // The Insert key shows "ovr"; with "De Ovr" the program presses it back.
    for (int deOvr : {0, 1}) {
        settings.AutoOverwriteOff = deOvr;
        RealInsert();
        ASSERT_TRUE(PumpUntil([&] { return Status(1 + deOvr) == (deOvr ? "De Ovr!" : "ovr"); }));
        if (!deOvr)
            RealInsert();
        EXPECT_TRUE(PumpUntil([] { return (GetKeyState(VK_INSERT) & 1) == 0; }, 5000));
        UpdateStatusBar();
        EXPECT_EQ(Status(1), "ins");
    }
}

// Keys, a click and a command that moves the caret: once input rests the
// status shows where the caret is.
TEST_F(EditorTest, TheStatusFollowsTheCaretOnceInputRests) {
    CreateBars();
    RelayoutMainWindow();
    SetText("first\r\nsecond line\r\nthird");
    Select(0, 0);
    UpdateStatusBar();
    auto click = [](LONG at) {
        POINTL p = {};
        SendMessageA(app.editorWindow, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&p), at);
        LPARAM point = MAKELPARAM(p.x + 1, p.y + 2);
        SendMessageA(app.editorWindow, WM_LBUTTONDOWN, MK_LBUTTON, point);
        SendMessageA(app.editorWindow, WM_LBUTTONUP, 0, point);
    };
    const std::pair<std::function<void()>, std::string> steps[] = {
        {[&] { click(10); }, "Ln 2 of 3, Cm 4 of 11"},
        {[&] { Key('X', 'x'), Key('Y', 'y'); }, "Ln 2 of 3, Cm 6 of 13"},
        {[&] { Command(IDM_UNDO); }, "Ln 2 of 3, Cm 4 of 11"},
    };
    for (const auto& step : steps) {
        step.first();
        EXPECT_TRUE(PumpUntil([&] { return Status(0) == step.second; }, 3000))
            << step.second << ", shown: " << Status(0);
    }
}

// With "Overwrite selection" off, typing goes in before the selection and
// Backspace deletes nothing while text is selected, even when Ctrl was let
// go where the editor did not see it; with it on, the control's own rules.
TEST_F(EditorTest, TypingOverASelectionFollowsOverwriteSelection) {
    struct Row {
        int overwrite, ctrlSeenDown;
        LONG last; // the selection is 1..last
        WPARAM key;
        char character;
        const char* text;
        LONG caret;
    } rows[] = {{0, 0, 4, 'X', 'x', "axbcdef", 2},     {0, 0, 2, VK_BACK, '\b', "abcdef", 1},
                {0, 1, 4, VK_BACK, '\b', "abcdef", 1}, {0, 0, 4, VK_DELETE, 0, "aef", 1},
                {1, 0, 4, 'X', 'x', "axef", 2},        {1, 0, 4, VK_BACK, '\b', "aef", 1},
                {0, 0, 1, VK_BACK, '\b', "bcdef", 0}};
    for (const Row& r : rows) {
        settings.OverwriteSelection = r.overwrite;
        app.ctrlDown = r.ctrlSeenDown;
        SetText("abcdef");
        Select(1, r.last);
        Key(r.key, r.character);
        EXPECT_EQ(EditorText(), r.text) << r.overwrite << r.ctrlSeenDown << r.key;
        EXPECT_EQ(Selection(), std::make_pair(r.caret, r.caret)) << r.text;
        EXPECT_EQ(app.ctrlDown, 0);
    }
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
