// The life of the one document: new, open, reload, revert, close check.
#pragma once

#include <windows.h>

int ConfirmDiscard();
void OpenDocument();
void OpenDocumentDialog(HWND owner);
void NewDocument();
void RevertDocument();
void UpdateWindowTitle();
