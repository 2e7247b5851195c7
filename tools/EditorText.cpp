#include "tools/EditorText.h"

#include "app/AppState.h"
#include "app/Bars.h"
#include "app/Editor.h"
#include "document/MemoryBudget.h"
#include "document/DocumentState.h"
#include "document/MemoryGuard.h"
#include "resource.h"

#include <richedit.h>

#include <cstring>
#include <string>

namespace {

// The id the kept editor carries while hidden, so that it is never taken
// for the editor.
constexpr int kKeptEditorId = IDC_EDITOR + 1;

char16_t upperTable[65536];
bool upperReady = false;

char16_t SystemUpper(char16_t c) { return upperTable[c]; }

// Whole words end where the control's own search says, so that Replace All
// on a copy of the text agrees with Find Next. A hidden control of the
// editor's class is asked once per character: the character, then "ab",
// searched for "ab" as a whole word. Found right after it, the character
// ends no word.
unsigned char wordTable[65536]; // 0 not asked yet, 1 word, 2 no word
HWND wordProbe;

bool SystemWordChar(char16_t c) {
    unsigned char& known = wordTable[c];
    if (known != 0)
        return known == 1;
    if (wordProbe == nullptr)
        wordProbe = CreateWindowExA(0, "RichEdit20a", nullptr, WS_POPUP | ES_MULTILINE, 0, 0, 0, 0,
                                    nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    LRESULT at = -2;
    if (wordProbe != nullptr && c != 0) {
        const WCHAR text[] = {static_cast<WCHAR>(c), L'a', L'b', 0};
        SETTEXTEX set = {ST_DEFAULT, 1200};
        SendMessageW(wordProbe, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&set),
                     reinterpret_cast<LPARAM>(text));
        FINDTEXTEXW find = {{0, -1}, L"ab", {0, 0}};
        at = SendMessageW(wordProbe, EM_FINDTEXTEXW, FR_DOWN | FR_WHOLEWORD,
                          reinterpret_cast<LPARAM>(&find));
    }
    // A character the control did not keep as one is judged by the system.
    bool word = at == 1 ? false : at == -1 ? true : IsCharAlphaNumericW(static_cast<WCHAR>(c)) != 0;
    known = word ? 1 : 2;
    return word;
}

const TextFolding kSystemFolding = {SystemUpper, SystemWordChar};

struct MemoryStream {
    const char* bytes;
    size_t size;
    size_t done;
};

DWORD CALLBACK StreamFromMemory(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* got) {
    auto* stream = reinterpret_cast<MemoryStream*>(cookie);
    size_t n = stream->size - stream->done;
    if (n > static_cast<size_t>(wanted))
        n = static_cast<size_t>(wanted) & ~static_cast<size_t>(1);
    std::memcpy(buffer, stream->bytes + stream->done, n);
    stream->done += n;
    *got = static_cast<LONG>(n);
    return 0;
}

// A fresh editor of the same kind takes the editor's place; the old one is
// kept, hidden, for the undo. False when none could be made.
bool StartFreshEditor() {
    DropUndoEditor();
    HWND old = app.editorWindow;
    CreateEditor(app.mainWindow);
    if (app.editorWindow == nullptr) {
        app.editorWindow = old;
        return false;
    }
    SetWindowLongPtrA(old, GWLP_ID, kKeptEditorId);
    ShowWindow(old, SW_HIDE);
    app.undoEditor = old;
    RelayoutMainWindow();
    ApplyFontGroup();
    return true;
}

void StreamInto(HWND editor, UINT format, const void* bytes, size_t size) {
    if (size == 0)
        return;
    MemoryStream stream = {static_cast<const char*>(bytes), size, 0};
    EDITSTREAM request = {reinterpret_cast<DWORD_PTR>(&stream), 0, StreamFromMemory};
    SendMessageA(editor, EM_STREAMIN, format, reinterpret_cast<LPARAM>(&request));
}

DWORD CALLBACK StreamToString(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* done) {
    reinterpret_cast<std::string*>(cookie)->append(reinterpret_cast<const char*>(buffer),
                                                   static_cast<size_t>(size));
    *done = size;
    return 0;
}

// Rich Text of a part of the editor's text (the control ends it with a NUL).
std::string RichTextOf(HWND editor, LONG from, LONG to) {
    std::string rtf;
    if (to <= from)
        return rtf;
    CHARRANGE range = {from, to};
    SendMessageA(editor, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    EDITSTREAM request = {reinterpret_cast<DWORD_PTR>(&rtf), 0, StreamToString};
    SendMessageA(editor, EM_STREAMOUT, SF_RTF | SFF_SELECTION, reinterpret_cast<LPARAM>(&request));
    while (!rtf.empty() && rtf.back() == '\0')
        rtf.pop_back();
    return rtf;
}

// The text goes into a new editor of the same kind; the old one is kept,
// hidden, for the undo.
void SwapInEditor(const TextEdit& edit) {
    if (!StartFreshEditor())
        return;
    StreamInto(app.editorWindow, SF_TEXT | SF_UNICODE, edit.text.data(),
               edit.text.size() * sizeof(char16_t));
    SendMessageA(app.editorWindow, EM_SETMODIFY, TRUE, 0);
}

} // namespace

bool EditFitsInMemory(const TextEdit& edit, bool wholeText) {
    // A fresh editor holds the whole new text while the old one is kept;
    // in place only the inserted text is new.
    size_t from = wholeText ? 0 : edit.changeStart;
    size_t to = wholeText ? edit.text.size() : edit.newChangeEnd;
    TextCostMeter meter(EditorWraps(app.editorWindow), true);
    if (to > from && to <= edit.text.size())
        meter.Feed(reinterpret_cast<const uint8_t*>(edit.text.data() + from),
                   (to - from) * sizeof(char16_t));
    return GrowthAllowed(meter.Cost());
}

const TextFolding& SystemFolding() {
    if (!upperReady) {
        for (size_t i = 0; i < 65536; ++i)
            upperTable[i] = static_cast<char16_t>(i);
        CharUpperBuffW(reinterpret_cast<LPWSTR>(upperTable), 65536);
        upperReady = true;
    }
    return kSystemFolding;
}

LONG EditorTextLength(HWND editor) {
    GETTEXTLENGTHEX request = {GTL_NUMCHARS | GTL_PRECISE, 1200};
    LRESULT n = SendMessageA(editor, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&request), 0);
    return n > 0 ? static_cast<LONG>(n) : 0;
}

std::u16string ReadEditorText(HWND editor) {
    LONG n = EditorTextLength(editor);
    std::u16string text(static_cast<size_t>(n) + 1, u'\0');
    GETTEXTEX request = {static_cast<DWORD>((n + 1) * sizeof(char16_t)), GT_DEFAULT, 1200, nullptr,
                         nullptr};
    LRESULT got = SendMessageA(editor, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&request),
                               reinterpret_cast<LPARAM>(&text[0]));
    text.resize(got > 0 && got <= n ? static_cast<size_t>(got) : 0);
    return text;
}

std::u16string ReadSelectedText(HWND editor, size_t most) {
    CHARRANGE range = {0, 0};
    SendMessageA(editor, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    if (range.cpMax < range.cpMin || static_cast<size_t>(range.cpMax - range.cpMin) > most)
        return std::u16string();
    size_t n = static_cast<size_t>(range.cpMax - range.cpMin);
    std::u16string text(n + 1, u'\0');
    GETTEXTEX request = {static_cast<DWORD>((n + 1) * sizeof(char16_t)), GT_SELECTION, 1200,
                         nullptr, nullptr};
    LRESULT got = SendMessageA(editor, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&request),
                               reinterpret_cast<LPARAM>(&text[0]));
    text.resize(got > 0 && static_cast<size_t>(got) <= n ? static_cast<size_t>(got) : 0);
    return text;
}

std::string NarrowText(const std::u16string& text) {
    if (text.empty())
        return std::string();
    const WCHAR* wide = reinterpret_cast<const WCHAR*>(text.data());
    int size = static_cast<int>(text.size());
    int n = WideCharToMultiByte(CP_ACP, 0, wide, size, nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return std::string();
    std::string narrow(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide, size, &narrow[0], n, nullptr, nullptr);
    return narrow;
}

std::u16string WidenText(const char* text) {
    int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (n <= 1)
        return std::u16string();
    std::u16string wide(static_cast<size_t>(n), u'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, reinterpret_cast<LPWSTR>(&wide[0]), n);
    wide.resize(static_cast<size_t>(n) - 1);
    return wide;
}

void ReplaceSelectionText(HWND editor, const char16_t* text) {
    SETTEXTEX request = {ST_SELECTION | ST_KEEPUNDO, 1200};
    SendMessageA(editor, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&request),
                 reinterpret_cast<LPARAM>(text));
}

void ApplyTextEdit(const std::u16string& oldText, const TextEdit& edit) {
    HWND editor = app.editorWindow;
    if (edit.hits == 0 || editor == nullptr)
        return;
    size_t breaks = 0;
    for (size_t i = edit.changeStart; i < edit.oldChangeEnd && i < oldText.size(); ++i)
        breaks += oldText[i] == u'\r';
    if (!EditFitsInMemory(edit, breaks > kInPlaceBreaks))
        return;
    if (breaks > kInPlaceBreaks) {
        SwapInEditor(edit);
    } else {
        CHARRANGE span = {static_cast<LONG>(edit.changeStart),
                          static_cast<LONG>(edit.oldChangeEnd)};
        SendMessageA(editor, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&span));
        std::u16string inserted =
            edit.text.substr(edit.changeStart, edit.newChangeEnd - edit.changeStart);
        ReplaceSelectionText(editor, inserted.c_str());
    }
    CHARRANGE caret = {static_cast<LONG>(edit.caret), static_cast<LONG>(edit.caret)};
    SendMessageA(app.editorWindow, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&caret));
    SendMessageA(app.editorWindow, EM_SCROLLCARET, 0, 0);
}

bool UndoEditorSwap() {
    HWND kept = app.undoEditor;
    HWND current = app.editorWindow;
    if (kept == nullptr || current == nullptr || !IsWindow(kept) ||
        SendMessageA(current, EM_CANUNDO, 0, 0) != 0)
        return false;
    app.undoEditor = nullptr;
    SetWindowLongPtrA(kept, GWLP_ID, IDC_EDITOR);
    app.editorWindow = kept;
    DestroyWindow(current);
    ShowWindow(kept, SW_SHOW);
    RelayoutMainWindow();
    SetFocus(kept);
    SendMessageA(kept, EM_SETMODIFY, TRUE, 0);
    UpdateStatusBar();
    return true;
}

void DropUndoEditor() {
    if (app.undoEditor != nullptr && IsWindow(app.undoEditor))
        DestroyWindow(app.undoEditor);
    app.undoEditor = nullptr;
}

namespace {

// The selection as positions in `text`.
void SelectedSpan(HWND editor, const std::u16string& text, size_t* from, size_t* to) {
    CHARRANGE range = {0, 0};
    SendMessageA(editor, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    *to = range.cpMax < 0 ? text.size() : static_cast<size_t>(range.cpMax);
    *to = *to < text.size() ? *to : text.size();
    *from = static_cast<size_t>(range.cpMin < 0 ? 0 : range.cpMin);
    *from = *from < *to ? *from : *to;
}

// `text` is the editor's text.
void ReplaceInFreshEditor(std::u16string& text, const std::u16string& added,
                          const std::function<void(HWND)>& insert) {
    HWND old = app.editorWindow;
    CHARRANGE range = {0, 0};
    SendMessageA(old, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    size_t from = 0, to = 0;
    SelectedSpan(old, text, &from, &to);
    // The fresh editor holds the whole new text while the old one is kept.
    TextCostMeter meter(EditorWraps(old), true);
    meter.Feed(reinterpret_cast<const uint8_t*>(text.data()), from * sizeof(char16_t));
    meter.Feed(reinterpret_cast<const uint8_t*>(added.data()), added.size() * sizeof(char16_t));
    meter.Feed(reinterpret_cast<const uint8_t*>(text.data() + to),
               (text.size() - to) * sizeof(char16_t));
    if (!GrowthAllowed(meter.Cost()))
        return;
    LRESULT firstLine = SendMessageA(old, EM_GETFIRSTVISIBLELINE, 0, 0);
    std::string before, after;
    if (doc.richText) {
        // Formats come along as Rich Text.
        before = RichTextOf(old, 0, static_cast<LONG>(from));
        after = RichTextOf(old, static_cast<LONG>(to), static_cast<LONG>(text.size()));
        SendMessageA(old, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    }
    if (!StartFreshEditor())
        return;
    HWND editor = app.editorWindow;
    if (doc.richText) {
        StreamInto(editor, SF_RTF, before.data(), before.size());
        CHARRANGE end = {-1, -1};
        SendMessageA(editor, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&end));
        StreamInto(editor, SF_RTF | SFF_SELECTION, after.data(), after.size());
    } else {
        text.erase(from, to - from);
        StreamInto(editor, SF_TEXT | SF_UNICODE, text.data(), text.size() * sizeof(char16_t));
    }
    CHARRANGE caret = {static_cast<LONG>(from), static_cast<LONG>(from)};
    SendMessageA(editor, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&caret));
    if (insert)
        insert(editor);
    // The whole change is one step: the undo past it brings back the old editor.
    SendMessageA(editor, EM_EMPTYUNDOBUFFER, 0, 0);
    SendMessageA(editor, EM_SETMODIFY, TRUE, 0);
    SendMessageA(editor, EM_LINESCROLL, 0, firstLine);
    SendMessageA(editor, EM_SCROLLCARET, 0, 0);
}

} // namespace

void ReplaceSelectionInFreshEditor(const std::u16string& added,
                                   const std::function<void(HWND)>& insert) {
    std::u16string text = ReadEditorText(app.editorWindow);
    ReplaceInFreshEditor(text, added, insert);
}

bool ReplaceLargeSelection(const std::u16string& added, const std::function<void(HWND)>& insert) {
    HWND editor = app.editorWindow;
    if (editor == nullptr || (GetWindowLongA(editor, GWL_STYLE) & ES_READONLY) != 0)
        return false;
    // Cheap answers first: no more breaks than characters or lines.
    CHARRANGE range = {0, 0};
    SendMessageA(editor, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    if (range.cpMax - range.cpMin <= static_cast<LONG>(kInPlaceBreaks))
        return false;
    LRESULT first = SendMessageA(editor, EM_EXLINEFROMCHAR, 0, range.cpMin);
    LRESULT last = SendMessageA(editor, EM_EXLINEFROMCHAR, 0, range.cpMax);
    if (last - first <= static_cast<LRESULT>(kInPlaceBreaks))
        return false;
    std::u16string text = ReadEditorText(editor);
    size_t from = 0, to = 0, breaks = 0;
    SelectedSpan(editor, text, &from, &to);
    for (size_t i = from; i < to; ++i)
        breaks += text[i] == u'\r';
    if (breaks <= kInPlaceBreaks)
        return false;
    ReplaceInFreshEditor(text, added, insert);
    return true;
}

void ClearSelection() {
    if (app.editorWindow != nullptr && !ReplaceLargeSelection(std::u16string(), nullptr))
        SendMessageA(app.editorWindow, WM_CLEAR, 0, 0);
}
