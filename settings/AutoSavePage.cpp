// The Auto Save page: whether, how, where and how often the open document
// is saved by the timer.
#include "resource.h"
#include "settings/PageRules.h"
#include "settings/SettingsPages.h"

#include <commctrl.h>

#include <initializer_list>

namespace {

constexpr int kAutoSaveDirectoryMode = 4;

const char* const kAutoSaveModes[] = {"Original", "Copy", "Hidden", "Remind", "Directory"};

const ControlTooltip kAutoSaveTooltips[] = {
    {IDC_AUTOSAVE_ENABLE, "Automatically save a copy of the open file"},
    {IDC_AUTOSAVE_MODE, "How you want the file Auto Saved"},
    {IDC_AUTOSAVE_FOLDER, "Where the files will be save to using Directory Auto Save"},
    {IDC_AUTOSAVE_MINUTES, "Time Between Saves"},
    {IDC_AUTOSAVE_NEW_FILES, "Try to Auto Save Files Before they are First Saved"},
    {IDC_AUTOSAVE_KEEP_TRYING, "Keep Trying to Save Later even if the Save Dialog is Cancelled"},
};

} // namespace

void UpdateAutoSavePageState(HWND page) {
    int enabled = settings.AutoSaveEnabled != 0;
    for (int id : {IDC_AUTOSAVE_NEW_FILES, IDC_AUTOSAVE_KEEP_TRYING, IDC_AUTOSAVE_MODE,
                   IDC_AUTOSAVE_MINUTES})
        EnableControl(page, id, enabled);
    int directory = enabled && settings.AutoSaveMode == kAutoSaveDirectoryMode;
    EnableControl(page, IDC_AUTOSAVE_CHOOSE, directory);
    EnableControl(page, IDC_AUTOSAVE_FOLDER, directory);
}

void LoadAutoSavePage(HWND page) {
    SetCheck(page, IDC_AUTOSAVE_NEW_FILES, settings.AutoSaveNewFiles);
    SetCheck(page, IDC_AUTOSAVE_KEEP_TRYING, settings.AutoSaveKeepTrying);
    SetCheck(page, IDC_AUTOSAVE_ENABLE, settings.AutoSaveEnabled);
    SetNumber(page, IDC_AUTOSAVE_MINUTES, static_cast<uint32_t>(settings.AutoSaveMinutes));
    SelectIndex(page, IDC_AUTOSAVE_MODE, settings.AutoSaveMode);
    SetDlgItemTextA(page, IDC_AUTOSAVE_FOLDER, settings.AutoSaveDirectory);
    UpdateAutoSavePageState(page);
}

void StoreAutoSavePage(HWND page) {
    settings.AutoSaveMode = SelectedIndex(page, IDC_AUTOSAVE_MODE, settings.AutoSaveMode);
    settings.AutoSaveNewFiles = CheckOf(page, IDC_AUTOSAVE_NEW_FILES);
    settings.AutoSaveKeepTrying = CheckOf(page, IDC_AUTOSAVE_KEEP_TRYING);
    settings.AutoSaveEnabled = CheckOf(page, IDC_AUTOSAVE_ENABLE);
    ReadText(page, IDC_AUTOSAVE_FOLDER, settings.AutoSaveDirectory);
    settings.AutoSaveMinutes =
        StoredAutoSaveMinutes(NumberOf(page, IDC_AUTOSAVE_MINUTES), settings.AutoSaveMinutes);
}

namespace {

void OnAutoSaveCommand(HWND page, int id, int code) {
    if (id != IDC_AUTOSAVE_MODE && code != BN_CLICKED)
        return;
    switch (id) {
    case IDC_AUTOSAVE_ENABLE:
        settings.AutoSaveEnabled = CheckOf(page, IDC_AUTOSAVE_ENABLE);
        UpdateAutoSavePageState(page);
        break;
    case IDC_AUTOSAVE_MODE:
        settings.AutoSaveMode = SelectedIndex(page, IDC_AUTOSAVE_MODE, settings.AutoSaveMode);
        UpdateAutoSavePageState(page);
        break;
    case IDC_AUTOSAVE_CHOOSE: {
        char folder[kPathSize];
        if (ChooseFolder(page, folder) == 1)
            SetDlgItemTextA(page, IDC_AUTOSAVE_FOLDER, folder);
        break;
    }
    default:
        break;
    }
}

} // namespace

INT_PTR CALLBACK AutoSavePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        AddControlTooltips(page, kAutoSaveTooltips);
        SendDlgItemMessageA(page, IDC_AUTOSAVE_MINUTES_SPIN, UDM_SETRANGE, 0, MAKELPARAM(255, 0));
        FillList(page, IDC_AUTOSAVE_MODE, kAutoSaveModes, 5);
        LoadAutoSavePage(page);
        return TRUE;
    case WM_COMMAND:
        OnAutoSaveCommand(page, LOWORD(wParam), HIWORD(wParam));
        return FALSE;
    case WM_NOTIFY:
        switch (PageNotification(message, lParam)) {
        case PSN_SETACTIVE:
            LoadAutoSavePage(page);
            return AnswerSheet(page, 0);
        case PSN_KILLACTIVE:
            StoreAutoSavePage(page);
            return AnswerSheet(page, FALSE);
        case PSN_RESET:
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}
