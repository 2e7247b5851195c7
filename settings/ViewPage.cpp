// The View page: toolbar groups, context-menu entries and the window size
// the program opens with.
#include "resource.h"
#include "settings/PageRules.h"
#include "settings/SettingsPages.h"

#include <commctrl.h>

namespace {

struct FlagBox {
    int id;
    int32_t SettingsRecord::*field;
};

const FlagBox kViewFlags[] = {
    {IDC_VIEW_TOOLBAR, &SettingsRecord::ToolbarEnabled},
    {IDC_VIEW_MENU_RUN_LIST, &SettingsRecord::MenuRunList},
    {IDC_VIEW_MENU_INSERT_LIST, &SettingsRecord::MenuInsertList},
    {IDC_VIEW_MENU_BOOKMARKS, &SettingsRecord::MenuBookmarks},
    {IDC_VIEW_MENU_MANIPULATE, &SettingsRecord::MenuManipulate},
    {IDC_VIEW_BOOKMARKS, &SettingsRecord::ToolbarBookmarkButtons},
    {IDC_VIEW_RUN, &SettingsRecord::ToolbarRunButtons},
    {IDC_VIEW_INSERT, &SettingsRecord::ToolbarInsertButtons},
    {IDC_VIEW_INDENT, &SettingsRecord::ToolbarIndentButtons},
    {IDC_VIEW_SEARCH, &SettingsRecord::ToolbarSearchButtons},
};

const int kToolbarGroupBoxes[] = {IDC_VIEW_RUN, IDC_VIEW_INSERT, IDC_VIEW_INDENT, IDC_VIEW_SEARCH,
                                  IDC_VIEW_BOOKMARKS};

const int kSizeModeRadios[] = {IDC_VIEW_PERCENT, IDC_VIEW_RESOLUTION, IDC_VIEW_USE_LAST,
                               IDC_VIEW_VARIABLE};

const ControlTooltip kViewTooltips[] = {
    {IDC_VIEW_TOOLBAR, "Enables the toolbar"},
    {IDC_VIEW_SEARCH, "Show Search and Goto buttons"},
    {IDC_VIEW_INSERT, "Show Insert Time and Insert Text"},
    {IDC_VIEW_INDENT, "Show Increase Indent and Decrease Indent Buttons"},
    {IDC_VIEW_RUN, "Show Programmable Run Buttons"},
    {IDC_VIEW_BOOKMARKS, "Show the Five Bookmark buttons"},
    {IDC_VIEW_MENU_MANIPULATE, "Shows the (currently limited) manipulate menu"},
    {IDC_VIEW_MENU_RUN_LIST, "Show the programmable Run list"},
    {IDC_VIEW_MENU_INSERT_LIST, "Show the programmable Insert list"},
    {IDC_VIEW_MENU_BOOKMARKS, "Shows the set and show bookmark menu"},
    {IDC_VIEW_PERCENT, "Set default Screen Size by percent"},
    {IDC_VIEW_RESOLUTION, "Set default Screen Size by resolution"},
    {IDC_VIEW_USE_LAST, "Set default Screen Size and Position to what was last used"},
    {IDC_VIEW_VARIABLE, "Allows the default to be quickly changed while editing"},
    {IDC_VIEW_PERCENT_EDIT,
     "Percentage of Screen Size that Korvid will open to as default (100% is maximised)"},
    {IDC_VIEW_WIDTH, "Screen Size in pixels that Korvid will open to as default"},
    {IDC_VIEW_HEIGHT, "Screen Size in pixels that Korvid will open to as default"},
};

} // namespace

void UpdateViewPageState(HWND page) {
    for (int id : kToolbarGroupBoxes)
        EnableControl(page, id, settings.ToolbarEnabled);
    int32_t mode = settings.WindowSizeMode;
    EnableControl(page, IDC_VIEW_PERCENT_EDIT, mode == 0);
    EnableControl(page, IDC_VIEW_WIDTH, mode == 1);
    EnableControl(page, IDC_VIEW_HEIGHT, mode == 1);
}

void LoadViewPage(HWND page) {
    for (const FlagBox& box : kViewFlags)
        SetCheck(page, box.id, settings.*box.field);
    int32_t mode = settings.WindowSizeMode;
    if (mode == 0) {
        SetNumber(page, IDC_VIEW_PERCENT_EDIT, static_cast<uint32_t>(settings.WindowSizeValue));
        SetNumber(page, IDC_VIEW_WIDTH,
                  static_cast<uint32_t>(
                      ScreenShare(GetSystemMetrics(SM_CXSCREEN), settings.WindowSizeValue)));
        SetNumber(page, IDC_VIEW_HEIGHT,
                  static_cast<uint32_t>(
                      ScreenShare(GetSystemMetrics(SM_CYSCREEN), settings.WindowSizeValue)));
    } else {
        SetNumber(page, IDC_VIEW_WIDTH, static_cast<uint32_t>(settings.WindowSizeValue));
        SetNumber(page, IDC_VIEW_HEIGHT, static_cast<uint32_t>(settings.WindowHeight));
    }
    // A mode from outside 0..3 checks no radio button.
    for (int i = 0; i < 4; ++i)
        CheckDlgButton(page, kSizeModeRadios[i], mode == i ? BST_CHECKED : BST_UNCHECKED);
    UpdateViewPageState(page);
}

void StoreViewPage(HWND page) {
    for (const FlagBox& box : kViewFlags)
        settings.*box.field = CheckOf(page, box.id);
    if (settings.WindowSizeMode == 0) {
        settings.WindowSizeValue = StoredWindowPercent(NumberOf(page, IDC_VIEW_PERCENT_EDIT));
    } else {
        settings.WindowSizeValue = NumberField(NumberOf(page, IDC_VIEW_WIDTH));
        settings.WindowHeight = NumberField(NumberOf(page, IDC_VIEW_HEIGHT));
    }
}

namespace {

void OnViewCommand(HWND page, int id) {
    switch (id) {
    case IDC_VIEW_TOOLBAR:
        settings.ToolbarEnabled = CheckOf(page, IDC_VIEW_TOOLBAR);
        break;
    case IDC_VIEW_PERCENT:
        settings.WindowSizeMode = 0;
        break;
    case IDC_VIEW_RESOLUTION:
        settings.WindowSizeMode = 1;
        break;
    case IDC_VIEW_USE_LAST:
        // The placement at exit is what this mode opens with next time.
        settings.WindowSizeMode = 2;
        settings.ExitSave = 1;
        break;
    case IDC_VIEW_VARIABLE:
        settings.WindowSizeMode = 3;
        break;
    default:
        return;
    }
    UpdateViewPageState(page);
}

void SetSpinRange(HWND page, int id, int most) {
    SendDlgItemMessageA(page, id, UDM_SETRANGE, 0, MAKELPARAM(most, 0));
}

} // namespace

INT_PTR CALLBACK ViewPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        LoadViewPage(page);
        AddControlTooltips(page, kViewTooltips);
        SetSpinRange(page, IDC_VIEW_PERCENT_SPIN, 100);
        SetSpinRange(page, IDC_VIEW_WIDTH_SPIN, 4095);
        SetSpinRange(page, IDC_VIEW_HEIGHT_SPIN, 4095);
        return TRUE;
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED)
            OnViewCommand(page, LOWORD(wParam));
        return FALSE;
    case WM_NOTIFY:
        return AnswerPageProtocol(page, lParam, LoadViewPage, StoreViewPage);
    default:
        return FALSE;
    }
}
