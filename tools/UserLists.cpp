#include "tools/Tools.h"

#include "app/AppState.h"

#include <richedit.h>
#include <shellapi.h>

// Reading "KorvWord.txt" is filled in with the list work; until then both
// lists stay empty.
void LoadUserLists() {}

void RunFileListEntry(int entry) {
    LONG count = app.runFileCount;
    RunFileEntry* list = app.runFileList;
    if (entry < 1 || entry > count || list == nullptr)
        return;
    ShellExecuteA(nullptr, nullptr, list[entry - 1].target, nullptr, nullptr, SW_SHOWNORMAL);
}

void InsertListEntry(int entry) {
    LONG count = app.insertTextCount;
    InsertTextEntry* list = app.insertTextList;
    if (entry < 1 || entry > count || list == nullptr || app.editorWindow == nullptr)
        return;
    SendMessageA(app.editorWindow, EM_REPLACESEL, TRUE,
                 reinterpret_cast<LPARAM>(list[entry - 1].text));
}
