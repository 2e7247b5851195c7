// The Misc page: partial loading, external printing, the default folder,
// insert time formats and the many single switches; "Defaults" restores
// every default.
#include "document/Notify.h"
#include "resource.h"
#include "settings/PageRules.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsPages.h"
#include "tools/Tools.h"

namespace {

constexpr int kCustomTimeMode = 4;
// The time and date pictures keep at most 59 characters.
constexpr uint32_t kTimePictureSize = 60;

const char* const kPartialLoadModes[] = {"Off", "Optionally", "Auto"};
const char* const kInsertTimeModes[] = {"Short Date", "Long Date", "Time+SDate", "Time+LDate",
                                        "Custom"};

struct FlagBox {
    int id;
    int32_t SettingsRecord::*field;
};

// In the order they are stored.
const FlagBox kMiscFlags[] = {
    {IDC_MISC_URL_HIGHLIGHT, &SettingsRecord::UrlHighlight},
    {IDC_MISC_SHOW_ERRORS, &SettingsRecord::ShowFileErrors},
    {IDC_MISC_SAVE_EMPTY, &SettingsRecord::SaveEmptyFiles},
    {IDC_MISC_GUESS_NAME, &SettingsRecord::GuessFileName},
    {IDC_MISC_DE_OVR, &SettingsRecord::AutoOverwriteOff},
    {IDC_MISC_FULL_PATH, &SettingsRecord::TitleFullPath},
    {IDC_MISC_EXIT_SAVE, &SettingsRecord::ExitSave},
    {IDC_MISC_DEF_EXT, &SettingsRecord::DefaultExtension},
    {IDC_MISC_TRAY_MIN, &SettingsRecord::TrayMinimise},
    {IDC_MISC_AUDIO, &SettingsRecord::NotifySound},
    {IDC_MISC_PURE_TEXT, &SettingsRecord::PureTextPaste},
    {IDC_MISC_ESC_EXIT, &SettingsRecord::EscapeCloses},
};
const FlagBox kMiscLaterFlags[] = {
    {IDC_MISC_SIDE_SELECTION, &SettingsRecord::SelectionBar},
    {IDC_MISC_WORD_WRAP, &SettingsRecord::WordWrap},
    {IDC_MISC_STAY_ON_TOP, &SettingsRecord::StayOnTop},
    {IDC_MISC_MONITOR, &SettingsRecord::MonitorFile},
    {IDC_MISC_STATUS_BAR, &SettingsRecord::StatusBarEnabled},
    {IDC_MISC_OVR_SEL, &SettingsRecord::OverwriteSelection},
};

const ControlTooltip kMiscTooltips[] = {
    {IDC_MISC_PARTIAL_MODE, "Sets the Partial Load Mode"},
    {IDC_MISC_PARTIAL_SIZE, "What size the file must be for Partial Loading to be used. This also "
                            "selects how much is loaded"},
    {IDC_MISC_PRINT, "The program that Korvid will use to handle printing"},
    {IDC_MISC_CHOOSE_PRINT, "Select the print handler"},
    {IDC_MISC_SUFFIX, "What parameter is needed to make the selected program print rather that "
                      "display the file"},
    {IDC_MISC_FIND_WORDPAD, "Attempt to find WordPad"},
    {IDC_MISC_SIDE_SELECTION,
     "Selects if there is a space to the left of each line to allow the easy line selection"},
    {IDC_MISC_WORD_WRAP, "Formats the text to the width of the window"},
    {IDC_MISC_STAY_ON_TOP, "Make Korvid become the top-most window"},
    {IDC_MISC_STATUS_BAR, "Enables the status bar"},
    {IDC_MISC_URL_HIGHLIGHT, "Highlight web addresses"},
    {IDC_MISC_OVR_SEL, "Replaces selected text with typing instead of inserting"},
    {IDC_MISC_SAVE_EMPTY, "Save zero length files"},
    {IDC_MISC_SHOW_ERRORS, "Show a notification window when a file cannot be opened or saved"},
    {IDC_MISC_GUESS_NAME,
     "When saving new files use the first line of text as a possible file name"},
    {IDC_MISC_FULL_PATH, "Show the full path name in Title Bar"},
    {IDC_MISC_MONITOR, "Report if opened file is modified externally"},
    {IDC_MISC_EXIT_SAVE, "Save setting on Korvid exit in addition to when settings are changed. "
                         "(Not a good idea if you often have multiple windows open.)"},
    {IDC_MISC_DEF_EXT, "Auto attach either 'txt' or 'rtf' to files when saving"},
    {IDC_MISC_TRAY_MIN, "Minimise to tray"},
    {IDC_MISC_PURE_TEXT, "Strip formatting from pasted text when not in RTF mode"},
    {IDC_MISC_ESC_EXIT, "Close window when ESC is pressed"},
    {IDC_MISC_AUDIO, "Make the default sound whenever a notification is shown"},
    {IDC_MISC_DE_OVR, "Automatically turn off Overwrite"},
    {IDC_MISC_RECOVERY, "Keep a copy of unsaved text in the data folder, offered back if Korvid "
                        "ends without closing"},
    {IDC_MISC_DIRECTORY, "Directory where Korvid will look first to save and load files"},
    {IDC_MISC_CHOOSE_DIRECTORY, "Select Default Dir"},
    {IDC_MISC_TIME_MODE, "Format for the Insert Time function"},
    {IDC_MISC_TIME_FORMAT, "Custom time format for the Insert Time function"},
    {IDC_MISC_DATE_FORMAT, "Custom date format for the Insert Time function"},
};

HINSTANCE Instance() { return appRecord != nullptr ? appRecord->instance : nullptr; }

} // namespace

void UpdateMiscPageState(HWND page) {
    EnableControl(page, IDC_MISC_PARTIAL_SIZE, settings.PartialLoadMode != 0);
    int custom = settings.InsertTimeMode == kCustomTimeMode;
    EnableControl(page, IDC_MISC_TIME_FORMAT, custom);
    EnableControl(page, IDC_MISC_DATE_FORMAT, custom);
}

void LoadMiscPage(HWND page) {
    for (const FlagBox& box : kMiscFlags)
        SetCheck(page, box.id, settings.*box.field);
    for (const FlagBox& box : kMiscLaterFlags)
        SetCheck(page, box.id, settings.*box.field);
    SetCheck(page, IDC_MISC_RECOVERY, settings.NoRecoveryCopies == 0);
    SetDlgItemTextA(page, IDC_MISC_DIRECTORY, settings.DefaultDirectory);
    SetDlgItemTextA(page, IDC_MISC_PRINT, settings.PrintProgram);
    SetDlgItemTextA(page, IDC_MISC_SUFFIX, settings.PrintParameter);
    SetDlgItemTextA(page, IDC_MISC_TIME_FORMAT, settings.InsertTimeFormat);
    SetDlgItemTextA(page, IDC_MISC_DATE_FORMAT, settings.InsertDateFormat);
    SetNumber(page, IDC_MISC_PARTIAL_SIZE, static_cast<uint32_t>(settings.PartialLoadSize));
    SelectIndex(page, IDC_MISC_PARTIAL_MODE, settings.PartialLoadMode);
    SelectIndex(page, IDC_MISC_TIME_MODE, settings.InsertTimeMode);
    UpdateMiscPageState(page);
}

void StoreMiscPage(HWND page) {
    for (const FlagBox& box : kMiscFlags)
        settings.*box.field = CheckOf(page, box.id);
    ReadText(page, IDC_MISC_PRINT, settings.PrintProgram);
    ReadText(page, IDC_MISC_SUFFIX, settings.PrintParameter);
    ReadText(page, IDC_MISC_TIME_FORMAT, settings.InsertTimeFormat, kTimePictureSize);
    ReadText(page, IDC_MISC_DATE_FORMAT, settings.InsertDateFormat, kTimePictureSize);
    EndWithBlank(settings.PrintParameter, sizeof settings.PrintParameter);
    ReadText(page, IDC_MISC_DIRECTORY, settings.DefaultDirectory);
    for (const FlagBox& box : kMiscLaterFlags)
        settings.*box.field = CheckOf(page, box.id);
    settings.NoRecoveryCopies = CheckOf(page, IDC_MISC_RECOVERY) != 0 ? 0 : 1;
    settings.PartialLoadSize = NumberField(NumberOf(page, IDC_MISC_PARTIAL_SIZE));
}

namespace {

// Asked through the general notification layout: only its first answer
// restores the defaults. The question stands in the message and the two
// buttons say what they do, so no button is blank and none that reads
// "continue" cancels. The question is owned by the sheet, so the sheet gets
// the keyboard back when it closes.
void AskRestoreDefaults(HWND page) {
    ShowNotification(GetParent(page), NOTIFY_ASK,
                     "This will re-initialise all settings\r\n\r\nDo you want to continue?",
                     "Restore defaults", "Keep my settings", nullptr, settings.NotifySound,
                     reinterpret_cast<LPARAM>(appRecord), Instance());
    if (LastNotifyAnswer() != AnswerFirst)
        return;
    RestoreDefaultSettings();
    LoadMiscPage(page);
}

void OnMiscButton(HWND page, int id) {
    switch (id) {
    case IDC_MISC_CHOOSE_DIRECTORY: {
        char folder[kPathSize];
        if (ChooseFolder(page, folder) == 1)
            SetDlgItemTextA(page, IDC_MISC_DIRECTORY, folder);
        break;
    }
    case IDC_MISC_CHOOSE_PRINT: {
        char program[kPathSize];
        ReadText(page, IDC_MISC_PRINT, program);
        if (ChooseFile(page, program, kChooseExecutables, Instance()))
            SetDlgItemTextA(page, IDC_MISC_PRINT, program);
        break;
    }
    case IDC_MISC_FIND_WORDPAD:
        FindWordPad();
        SetDlgItemTextA(page, IDC_MISC_PRINT, settings.PrintProgram);
        SetDlgItemTextA(page, IDC_MISC_SUFFIX, settings.PrintParameter);
        break;
    case IDC_MISC_DEFAULTS:
        AskRestoreDefaults(page);
        break;
    case IDC_MISC_HELP:
        OpenReadMe();
        break;
    case IDC_MISC_ABOUT:
        ShowAboutBox(page);
        break;
    default:
        break;
    }
}

void OnMiscCommand(HWND page, int id, int code) {
    if (id == IDC_MISC_PARTIAL_MODE) {
        settings.PartialLoadMode = SelectedIndex(page, id, settings.PartialLoadMode);
        UpdateMiscPageState(page);
    } else if (id == IDC_MISC_TIME_MODE) {
        settings.InsertTimeMode = SelectedIndex(page, id, settings.InsertTimeMode);
        UpdateMiscPageState(page);
    } else if (code == BN_CLICKED) {
        OnMiscButton(page, id);
    }
}

} // namespace

INT_PTR CALLBACK MiscPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        FillList(page, IDC_MISC_PARTIAL_MODE, kPartialLoadModes, 3);
        FillList(page, IDC_MISC_TIME_MODE, kInsertTimeModes, 5);
        AddControlTooltips(page, kMiscTooltips);
        LoadMiscPage(page);
        return TRUE;
    case WM_COMMAND:
        OnMiscCommand(page, LOWORD(wParam), HIWORD(wParam));
        return FALSE;
    case WM_NOTIFY:
        return AnswerPageProtocol(page, lParam, LoadMiscPage, StoreMiscPage);
    default:
        return FALSE;
    }
}
