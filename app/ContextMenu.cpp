#include "app/ContextMenu.h"

#include "app/AppState.h"
#include "document/DocumentState.h"
#include "resource.h"
#include "settings/SettingsRecord.h"

#include <richedit.h>

#include <cstdlib>

namespace {

void AddItem(HMENU menu, UINT id, const char* caption, bool checked = false) {
    AppendMenuA(menu, MF_STRING | (checked ? MF_CHECKED : MF_UNCHECKED), id, caption);
}

void AddSeparator(HMENU menu) { AppendMenuA(menu, MF_SEPARATOR, 0, nullptr); }

void AddSubmenu(HMENU menu, HMENU submenu, const char* caption) {
    AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(submenu), caption);
}

// The user lists are filled by the start-up thread, which stores the
// records, then the list pointer, then the count. Reading the count first
// (with a full barrier) and the pointer after it means a non-zero count
// always comes with the records it counts: the menu shows no list or the
// whole list, never a part of one.
template <typename Entry>
LONG PublishedList(volatile LONG& count, Entry* volatile& list, Entry** entries) {
    LONG n = InterlockedCompareExchange(&count, 0, 0);
    *entries = list;
    return *entries == nullptr ? 0 : n;
}

// Copies a fixed-size record field that need not end in a zero.
template <size_t N> void FieldText(const char (&field)[N], char (&text)[N + 1]) {
    size_t i = 0;
    for (; i < N && field[i] != '\0'; ++i)
        text[i] = field[i];
    text[i] = '\0';
}

HMENU RunFileMenu(const RunFileEntry* entries, LONG count) {
    HMENU menu = CreatePopupMenu();
    for (LONG n = 1; n <= count; ++n) {
        char caption[sizeof entries->caption + 1];
        FieldText(entries[n - 1].caption, caption);
        AddItem(menu, IDM_RUN_FILE_BASE + n, caption);
    }
    return menu;
}

HMENU InsertTextMenu(const InsertTextEntry* entries, LONG count) {
    HMENU menu = CreatePopupMenu();
    for (LONG n = 1; n <= count; ++n) {
        char text[sizeof entries->text + 1];
        FieldText(entries[n - 1].text, text);
        AddItem(menu, IDM_INSERT_LIST_BASE + n, text);
    }
    return menu;
}

const char* const kMarkNames[5] = {"One", "Two", "Three", "Four", "Five"};

HMENU BookmarksMenu() {
    HMENU menu = CreatePopupMenu();
    HMENU go = CreatePopupMenu();
    for (int i = 0; i < 5; ++i)
        AddItem(go, IDM_GOTO_MARK1 + i, kMarkNames[i]);
    AddSubmenu(menu, go, "Goto");
    // Mode 2 keeps the marks fixed: they can be visited but not set.
    if (settings.BookmarkMode != 2) {
        HMENU set = CreatePopupMenu();
        for (int i = 0; i < 5; ++i)
            AddItem(set, IDM_SET_MARK1 + i, kMarkNames[i]);
        AddSubmenu(menu, set, "Set");
        AddItem(menu, IDM_SCAN_MARKS, "Scan");
    }
    return menu;
}

HMENU FontMenu() {
    HMENU menu = CreatePopupMenu();
    const char* const groups[3] = {"One", "Two", "Three"};
    for (int i = 0; i < 3; ++i)
        AddItem(menu, IDM_FONT_GROUP1 + i, groups[i], settings.CurrentFontGroup == i);
    AddItem(menu, IDM_FONT, "Font...");
    AddItem(menu, IDM_COLOUR, "Colour...");
    AddItem(menu, IDM_BACKGROUND, "Background");
    return menu;
}

HMENU SettingsMenu() {
    HMENU menu = CreatePopupMenu();
    AddItem(menu, IDM_OPTIONS, "Options");
    if (settings.WindowSizeMode == 3)
        AddItem(menu, IDM_SET_DEF_SIZE, "Set Def Size");
    AddItem(menu, IDM_RICH_TEXT, "Rich Text", doc.richText == 1);
    AddItem(menu, IDM_WORD_WRAP, "Word Wrap", app.wordWrap == 1);
    AddItem(menu, IDM_ON_TOP, "On &Top", settings.StayOnTop == 1);
    AddSubmenu(menu, FontMenu(), "Font");
    return menu;
}

void AddFileItems(HMENU menu) {
    AddItem(menu, IDM_NEW, "&New");
    if (doc.readOnly == 0)
        AddItem(menu, IDM_SAVE, "&Save");
    AddItem(menu, IDM_SAVE_AS, "Save &As");
    AddItem(menu, IDM_OPEN, "&Open");
    if (doc.hasFileName == 1) {
        AddItem(menu, IDM_REVERT, "Re&vert");
        AddItem(menu, IDM_EXECUTE, "Execute");
    }
    if (app.printAvailable == 1)
        AddItem(menu, IDM_PRINT, "&Print");
}

void AddEditItems(HMENU menu) {
    AddItem(menu, IDM_UNDO, "&Undo");
    AddSeparator(menu);
    AddItem(menu, IDM_COPY, "&Copy");
    AddItem(menu, IDM_CUT, "Cu&t");
    AddItem(menu, IDM_PASTE, "&Paste");
    AddItem(menu, IDM_DELETE, "&Delete");
    AddSeparator(menu);
    AddItem(menu, IDM_SELECT_ALL, "S&elect All");
}

void AddListSubmenus(HMENU menu) {
    RunFileEntry* runFiles;
    LONG runFileCount = PublishedList(app.runFileCount, app.runFileList, &runFiles);
    InsertTextEntry* insertTexts;
    LONG insertTextCount = PublishedList(app.insertTextCount, app.insertTextList, &insertTexts);
    bool manipulate = settings.MenuManipulate != 0;
    bool runList = settings.MenuRunList != 0 && runFileCount > 0;
    bool insertList = settings.MenuInsertList != 0 && insertTextCount > 0;
    if (manipulate || runList || insertList)
        AddSeparator(menu);
    if (manipulate) {
        HMENU manipulateMenu = CreatePopupMenu();
        AddItem(manipulateMenu, IDM_DEDOUBLE, "De-Double");
        AddSubmenu(menu, manipulateMenu, "&Manipulate");
    }
    if (runList)
        AddSubmenu(menu, RunFileMenu(runFiles, runFileCount), "Run File");
    if (insertList)
        AddSubmenu(menu, InsertTextMenu(insertTexts, insertTextCount), "Insert Text");
}

void AddToolItems(HMENU menu) {
    bool bookmarks = settings.MenuBookmarks != 0;
    bool findClosed = app.findState != 2;
    bool labels = settings.LabelsEnabled != 0;
    if (bookmarks)
        AddSubmenu(menu, BookmarksMenu(), "BookMarks");
    if (findClosed) {
        AddItem(menu, IDM_FIND, "&Find...");
        AddItem(menu, IDM_REPLACE, "&Replace...");
    }
    if (labels)
        AddItem(menu, IDM_LABELS, "&Labels...");
    if (bookmarks || findClosed || labels)
        AddSeparator(menu);
}

void AddProgramItems(HMENU menu) {
    AddSubmenu(menu, SettingsMenu(), "Settin&gs");
    AddItem(menu, IDM_README, "&Help...");
    if (doc.hasFileName == 1)
        AddItem(menu, IDM_FILE_INFO, "File I&nfo...");
    AddItem(menu, IDM_NEW_INSTANCE, "New &Instance");
    AddItem(menu, IDM_EXIT, "E&xit");
}

POINT CharacterPoint(HWND editor, LONG character) {
    POINTL position = {};
    SendMessageA(editor, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&position), character);
    return {position.x, position.y};
}

long Distance(POINT a, POINT b) { return labs(a.x - b.x) + labs(a.y - b.y); }

void TrackContextMenu(HWND editor, POINT at) {
    HWND owner = app.mainWindow != nullptr ? app.mainWindow : GetParent(editor);
    HMENU menu = BuildContextMenu();
    TrackPopupMenuEx(menu, 0, at.x, at.y, owner, nullptr);
    DestroyMenu(menu);
}

} // namespace

HMENU BuildContextMenu() {
    HMENU menu = CreatePopupMenu();
    AddFileItems(menu);
    AddSeparator(menu);
    AddEditItems(menu);
    AddListSubmenus(menu);
    AddSeparator(menu);
    AddToolItems(menu);
    AddProgramItems(menu);
    return menu;
}

void ShowContextMenu(HWND editor) {
    POINT at = {};
    GetCursorPos(&at);
    TrackContextMenu(editor, at);
}

POINT CaretMenuPoint(HWND editor) {
    CHARRANGE selection = {};
    SendMessageA(editor, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    POINT start = CharacterPoint(editor, selection.cpMin);
    POINT at = CharacterPoint(editor, selection.cpMax);
    // The caret sits at one end of the selection, but the control does not
    // say which, and its caret position is stale after scrolling: the end
    // nearer to the caret is taken, placed where the control lays it out now.
    POINT caret = {};
    if (selection.cpMin != selection.cpMax && GetFocus() == editor && GetCaretPos(&caret) &&
        Distance(caret, start) < Distance(caret, at))
        at = start;
    RECT client = {};
    GetClientRect(editor, &client);
    if (at.x < client.left || at.x >= client.right)
        at.x = client.left;
    if (at.y < client.top || at.y >= client.bottom)
        at.y = client.top;
    ClientToScreen(editor, &at);
    return at;
}

void ShowContextMenuAtCaret(HWND editor) { TrackContextMenu(editor, CaretMenuPoint(editor)); }
