#include "document/Lifecycle.h"

#include "app/AppState.h"
#include "app/Bars.h"
#include "app/Startup.h"
#include "document/DocumentState.h"

// The close check, new, open, revert and the title are filled in with the
// document lifecycle work. Until then nothing stops a close.
int ConfirmDiscard() { return 0; }

void OpenDocument() {
    RebuildEditor();
    RelayoutMainWindow();
    doc.openingFile = 0;
}

void OpenDocumentDialog(HWND) {}
void NewDocument() {}
void RevertDocument() {}
void UpdateWindowTitle() { SetWindowTextA(app.mainWindow, doc.fileName); }
