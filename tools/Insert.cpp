#include "tools/Tools.h"

#include "app/AppState.h"
#include "app/Editor.h"
#include "document/DocumentState.h"
#include "document/MemoryGuard.h"
#include "document/Notify.h"
#include "resource.h"
#include "settings/SettingsFile.h"
#include "text/TextRoutines.h"
#include "tools/EditorText.h"

#include <richedit.h>

#include <cstring>
#include <string>

namespace {

constexpr int kInsertTextCount = 5;
constexpr int kInsertTextSize = 300;

char* StoredText(int k) {
    char* const texts[kInsertTextCount] = {settings.InsertTextA, settings.InsertTextB,
                                           settings.InsertTextC, settings.InsertTextD,
                                           settings.InsertTextE};
    return texts[k];
}

void ReplaceSelection(const char* text) {
    auto put = [text](HWND editor) {
        SendMessageA(editor, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text));
    };
    if (!ReplaceLargeSelection(WidenText(text), put))
        put(app.editorWindow);
    UpdateStatusBar();
}

void CloseInsertDialog(HWND dialog, LONG answer) {
    notify.answer = answer;
    notify.modalBusy = 0;
    EndDialog(dialog, answer);
}

INT_PTR CALLBACK InsertTextDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        notify.modalBusy = 1;
        notify.answer = 0;
        for (int k = 0; k < kInsertTextCount; ++k) {
            SendDlgItemMessageA(dialog, IDC_INSERT_EDIT_A + k, EM_LIMITTEXT, kInsertTextSize - 1,
                                0);
            SetDlgItemTextA(dialog, IDC_INSERT_EDIT_A + k, StoredText(k));
        }
        return TRUE;
    case WM_COMMAND: {
        int id = LOWORD(wParam);
        if (id == IDOK) {
            for (int k = 0; k < kInsertTextCount; ++k)
                GetDlgItemTextA(dialog, IDC_INSERT_EDIT_A + k, StoredText(k), kInsertTextSize);
            SaveSettings();
            CloseInsertDialog(dialog, 1);
        } else if (id == IDCANCEL) {
            SaveSettings();
            CloseInsertDialog(dialog, 2);
        } else if (id == IDC_INSERT_HELP) {
            OpenReadMe();
        } else if (id >= IDC_INSERT_PASTE_A && id <= IDC_INSERT_PASTE_E) {
            // What was typed in the dialog is dropped: the stored text goes in.
            CloseInsertDialog(dialog, id);
        } else {
            return FALSE;
        }
        return TRUE;
    }
    default:
        return FALSE;
    }
}

// Plain text for the clipboard: the selection with CR LF breaks, in both
// text formats so that no character of a UTF-16 document is lost.
bool CopyPlainSelection() {
    HWND editor = app.editorWindow;
    CHARRANGE range = {0, 0};
    SendMessageA(editor, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    if (range.cpMax <= range.cpMin)
        return false;
    size_t room = static_cast<size_t>(range.cpMax - range.cpMin) * 2 + 1;
    std::u16string text(room, u'\0');
    GETTEXTEX request = {static_cast<DWORD>(room * sizeof(char16_t)), GT_SELECTION | GT_USECRLF,
                         1200, nullptr, nullptr};
    LRESULT n = SendMessageA(editor, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&request),
                             reinterpret_cast<LPARAM>(&text[0]));
    text.resize(n > 0 && static_cast<size_t>(n) < room ? static_cast<size_t>(n) : 0);

    const WCHAR* wide = reinterpret_cast<const WCHAR*>(text.c_str());
    int ansiSize = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    HGLOBAL unicodeMemory =
        GlobalAlloc(GMEM_DDESHARE | GMEM_MOVEABLE, (text.size() + 1) * sizeof(char16_t));
    HGLOBAL ansiMemory =
        ansiSize > 0 ? GlobalAlloc(GMEM_DDESHARE | GMEM_MOVEABLE, static_cast<SIZE_T>(ansiSize))
                     : nullptr;
    if (unicodeMemory == nullptr || ansiMemory == nullptr) {
        // The clipboard stays as it was.
        if (unicodeMemory)
            GlobalFree(unicodeMemory);
        if (ansiMemory)
            GlobalFree(ansiMemory);
        return false;
    }
    std::memcpy(GlobalLock(unicodeMemory), text.c_str(), (text.size() + 1) * sizeof(char16_t));
    GlobalUnlock(unicodeMemory);
    WideCharToMultiByte(CP_ACP, 0, wide, -1, static_cast<char*>(GlobalLock(ansiMemory)), ansiSize,
                        nullptr, nullptr);
    GlobalUnlock(ansiMemory);
    // The clipboard is opened by the main window: opened without an owner,
    // the system refuses the data after EmptyClipboard.
    if (!OpenClipboard(app.mainWindow)) {
        GlobalFree(unicodeMemory);
        GlobalFree(ansiMemory);
        return false;
    }
    EmptyClipboard();
    bool done = SetClipboardData(CF_UNICODETEXT, unicodeMemory) != nullptr;
    if (!done)
        GlobalFree(unicodeMemory);
    if (SetClipboardData(CF_TEXT, ansiMemory) == nullptr)
        GlobalFree(ansiMemory);
    else
        done = true;
    CloseClipboard();
    return done;
}

// The clipboard's text, characters only; false when it holds none.
bool ClipboardText(std::u16string* text) {
    if (!OpenClipboard(app.mainWindow))
        return false;
    bool found = false;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (auto* chars = static_cast<const char16_t*>(GlobalLock(data))) {
            size_t most = GlobalSize(data) / sizeof(char16_t);
            size_t n = 0;
            while (n < most && chars[n] != 0)
                ++n;
            text->assign(chars, n);
            found = true;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return found;
}

} // namespace

void InsertTime() {
    if (app.editorWindow == nullptr)
        return;
    SYSTEMTIME now;
    GetLocalTime(&now);
    TimeFormatPlan plan = PlanInsertTime(settings.InsertTimeMode);
    char text[kPathSize] = {};
    char part[kPathSize / 2];
    if (plan.withTime) {
        if (GetTimeFormatA(LOCALE_USER_DEFAULT, plan.timePicture ? 0 : plan.timeFlags, &now,
                           plan.timePicture ? settings.InsertTimeFormat : nullptr, part,
                           sizeof part) == 0)
            part[0] = 0;
        TextCopy(part, text);
        TextAppend(text, " ");
    }
    if (GetDateFormatA(LOCALE_USER_DEFAULT, plan.datePicture ? 0 : plan.dateFlags, &now,
                       plan.datePicture ? settings.InsertDateFormat : nullptr, part,
                       sizeof part) == 0)
        part[0] = 0;
    TextAppend(text, part);
    ReplaceSelection(text);
}

void ShowInsertTextDialog(HWND owner) {
    HINSTANCE instance = appRecord != nullptr ? appRecord->instance : GetModuleHandleA(nullptr);
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_INSERT_TEXT), owner, InsertTextDialogProc,
                    reinterpret_cast<LPARAM>(appRecord));
    notify.modalBusy = 0;
    LONG answer = notify.answer;
    if (answer < IDC_INSERT_PASTE_A || answer > IDC_INSERT_PASTE_E || !app.editorWindow)
        return;
    const char* text = StoredText(answer - IDC_INSERT_PASTE_A);
    std::u16string wide = WidenText(text);
    if (TextGrowthAllowed(app.editorWindow, wide.c_str(), wide.size()))
        ReplaceSelection(text);
}

void ChangeIndent(int increase) {
    HWND editor = app.editorWindow;
    if (editor == nullptr)
        return;
    PARAFORMAT2 format;
    std::memset(&format, 0, sizeof format);
    format.cbSize = sizeof format;
    static_assert(sizeof(PARAFORMAT2) == 188, "PARAFORMAT2 record");
    SendMessageA(editor, EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&format));
    if (format.dwMask & PFM_STARTINDENT) {
        // Every selected paragraph has this indent.
        PARAFORMAT2 change;
        std::memset(&change, 0, sizeof change);
        change.cbSize = sizeof change;
        change.dwMask = PFM_STARTINDENT;
        change.dxStartIndent = IndentAfterStep(format.dxStartIndent, increase != 0);
        if (change.dxStartIndent != format.dxStartIndent)
            SendMessageA(editor, EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&change));
        return;
    }
    // Paragraphs of different indents each move by one step.
    CHARRANGE selection = {0, 0};
    SendMessageA(editor, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    std::u16string text = ReadEditorText(editor);
    SendMessageA(editor, WM_SETREDRAW, FALSE, 0);
    for (LONG at = selection.cpMin; at < selection.cpMax && at <= static_cast<LONG>(text.size());
         ++at) {
        if (at != selection.cpMin && text[static_cast<size_t>(at) - 1] != u'\r')
            continue;
        CHARRANGE caret = {at, at};
        SendMessageA(editor, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&caret));
        PARAFORMAT2 one;
        std::memset(&one, 0, sizeof one);
        one.cbSize = sizeof one;
        SendMessageA(editor, EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&one));
        LONG moved = IndentAfterStep(one.dxStartIndent, increase != 0);
        if (moved == one.dxStartIndent)
            continue;
        one.dwMask = PFM_STARTINDENT;
        one.dxStartIndent = moved;
        SendMessageA(editor, EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&one));
    }
    SendMessageA(editor, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    SendMessageA(editor, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(editor, nullptr, TRUE);
}

void CopyOrCut(WORD id) {
    HWND editor = app.editorWindow;
    if (editor == nullptr)
        return;
    bool copied;
    if (doc.richText || settings.PureTextPaste == 0) {
        SendMessageA(editor, WM_COPY, 0, 0);
        copied = true;
    } else {
        copied = CopyPlainSelection();
    }
    // A cut deletes only what reached the clipboard.
    if (id == IDM_CUT && copied) {
        ClearSelection();
        UpdateStatusBar();
    }
}

void PasteText() {
    HWND editor = app.editorWindow;
    if (editor == nullptr)
        return;
    // The clipboard's text is weighed before it goes in: the control ends
    // the process when it runs out of memory.
    std::u16string text;
    bool hasText = ClipboardText(&text);
    if (hasText && !TextGrowthAllowed(editor, text.c_str(), text.size()))
        return;
    // Over a large selection the paste goes into a fresh editor, if there
    // is something to paste.
    if (doc.richText || settings.PureTextPaste == 0) {
        auto paste = [](HWND target) { SendMessageA(target, WM_PASTE, 0, 0); };
        if (SendMessageA(editor, EM_CANPASTE, 0, 0) == 0 || !ReplaceLargeSelection(text, paste))
            paste(editor);
    } else if (hasText && SendMessageA(editor, EM_CANPASTE, 0, 0) != 0) {
        auto put = [&text](HWND target) { ReplaceSelectionText(target, text.c_str()); };
        if (!ReplaceLargeSelection(text, put))
            put(editor);
    }
    UpdateStatusBar();
}

void DeDouble() {
    HWND editor = app.editorWindow;
    if (editor == nullptr)
        return;
    int selected = SelectionLength(editor);
    if (selected < 2 || selected >= 200)
        return;
    // The piece is read as UTF-16 and bounded by its bytes in the code page:
    // a double-byte page takes up to two bytes a character.
    std::u16string piece = ReadSelectedText(editor, kDeDoublePieceBytes);
    char doubled[kPathSize];
    if (piece.empty() || !DoubledSearchText(NarrowText(piece), doubled, sizeof doubled))
        return;
    TextCopy(doubled, findWhat);
    CHARRANGE selection = {0, 0};
    SendMessageA(editor, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));

    if (doc.richText) {
        // Through the control, keeping formats. Nothing before a replacement
        // can hold the doubled text, so the search goes on just before it.
        const std::u16string twice = piece + piece;
        const LONG pieceLength = static_cast<LONG>(piece.size());
        LONG from = 0;
        SendMessageA(editor, WM_SETREDRAW, FALSE, 0);
        for (;;) {
            FINDTEXTEXW request = {{from, -1}, reinterpret_cast<LPCWSTR>(twice.c_str()), {0, 0}};
            LONG at = static_cast<LONG>(
                SendMessageW(editor, EM_FINDTEXTEXW, FR_DOWN, reinterpret_cast<LPARAM>(&request)));
            if (at < 0)
                break;
            CHARRANGE match = {at, at + 2 * pieceLength};
            SendMessageA(editor, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&match));
            ReplaceSelectionText(editor, piece.c_str());
            from = at + 1 > 2 * pieceLength ? at + 1 - 2 * pieceLength : 0;
        }
        SendMessageA(editor, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(editor, nullptr, TRUE);
    } else {
        std::u16string text = ReadEditorText(editor);
        if (static_cast<size_t>(selection.cpMax) > text.size())
            return;
        ApplyTextEdit(text, DeDoubleText(text, piece, SystemFolding()));
    }
    UpdateStatusBar();
}
