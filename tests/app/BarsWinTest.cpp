#include "MainWindowFixture.h"

#include "app/Bars.h"

#include <vector>

namespace {

std::vector<int> Commands(const SettingsRecord& r) {
    TBBUTTON buttons[kToolbarButtonsMax];
    int n = ToolbarButtonsFor(r, buttons);
    std::vector<int> ids;
    for (int i = 0; i < n; ++i)
        ids.push_back(buttons[i].fsStyle == TBSTYLE_SEP ? 0 : buttons[i].idCommand);
    return ids;
}

} // namespace

TEST(Toolbar, DefaultButtonsInOrder) {
    SettingsRecord r = {};
    r.ToolbarSearchButtons = r.ToolbarInsertButtons = r.ToolbarRunButtons = 1;
    r.ToolbarBookmarkButtons = 1;
    std::vector<int> expected = {1,  2,  3, 0,  4,  5,  6,  7,  8, 0,  9,  10, 0,  11, 12, 0, 15,
                                 16, 17, 0, 25, 26, 27, 28, 29, 0, 18, 19, 20, 21, 22, 23, 24};
    EXPECT_EQ(Commands(r), expected);
    r.ToolbarIndentButtons = 1;
    r.ToolbarRunButtons = 0;
    r.ToolbarBookmarkButtons = 0;
    expected = {1,  2,  3, 0,  4,  5, 6,  7,  8,  0,  9,  10, 0,
                11, 12, 0, 13, 14, 0, 18, 19, 20, 21, 22, 23, 24};
    EXPECT_EQ(Commands(r), expected);
}

TEST(Toolbar, ImagesAndCheckStyles) {
    SettingsRecord r = {};
    r.ToolbarSearchButtons = r.ToolbarInsertButtons = r.ToolbarRunButtons = 1;
    r.ToolbarBookmarkButtons = r.ToolbarIndentButtons = 1;
    TBBUTTON b[kToolbarButtonsMax];
    int n = ToolbarButtonsFor(r, b);
    for (int i = 0; i < n; ++i) {
        if (b[i].fsStyle == TBSTYLE_SEP)
            continue;
        int id = b[i].idCommand;
        int image = id <= 17 ? id - 1 : (id >= 25 ? id - 8 : id + 4);
        EXPECT_EQ(b[i].iBitmap, image) << "command " << id;
        EXPECT_EQ(b[i].fsStyle == TBSTYLE_CHECK, id >= 20 && id <= 22) << "command " << id;
        EXPECT_EQ(b[i].fsState, TBSTATE_ENABLED);
    }
}

TEST(Toolbar, TooltipsFollowTheRunDescriptions) {
    EXPECT_STREQ(ToolbarTooltip(IDM_REDO), "Undo Undo");
    EXPECT_STREQ(ToolbarTooltip(IDM_GOTO_MARK3), "Three");
    EXPECT_STREQ(ToolbarTooltip(IDM_TO_TRAY), "Minimise to tray");
    TextCopy("Compile", settings.RunDescriptionB);
    EXPECT_STREQ(ToolbarTooltip(IDM_RUN_B), "Compile");
    EXPECT_EQ(ToolbarTooltip(IDM_EXIT), nullptr);
    settings.RunDescriptionB[0] = 0;
}

TEST(StatusBar, PartEdges) {
    int e[4];
    StatusPartEdges(700, e);
    EXPECT_EQ(e[0], 200);
    EXPECT_EQ(e[1], 250);
    EXPECT_EQ(e[2], 400);
    EXPECT_EQ(e[3], -1);
    StatusPartEdges(280, e);
    EXPECT_EQ(e[0], 80);
    EXPECT_EQ(e[1], 120);
    EXPECT_EQ(e[2], 160);
}

using BarsTest = MainWindowTest;

TEST_F(BarsTest, BarsAreLaidOutAroundTheEditorWithCheckStates) {
    std::string strip;
    ASSERT_TRUE(ReadWholeFile(std::string(KORVID_SOURCE_DIR) + "/resources/ToolBar.bmp", &strip));
    ASSERT_TRUE(WriteWholeFile(folder.File("ToolBar.bmp"), strip));
    settings.StayOnTop = 1;
    app.wordWrap = 1;
    CreateBars();
    ASSERT_NE(app.toolBar, nullptr);
    ASSERT_NE(app.statusBar, nullptr);
    EXPECT_NE(SendMessageA(app.toolBar, TB_ISBUTTONCHECKED, IDM_ON_TOP, 0), 0);
    EXPECT_EQ(SendMessageA(app.toolBar, TB_ISBUTTONCHECKED, IDM_RICH_TEXT, 0), 0);
    EXPECT_NE(SendMessageA(app.toolBar, TB_ISBUTTONCHECKED, IDM_WORD_WRAP, 0), 0);
    EXPECT_EQ(SendMessageA(app.toolBar, TB_BUTTONCOUNT, 0, 0), 33);

    MoveWindow(app.mainWindow, 0, 0, 716, 500, TRUE);
    RECT client, editor;
    GetClientRect(app.mainWindow, &client);
    GetWindowRect(app.editorWindow, &editor);
    MapWindowPoints(nullptr, app.mainWindow, reinterpret_cast<POINT*>(&editor), 2);
    EXPECT_EQ(editor.top, app.toolbarHeight);
    EXPECT_EQ(editor.bottom, client.bottom - app.statusHeight);
    EXPECT_EQ(editor.right - editor.left, client.right);
    EXPECT_EQ(app.clientWidth, client.right);

    Command(IDM_WORD_WRAP);
    EXPECT_EQ(SendMessageA(app.toolBar, TB_ISBUTTONCHECKED, IDM_WORD_WRAP, 0), 0);
    Command(IDM_ON_TOP);
    EXPECT_EQ(SendMessageA(app.toolBar, TB_ISBUTTONCHECKED, IDM_ON_TOP, 0), 0);
}

TEST_F(BarsTest, MissingStripSwitchesTheToolbarOffAndSaysSo) {
    char current[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, current);
    ASSERT_TRUE(SetCurrentDirectoryA(folder.path().c_str())); // no strip here either
    ASSERT_FALSE(FileExists("ToolBar.bmp"));
    CreateBars();
    SetCurrentDirectoryA(current);
    EXPECT_EQ(app.toolBar, nullptr);
    EXPECT_EQ(+settings.ToolbarEnabled, 0);
    char text[64] = {};
    SendMessageA(app.statusBar, SB_GETTEXTA, 2, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, "ToolBar not found");
}

TEST_F(BarsTest, StripInTheCurrentFolderServesAProgramStartedElsewhere) {
    TempFolder documents;
    std::string strip;
    ASSERT_TRUE(ReadWholeFile(std::string(KORVID_SOURCE_DIR) + "/resources/ToolBar.bmp", &strip));
    ASSERT_TRUE(WriteWholeFile(documents.File("ToolBar.bmp"), strip));
    char current[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, current);
    ASSERT_TRUE(SetCurrentDirectoryA(documents.path().c_str()));
    CreateBars();
    SetCurrentDirectoryA(current);
    EXPECT_NE(app.toolBar, nullptr);
    EXPECT_EQ(+settings.ToolbarEnabled, 1);
}
