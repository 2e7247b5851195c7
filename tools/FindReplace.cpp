#include "tools/Tools.h"

#include "app/AppState.h"
#include "app/Editor.h"
#include "document/DocumentState.h"
#include "document/MemoryGuard.h"
#include "document/Notify.h"
#include "resource.h"
#include "text/TextRoutines.h"
#include "tools/EditorText.h"

#include <commdlg.h>
#include <richedit.h>

#include <cstring>

char findWhat[kPathSize];
char replaceWith[kPathSize];

namespace {

// The one record the Find and Replace dialogs share with the program; its
// address tells their notifications apart from anything else.
FINDREPLACEA findRecord;
UINT findMessage;
// The flags of the search under way and the length of its text.
DWORD searchFlags;
LONG findLength;

void ApplyFindOptions() {
    searchFlags |= findRecord.Flags & (FR_MATCHCASE | FR_WHOLEWORD);
    // In characters: a double-byte code page spends two bytes on some.
    findLength = static_cast<LONG>(WidenText(findWhat).size());
}

// One search of the control for `findWhat`; -1 when nothing is found. An
// empty text finds nothing.
LONG Search(LONG from, LONG to) {
    if (findWhat[0] == 0 || app.editorWindow == nullptr)
        return -1;
    FINDTEXTEXA request = {{from, to}, findWhat, {0, 0}};
    return static_cast<LONG>(SendMessageA(app.editorWindow, EM_FINDTEXTEX, searchFlags,
                                          reinterpret_cast<LPARAM>(&request)));
}

void SelectMatch(LONG at) {
    CHARRANGE range = {at, at + findLength};
    SendMessageA(app.editorWindow, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    UpdateStatusBar();
}

CHARRANGE CurrentSelection() {
    CHARRANGE range = {0, 0};
    SendMessageA(app.editorWindow, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    return range;
}

// Find Next from the dialog, in its direction. The wrap question of the
// dialog's searches has no owner, so it does not sit on the Find dialog.
void FindNext(bool down) {
    searchFlags = SearchFlagsFor(0, down);
    ApplyFindOptions();
    CHARRANGE selection = CurrentSelection();
    LONG length = EditorTextLength(app.editorWindow);
    LONG at = down ? Search(selection.cpMin + 1, length) : Search(selection.cpMin, 0);
    if (at < 0) {
        notify.mode = NOTIFY_ASK;
        notify.message = "No instances found.";
        notify.caption1 = down ? "Start again at top" : "Start again from end";
        notify.caption2 = "Cancel";
        notify.caption3 = nullptr;
        RunNotificationLayout(nullptr, IDD_NOTIFY_TWO);
        if (LastNotifyAnswer() != AnswerFirst)
            return;
        at = down ? Search(0, length) : Search(length, 0);
    }
    if (at >= 0)
        SelectMatch(at);
}

// Replace: the selection is replaced when it reads as the search text,
// whatever the letter case, then the next match is looked for.
void ReplaceOnce() {
    HWND editor = app.editorWindow;
    // Compared as UTF-16: the selection may take more bytes than the search
    // text's buffer holds.
    std::u16string wanted = WidenText(findWhat);
    std::u16string selected = ReadSelectedText(editor, wanted.size());
    auto lower = [](std::u16string text) {
        for (char16_t& c : text)
            if (c >= u'A' && c <= u'Z')
                c = static_cast<char16_t>(c + 32);
        return text;
    };
    if (!wanted.empty() && selected.size() == wanted.size() && lower(selected) == lower(wanted))
        SendMessageA(editor, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(replaceWith));
    FindNextDown();
}

// Rich Text keeps each replacement's formatting, so it is replaced through
// the control one match at a time.
void ReplaceAllStepwise() {
    HWND editor = app.editorWindow;
    SendMessageA(editor, WM_SETREDRAW, FALSE, 0);
    LONG from = 0;
    for (;;) {
        LONG at = Search(from, -1);
        if (at < 0)
            break;
        SelectMatch(at);
        SendMessageA(editor, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(replaceWith));
        from = CurrentSelection().cpMax;
    }
    SendMessageA(editor, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(editor, nullptr, TRUE);
}

// Replace All from the top, however far down the caret is. Plain text is
// worked out on one copy of the text and goes back as one step.
void ReplaceAll() {
    searchFlags = FR_DOWN;
    ApplyFindOptions();
    if (findWhat[0] == 0 || app.editorWindow == nullptr)
        return;
    // The work is done on copies of the text (about eight bytes a
    // character all told), and what it adds is weighed before the editor
    // gets it.
    uint64_t copies = static_cast<uint64_t>(EditorTextLength(app.editorWindow)) * 8;
    if (!GrowthAllowed(copies))
        return;
    std::u16string text = ReadEditorText(app.editorWindow);
    TextEdit edit = ReplaceAllText(text, WidenText(findWhat), WidenText(replaceWith),
                                   (searchFlags & FR_MATCHCASE) != 0,
                                   (searchFlags & FR_WHOLEWORD) != 0, SystemFolding());
    if (doc.richText) {
        if (edit.hits != 0 && EditFitsInMemory(edit, false))
            ReplaceAllStepwise();
    } else {
        ApplyTextEdit(text, edit);
    }
    UpdateStatusBar();
}

} // namespace

HWND OpenFindDialog(int replace) {
    if (app.findState == 2 || app.editorWindow == nullptr)
        return nullptr;
    if (findMessage == 0)
        findMessage = RegisterWindowMessageA(FINDMSGSTRINGA);
    int selected = SelectionLength(app.editorWindow);
    // A selection of 1 to 198 characters is proposed; a longer one leaves
    // the previous search text.
    if (selected > 1 && selected < 200)
        SendMessageA(app.editorWindow, EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(findWhat));
    std::memset(&findRecord, 0, sizeof findRecord);
    findRecord.lStructSize = sizeof findRecord;
    findRecord.hwndOwner = app.mainWindow;
    findRecord.hInstance = appRecord != nullptr ? appRecord->instance : GetModuleHandleA(nullptr);
    findRecord.Flags = FR_DOWN;
    findRecord.lpstrFindWhat = findWhat;
    findRecord.wFindWhatLen = sizeof findWhat;
    HWND dialog;
    if (replace) {
        findRecord.lpstrReplaceWith = replaceWith;
        findRecord.wReplaceWithLen = sizeof replaceWith;
        dialog = ReplaceTextA(&findRecord);
    } else {
        dialog = FindTextA(&findRecord);
    }
    app.findState = dialog != nullptr ? 2 : (app.findState == 0 ? 0 : 1);
    return dialog;
}

bool IsFindMessage(UINT message, LPARAM lParam) {
    return findMessage != 0 && message == findMessage &&
           reinterpret_cast<FINDREPLACEA*>(lParam) == &findRecord;
}

void OnFindMessage() {
    if (app.editorWindow == nullptr)
        return;
    DWORD flags = findRecord.Flags;
    if (flags & FR_FINDNEXT) {
        FindNext((flags & FR_DOWN) != 0);
    } else if (flags & FR_REPLACE) {
        ReplaceOnce();
    } else if (flags & FR_REPLACEALL) {
        ReplaceAll();
    } else if (flags & FR_DIALOGTERM) {
        app.findState = 1;
        app.findDialog = nullptr;
    }
}

void FindNextDown() {
    if (app.editorWindow == nullptr)
        return;
    searchFlags = FR_DOWN;
    ApplyFindOptions();
    LONG length = EditorTextLength(app.editorWindow);
    LONG at = Search(CurrentSelection().cpMin + 1, length);
    if (at < 0) {
        ShowNotification(app.mainWindow, NOTIFY_ASK, "No instances found.", "Start again at top",
                         "Cancel", nullptr, 0, reinterpret_cast<LPARAM>(appRecord),
                         appRecord != nullptr ? appRecord->instance : nullptr);
        if (LastNotifyAnswer() != AnswerFirst)
            return;
        at = Search(0, length);
    }
    if (at >= 0)
        SelectMatch(at);
}

void GotoLine(HWND owner) {
    char answer[kNotifyInputSize] = {};
    notify.mode = NOTIFY_INPUT + NOTIFY_SMALL_TEXT;
    notify.message = "Enter the line number.";
    notify.caption1 = "Goto";
    notify.caption2 = "Cancel";
    notify.caption3 = answer;
    RunNotificationLayout(owner, IDD_NOTIFY_INPUT);
    if (LastNotifyAnswer() != AnswerFirst || app.editorWindow == nullptr)
        return;
    int32_t line = DecimalToInt(answer) - 1;
    LRESULT index = SendMessageA(app.editorWindow, EM_LINEINDEX, static_cast<WPARAM>(line), 0);
    SendMessageA(app.editorWindow, EM_SETSEL, static_cast<WPARAM>(index),
                 static_cast<LPARAM>(index + 1));
    UpdateStatusBar();
}
