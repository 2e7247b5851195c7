// The File Types page. Its controls are not filled in yet: until the file
// associations are edited here, the page only takes part in the sheet's
// protocol and writes nothing.
#include "settings/SettingsPages.h"

INT_PTR CALLBACK FileTypesPageProc(HWND page, UINT message, WPARAM, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_NOTIFY:
        switch (PageNotification(message, lParam)) {
        case PSN_SETACTIVE:
        case PSN_KILLACTIVE:
            return AnswerSheet(page, 0);
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}
