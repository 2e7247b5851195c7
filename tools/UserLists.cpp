#include "tools/Tools.h"

#include "app/AppState.h"
#include "app/Startup.h"
#include "tools/EditorText.h"
#include "tools/RunInfoCore.h"

#include <richedit.h>
#include <shellapi.h>

#include <cstring>
#include <new>

namespace {

// Both lists are one zero-filled block of records each, kept for the whole
// run. The count goes out after the records, so the context menu sees
// either no list or the complete one.
template <typename Entry>
void Publish(const std::vector<Entry>& records, int count, Entry* volatile& list,
             volatile LONG& published) {
    if (count == 0)
        return;
    Entry* block = new (std::nothrow) Entry[records.size()]();
    if (block == nullptr)
        return;
    memcpy(block, records.data(), records.size() * sizeof(Entry));
    list = block;
    MemoryBarrier();
    InterlockedExchange(&published, count);
}

} // namespace

void LoadUserLists() {
    char path[kPathSize];
    if (!MakePath(app.dataFolder, "KorvWord.txt", path))
        return;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        // First start with an installed sample: the user's own copy is made
        // in the data folder, where later starts read it.
        char sample[kPathSize];
        if (MakePath(app.programFolder, "KorvWord.txt", sample))
            CopyFileA(sample, path, TRUE);
        file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return;
    }
    UserListReader reader;
    unsigned char piece[4096];
    DWORD got = 0;
    while (ReadFile(file, piece, sizeof piece, &got, nullptr) && got > 0)
        reader.Feed(piece, got);
    CloseHandle(file);
    Publish(reader.runFiles, reader.runFileCount, app.runFileList, app.runFileCount);
    Publish(reader.insertTexts, reader.insertTextCount, app.insertTextList, app.insertTextCount);
}

void RunFileListEntry(int entry) {
    LONG count = app.runFileCount;
    RunFileEntry* list = app.runFileList;
    if (entry < 1 || entry > count || list == nullptr)
        return;
    // Shown normally: an entry that starts hidden looks broken to its user.
    ShellExecuteA(nullptr, nullptr, list[entry - 1].target, nullptr, nullptr, SW_SHOWNORMAL);
}

void InsertListEntry(int entry) {
    LONG count = app.insertTextCount;
    InsertTextEntry* list = app.insertTextList;
    if (entry < 1 || entry > count || list == nullptr || app.editorWindow == nullptr)
        return;
    const char* text = list[entry - 1].text;
    auto put = [text](HWND editor) {
        SendMessageA(editor, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text));
    };
    // A large selection goes through a fresh editor, as Insert Text's does.
    if (!ReplaceLargeSelection(WidenText(text), put))
        put(app.editorWindow);
}
