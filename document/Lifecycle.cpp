#include "document/Lifecycle.h"

#include "app/AppState.h"
#include "app/Bars.h"
#include "app/Startup.h"
#include "document/Autosave.h"
#include "document/DocumentNames.h"
#include "document/DocumentState.h"
#include "document/Monitor.h"
#include "document/Notify.h"
#include "document/Recovery.h"
#include "document/Save.h"
#include "resource.h"
#include "settings/SettingsRecord.h"
#include "text/TextRoutines.h"
#include "tools/EditorText.h"
#include "tools/Tools.h"

#include <commctrl.h>
#include <richedit.h>

namespace {
void CheckToolbarButton(WORD id, bool checked) {
    if (app.toolBar != nullptr)
        SendMessageA(app.toolBar, TB_CHECKBUTTON, id, MAKELONG(checked, 0));
}
} // namespace

int ConfirmDiscard() {
    HWND e = app.editorWindow;
    if (e == nullptr || SendMessageA(e, EM_GETMODIFY, 0, 0) == 0)
        return 0;
    if (GetWindowTextLengthA(e) == 0 && settings.SaveEmptyFiles == 0)
        return 0;
    notify.mode = 1;
    notify.message = "File is not saved and changes will be lost";
    notify.caption1 = "Save file now";
    notify.caption2 = "Abort Close";
    static char third[kPathSize];
    TextCopy("Abandon changes", third);
    notify.caption3 = third;
    RunNotificationLayout(app.mainWindow, IDD_NOTIFY_THREE);
    switch (LastNotifyAnswer()) {
    case AnswerFirst:
        return SaveDocument();
    case AnswerThird:
        RemoveRecoveryCopy(); // the user let the changes go
        return 0;
    default:
        return 1; // "Abort Close", Escape, or no answer at all
    }
}

void NewDocument() {
    if (ConfirmDiscard() != 0)
        return;
    RemoveRecoveryCopy();
    DropUndoEditor();
    SetWindowTextA(app.editorWindow, "");
    doc.hasFileName = 0;
    // A new document is whole and writable, whatever the last file was.
    doc.partialLoaded = 0;
    doc.binaryContent = 0;
    doc.readOnly = 0;
    SendMessageA(app.editorWindow, EM_SETMODIFY, FALSE, 0);
    app.modifiedShown = 0;
    SetWindowTextA(app.mainWindow, "Untitled");
}

void OpenDocumentDialog(HWND owner) {
    if (ConfirmDiscard() != 0)
        return;
    char name[kPathSize];
    if (ChooseFileName(owner, name, 0, doc.richText ? 2 : 1) != 1)
        return;
    TextCopy(name, doc.fileName);
    OpenDocument();
}

void RevertDocument() {
    SendMessageA(app.editorWindow, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&app.selectionSave));
    doc.saveElsewhere = 1;
    int stop = ConfirmDiscard();
    doc.saveElsewhere = 0;
    if (stop != 0)
        return;
    OpenDocument();
}

void OpenDocument() {
    // The old watch ends first: it must not ask about a file while another
    // one is loading.
    StopFileMonitor();
    RemoveRecoveryCopy(); // the text it held is saved or given up
    doc.openingFile = 1;
    FormatChoice choice = ChooseFormatForFile(settings, doc.fileName);
    doc.richText = choice.richText;
    app.wordWrap = choice.wordWrap;
    settings.CurrentFontGroup = choice.fontGroup;
    doc.hasFileName = 1;

    RebuildEditor();

    doc.hasFileName = 1;
    SendMessageA(app.editorWindow, EM_SETMODIFY, FALSE, 0);
    app.modifiedShown = 0;
    ClearAutosaveHint();
    UpdateWindowTitle();
    CheckToolbarButton(IDM_RICH_TEXT, doc.richText == 1);
    CheckToolbarButton(IDM_WORD_WRAP, app.wordWrap == 1);
    if (settings.BookmarkMode != 0 &&
        doc.documentBytes <
            static_cast<uint64_t>(static_cast<uint32_t>(settings.BookmarkMaxFileSize)))
        ScanBookmarks();
    RestartFileMonitor();
    RelayoutMainWindow();
    doc.openingFile = 0;
}

void UpdateWindowTitle() {
    char title[kPathSize];
    if (settings.TitleFullPath)
        TextCopyBounded(doc.fileName, title, kPathSize);
    else
        FileNamePart(doc.fileName, title);
    SetWindowTextA(app.mainWindow, title);
}
