#include "tools/Tools.h"

// Insertion, indenting and the clipboard commands are filled in with the
// insert work.
void InsertTime() {}
void ShowInsertTextDialog(HWND) {}
void ChangeIndent(int) {}
void CopyOrCut(WORD) {}
void PasteText() {}
void DeDouble() {}
