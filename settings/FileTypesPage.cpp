// The File Types page: the action of each file type, the two custom types,
// the "Open with Korvid" verb for all files, and applying them at once.
#include "app/Editor.h"
#include "resource.h"
#include "settings/SettingsPages.h"
#include "shell/Associations.h"
#include "shell/AssociationsCore.h"
#include "text/TextRoutines.h"

namespace {

// Custom extensions and descriptions hold at most 269 characters.
constexpr uint32_t kCustomTextSize = 270;

const ControlTooltip kFileTypesTooltips[] = {
    {IDC_TYPES_TYPE, "File Type"},
    {IDC_TYPES_ACTION, "File Action"},
    {IDC_TYPES_CUSTOM1_EXT, "Custom File Extension"},
    {IDC_TYPES_CUSTOM1_NAME, "Custom File Description"},
    {IDC_TYPES_CUSTOM2_EXT, "Custom File Extension"},
    {IDC_TYPES_CUSTOM2_NAME, "Custom File Description"},
    {IDC_TYPES_OPEN_WITH_ALL, "Add 'Open with Korvid' in the context menu for all file types"},
    {IDC_TYPES_ALL, "Set All files to 'On + Use Icon'"},
    {IDC_TYPES_NONE, "Set All files to 'Off'"},
    {IDC_TYPES_NORM, "Set Korvid to handle recommended files"},
    {IDC_TYPES_SET, "Set File Types According to Chosen Settings"},
    {IDC_TYPES_AUTO, "Auto Set File Types each time Korvid Starts"},
};

int32_t SelectedType(HWND page) {
    int32_t row = SelectedIndex(page, IDC_TYPES_TYPE, 0);
    return row >= 0 && row < kAssocRows ? row : 0;
}

// The action combo shows the selected type's action.
void SyncActionCombo(HWND page) {
    SelectIndex(page, IDC_TYPES_ACTION, settings.AssocTypeStates[SelectedType(page)]);
}

void SetAllRows(HWND page, int32_t action, bool norm) {
    for (int i = 0; i < kAssocRows; ++i)
        settings.AssocTypeStates[i] = norm ? kAssocTypes[i].normAction : action;
    SyncActionCombo(page);
}

// Applies the associations and says in the status bar how it went.
void SetFileTypes(HWND page) {
    // What the page shows is what is applied: texts and check boxes typed
    // since the page was entered count too.
    StoreFileTypesPage(page);
    int failed = ApplyAssociations();
    char text[64];
    char number[12];
    IntToDecimal(failed, number);
    TextCopy("File types set, ", text);
    TextAppend(text, number);
    TextAppend(text, failed == 1 ? " key not written" : " keys not written");
    SetStatusPart(3, text);
}

} // namespace

void StoreFileTypesPage(HWND page) {
    settings.AssocOpenWithAll = CheckOf(page, IDC_TYPES_OPEN_WITH_ALL) == 1 ? 1 : 0;
    settings.AssocAutoRefresh = CheckOf(page, IDC_TYPES_AUTO) == 1 ? 1 : 0;
    ReadText(page, IDC_TYPES_CUSTOM1_EXT, settings.AssocCustom1Ext, kCustomTextSize);
    ReadText(page, IDC_TYPES_CUSTOM1_NAME, settings.AssocCustom1Name, kCustomTextSize);
    ReadText(page, IDC_TYPES_CUSTOM2_EXT, settings.AssocCustom2Ext, kCustomTextSize);
    ReadText(page, IDC_TYPES_CUSTOM2_NAME, settings.AssocCustom2Name, kCustomTextSize);
}

INT_PTR CALLBACK FileTypesPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        SetCheck(page, IDC_TYPES_OPEN_WITH_ALL, settings.AssocOpenWithAll);
        const char* types[kAssocRows];
        for (int i = 0; i < kAssocRows; ++i)
            types[i] = kAssocTypes[i].caption;
        FillList(page, IDC_TYPES_TYPE, types, kAssocRows);
        FillList(page, IDC_TYPES_ACTION, kAssocActionCaptions, kAssocActions);
        SelectIndex(page, IDC_TYPES_TYPE, 0);
        SelectIndex(page, IDC_TYPES_ACTION, 0);
        SetDlgItemTextA(page, IDC_TYPES_CUSTOM1_EXT, settings.AssocCustom1Ext);
        SetDlgItemTextA(page, IDC_TYPES_CUSTOM1_NAME, settings.AssocCustom1Name);
        SetDlgItemTextA(page, IDC_TYPES_CUSTOM2_EXT, settings.AssocCustom2Ext);
        SetDlgItemTextA(page, IDC_TYPES_CUSTOM2_NAME, settings.AssocCustom2Name);
        for (int id : {IDC_TYPES_CUSTOM1_EXT, IDC_TYPES_CUSTOM1_NAME, IDC_TYPES_CUSTOM2_EXT,
                       IDC_TYPES_CUSTOM2_NAME})
            SendDlgItemMessageA(page, id, EM_LIMITTEXT, kCustomTextSize - 1, 0);
        SetCheck(page, IDC_TYPES_AUTO, settings.AssocAutoRefresh);
        AddControlTooltips(page, kFileTypesTooltips);
        SyncActionCombo(page);
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_TYPES_TYPE:
            SyncActionCombo(page);
            break;
        case IDC_TYPES_ACTION: {
            // The choice is stored the moment it is made.
            int32_t action = SelectedIndex(page, IDC_TYPES_ACTION, -1);
            if (action >= 0 && action < kAssocActions)
                settings.AssocTypeStates[SelectedType(page)] = action;
            break;
        }
        case IDC_TYPES_ALL:
            SetAllRows(page, ASSOC_ON_ICON, false);
            break;
        case IDC_TYPES_NONE:
            SetAllRows(page, ASSOC_OFF_RESTORE, false);
            break;
        case IDC_TYPES_NORM:
            SetAllRows(page, 0, true);
            break;
        case IDC_TYPES_SET:
            if (HIWORD(wParam) == BN_CLICKED)
                SetFileTypes(page);
            break;
        default:
            break;
        }
        return FALSE;
    case WM_NOTIFY:
        return AnswerPageProtocol(page, lParam, nullptr, StoreFileTypesPage);
    default:
        return FALSE;
    }
}
