#include "app/Bars.h"

#include "app/AppState.h"
#include "app/Dpi.h"
#include "app/Editor.h"
#include "app/Geometry.h"
#include "app/Startup.h"
#include "app/Tray.h"
#include "document/DocumentState.h"
#include "document/Notify.h"
#include "resource.h"
#include "version.h"
#include "text/TextRoutines.h"
#include "tools/Tools.h"

namespace {

constexpr int IDC_TOOLBAR = 1;
constexpr int IDC_STATUSBAR = 60;

enum ToolbarGroup { Always, Search, Insert, Indent, Run, Bookmark };

struct ToolbarButton {
    ToolbarGroup group;
    int image; // -1: separator
    WORD command;
    BYTE style;
    const char* tooltip;
};

// The whole toolbar in order. A group that is present starts with a
// separator; the run tooltips are the run descriptions.
const ToolbarButton kToolbar[] = {
    {Always, 0, IDM_NEW, TBSTYLE_BUTTON, "Create New File in Existing Window"},
    {Always, 1, IDM_OPEN, TBSTYLE_BUTTON, "Open New File in Existing Window"},
    {Always, 2, IDM_SAVE, TBSTYLE_BUTTON, "Save Current File"},
    {Always, -1, 0, TBSTYLE_SEP, nullptr},
    {Always, 3, IDM_CUT, TBSTYLE_BUTTON, "Cut Selected Text"},
    {Always, 4, IDM_COPY, TBSTYLE_BUTTON, "Copy Selected Text"},
    {Always, 5, IDM_PASTE, TBSTYLE_BUTTON, "Paste Clipboard at Cursor"},
    {Always, 6, IDM_UNDO, TBSTYLE_BUTTON, "Undo Last Action"},
    {Always, 7, IDM_REDO, TBSTYLE_BUTTON, "Undo Undo"},
    {Search, 8, IDM_FIND, TBSTYLE_BUTTON, "Search for Text Within File"},
    {Search, 9, IDM_GOTO_LINE, TBSTYLE_BUTTON, "Goto Line"},
    {Insert, 10, IDM_INSERT_TIME, TBSTYLE_BUTTON, "Insert Current Time"},
    {Insert, 11, IDM_INSERT_TEXT, TBSTYLE_BUTTON, "Insert Text Window"},
    {Indent, 12, IDM_INDENT, TBSTYLE_BUTTON, "Increase Selected Text Indent"},
    {Indent, 13, IDM_OUTDENT, TBSTYLE_BUTTON, "Decrease Selected Text Indent"},
    {Run, 14, IDM_RUN_A, TBSTYLE_BUTTON, settings.RunDescriptionA},
    {Run, 15, IDM_RUN_B, TBSTYLE_BUTTON, settings.RunDescriptionB},
    {Run, 16, IDM_RUN_C, TBSTYLE_BUTTON, settings.RunDescriptionC},
    {Bookmark, 17, IDM_GOTO_MARK1, TBSTYLE_BUTTON, "One"},
    {Bookmark, 18, IDM_GOTO_MARK2, TBSTYLE_BUTTON, "Two"},
    {Bookmark, 19, IDM_GOTO_MARK3, TBSTYLE_BUTTON, "Three"},
    {Bookmark, 20, IDM_GOTO_MARK4, TBSTYLE_BUTTON, "Four"},
    {Bookmark, 21, IDM_GOTO_MARK5, TBSTYLE_BUTTON, "Five"},
    {Always, -1, 0, TBSTYLE_SEP, nullptr},
    {Always, 22, IDM_NEW_INSTANCE, TBSTYLE_BUTTON, "New Instance of Korvid"},
    {Always, 23, IDM_OPTIONS, TBSTYLE_BUTTON, "Korvid Options"},
    {Always, 24, IDM_ON_TOP, TBSTYLE_CHECK, "Window On-Top Toggle"},
    {Always, 25, IDM_RICH_TEXT, TBSTYLE_CHECK, "Rich Text Toggle"},
    {Always, 26, IDM_WORD_WRAP, TBSTYLE_CHECK, "WordWrap Toggle"},
    {Always, 27, IDM_TO_TRAY, TBSTYLE_BUTTON, "Minimise to tray"},
    {Always, 28, IDM_README, TBSTYLE_BUTTON, "Opens ReadMe"},
};

bool GroupPresent(const SettingsRecord& r, ToolbarGroup group) {
    switch (group) {
    case Search:
        return r.ToolbarSearchButtons != 0;
    case Insert:
        return r.ToolbarInsertButtons != 0;
    case Indent:
        return r.ToolbarIndentButtons != 0;
    case Run:
        return r.ToolbarRunButtons != 0;
    case Bookmark:
        return r.ToolbarBookmarkButtons != 0;
    case Always:
        break;
    }
    return true;
}

TBBUTTON MakeButton(int image, WORD command, BYTE style) {
    TBBUTTON b = {};
    b.iBitmap = image < 0 ? 0 : image;
    b.idCommand = command;
    b.fsState = TBSTATE_ENABLED;
    b.fsStyle = style;
    return b;
}

// The strips of images, by size: "ToolBar.bmp" holds the 16-pixel images
// every toolbar needs, the others the images for larger screen scales.
constexpr int kStripSizes[3] = {16, 24, 32};
constexpr const char* kStripNames[3] = {"ToolBar.bmp", "ToolBar24.bmp", "ToolBar32.bmp"};
constexpr int kImageCount = 29;
// Pixels of this grey are the background of the images.
constexpr COLORREF kStripBackground = RGB(192, 192, 192);
// The separators' width at 96 dpi.
constexpr int kSeparatorWidth = 8;

// A strip is looked for beside the program first, then in the current
// folder, so a program started by a file association (whose current folder
// is the document's) still finds it.
HBITMAP LoadToolbarStrip(const char* name) {
    const UINT flags = LR_LOADFROMFILE | LR_LOADTRANSPARENT | LR_LOADMAP3DCOLORS;
    char path[kPathSize];
    if (MakePath(app.programFolder, name, path)) {
        HANDLE image = LoadImageA(nullptr, path, IMAGE_BITMAP, 0, 0, flags);
        if (image != nullptr)
            return static_cast<HBITMAP>(image);
    }
    // The current folder is named in full: given a bare name, the loader
    // may look in other places too.
    char current[kPathSize];
    DWORD n = GetCurrentDirectoryA(kPathSize, current);
    if (n == 0 || n >= kPathSize - 1)
        return nullptr;
    if (current[n - 1] != '\\')
        TextAppend(current, "\\");
    if (!MakePath(current, name, path))
        return nullptr;
    return static_cast<HBITMAP>(LoadImageA(nullptr, path, IMAGE_BITMAP, 0, 0, flags));
}

// The toolbar's images for `dpi`, from the largest strip that is there and
// no larger than the scale asks for: a missing larger strip leaves smaller
// images, never none. Sets `size` to the images' size.
HIMAGELIST MakeToolbarImages(int dpi, int* size) {
    const int wanted = ToolbarImageSize(dpi);
    for (int i = 2; i >= 0; --i) {
        if (kStripSizes[i] > wanted)
            continue;
        if (app.toolbarStrips[i] == nullptr)
            app.toolbarStrips[i] = LoadToolbarStrip(kStripNames[i]);
        BITMAP strip = {};
        if (app.toolbarStrips[i] == nullptr ||
            GetObjectA(app.toolbarStrips[i], sizeof strip, &strip) == 0 ||
            strip.bmHeight != kStripSizes[i] || strip.bmWidth < kStripSizes[i] * kImageCount)
            continue;
        HIMAGELIST images = ImageList_Create(kStripSizes[i], kStripSizes[i], ILC_COLOR24 | ILC_MASK,
                                             kImageCount, 0);
        if (images == nullptr)
            return nullptr;
        ImageList_AddMasked(images, app.toolbarStrips[i], kStripBackground);
        *size = kStripSizes[i];
        return images;
    }
    return nullptr;
}

// Gives the toolbar the images, buttons and separators of the main
// window's DPI. Returns false, changing nothing, when no strip is there.
bool ScaleToolbar() {
    int size = 0;
    HIMAGELIST images = MakeToolbarImages(app.dpi, &size);
    if (images == nullptr)
        return false;
    HIMAGELIST old = reinterpret_cast<HIMAGELIST>(
        SendMessageA(app.toolBar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images)));
    if (old != nullptr && old != images)
        ImageList_Destroy(old);
    // The toolbar's own padding around an image, scaled with it.
    SendMessageA(app.toolBar, TB_SETBUTTONSIZE, 0, MAKELPARAM(size + Scaled(7), size + Scaled(6)));
    int count = static_cast<int>(SendMessageA(app.toolBar, TB_BUTTONCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        TBBUTTON button = {};
        SendMessageA(app.toolBar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
        if ((button.fsStyle & TBSTYLE_SEP) == 0)
            continue;
        // A separator's image number is its width; 0 is the toolbar's own.
        TBBUTTONINFOA info = {};
        info.cbSize = sizeof info;
        info.dwMask = TBIF_BYINDEX | TBIF_IMAGE;
        info.iImage = Scaled(kSeparatorWidth) == kSeparatorWidth ? 0 : Scaled(kSeparatorWidth);
        SendMessageA(app.toolBar, TB_SETBUTTONINFOA, i, reinterpret_cast<LPARAM>(&info));
    }
    SendMessageA(app.toolBar, TB_AUTOSIZE, 0, 0);
    RECT r;
    GetClientRect(app.toolBar, &r);
    app.toolbarHeight = r.bottom - r.top + Scaled(2); // a gap above the editor
    return true;
}

// The status bar's font for the main window's DPI; the bar's height
// follows its font.
void ScaleStatusBar() {
    static HFONT font;
    HFONT made = CreateStatusFont(MainWindowDpi());
    if (made == nullptr && font == nullptr)
        return; // the default font, at the scale it was made for
    SendMessageA(app.statusBar, WM_SETFONT, reinterpret_cast<WPARAM>(made), FALSE);
    if (font != nullptr)
        DeleteObject(font);
    font = made;
    RECT client = {0, 0, 0, 0};
    GetClientRect(app.mainWindow, &client);
    SendMessageA(app.statusBar, WM_SIZE, 0, MAKELPARAM(client.right, client.bottom));
    RECT r;
    GetClientRect(app.statusBar, &r);
    app.statusHeight = r.bottom - r.top;
}

void ReportMissingToolbar() {
    settings.ToolbarEnabled = 0;
    if (settings.StatusBarEnabled) {
        SetStatusPart(2, "ToolBar not found");
        return;
    }
    ShowNotification(app.mainWindow, 0, "ToolBar not found", "OK", "Open ReadMe", nullptr, 0,
                     reinterpret_cast<LPARAM>(appRecord),
                     appRecord != nullptr ? appRecord->instance : nullptr);
    if (LastNotifyAnswer() == AnswerSecond)
        OpenReadMe();
}

} // namespace

static_assert(2 * sizeof kToolbar / sizeof kToolbar[0] <= kToolbarButtonsMax,
              "every button and a separator before each fit the toolbar's buffer");

int ToolbarButtonsFor(const SettingsRecord& record, TBBUTTON* out) {
    int n = 0;
    ToolbarGroup previous = Always;
    for (const ToolbarButton& b : kToolbar) {
        if (!GroupPresent(record, b.group))
            continue;
        if (b.group != Always && b.group != previous)
            out[n++] = MakeButton(-1, 0, TBSTYLE_SEP);
        previous = b.group;
        out[n++] = MakeButton(b.image, b.command, b.style);
    }
    return n;
}

const char* ToolbarTooltip(WORD command) {
    for (const ToolbarButton& b : kToolbar)
        if (b.command == command && b.image >= 0)
            return b.tooltip;
    return nullptr;
}

void CreateBars() {
    if (settings.StatusBarEnabled) {
        TextCopy(KORVID_NAME_AND_VERSION, doc.statusText);
        CreateStatusBar();
        UpdateStatusBar();
    }
    if (settings.ToolbarEnabled)
        CreateToolbar();
}

void CreateToolbar() {
    TBBUTTON buttons[kToolbarButtonsMax];
    int count = ToolbarButtonsFor(settings, buttons);
    // The images come with the scale (ScaleToolbar); the buttons are made
    // without any.
    app.toolBar =
        CreateToolbarEx(app.mainWindow, WS_CHILD | WS_VISIBLE | TBSTYLE_TOOLTIPS | TBSTYLE_FLAT,
                        IDC_TOOLBAR, 0, nullptr, 0, buttons, count, 0, 0, 16, 16, sizeof(TBBUTTON));
    if (app.toolBar == nullptr)
        return;
    if (!ScaleToolbar()) {
        DestroyWindow(app.toolBar);
        app.toolBar = nullptr;
        ReportMissingToolbar();
        return;
    }
    SendMessageA(app.toolBar, TB_CHECKBUTTON, IDM_ON_TOP, MAKELONG(settings.StayOnTop == 1, 0));
    SendMessageA(app.toolBar, TB_CHECKBUTTON, IDM_RICH_TEXT, MAKELONG(doc.richText == 1, 0));
    SendMessageA(app.toolBar, TB_CHECKBUTTON, IDM_WORD_WRAP, MAKELONG(app.wordWrap == 1, 0));
}

void CreateStatusBar() {
    app.statusBar = CreateStatusWindowA(WS_CHILD | WS_VISIBLE, KORVID_NAME_AND_VERSION,
                                        app.mainWindow, IDC_STATUSBAR);
    if (app.statusBar == nullptr)
        return;
    RECT r;
    GetClientRect(app.statusBar, &r);
    app.statusHeight = r.bottom - r.top;
    ScaleStatusBar();
    SetStatusParts();
}

void ScaleBars() {
    if (app.toolBar != nullptr)
        ScaleToolbar();
    if (app.statusBar != nullptr)
        ScaleStatusBar();
}

void SetStatusParts() {
    if (app.statusBar == nullptr)
        return;
    int32_t edges[4];
    StatusPartEdges(app.clientWidth, MainWindowDpi(), edges);
    SendMessageA(app.statusBar, SB_SETPARTS, 4, reinterpret_cast<LPARAM>(edges));
    SetStatusPart(3, doc.statusText);
}

void LayoutMainWindow(WPARAM sizeType, int width, int height) {
    if (sizeType == SIZE_MINIMIZED && settings.TrayMinimise != 0) {
        HideToTray();
        return;
    }
    app.clientWidth = width;
    app.clientHeight = height;
    int top = 0;
    int h = height;
    // A bar switched off in the settings keeps its window until the next
    // start; the editor takes its room only once the bar is gone.
    if (settings.ToolbarEnabled && app.toolBar != nullptr) {
        SendMessageA(app.toolBar, WM_SIZE, sizeType, MAKELPARAM(width, height));
        top = app.toolbarHeight;
        h -= app.toolbarHeight;
    }
    if (settings.StatusBarEnabled && app.statusBar != nullptr) {
        SendMessageA(app.statusBar, WM_SIZE, sizeType, MAKELPARAM(width, height));
        h -= app.statusHeight;
        SetStatusParts();
    }
    if (app.editorWindow != nullptr)
        MoveWindow(app.editorWindow, 0, top, width, h < 0 ? 0 : h, TRUE);
}

RECT EditorPlace() {
    RECT client = {0, 0, 0, 0};
    GetClientRect(app.mainWindow, &client);
    RECT place = {0, 0, client.right, client.bottom};
    if (settings.ToolbarEnabled && app.toolBar != nullptr)
        place.top = app.toolbarHeight;
    if (settings.StatusBarEnabled && app.statusBar != nullptr)
        place.bottom -= app.statusHeight;
    if (place.bottom < place.top)
        place.bottom = place.top;
    return place;
}

void RelayoutMainWindow() {
    RECT client = {0, 0, 0, 0};
    GetClientRect(app.mainWindow, &client);
    LayoutMainWindow(0, client.right, client.bottom);
}

LRESULT OnToolbarTooltip(NMHDR* header) {
    NMTTDISPINFOA* info = reinterpret_cast<NMTTDISPINFOA*>(header);
    const char* tip = ToolbarTooltip(static_cast<WORD>(header->idFrom));
    if (tip != nullptr)
        info->lpszText = const_cast<char*>(tip);
    return 0;
}
