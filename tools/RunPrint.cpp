#include "tools/Tools.h"

#include "app/AppState.h"
#include "app/Startup.h"
#include "document/DocumentNames.h"
#include "resource.h"
#include "settings/SettingsFile.h"
#include "document/DocumentState.h"
#include "document/Save.h"
#include "settings/SettingsRecord.h"
#include "text/TextRoutines.h"
#include "tools/RunInfoCore.h"

#include <richedit.h>
#include <shellapi.h>

void OpenReadMe() {
    char path[kPathSize];
    if (MakePath(app.programFolder, "ReadMe.htm", path))
        ShellExecuteA(nullptr, nullptr, path, nullptr, nullptr, SW_SHOWNORMAL);
}

void LaunchFromFolder(const char* name) {
    char path[kPathSize];
    if (MakePath(app.programFolder, name, path))
        ShellExecuteA(nullptr, nullptr, path, nullptr, nullptr, SW_SHOWNORMAL);
}

namespace {

// The selection's first size - 1 characters: a selection of any length
// fits the work buffers.
void SelectedText(char* text, int size) {
    text[0] = '\0';
    if (app.editorWindow == nullptr)
        return;
    CHARRANGE selection = {};
    SendMessageA(app.editorWindow, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    if (selection.cpMax <= selection.cpMin)
        return;
    TEXTRANGEA range = {};
    range.chrg.cpMin = selection.cpMin;
    range.chrg.cpMax =
        selection.cpMax - selection.cpMin < size - 1 ? selection.cpMax : selection.cpMin + size - 1;
    range.lpstrText = text;
    LRESULT got =
        SendMessageA(app.editorWindow, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range));
    text[got >= 0 && got < size ? got : 0] = '\0';
}

struct RunSetting {
    const char* program;
    const char* parameter;
    int32_t special;
};

RunSetting RunSettingFor(WORD id) {
    if (id == IDM_RUN_A)
        return {settings.RunFileA, settings.RunParamA, settings.RunSpecialA};
    if (id == IDM_RUN_B)
        return {settings.RunFileB, settings.RunParamB, settings.RunSpecialB};
    return {settings.RunFileC, settings.RunParamC, settings.RunSpecialC};
}

enum RunSpecial { RunNothing, RunFilename, RunFilenameNoExt, RunSelectedText, RunHelpOnSelected };

} // namespace

void RunButton(HWND owner, WORD id) {
    RunSetting setting = RunSettingFor(id);
    char program[kPathSize];
    char parameters[kPathSize];
    char folder[kPathSize] = "";
    TextCopyBounded(setting.program, program, sizeof program);
    TextCopyBounded(setting.parameter, parameters, sizeof parameters);

    char substitute[kPathSize];
    switch (setting.special) {
    case RunHelpOnSelected:
        // The help file is asked for the keyword; nothing is started.
        SelectedText(substitute, sizeof substitute);
        WinHelpA(owner, program, HELP_KEY, reinterpret_cast<ULONG_PTR>(substitute));
        return;
    case RunFilename:
    case RunFilenameNoExt:
        if (doc.hasFileName) {
            TextCopyBounded(doc.fileName, folder, sizeof folder);
            FolderOf(folder);
            FileNamePart(doc.fileName, substitute);
            if (setting.special == RunFilenameNoExt)
                StripExtension(substitute);
            ReplaceWildcard(program, sizeof program, "??", substitute);
            ReplaceWildcard(parameters, sizeof parameters, "??", substitute);
        }
        break;
    case RunSelectedText:
        SelectedText(substitute, sizeof substitute);
        if (substitute[0] != '\0') {
            ReplaceWildcard(program, sizeof program, "??", substitute);
            ReplaceWildcard(parameters, sizeof parameters, "??", substitute);
        }
        break;
    default:
        break;
    }
    ShellExecuteA(nullptr, nullptr, program, parameters, folder[0] != '\0' ? folder : nullptr,
                  SW_SHOWNORMAL);
}

void ExecuteDocument() {
    if (doc.hasFileName)
        ShellExecuteA(nullptr, nullptr, doc.fileName, nullptr, nullptr, SW_SHOWNORMAL);
}

void PrintExternally() {
    char copy[kPathSize];
    if (app.editorWindow == nullptr ||
        !MakePath(app.dataFolder, doc.richText ? "Korvid.rtf" : "Korvid.txt", copy))
        return;
    // A quiet save leaves the document's name and modified state alone; a
    // copy that could not be written is reported by the save and never
    // printed.
    doc.quietTransfer = 1;
    int failed = SaveDocumentFile(app.editorWindow, copy);
    doc.quietTransfer = 0;
    if (failed != 0)
        return;
    // The user's print switch goes before the quoted copy; the default
    // "/p " gives "/p "path"".
    char parameters[sizeof settings.PrintParameter + kPathSize + 2];
    TextCopyBounded(settings.PrintParameter, parameters, sizeof settings.PrintParameter);
    TextAppend(parameters, "\"");
    TextAppend(parameters, copy);
    TextAppend(parameters, "\"");
    ShellExecuteA(nullptr, nullptr, settings.PrintProgram, parameters, nullptr, SW_HIDE);
}
