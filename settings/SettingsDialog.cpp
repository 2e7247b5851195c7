#include "settings/SettingsDialog.h"

#include "app/AppState.h"
#include "app/Dpi.h"
#include "app/Geometry.h"
#include "document/Load.h"
#include "resource.h"
#include "version.h"
#include "settings/PageRules.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsPages.h"
#include "text/TextRoutines.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shlobj.h>

#include <cstring>
#include <string>

// Page protocol. Every page fills its lists, registers its tooltips and sets
// its controls from the record on WM_INITDIALOG; some controls write their
// field at once; PSN_SETACTIVE accepts and (on the View, Auto Save, Font and
// Misc pages) sets the controls from the record again; PSN_KILLACTIVE copies
// the controls into the record and always lets the page go. So switching
// tabs stores the page left, OK stores the open page, and Cancel undoes
// nothing that is already in the record.

namespace {

HINSTANCE ProgramInstance() {
    return appRecord != nullptr ? appRecord->instance : GetModuleHandleA(nullptr);
}

struct SettingsPage {
    int dialogId;
    DLGPROC procedure;
};

const SettingsPage kSettingsPages[] = {
    {IDD_PAGE_VIEW, ViewPageProc},
    {IDD_PAGE_AUTOSAVE, AutoSavePageProc},
    {IDD_PAGE_RUN, RunPageProc},
    {IDD_PAGE_FONT, FontPageProc},
    {IDD_PAGE_FILE_TYPES, FileTypesPageProc},
    {IDD_PAGE_BOOKMARK, BookmarkPageProc},
    {IDD_PAGE_MISC, MiscPageProc},
};
constexpr int kPageCount = sizeof kSettingsPages / sizeof kSettingsPages[0];

// The sheet's own modal loop does not pass every key to the sheet: under
// Wine, Ctrl+Tab and Ctrl+Page Up/Down never reach it and only move the
// focus. While the sheet is open, a dialog filter hands those keys to the
// sheet, which turns the page as it does for its own loop.
HWND openSheet = nullptr;
HHOOK sheetKeysHook = nullptr;
bool passingSheetKey = false;

bool IsPageTurnKey(const MSG& message) {
    return message.message == WM_KEYDOWN &&
           (message.wParam == VK_TAB || message.wParam == VK_PRIOR || message.wParam == VK_NEXT) &&
           (GetKeyState(VK_CONTROL) & 0x8000) != 0;
}

LRESULT CALLBACK SheetKeysFilter(int code, WPARAM wParam, LPARAM lParam) {
    MSG* message = reinterpret_cast<MSG*>(lParam);
    if (code == MSGF_DIALOGBOX && !passingSheetKey && openSheet != nullptr &&
        IsPageTurnKey(*message) && IsChild(openSheet, message->hwnd)) {
        passingSheetKey = true;
        LRESULT handled = SendMessageA(openSheet, PSM_ISDIALOGMESSAGE, 0, lParam);
        passingSheetKey = false;
        if (handled) {
            // A focus left on the page just hidden would take the keys,
            // mnemonics included, away from the page shown: it moves to the
            // tabs, as when a tab is clicked.
            HWND focus = GetFocus();
            if (focus == nullptr || !IsWindowVisible(focus))
                SetFocus(reinterpret_cast<HWND>(SendMessageA(openSheet, PSM_GETTABCONTROL, 0, 0)));
            return 1;
        }
    }
    return CallNextHookEx(sheetKeysHook, code, wParam, lParam);
}

int CALLBACK SheetCallback(HWND sheet, UINT message, LPARAM) {
    if (message == PSCB_INITIALIZED)
        openSheet = sheet;
    return 0;
}

// The tools of a closed sheet's controls are dropped, so that they do not
// pile up in the shared tooltip window over many openings.
void DropToolsOfDestroyedControls() {
    if (appRecord == nullptr || appRecord->toolTipWindow == nullptr)
        return;
    HWND tips = appRecord->toolTipWindow;
    for (int i = static_cast<int>(SendMessageA(tips, TTM_GETTOOLCOUNT, 0, 0)) - 1; i >= 0; --i) {
        TOOLINFOA tool = {};
        tool.cbSize = TTTOOLINFOA_V2_SIZE;
        if (SendMessageA(tips, TTM_ENUMTOOLSA, static_cast<WPARAM>(i),
                         reinterpret_cast<LPARAM>(&tool)) &&
            (tool.uFlags & TTF_IDISHWND) != 0 && !IsWindow(reinterpret_cast<HWND>(tool.uId)))
            SendMessageA(tips, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

INT_PTR CALLBACK AboutBoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

} // namespace

void ShowSettingsDialog() {
    PROPSHEETPAGEA descriptions[kPageCount];
    PROPSHEETPAGEA* slot = descriptions;
    for (const SettingsPage& page : kSettingsPages)
        slot = MakeSettingsPage(page.dialogId, page.procedure, slot);
    HPROPSHEETPAGE pages[kPageCount];
    UINT made = 0;
    for (PROPSHEETPAGEA& description : descriptions)
        if (HPROPSHEETPAGE page = CreatePropertySheetPageA(&description))
            pages[made++] = page;

    PROPSHEETHEADERA header = {};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_NOAPPLYNOW | PSH_USECALLBACK;
    header.hwndParent = app.mainWindow;
    header.hInstance = ProgramInstance();
    header.pszCaption = KORVID_NAME_AND_VERSION;
    header.nPages = made;
    header.nStartPage = 0;
    header.phpage = pages;
    header.pfnCallback = SheetCallback;
    sheetKeysHook = SetWindowsHookExA(WH_MSGFILTER, SheetKeysFilter, nullptr, GetCurrentThreadId());
    PropertySheetA(&header);
    if (sheetKeysHook != nullptr)
        UnhookWindowsHookEx(sheetKeysHook);
    sheetKeysHook = nullptr;
    openSheet = nullptr;
    DropToolsOfDestroyedControls();
    SaveSettings();
}

PROPSHEETPAGEA* MakeSettingsPage(int dialogId, DLGPROC procedure, PROPSHEETPAGEA* slot) {
    std::memset(slot, 0, sizeof *slot);
    slot->dwSize = PROPSHEETPAGEA_V2_SIZE;
    slot->dwFlags = 0;
    slot->hInstance = ProgramInstance();
    slot->pszTemplate = MAKEINTRESOURCEA(dialogId);
    slot->pfnDlgProc = procedure;
    slot->lParam = 0;
    return slot + 1;
}

void AddControlTooltip(HWND page, AppRecord* record, int controlId, const char* text) {
    HWND control = GetDlgItem(page, controlId);
    if (record == nullptr || record->toolTipWindow == nullptr || control == nullptr)
        return;
    TOOLINFOA tool = {};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = control;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.hinst = record->instance;
    tool.lpszText = const_cast<char*>(text);
    // Long tips wrap instead of running off the screen.
    HDC screen = GetDC(nullptr);
    int width = MulDiv(360, GetDeviceCaps(screen, LOGPIXELSX), 96);
    ReleaseDC(nullptr, screen);
    SendMessageA(record->toolTipWindow, TTM_SETMAXTIPWIDTH, 0, width);
    SendMessageA(record->toolTipWindow, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

void EnableControl(HWND page, int controlId, int flag) {
    if (HWND control = GetDlgItem(page, controlId))
        EnableWindow(control, flag != 0);
}

int ChooseFolder(HWND owner, char* buffer) {
    BROWSEINFOA request = {};
    request.hwndOwner = owner;
    request.pidlRoot = nullptr;
    request.pszDisplayName = nullptr;
    request.lpszTitle = "Choose Folder";
    request.ulFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN | BIF_EDITBOX;
    LPITEMIDLIST chosen = SHBrowseForFolderA(&request);
    if (chosen == nullptr)
        return 0;
    char path[MAX_PATH] = {};
    BOOL found = SHGetPathFromIDListA(chosen, path);
    CoTaskMemFree(chosen);
    if (!found)
        return 0;
    TextCopyBounded(path, buffer, kPathSize);
    return 1;
}

BOOL ChooseFile(HWND owner, char* buffer, int filter, HINSTANCE instance) {
    if (!FileIsReadable(buffer)) {
        char documents[MAX_PATH] = {};
        if (!SHGetSpecialFolderPathA(owner, documents, CSIDL_PERSONAL, FALSE))
            documents[0] = 0;
        TextCopyBounded(documents, buffer, kPathSize);
    }
    static const char kFilters[] = "Help Files\0*.hlp\0Executable Files\0*.exe\0All Files\0*.*\0";
    OPENFILENAMEA request = {};
    request.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    request.hwndOwner = owner;
    request.hInstance = instance;
    request.lpstrFilter = kFilters;
    request.nFilterIndex = static_cast<DWORD>(filter);
    request.lpstrFile = buffer;
    request.nMaxFile = kPathSize;
    request.lpstrTitle = KORVID_NAME_AND_VERSION;
    request.Flags =
        OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_EXPLORER | OFN_LONGNAMES;
    return GetOpenFileNameA(&request);
}

void ShowAboutBox(HWND owner) {
    DialogBoxParamA(ProgramInstance(), MAKEINTRESOURCEA(IDD_ABOUT), owner, AboutBoxProc, 0);
}

void SetCheck(HWND page, int id, int32_t flag) {
    CheckDlgButton(page, id, flag != 0 ? BST_CHECKED : BST_UNCHECKED);
}

int32_t CheckOf(HWND page, int id) { return IsDlgButtonChecked(page, id) == BST_CHECKED ? 1 : 0; }

void SetNumber(HWND page, int id, uint32_t value) {
    char text[24];
    UInt64ToDecimal(value, text);
    SetDlgItemTextA(page, id, text);
}

// The whole text of a control, however long.
static std::string TextOf(HWND page, int id) {
    HWND control = GetDlgItem(page, id);
    int length = control != nullptr ? GetWindowTextLengthA(control) : 0;
    std::string text(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
    if (control != nullptr)
        GetWindowTextA(control, &text[0], static_cast<int>(text.size()));
    return text;
}

uint32_t NumberOf(HWND page, int id) { return ReadTypedNumber(TextOf(page, id).c_str()); }

void ReadText(HWND page, int id, char* field, uint32_t size) {
    TextCopyBounded(TextOf(page, id).c_str(), field, size);
}

void FillList(HWND page, int id, const char* const* texts, int count) {
    for (int i = 0; i < count; ++i)
        SendDlgItemMessageA(page, id, CB_INSERTSTRING, static_cast<WPARAM>(i),
                            reinterpret_cast<LPARAM>(texts[i]));
}

void SelectIndex(HWND page, int id, int32_t index) {
    SendDlgItemMessageA(page, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int32_t SelectedIndex(HWND page, int id, int32_t kept) {
    LRESULT index = SendDlgItemMessageA(page, id, CB_GETCURSEL, 0, 0);
    return index == CB_ERR ? kept : static_cast<int32_t>(index);
}

UINT PageNotification(UINT message, LPARAM lParam) {
    if (message != WM_NOTIFY || lParam == 0)
        return 0;
    return reinterpret_cast<const NMHDR*>(lParam)->code;
}

INT_PTR AnswerSheet(HWND page, LRESULT result) {
    SetWindowLongPtrA(page, DWLP_MSGRESULT, result);
    return TRUE;
}

INT_PTR AnswerPageProtocol(HWND page, LPARAM lParam, void (*load)(HWND), void (*store)(HWND)) {
    switch (PageNotification(WM_NOTIFY, lParam)) {
    case PSN_SETACTIVE:
        if (load != nullptr)
            load(page);
        return AnswerSheet(page, 0);
    case PSN_KILLACTIVE:
        store(page);
        return AnswerSheet(page, FALSE);
    default:
        return FALSE;
    }
}

int ChooseGroupFont(HWND owner, COLORREF textColour, PackedLogFont* font) {
    // A group's height is kept in pixels at 96 dpi, so a settings file
    // means the same size on every screen; the chooser measures in pixels
    // of this screen.
    LOGFONTA chosen;
    memcpy(&chosen, font, sizeof chosen);
    chosen.lfHeight = ScaleToDpi(chosen.lfHeight, SystemDpi());
    CHOOSEFONTA request = {};
    request.lStructSize = sizeof request;
    request.hwndOwner = owner;
    request.hInstance = appRecord != nullptr ? appRecord->instance : nullptr;
    request.lpLogFont = &chosen;
    request.rgbColors = textColour;
    request.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT;
    if (!ChooseFontA(&request))
        return 0;
    chosen.lfHeight = ScaleFromDpi(chosen.lfHeight, SystemDpi());
    memcpy(font, &chosen, sizeof chosen);
    return 1;
}

COLORREF ChooseGroupColour(HWND owner, uint32_t* colour, HINSTANCE instance) {
    CHOOSECOLORA request = {};
    request.lStructSize = sizeof request;
    request.hwndOwner = owner;
    request.hInstance = reinterpret_cast<HWND>(instance);
    request.rgbResult = *colour;
    request.lpCustColors = reinterpret_cast<COLORREF*>(settings.CustomColours);
    request.Flags = CC_RGBINIT | CC_FULLOPEN;
    if (!ChooseColorA(&request))
        return 0xFF000000;
    *colour = request.rgbResult;
    return request.rgbResult;
}
