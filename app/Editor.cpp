#include "app/Editor.h"

#include "app/AppState.h"
#include "app/ContextMenu.h"
#include "settings/SettingsRecord.h"
#include "text/TextRoutines.h"

#include <richedit.h>

namespace {

constexpr DWORD kEditorEvents =
    ENM_CHANGE | ENM_KEYEVENTS | ENM_MOUSEEVENTS | ENM_SELCHANGE | ENM_DROPFILES | ENM_LINK;
static_assert(kEditorEvents == 0x041B0001, "editor event mask");

struct FontGroupView {
    const PackedLogFont* font;
    uint32_t textColour;
    uint32_t backColour;
};

FontGroupView CurrentFontGroupView() {
    switch (settings.CurrentFontGroup) {
    case 0:
        return {&settings.FontGroup1Font, settings.FontGroup1TextColour,
                settings.FontGroup1BackColour};
    case 1:
        return {&settings.FontGroup2Font, settings.FontGroup2TextColour,
                settings.FontGroup2BackColour};
    default:
        return {&settings.FontGroup3Font, settings.FontGroup3TextColour,
                settings.FontGroup3BackColour};
    }
}

} // namespace

HWND CreateEditor(HWND parent) {
    DWORD style = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL |
                  ES_NOHIDESEL | ES_WANTRETURN | ES_SAVESEL;
    if (app.wordWrap == 0)
        style |= WS_HSCROLL | ES_AUTOHSCROLL;
    HWND editor = CreateWindowExA(WS_EX_CLIENTEDGE, "RichEdit20a", nullptr, style, 1, 50, 10, 10,
                                  parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(1000)),
                                  appRecord != nullptr ? appRecord->instance : nullptr, nullptr);
    app.editorWindow = editor;
    if (editor == nullptr)
        return nullptr;
    app.oldEditorProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(editor, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(EditorSubclassProc)));
    SendMessageA(editor, EM_SETEVENTMASK, 0, kEditorEvents);
    SendMessageA(editor, EM_EXLIMITTEXT, 0, static_cast<LPARAM>(0xFFFFFFFF));
    if (settings.SelectionBar == 1)
        SendMessageA(editor, EM_SETOPTIONS, ECOOP_OR, ECO_SELECTIONBAR);
    else
        SendMessageA(editor, EM_SETOPTIONS, ECOOP_AND, ~static_cast<LPARAM>(ECO_SELECTIONBAR));
    SendMessageA(editor, EM_AUTOURLDETECT, settings.UrlHighlight != 0 ? TRUE : FALSE, 0);
    SetFocus(editor);
    return editor;
}

LRESULT CALLBACK EditorSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    ShowScrollBar(window, SB_VERT, TRUE);
    switch (message) {
    case WM_RBUTTONUP:
        ShowContextMenu(window);
        break;
    case WM_LBUTTONUP:
        UpdateStatusBar();
        break;
    case WM_MOUSEWHEEL:
        if (ZoomFontByWheel(window, wParam) != 0)
            return 0;
        break;
    default:
        break;
    }
    return CallWindowProcA(app.oldEditorProc, window, message, wParam, lParam);
}

void ApplyFontGroup() {
    if (app.editorWindow == nullptr)
        return;
    FontGroupView group = CurrentFontGroupView();
    CHARFORMATA format = {};
    format.cbSize = sizeof format;
    format.dwMask = CFM_BOLD | CFM_ITALIC | CFM_SIZE | CFM_COLOR | CFM_FACE | CFM_CHARSET;
    static_assert((CFM_BOLD | CFM_ITALIC | CFM_SIZE | CFM_COLOR | CFM_FACE | CFM_CHARSET) ==
                      0xE8000003,
                  "font group mask");
    TextCopyBounded(group.font->lfFaceName, format.szFaceName, sizeof format.szFaceName);
    format.bPitchAndFamily = group.font->lfPitchAndFamily;
    format.bCharSet = group.font->lfCharSet;
    int32_t height = group.font->lfHeight;
    format.yHeight = (height < 0 ? -height : height) * 16;
    format.crTextColor = group.textColour;
    if (group.font->lfWeight > 500)
        format.dwEffects |= CFE_BOLD;
    if (group.font->lfItalic != 0)
        format.dwEffects |= CFE_ITALIC;
    LRESULT modified = SendMessageA(app.editorWindow, EM_GETMODIFY, 0, 0);
    SendMessageA(app.editorWindow, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
    SendMessageA(app.editorWindow, EM_SETBKGNDCOLOR, 0, group.backColour);
    SendMessageA(app.editorWindow, EM_SETMODIFY, modified, 0);
}

int SelectionLength(HWND editor) {
    CHARRANGE range = {0, 0};
    SendMessageA(editor, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    return range.cpMax == range.cpMin ? 0 : range.cpMax - range.cpMin + 1;
}

void CollapseSelection(HWND editor) {
    CHARRANGE range = {0, 0};
    SendMessageA(editor, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    range.cpMax = range.cpMin;
    SendMessageA(editor, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
}

// The key rules, the wheel zoom, the status texts and the link clicks are
// filled in with the editor's keyboard and status work.
int ZoomFontByWheel(HWND, WPARAM) { return 0; }
void UpdateStatusBar() {}
LRESULT OnEditorNotify(HWND, NMHDR*) { return 0; }
