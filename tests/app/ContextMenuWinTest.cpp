#include "WinTestSupport.h"

#include "app/AppState.h"
#include "app/ContextMenu.h"
#include "document/DocumentState.h"
#include "resource.h"
#include "settings/SettingsFile.h"

#include <gtest/gtest.h>

#include <richedit.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

struct MenuEntry {
    UINT id;
    std::string text;
    bool separator;
    bool checked;
    bool grayed;
    HMENU submenu;
};

std::vector<MenuEntry> Entries(HMENU menu) {
    std::vector<MenuEntry> entries;
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        char text[256] = {};
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = sizeof text;
        GetMenuItemInfoA(menu, i, TRUE, &info);
        entries.push_back({info.wID, text, (info.fType & MFT_SEPARATOR) != 0,
                           (info.fState & MFS_CHECKED) != 0, (info.fState & MFS_GRAYED) != 0,
                           info.hSubMenu});
    }
    return entries;
}

// The captions of one level, a separator as "-".
std::vector<std::string> Captions(HMENU menu) {
    std::vector<std::string> captions;
    for (const MenuEntry& e : Entries(menu))
        captions.push_back(e.separator ? "-" : e.text);
    return captions;
}

const MenuEntry* Find(const std::vector<MenuEntry>& entries, const std::string& text) {
    for (const MenuEntry& e : entries)
        if (!e.separator && e.text == text)
            return &e;
    return nullptr;
}

bool Has(HMENU menu, const std::string& text) { return Find(Entries(menu), text) != nullptr; }

HMENU Submenu(HMENU menu, const std::string& text) {
    std::vector<MenuEntry> entries = Entries(menu);
    const MenuEntry* e = Find(entries, text);
    return e != nullptr ? e->submenu : nullptr;
}

// Every item of the menu and its submenus, depth first.
void Flatten(HMENU menu, std::vector<MenuEntry>* all) {
    for (const MenuEntry& e : Entries(menu)) {
        all->push_back(e);
        if (e.submenu != nullptr)
            Flatten(e.submenu, all);
    }
}

// Owns a built menu for the length of a test.
struct Menu {
    Menu() : handle(BuildContextMenu()) {}
    ~Menu() { DestroyMenu(handle); }
    Menu(const Menu&) = delete;
    Menu& operator=(const Menu&) = delete;
    HMENU handle;
};

class ContextMenuTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::memset(&settings, 0, sizeof settings);
        std::memset(&app, 0, sizeof app);
        std::memset(&doc, 0, sizeof doc);
        RestoreDefaultSettings();
    }
    void TearDown() override {
        std::memset(&settings, 0, sizeof settings);
        std::memset(&app, 0, sizeof app);
        std::memset(&doc, 0, sizeof doc);
    }
    void PublishRunFiles(int count) {
        runFiles.assign(count, RunFileEntry{});
        for (int i = 0; i < count; ++i) {
            std::string caption = "Tool " + std::to_string(i + 1);
            std::strcpy(runFiles[i].caption, caption.c_str());
            std::strcpy(runFiles[i].target, ("C:\\tools\\t" + std::to_string(i) + ".exe").c_str());
        }
        app.runFileList = runFiles.data();
        app.runFileCount = count;
    }
    void PublishInsertTexts(const std::vector<std::string>& texts) {
        insertTexts.assign(texts.size(), InsertTextEntry{});
        for (size_t i = 0; i < texts.size(); ++i)
            std::strcpy(insertTexts[i].text, texts[i].c_str());
        app.insertTextList = insertTexts.data();
        app.insertTextCount = static_cast<LONG>(texts.size());
    }
    std::vector<RunFileEntry> runFiles;
    std::vector<InsertTextEntry> insertTexts;
};

} // namespace

TEST_F(ContextMenuTest, DefaultSettingsWithANewDocument) {
    Menu menu;
    std::vector<std::string> expected = {
        "&New",        "&Save",     "Save &As",  "&Open",         "-",           "&Undo",
        "-",           "&Copy",     "Cu&t",      "&Paste",        "&Delete",     "-",
        "S&elect All", "-",         "BookMarks", "&Find...",      "&Replace...", "&Labels...",
        "-",           "Settin&gs", "&Help...",  "New &Instance", "E&xit"};
    EXPECT_EQ(Captions(menu.handle), expected);

    HMENU bookmarks = Submenu(menu.handle, "BookMarks");
    ASSERT_NE(bookmarks, nullptr);
    EXPECT_EQ(Captions(bookmarks), (std::vector<std::string>{"Goto", "Set", "Scan"}));
    EXPECT_EQ(GetMenuItemCount(Submenu(bookmarks, "Goto")), 5);
    EXPECT_EQ(GetMenuItemCount(Submenu(bookmarks, "Set")), 5);

    HMENU settingsMenu = Submenu(menu.handle, "Settin&gs");
    ASSERT_NE(settingsMenu, nullptr);
    EXPECT_EQ(Captions(settingsMenu),
              (std::vector<std::string>{"Options", "Rich Text", "Word Wrap", "On &Top", "Font"}));
    EXPECT_EQ(
        Captions(Submenu(settingsMenu, "Font")),
        (std::vector<std::string>{"One", "Two", "Three", "Font...", "Colour...", "Background"}));
}

TEST_F(ContextMenuTest, EveryCommandCarriesItsIdAndNothingIsGreyed) {
    settings.MenuManipulate = 1;
    settings.WindowSizeMode = 3;
    doc.hasFileName = 1;
    app.printAvailable = 1;
    Menu menu;
    std::vector<MenuEntry> all;
    Flatten(menu.handle, &all);
    // Every command in menu order, submenus in place, as "id caption".
    std::string commands;
    for (const MenuEntry& e : all)
        if (!e.separator && e.submenu == nullptr)
            commands += std::to_string(e.id) + " " + e.text + "|";
    EXPECT_EQ(commands,
              "1 &New|3 &Save|40009 Save &As|2 &Open|40027 Re&vert|40020 Execute|40029 &Print|"
              "7 &Undo|5 &Copy|4 Cu&t|6 &Paste|40006 &Delete|40014 S&elect All|40030 De-Double|"
              "25 One|26 Two|27 Three|28 Four|29 Five|40032 One|40033 Two|40034 Three|40035 Four|"
              "40036 Five|40031 Scan|9 &Find...|40017 &Replace...|40044 &Labels...|19 Options|"
              "40041 Set Def Size|21 Rich Text|22 Word Wrap|20 On &Top|40050 One|40051 Two|"
              "40052 Three|40019 Font...|40043 Colour...|40042 Background|24 &Help...|"
              "40028 File I&nfo...|18 New &Instance|40011 E&xit|");
    for (const MenuEntry& e : all)
        EXPECT_TRUE(e.separator || !e.grayed) << e.text;
}

TEST_F(ContextMenuTest, NamedPrintableDocumentAddsItsFileItems) {
    doc.hasFileName = 1;
    app.printAvailable = 1;
    Menu menu;
    std::vector<std::string> captions = Captions(menu.handle);
    std::vector<std::string> head(captions.begin(), captions.begin() + 8);
    EXPECT_EQ(head, (std::vector<std::string>{"&New", "&Save", "Save &As", "&Open", "Re&vert",
                                              "Execute", "&Print", "-"}));
    std::vector<std::string> tail(captions.end() - 4, captions.end());
    EXPECT_EQ(tail,
              (std::vector<std::string>{"&Help...", "File I&nfo...", "New &Instance", "E&xit"}));
}

TEST_F(ContextMenuTest, ConditionalItemsFollowTheirState) {
    Menu plain;
    EXPECT_FALSE(Has(plain.handle, "Re&vert"));
    EXPECT_FALSE(Has(plain.handle, "Execute"));
    EXPECT_FALSE(Has(plain.handle, "File I&nfo..."));
    EXPECT_FALSE(Has(plain.handle, "&Print"));
    EXPECT_FALSE(Has(plain.handle, "&Manipulate"));
    EXPECT_FALSE(Has(Submenu(plain.handle, "Settin&gs"), "Set Def Size"));

    doc.readOnly = 1;
    {
        Menu readOnly;
        EXPECT_FALSE(Has(readOnly.handle, "&Save"));
        EXPECT_TRUE(Has(readOnly.handle, "Save &As"));
    }
    doc.readOnly = 0;

    settings.BookmarkMode = 2;
    {
        Menu fixedMarks;
        EXPECT_EQ(Captions(Submenu(fixedMarks.handle, "BookMarks")),
                  std::vector<std::string>{"Goto"});
    }
    settings.BookmarkMode = 1;
    {
        Menu marks;
        EXPECT_EQ(Captions(Submenu(marks.handle, "BookMarks")),
                  (std::vector<std::string>{"Goto", "Set", "Scan"}));
    }

    for (int findState : {0, 1, 2}) {
        app.findState = findState;
        Menu menu;
        EXPECT_EQ(Has(menu.handle, "&Find..."), findState != 2) << findState;
        EXPECT_EQ(Has(menu.handle, "&Replace..."), findState != 2) << findState;
    }
    app.findState = 0;

    for (int mode : {0, 1, 2, 3}) {
        settings.WindowSizeMode = mode;
        Menu menu;
        std::vector<std::string> captions = Captions(Submenu(menu.handle, "Settin&gs"));
        EXPECT_EQ(captions.size() > 1 && captions[1] == "Set Def Size", mode == 3) << mode;
    }

    settings.MenuManipulate = 1;
    settings.MenuBookmarks = 0;
    settings.LabelsEnabled = 0;
    Menu manipulate;
    EXPECT_EQ(Captions(Submenu(manipulate.handle, "&Manipulate")),
              std::vector<std::string>{"De-Double"});
    EXPECT_FALSE(Has(manipulate.handle, "BookMarks"));
    EXPECT_FALSE(Has(manipulate.handle, "&Labels..."));
}

TEST_F(ContextMenuTest, RunFileListGivesOneItemPerEntryInOrder) {
    PublishRunFiles(12);
    // A caption that fills its 30 bytes has no terminator of its own.
    std::memset(runFiles[11].caption, 'W', sizeof runFiles[11].caption);
    Menu menu;
    std::vector<MenuEntry> items = Entries(Submenu(menu.handle, "Run File"));
    ASSERT_EQ(items.size(), 12u);
    for (int n = 1; n <= 11; ++n) {
        EXPECT_EQ(items[n - 1].id, static_cast<UINT>(41000 + n));
        EXPECT_EQ(items[n - 1].text, "Tool " + std::to_string(n));
    }
    EXPECT_EQ(items[11].id, 41012u);
    EXPECT_EQ(items[11].text, std::string(30, 'W'));

    settings.MenuRunList = 0;
    Menu off;
    EXPECT_FALSE(Has(off.handle, "Run File"));
}

TEST_F(ContextMenuTest, InsertTextListShowsTheTextsThemselves) {
    PublishInsertTexts({"Kind regards,", "-- ", "2024-01-01"});
    Menu menu;
    std::vector<MenuEntry> items = Entries(Submenu(menu.handle, "Insert Text"));
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].text, "Kind regards,");
    EXPECT_EQ(items[1].text, "-- ");
    EXPECT_EQ(items[2].text, "2024-01-01");
    for (int n = 1; n <= 3; ++n)
        EXPECT_EQ(items[n - 1].id, static_cast<UINT>(42000 + n));
    // The lists come after "&Manipulate", Run File before Insert Text.
    settings.MenuManipulate = 1;
    PublishRunFiles(1);
    Menu all;
    std::vector<std::string> captions = Captions(all.handle);
    auto at = [&](const char* text) {
        return std::find(captions.begin(), captions.end(), text) - captions.begin();
    };
    EXPECT_EQ(captions[at("&Manipulate") - 1], "-");
    EXPECT_EQ(at("Run File"), at("&Manipulate") + 1);
    EXPECT_EQ(at("Insert Text"), at("Run File") + 1);

    settings.MenuInsertList = 0;
    Menu off;
    EXPECT_FALSE(Has(off.handle, "Insert Text"));
}

TEST_F(ContextMenuTest, HalfPublishedListsShowNothing) {
    // Records and pointer stored, count not yet: no list.
    PublishRunFiles(3);
    app.runFileCount = 0;
    PublishInsertTexts({"a"});
    app.insertTextCount = 0;
    Menu menu;
    EXPECT_FALSE(Has(menu.handle, "Run File"));
    EXPECT_FALSE(Has(menu.handle, "Insert Text"));
    // A count without a list never shows a list either.
    app.runFileList = nullptr;
    app.runFileCount = 3;
    Menu noList;
    EXPECT_FALSE(Has(noList.handle, "Run File"));
}

TEST_F(ContextMenuTest, CheckMarksFollowTheState) {
    for (int on : {0, 1}) {
        doc.richText = on;
        app.wordWrap = on;
        settings.StayOnTop = on;
        Menu menu;
        std::vector<MenuEntry> items = Entries(Submenu(menu.handle, "Settin&gs"));
        EXPECT_EQ(Find(items, "Rich Text")->checked, on == 1);
        EXPECT_EQ(Find(items, "Word Wrap")->checked, on == 1);
        EXPECT_EQ(Find(items, "On &Top")->checked, on == 1);
        EXPECT_FALSE(Find(items, "Options")->checked);
    }
    for (int group : {0, 1, 2}) {
        settings.CurrentFontGroup = group;
        Menu menu;
        std::vector<MenuEntry> font = Entries(Submenu(Submenu(menu.handle, "Settin&gs"), "Font"));
        ASSERT_EQ(font.size(), 6u);
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(font[i].checked, i == group) << "group " << group << " item " << i;
    }
}

TEST_F(ContextMenuTest, SeparatorsNeverStandTogetherOrAtTheEnds) {
    PublishRunFiles(2);
    PublishInsertTexts({"x"});
    // Every combination of the settings and states that decide items 13 to 21.
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
        std::vector<std::string> captions = Captions(menu.handle);
        ASSERT_FALSE(captions.empty());
        EXPECT_NE(captions.front(), "-") << mask;
        EXPECT_NE(captions.back(), "-") << mask;
        for (size_t i = 1; i < captions.size(); ++i)
            EXPECT_FALSE(captions[i] == "-" && captions[i - 1] == "-") << "mask " << mask;
        // Nothing is lost with the separators: the fixed items are all there.
        EXPECT_EQ(captions[12], "S&elect All") << mask;
        EXPECT_TRUE(Has(menu.handle, "Settin&gs")) << mask;
    }
}

namespace {

LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE)
        SetWindowLongPtrA(
            window, GWLP_USERDATA,
            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
    auto* lastCommand = reinterpret_cast<UINT*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    // Menu choices only, not the editor's notifications.
    if (message == WM_COMMAND && lParam == 0 && lastCommand != nullptr)
        *lastCommand = LOWORD(wParam);
    return DefWindowProcA(window, message, wParam, lParam);
}

// What the menu driver saw of the open pop-up.
struct OpenedMenu {
    bool seen = false;
    RECT rect = {};
};

HWND FindOwnPopupMenu() {
    HWND found = nullptr;
    while ((found = FindWindowExA(nullptr, found, "#32768", nullptr)) != nullptr) {
        DWORD pid = 0;
        GetWindowThreadProcessId(found, &pid);
        if (pid == GetCurrentProcessId() && IsWindowVisible(found))
            return found;
    }
    return nullptr;
}

// Waits for this process's pop-up menu, notes where it is and types `key`
// into it; Escape closes it if it never turns up as expected.
std::thread TypeIntoMenuLater(char key, OpenedMenu* opened) {
    return std::thread([key, opened] {
        DWORD start = GetTickCount();
        HWND menu = nullptr;
        while (menu == nullptr && GetTickCount() - start < 10000) {
            menu = FindOwnPopupMenu();
            if (menu == nullptr)
                SwitchToThread();
        }
        if (menu == nullptr)
            return;
        opened->seen = true;
        GetWindowRect(menu, &opened->rect);
        PostMessageA(menu, WM_CHAR, key, 0);
    });
}

class ContextMenuWindowTest : public ContextMenuTest {
  protected:
    void SetUp() override {
        ContextMenuTest::SetUp();
        RegisterTestWindowClass("KorvidMenuOwnerTest", OwnerProc);
        app.mainWindow = CreateWindowExA(0, "KorvidMenuOwnerTest", "Owner",
                                         WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 500, 300,
                                         nullptr, nullptr, GetModuleHandleA(nullptr), &lastCommand);
        ASSERT_NE(app.mainWindow, nullptr);
        app.editorWindow = CreateWindowExA(
            0, "RichEdit20A", "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE, 0, 0, 480, 250,
            app.mainWindow, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(app.editorWindow, nullptr);
        SetForegroundWindow(app.mainWindow);
        SetFocus(app.editorWindow);
        ASSERT_TRUE(PumpUntil([] {
            return GetForegroundWindow() == app.mainWindow && GetFocus() == app.editorWindow;
        }));
    }
    void TearDown() override {
        if (IsWindow(app.mainWindow))
            DestroyWindow(app.mainWindow);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        ContextMenuTest::TearDown();
    }
    POINT ClientToScreenPoint(POINT p) {
        ClientToScreen(app.editorWindow, &p);
        return p;
    }
    UINT lastCommand = 0;
};

} // namespace

TEST_F(ContextMenuWindowTest, RightClickMenuOpensAtTheMouseAndSendsTheChoiceToTheMainWindow) {
    POINT at = ClientToScreenPoint({60, 50});
    SetCursorPos(at.x, at.y);
    POINT cursor;
    GetCursorPos(&cursor);
    OpenedMenu opened;
    std::thread driver = TypeIntoMenuLater('x', &opened); // "E&xit"
    ShowContextMenu(app.editorWindow);
    driver.join();
    ASSERT_TRUE(opened.seen);
    EXPECT_EQ(opened.rect.left, cursor.x);
    EXPECT_EQ(opened.rect.top, cursor.y);
    EXPECT_TRUE(PumpUntil([&] { return lastCommand != 0; }, 5000));
    EXPECT_EQ(lastCommand, static_cast<UINT>(IDM_EXIT));
    EXPECT_EQ(FindOwnPopupMenu(), nullptr);
}

TEST_F(ContextMenuWindowTest, KeyboardMenuOpensAtTheCaret) {
    std::string text;
    for (int i = 0; i < 200; ++i)
        text += "line " + std::to_string(i) + "\r\n";
    SetWindowTextA(app.editorWindow, text.c_str());
    POINT editorTop = ClientToScreenPoint({0, 0});

    CHARRANGE start = {0, 0};
    SendMessageA(app.editorWindow, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&start));
    POINT first = CaretMenuPoint(app.editorWindow);
    CHARRANGE third = {14, 14}; // start of the third line ("line 0" and a break are 7)
    SendMessageA(app.editorWindow, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&third));
    POINT atThird = CaretMenuPoint(app.editorWindow);
    EXPECT_GE(first.y, editorTop.y);
    EXPECT_GT(atThird.y, first.y);
    EXPECT_LT(atThird.y - first.y, 100); // two lines down, not anywhere
    EXPECT_GE(first.x, editorTop.x);
    EXPECT_LT(first.x - editorTop.x, 20);

    OpenedMenu opened;
    std::thread driver = TypeIntoMenuLater('u', &opened); // "&Undo"
    ShowContextMenuAtCaret(app.editorWindow);
    driver.join();
    ASSERT_TRUE(opened.seen);
    EXPECT_EQ(opened.rect.left, atThird.x);
    EXPECT_EQ(opened.rect.top, atThird.y);
    EXPECT_TRUE(PumpUntil([&] { return lastCommand != 0; }, 5000));
    EXPECT_EQ(lastCommand, static_cast<UINT>(IDM_UNDO));

    // A selection made backwards has its caret at the start.
    SendMessageA(app.editorWindow, EM_SETSEL, 30, 14);
    POINT backwards = CaretMenuPoint(app.editorWindow);
    EXPECT_EQ(backwards.x, atThird.x);
    EXPECT_EQ(backwards.y, atThird.y);

    // A caret scrolled out of view: the menu opens at the editor's top edge.
    CHARRANGE late = {1500, 1500};
    SendMessageA(app.editorWindow, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&late));
    SendMessageA(app.editorWindow, WM_VSCROLL, SB_TOP, 0);
    POINT hidden = CaretMenuPoint(app.editorWindow);
    EXPECT_EQ(hidden.y, editorTop.y);
}
