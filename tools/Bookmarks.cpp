#include "tools/Tools.h"

#include "app/AppState.h"
#include "app/Editor.h"
#include "settings/SettingsFile.h"
#include "text/TextRoutines.h"
#include "tools/EditorText.h"

#include <richedit.h>

int FindFirstInText(const char* text) {
    if (app.editorWindow == nullptr || text == nullptr || text[0] == 0)
        return 0;
    FINDTEXTEXA request = {{0, EditorTextLength(app.editorWindow)}, text, {0, 0}};
    LRESULT at =
        SendMessageA(app.editorWindow, EM_FINDTEXTEX, FR_DOWN, reinterpret_cast<LPARAM>(&request));
    return at < 0 ? 0 : static_cast<int>(at) + 1;
}

// The five marker words are looked for in one copy of the text, ignoring
// case as the control's own search does.
void ScanBookmarks() {
    if (app.editorWindow == nullptr)
        return;
    const TextFolding& folding = SystemFolding();
    std::u16string folded = FoldText(ReadEditorText(app.editorWindow), folding);
    char marker[sizeof settings.BookmarkMarker];
    TextCopyBounded(settings.BookmarkMarker, marker, sizeof marker);
    for (int i = 0; i < 5; ++i) {
        char word[sizeof marker + 8];
        TextCopy(marker, word);
        TextAppend(word, kBookmarkNames[i]);
        size_t at = FindFolded(folded, FoldText(WidenText(word), folding), 0);
        app.quickMarks[i] = at == std::u16string::npos ? 0 : static_cast<int>(at) + 1;
    }
    char report[kBookmarkReportSize];
    BookmarkReport(app.quickMarks, report);
    SetStatusPart(2, report);
}

void GotoBookmark(int index) {
    if (index < 0 || index > 4 || app.editorWindow == nullptr)
        return;
    if (settings.BookmarkMode == 2)
        ScanBookmarks();
    int mark = app.quickMarks[index];
    if (mark == 0)
        return;
    CHARRANGE range = {mark - 1, mark};
    SendMessageA(app.editorWindow, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    UpdateStatusBar();
}

void SetBookmark(int index) {
    if (index < 0 || index > 4 || app.editorWindow == nullptr)
        return;
    CHARRANGE range = {0, 0};
    SendMessageA(app.editorWindow, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    app.quickMarks[index] = range.cpMin + 1;
}
