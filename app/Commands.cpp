#include "app/Commands.h"

#include "app/AppState.h"
#include "app/Bars.h"
#include "app/Editor.h"
#include "app/Startup.h"
#include "app/Tray.h"
#include "document/DocumentState.h"
#include "document/Lifecycle.h"
#include "document/Load.h"
#include "document/Notify.h"
#include "document/Save.h"
#include "resource.h"
#include "settings/SettingsDialog.h"
#include "settings/SettingsFile.h"
#include "tools/EditorText.h"
#include "tools/Tools.h"

#include <commctrl.h>

namespace {

void ChooseCurrentGroupFont(HWND window) {
    FontGroupFields group = CurrentFontGroupFields(settings);
    if (ChooseGroupFont(window, *group.textColour, group.font) == 0)
        return;
    ApplyFontGroup();
    SaveSettings();
}

// A cancelled chooser leaves the stored colour alone and writes nothing.
void ChooseCurrentGroupColour(HWND window, bool background) {
    FontGroupFields group = CurrentFontGroupFields(settings);
    uint32_t* colour = background ? group.backColour : group.textColour;
    if (ChooseGroupColour(window, colour, appRecord->instance) == 0xFF000000)
        return;
    ApplyFontGroup();
    SaveSettings();
}

// The new editor takes its wrapping from `wordWrap`; when it cannot be
// built the old one stays, and so do the setting, the menu's check and the
// button (which the click itself has toggled).
void ToggleWordWrap() {
    app.wordWrap = app.wordWrap ? 0 : 1;
    if (RebuildEditor())
        RelayoutMainWindow();
    else
        app.wordWrap = app.wordWrap ? 0 : 1;
    if (app.toolBar != nullptr)
        SendMessageA(app.toolBar, TB_CHECKBUTTON, IDM_WORD_WRAP, MAKELONG(app.wordWrap == 1, 0));
}

void SelectAll() {
    app.selectionSave = {0, -1};
    SendMessageA(app.editorWindow, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&app.selectionSave));
}

void OpenFind(int replace) {
    if (app.findState == 2)
        return;
    HWND dialog = OpenFindDialog(replace);
    if (dialog != nullptr)
        app.findDialog = dialog;
}

void ChooseFontGroup(int group) {
    settings.CurrentFontGroup = group;
    settings.DefaultFontGroup = group;
    SaveSettings();
    ApplyFontGroup();
}

void Exit(HWND window) {
    if (ConfirmDiscard() == 0)
        DestroyWindow(window);
}

void SendToEditor(UINT message) {
    if (app.editorWindow != nullptr)
        SendMessageA(app.editorWindow, message, 0, 0);
}

const CommandEntry kCommands[] = {
    {IDM_NEW, [](HWND, WORD) { NewDocument(); }},
    {IDM_OPEN, [](HWND w, WORD) { OpenDocumentDialog(w); }},
    {IDM_SAVE, [](HWND, WORD) { SaveDocument(); }},
    {IDM_CUT, [](HWND, WORD id) { CopyOrCut(id); }},
    {IDM_COPY, [](HWND, WORD id) { CopyOrCut(id); }},
    {IDM_PASTE, [](HWND, WORD) { PasteText(); }},
    {IDM_UNDO,
     [](HWND, WORD) {
         if (!UndoEditorSwap()) {
             // The control under Wine ends the process on an undo whose
             // last change is still open: it is closed first.
             SendToEditor(EM_STOPGROUPTYPING);
             SendToEditor(WM_UNDO);
         }
     }},
    {IDM_REDO, [](HWND, WORD) { SendToEditor(EM_REDO); }},
    {IDM_FIND, [](HWND, WORD) { OpenFind(0); }},
    {IDM_GOTO_LINE, [](HWND w, WORD) { GotoLine(w); }},
    {IDM_INSERT_TIME, [](HWND, WORD) { InsertTime(); }},
    {IDM_INSERT_TEXT,
     [](HWND w, WORD) {
         if (notify.modalBusy == 0)
             ShowInsertTextDialog(w);
     }},
    {IDM_INDENT, [](HWND, WORD) { ChangeIndent(1); }},
    {IDM_OUTDENT, [](HWND, WORD) { ChangeIndent(0); }},
    {IDM_RUN_A, [](HWND w, WORD id) { RunButton(w, id); }},
    {IDM_RUN_B, [](HWND w, WORD id) { RunButton(w, id); }},
    {IDM_RUN_C, [](HWND w, WORD id) { RunButton(w, id); }},
    {IDM_NEW_INSTANCE, [](HWND, WORD) { LaunchFromFolder("Korvid.exe"); }},
    {IDM_OPTIONS, [](HWND, WORD) { ShowSettingsDialog(); }},
    {IDM_ON_TOP, [](HWND, WORD) { ToggleOnTop(); }},
    {IDM_RICH_TEXT, [](HWND, WORD) { ToggleRichText(); }},
    {IDM_WORD_WRAP, [](HWND, WORD) { ToggleWordWrap(); }},
    {IDM_TO_TRAY, [](HWND, WORD) { HideToTray(); }},
    {IDM_README, [](HWND, WORD) { OpenReadMe(); }},
    {IDM_GOTO_MARK1, [](HWND, WORD id) { GotoBookmark(id - IDM_GOTO_MARK1); }},
    {IDM_GOTO_MARK2, [](HWND, WORD id) { GotoBookmark(id - IDM_GOTO_MARK1); }},
    {IDM_GOTO_MARK3, [](HWND, WORD id) { GotoBookmark(id - IDM_GOTO_MARK1); }},
    {IDM_GOTO_MARK4, [](HWND, WORD id) { GotoBookmark(id - IDM_GOTO_MARK1); }},
    {IDM_GOTO_MARK5, [](HWND, WORD id) { GotoBookmark(id - IDM_GOTO_MARK1); }},
    {IDM_STARTUP, [](HWND w, WORD) { CompleteStartup(w); }},
    {IDM_DELETE,
     [](HWND, WORD) {
         ClearSelection();
         UpdateStatusBar();
     }},
    {IDM_SAVE_AS,
     [](HWND, WORD) {
         doc.saveElsewhere = 1;
         SaveDocument();
     }},
    {IDM_EXIT, [](HWND w, WORD) { Exit(w); }},
    {IDM_SELECT_ALL, [](HWND, WORD) { SelectAll(); }},
    {IDM_REPLACE, [](HWND, WORD) { OpenFind(1); }},
    {IDM_FONT, [](HWND w, WORD) { ChooseCurrentGroupFont(w); }},
    {IDM_EXECUTE,
     [](HWND, WORD) {
         if (doc.hasFileName)
             ExecuteDocument();
     }},
    {IDM_RELOAD, [](HWND, WORD) { OpenDocument(); }},
    {IDM_REVERT, [](HWND, WORD) { RevertDocument(); }},
    {IDM_FILE_INFO,
     [](HWND w, WORD) {
         if (notify.modalBusy == 0 && doc.hasFileName == 1)
             ShowFileInfo(w);
     }},
    {IDM_PRINT, [](HWND, WORD) { PrintExternally(); }},
    {IDM_DEDOUBLE, [](HWND, WORD) { DeDouble(); }},
    {IDM_SCAN_MARKS, [](HWND, WORD) { ScanBookmarks(); }},
    {IDM_SET_MARK1, [](HWND, WORD id) { SetBookmark(id - IDM_SET_MARK1); }},
    {IDM_SET_MARK2, [](HWND, WORD id) { SetBookmark(id - IDM_SET_MARK1); }},
    {IDM_SET_MARK3, [](HWND, WORD id) { SetBookmark(id - IDM_SET_MARK1); }},
    {IDM_SET_MARK4, [](HWND, WORD id) { SetBookmark(id - IDM_SET_MARK1); }},
    {IDM_SET_MARK5, [](HWND, WORD id) { SetBookmark(id - IDM_SET_MARK1); }},
    {IDM_SET_DEF_SIZE, [](HWND, WORD) { StoreDefaultSize(); }},
    {IDM_BACKGROUND, [](HWND w, WORD) { ChooseCurrentGroupColour(w, true); }},
    {IDM_COLOUR, [](HWND w, WORD) { ChooseCurrentGroupColour(w, false); }},
    {IDM_LABELS, [](HWND w, WORD) { ShowLabelsWindow(w); }},
    {IDM_FONT_GROUP1, [](HWND, WORD id) { ChooseFontGroup(id - IDM_FONT_GROUP1); }},
    {IDM_FONT_GROUP2, [](HWND, WORD id) { ChooseFontGroup(id - IDM_FONT_GROUP1); }},
    {IDM_FONT_GROUP3, [](HWND, WORD id) { ChooseFontGroup(id - IDM_FONT_GROUP1); }},
};

} // namespace

const CommandEntry* CommandTable(int* count) {
    *count = static_cast<int>(sizeof kCommands / sizeof kCommands[0]);
    return kCommands;
}

const CommandEntry* FindCommand(WORD id) {
    for (const CommandEntry& entry : kCommands)
        if (entry.id == id)
            return &entry;
    return nullptr;
}

LRESULT DispatchCommand(HWND window, WPARAM wParam) {
    WORD id = LOWORD(wParam);
    if (const CommandEntry* entry = FindCommand(id)) {
        entry->run(window, id);
        return 0;
    }
    // The ids 41000 and 42000 themselves are no entry; entries past the end
    // of a list are ignored by the list handlers.
    if (id > IDM_RUN_FILE_BASE && id < IDM_INSERT_LIST_BASE)
        RunFileListEntry(id - IDM_RUN_FILE_BASE);
    else if (id > IDM_INSERT_LIST_BASE && id < IDM_INSERT_LIST_END)
        InsertListEntry(id - IDM_INSERT_LIST_BASE);
    return 0;
}
