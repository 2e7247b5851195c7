// The Run page: program, parameters, wildcard replacement and toolbar
// tooltip of the three programmable Run buttons.
#include "resource.h"
#include "settings/SettingsPages.h"

namespace {

// Programs and parameters hold at most 269 characters, descriptions 99.
constexpr uint32_t kRunTextSize = 270;
constexpr uint32_t kRunDescriptionSize = 100;
constexpr int kHelpOnSelected = 4;

const char* const kSpecialChoices[] = {"Nothing", "Filename", "Filename w/o Ext", "Selected Text",
                                       "Help on Selected"};

struct RunButtonFields {
    int fileId, paramId, specialId, descriptionId;
    char* file;
    char* param;
    int32_t* special;
    char* description;
};

RunButtonFields RunButton(int k) {
    const int paramIds[] = {IDC_RUN_PARAM_A, IDC_RUN_PARAM_B, IDC_RUN_PARAM_C};
    const int descriptionIds[] = {IDC_RUN_DESCRIPTION_A, IDC_RUN_DESCRIPTION_B,
                                  IDC_RUN_DESCRIPTION_C};
    char* files[] = {settings.RunFileA, settings.RunFileB, settings.RunFileC};
    char* params[] = {settings.RunParamA, settings.RunParamB, settings.RunParamC};
    int32_t* specials[] = {&settings.RunSpecialA, &settings.RunSpecialB, &settings.RunSpecialC};
    char* descriptions[] = {settings.RunDescriptionA, settings.RunDescriptionB,
                            settings.RunDescriptionC};
    return {IDC_RUN_FILE_A + k, paramIds[k], IDC_RUN_SPECIAL_A + k, descriptionIds[k],
            files[k],           params[k],   specials[k],           descriptions[k]};
}

void AddRunTooltips(HWND page, const RunButtonFields& button, int chooseId) {
    AddControlTooltip(page, appRecord, button.fileId, "Quick Run Filename (?? is wildcard)");
    AddControlTooltip(page, appRecord, chooseId, "Choose Quick Run File");
    AddControlTooltip(page, appRecord, button.paramId, "Quick Run Parameters (?? is wildcard)");
    AddControlTooltip(page, appRecord, button.specialId,
                      "Selects Replacement for wildcard '?\?' in FileName and Parameters");
    AddControlTooltip(page, appRecord, button.descriptionId,
                      "This Will Appear as the ToolBar ToolTip");
}

} // namespace

void StoreRunPage(HWND page) {
    for (int k = 0; k < 3; ++k) {
        RunButtonFields button = RunButton(k);
        ReadText(page, button.fileId, button.file, kRunTextSize);
        ReadText(page, button.paramId, button.param, kRunTextSize);
        ReadText(page, button.descriptionId, button.description, kRunDescriptionSize);
        *button.special = SelectedIndex(page, button.specialId, *button.special);
    }
}

// "Choose" of Run button k: the chooser starts on help files when the
// wildcard stands for help on the selection.
void RunPageCommand(HWND page, int id) {
    int k = id - IDC_RUN_CHOOSE_A;
    if (k < 0 || k > 2)
        return;
    RunButtonFields button = RunButton(k);
    int filter = SendDlgItemMessageA(page, button.specialId, CB_GETCURSEL, 0, 0) == kHelpOnSelected
                     ? kChooseHelpFiles
                     : kChooseExecutables;
    char path[kPathSize];
    ReadText(page, button.fileId, path);
    if (ChooseFile(page, path, filter, appRecord != nullptr ? appRecord->instance : nullptr))
        SetDlgItemTextA(page, button.fileId, path);
}

INT_PTR CALLBACK RunPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        for (int k = 0; k < 3; ++k) {
            RunButtonFields button = RunButton(k);
            FillList(page, button.specialId, kSpecialChoices, 5);
            SelectIndex(page, button.specialId, *button.special);
            SetDlgItemTextA(page, button.fileId, button.file);
            SetDlgItemTextA(page, button.paramId, button.param);
            SetDlgItemTextA(page, button.descriptionId, button.description);
            AddRunTooltips(page, button, IDC_RUN_CHOOSE_A + k);
        }
        return TRUE;
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED)
            RunPageCommand(page, LOWORD(wParam));
        return FALSE;
    case WM_NOTIFY:
        return AnswerPageProtocol(page, lParam, nullptr, StoreRunPage);
    default:
        return FALSE;
    }
}
