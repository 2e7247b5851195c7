#include "document/Autosave.h"

#include "app/AppState.h"
#include "app/Editor.h"
#include "document/DocumentNames.h"
#include "document/DocumentState.h"
#include "document/Notify.h"
#include "document/Recovery.h"
#include "document/Save.h"
#include "resource.h"
#include "settings/SettingsRecord.h"

AutosaveState autosave = {0, 0, 1};

namespace {

constexpr int kBackupNameSize = 1024;

// A copy is written by the document's own never-destroy save, quietly: the
// document keeps its name, its write time and its modified mark. A failed
// copy reports "Save Error" and leaves the previous copy as it was.
void SaveCopy(HWND editor, const char* path) {
    if (SaveDocumentFile(editor, path) == 0)
        SetStatusPart(2, "Auto Saved");
}

void SaveBackupCopy(HWND editor, int mode) {
    doc.quietTransfer = 1;
    char path[kBackupNameSize];
    if (BackupFileName(mode, doc.fileName, doc.hasFileName, app.dataFolder,
                       settings.AutoSaveDirectory, path, sizeof path))
        SaveCopy(editor, path);
    else
        SetStatusPart(3, "Save Error"); // a name too long for any file
    SendMessageA(editor, EM_SETMODIFY, TRUE, 0);
    doc.quietTransfer = 0;
}

// "Copy" for a document without a name offers the Save dialog, until the
// user has declined it once (unless told to keep offering).
void OfferFirstSave(HWND editor) {
    doc.quietTransfer = 1;
    if (settings.AutoSaveNewFiles != 0 && autosave.hintDeclined == 0) {
        SaveDocument();
        if (doc.hasFileName == 0 && settings.AutoSaveKeepTrying == 0)
            autosave.hintDeclined = 1;
    }
    SendMessageA(editor, EM_SETMODIFY, TRUE, 0);
    doc.quietTransfer = 0;
}

void Remind(HWND window) {
    ShowNotification(window, 0, "Save File", "OK", "Stop AutoSave reminder", nullptr,
                     settings.NotifySound, reinterpret_cast<LPARAM>(appRecord),
                     appRecord != nullptr ? appRecord->instance : nullptr);
    if (LastNotifyAnswer() == AnswerSecond)
        KillTimer(window, TIMER_AUTOSAVE);
}

void AutosaveTick(HWND window) {
    // A tick while any dialog of the program is open is skipped; the flag
    // also keeps a dialog of this tick from running a second tick inside it.
    if (notify.modalBusy != 0)
        return;
    notify.modalBusy = 1;
    HWND editor = app.editorWindow;
    if (editor != nullptr && SendMessageA(editor, EM_GETMODIFY, 0, 0) != 0) {
        switch (settings.AutoSaveMode) {
        case AutosaveOriginal:
            // A document that lacks part of its file is never written over
            // it, and a timer does not ask for another name: it is skipped.
            if (DocumentLacksItsFile())
                SetStatusPart(2, "Not Auto Saved");
            else
                SaveDocument();
            break;
        case AutosaveCopy:
            if (doc.hasFileName != 0)
                SaveBackupCopy(editor, AutosaveCopy);
            else
                OfferFirstSave(editor);
            break;
        case AutosaveHidden:
        case AutosaveDirectory:
            SaveBackupCopy(editor, settings.AutoSaveMode);
            break;
        case AutosaveRemind:
            Remind(window);
            break;
        default:
            break;
        }
    }
    // A question the file monitor opened meanwhile keeps the flag.
    notify.modalBusy = NotificationsOpen() ? 1 : 0;
}

void StatusExpiryTick() {
    if (settings.StatusBarEnabled == 0)
        return;
    if (autosave.statusKeepOnce != 0)
        autosave.statusKeepOnce = 0;
    else
        SetStatusPart(2, "");
}

} // namespace

void SetAutosaveTimer() {
    if (settings.AutoSaveEnabled == 1) {
        if (autosave.autosaveTimerSet != 0)
            return;
        SetTimer(app.mainWindow, TIMER_AUTOSAVE, AutosavePeriodMs(settings.AutoSaveMinutes),
                 nullptr);
        autosave.autosaveTimerSet = 1;
        return;
    }
    KillTimer(app.mainWindow, TIMER_AUTOSAVE);
    autosave.autosaveTimerSet = 0;
}

void OnMainTimer(HWND window, UINT_PTR timerId) {
    if (timerId == TIMER_AUTOSAVE)
        AutosaveTick(window);
    else if (timerId == TIMER_STATUS_MESSAGE)
        StatusExpiryTick();
    else
        OnRecoveryTimer(window, timerId);
}

void ClearAutosaveHint() { autosave.hintDeclined = 0; }
