#include "app/Editor.h"

#include "app/AppState.h"
#include "app/Bars.h"
#include "app/ContextMenu.h"
#include "app/Dpi.h"
#include "app/LinkRules.h"
#include "document/DocumentState.h"
#include "document/Notify.h"
#include "resource.h"
#include "settings/SettingsFile.h"
#include "text/TextRoutines.h"
#include "tools/EditorText.h"
#include "tools/Tools.h"

#include <commctrl.h>
#include <richedit.h>
#include <shellapi.h>

namespace {

constexpr DWORD kEditorEvents =
    ENM_CHANGE | ENM_KEYEVENTS | ENM_MOUSEEVENTS | ENM_SELCHANGE | ENM_DROPFILES | ENM_LINK;
static_assert(kEditorEvents == 0x041B0001, "editor event mask");

// The format the font group last put on the whole of this editor.
HWND formattedEditor;
CHARFORMATA formatted;

} // namespace

HWND CreateEditor(HWND parent) {
    DWORD style = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL |
                  ES_NOHIDESEL | ES_WANTRETURN | ES_SAVESEL;
    if (app.wordWrap == 0)
        style |= WS_HSCROLL | ES_AUTOHSCROLL;
    // Made in its place at its size: the control's first resize costs as
    // much as the rest of a small file's start.
    RECT place = {1, 50, 11, 60};
    if (parent == app.mainWindow && parent != nullptr)
        place = EditorPlace();
    HWND editor = CreateWindowExA(WS_EX_CLIENTEDGE, "RichEdit20a", nullptr, style, place.left,
                                  place.top, place.right - place.left, place.bottom - place.top,
                                  parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(1000)),
                                  appRecord != nullptr ? appRecord->instance : nullptr, nullptr);
    app.editorWindow = editor;
    formattedEditor = nullptr; // a new control may reuse an old handle
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
    if (parent == app.mainWindow && app.dpi > 0 && app.dpi != SystemDpi())
        ScaleEditor(editor);
    SetFocus(editor);
    return editor;
}

void ScaleEditor(HWND editor) {
    if (editor == nullptr)
        return;
    int dpi = MainWindowDpi();
    // 0 / 0 is no zoom at all.
    bool same = dpi == SystemDpi();
    SendMessageA(editor, EM_SETZOOM, same ? 0 : dpi, same ? 0 : SystemDpi());
}

namespace {

void PostCommand(WORD id) { PostMessageA(app.mainWindow, WM_COMMAND, id, 0); }

bool KeyHeld(int key) { return (GetKeyState(key) & 0x8000) != 0; }

// The Ctrl shortcuts. Returns true when the key is consumed.
bool RunShortcut(HWND editor, WPARAM key) {
    switch (key) {
    case 'S':
        PostCommand(IDM_SAVE);
        return true;
    case 'F':
        PostCommand(IDM_FIND);
        return true;
    case 'T':
        PostCommand(IDM_ON_TOP);
        return true;
    case 'G':
        PostCommand(IDM_GOTO_LINE);
        return true;
    case 'H':
        PostCommand(IDM_REPLACE);
        return true;
    case 'O':
        PostCommand(IDM_OPEN);
        return true;
    case 'N':
        PostCommand(IDM_NEW);
        return true;
    case 'V':
        if (settings.OverwriteSelection == 0)
            CollapseSelection(editor);
        PostCommand(IDM_PASTE);
        return true;
    case 'C':
        PostCommand(IDM_COPY);
        return true;
    case 'X':
        PostCommand(IDM_CUT);
        return true;
    case 'Z':
        // Past the last undo of an editor that a large edit put in place,
        // the undo brings back the editor from before it.
        if (app.undoEditor == nullptr || SendMessageA(editor, EM_CANUNDO, 0, 0) != 0) {
            // The control under Wine ends the process on an undo whose last
            // change is still open (as after a click on a link): it is
            // closed first.
            SendMessageA(editor, EM_STOPGROUPTYPING, 0, 0);
            return false;
        }
        PostCommand(IDM_UNDO);
        return true;
    case VK_SPACE:
        if (settings.OverwriteSelection == 0)
            CollapseSelection(editor);
        return false;
    default:
        return false;
    }
}

// A backspace on a selection only removes the selection: its key-down went
// on as key 0, so the character the key produced must not act either.
bool swallowBackspaceChar = false;

// Keys that insert a character (or act like typing) while "Ovr Sel" is off.
bool TypingKey(WPARAM key) {
    if (key == VK_DELETE || key == 0x7F)
        return false;
    return key == VK_BACK || key == VK_TAB || key == VK_RETURN || key == VK_SPACE ||
           (key >= 0x2B && key <= 0xFF);
}

LRESULT OnKeyDown(HWND editor, WPARAM key, LPARAM lParam) {
    if (app.ctrlDown == 1 && !KeyHeld(VK_CONTROL))
        app.ctrlDown = 0;
    if (key == VK_ESCAPE && settings.EscapeCloses != 0) {
        SendMessageA(app.mainWindow, WM_SYSCOMMAND, SC_CLOSE, 0);
        // The close destroys this editor unless the close check stopped it.
        if (!IsWindow(editor))
            return 0;
        return CallWindowProcA(app.oldEditorProc, editor, WM_KEYDOWN, key, lParam);
    }
    if (key == VK_MENU) {
        app.altDown = 1;
        return CallWindowProcA(app.oldEditorProc, editor, WM_KEYDOWN, key, lParam);
    }
    if (key == VK_CONTROL) {
        app.ctrlDown = 1;
        return CallWindowProcA(app.oldEditorProc, editor, WM_KEYDOWN, key, lParam);
    }
    if (key == VK_APPS) {
        ShowContextMenuAtCaret(editor);
        return 0;
    }
    if (app.ctrlDown == 1 && app.altDown == 0) {
        if (RunShortcut(editor, key))
            return 0;
        return CallWindowProcA(app.oldEditorProc, editor, WM_KEYDOWN, key, lParam);
    }
    if (settings.OverwriteSelection == 1)
        return CallWindowProcA(app.oldEditorProc, editor, WM_KEYDOWN, key, lParam);

    // "Ovr Sel" off: typing never replaces a selection. Decided here, after
    // the Ctrl state is in step with the keyboard: a Ctrl released inside a
    // dialog must not let the backspace's character through.
    if (key == VK_BACK && SelectionLength(editor) > 0) {
        CollapseSelection(editor);
        key = 0;
        swallowBackspaceChar = true;
    }
    if (app.altDown == 1 && !KeyHeld(VK_MENU))
        app.altDown = 0;
    if (TypingKey(key) && (app.ctrlDown == 0 || app.altDown == 1))
        CollapseSelection(editor);
    return CallWindowProcA(app.oldEditorProc, editor, WM_KEYDOWN, key, lParam);
}

void OnKeyUp(WPARAM key) {
    switch (key) {
    case VK_F1:
        OpenReadMe();
        break;
    case VK_F3:
        if (app.findState != 0)
            FindNextDown();
        else
            PostCommand(IDM_FIND);
        break;
    case VK_F5:
        PostCommand(IDM_INSERT_TIME);
        break;
    case VK_MENU:
        app.altDown = 0;
        break;
    case VK_CONTROL:
        if (app.ctrlDown == 1) {
            app.ctrlDown = 0;
            break;
        }
        UpdateStatusSoon();
        break;
    case VK_INSERT:
        // "ins" or "ovr" at once: "De Ovr" must press the key back before
        // the next character goes in.
        UpdateStatusBar();
        break;
    default:
        UpdateStatusSoon();
        break;
    }
}

// Delete, and Backspace and typing where they replace a selection, take a
// large selection away through a fresh editor (EditorText).
bool KeyClearsLargeSelection(WPARAM key) {
    if (KeyHeld(VK_CONTROL) || KeyHeld(VK_SHIFT) || KeyHeld(VK_MENU) ||
        (key != VK_DELETE && (key != VK_BACK || settings.OverwriteSelection == 0)))
        return false;
    return ReplaceLargeSelection(std::u16string(), nullptr);
}

bool CharReplacesLargeSelection(WPARAM c, LPARAM lParam) {
    if (settings.OverwriteSelection == 0 || c > 0xFF || c == 0x7F ||
        (c < 0x20 && c != '\r' && c != '\t'))
        return false;
    const char typed[2] = {static_cast<char>(c), 0};
    return ReplaceLargeSelection(
        WidenText(typed), [c, lParam](HWND editor) { SendMessageA(editor, WM_CHAR, c, lParam); });
}

} // namespace

LRESULT CALLBACK EditorSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    ShowScrollBar(window, SB_VERT, TRUE);
    switch (message) {
    case WM_KEYDOWN: {
        swallowBackspaceChar = false;
        // Shift+Delete and Shift+Insert are Cut and Paste, taken the way
        // Ctrl+X and Ctrl+V are (a large selection through a fresh editor).
        if ((wParam == VK_DELETE || wParam == VK_INSERT) && KeyHeld(VK_SHIFT) &&
            !KeyHeld(VK_CONTROL) && !KeyHeld(VK_MENU)) {
            if (wParam == VK_INSERT && settings.OverwriteSelection == 0)
                CollapseSelection(window);
            PostCommand(wParam == VK_DELETE ? IDM_CUT : IDM_PASTE);
            return 0;
        }
        if (KeyClearsLargeSelection(wParam)) {
            swallowBackspaceChar = wParam == VK_BACK;
            return 0;
        }
        return OnKeyDown(window, wParam, lParam);
    }
    case WM_CHAR:
        if (wParam == '\b' && swallowBackspaceChar) {
            swallowBackspaceChar = false;
            return 0;
        }
        swallowBackspaceChar = false;
        if (CharReplacesLargeSelection(wParam, lParam))
            return 0;
        break;
    case WM_SYSKEYDOWN:
        if (wParam == VK_F10 && KeyHeld(VK_SHIFT)) {
            ShowContextMenuAtCaret(window);
            return 0;
        }
        break;
    case WM_CONTEXTMENU:
        // The mouse's menu comes with the right-button release; only the
        // keyboard's request is answered here.
        if (lParam == -1)
            ShowContextMenuAtCaret(window);
        return 0;
    case WM_KEYUP:
        OnKeyUp(wParam);
        break;
    case WM_RBUTTONUP:
        ShowContextMenu(window);
        break;
    case WM_LBUTTONUP:
        UpdateStatusSoon();
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
    FontGroupFields group = CurrentFontGroupFields(settings);
    CHARFORMATA format;
    memset(&format, 0, sizeof format);
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
    format.crTextColor = *group.textColour;
    if (group.font->lfWeight > 500)
        format.dwEffects |= CFE_BOLD;
    if (group.font->lfItalic != 0)
        format.dwEffects |= CFE_ITALIC;
    // Formatting all of a large text costs several times its load. A plain
    // text whose control already got this very format before its text came
    // in (see RebuildEditor) holds nothing else, so that is not done again.
    bool current = formattedEditor == app.editorWindow && doc.richText == 0 &&
                   memcmp(&formatted, &format, sizeof format) == 0;
    formattedEditor = app.editorWindow;
    formatted = format;
    LRESULT modified = SendMessageA(app.editorWindow, EM_GETMODIFY, 0, 0);
    // Even the default format, set again unchanged, makes the control lay
    // out all of its text anew (a third of a 1 MB load).
    if (!current) {
        SendMessageA(app.editorWindow, EM_SETCHARFORMAT, SCF_DEFAULT,
                     reinterpret_cast<LPARAM>(&format));
        SendMessageA(app.editorWindow, EM_SETCHARFORMAT, SCF_ALL,
                     reinterpret_cast<LPARAM>(&format));
    }
    SendMessageA(app.editorWindow, EM_SETBKGNDCOLOR, 0, *group.backColour);
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

int WheelZoomStep(int delta) {
    if (delta >= 501)
        return 8;
    if (delta >= 120)
        return 4;
    if (delta <= -600)
        return -8;
    if (delta <= -120)
        return -4;
    return 0;
}

int ZoomFontByWheel(HWND, WPARAM wParam) {
    if (LOWORD(wParam) != MK_CONTROL)
        return 0;
    int step = WheelZoomStep(static_cast<short>(HIWORD(wParam)));
    // A delta too fine for a step changes nothing, but Ctrl+wheel still
    // never scrolls.
    if (step == 0)
        return 1;
    PackedLogFont* font = CurrentFontGroupFields(settings).font;
    if (font->lfHeight >= 0)
        font->lfHeight += step;
    else
        font->lfHeight -= step;
    ApplyFontGroup();
    SaveSettings();
    return 1;
}

void SetStatusPart(int part, const char* text) {
    if (app.statusBar != nullptr)
        SendMessageA(app.statusBar, SB_SETTEXTA, part, reinterpret_cast<LPARAM>(text));
}

namespace {

// Input has rested for this long: the user reads the status, not types.
constexpr UINT kStatusRestMs = 50;

void CALLBACK StatusRestTick(HWND window, UINT, UINT_PTR id, DWORD) {
    KillTimer(window, id);
    UpdateStatusBar();
}

} // namespace

// The caret's line and column cost the control time in proportion to the
// text before the caret (in a 10 MB document nearly as much again as the
// key itself), so keys, clicks and selection changes only put the update
// off; the timer's message comes once the queue is empty and no other
// event has put it off again, and the status is then current.
void UpdateStatusSoon() {
    if (settings.StatusBarEnabled != 1 || app.mainWindow == nullptr)
        return;
    SetTimer(app.mainWindow, TIMER_STATUS_POSITION, kStatusRestMs, StatusRestTick);
}

void UpdateStatusBar() {
    if (settings.StatusBarEnabled != 1 || app.editorWindow == nullptr)
        return;
    HWND e = app.editorWindow;
    int32_t lineStart = static_cast<int32_t>(SendMessageA(e, EM_LINEINDEX, -1, 0));
    int32_t line = static_cast<int32_t>(SendMessageA(e, EM_EXLINEFROMCHAR, 0, lineStart)) + 1;
    int32_t count = static_cast<int32_t>(SendMessageA(e, EM_GETLINECOUNT, 0, 0));
    DWORD selStart = 0, selEnd = 0;
    SendMessageA(e, EM_GETSEL, reinterpret_cast<WPARAM>(&selStart),
                 reinterpret_cast<LPARAM>(&selEnd));
    int32_t column = static_cast<int32_t>(selStart) - lineStart;
    // The caret line's length, asked by its first character: the control
    // under Wine answers 0 when asked with -1.
    int32_t length = static_cast<int32_t>(SendMessageA(e, EM_LINELENGTH, lineStart, 0));

    char text[100];
    char number[12];
    TextCopy("Ln ", text);
    IntToDecimal(line, number);
    TextAppend(text, number);
    TextAppend(text, " of ");
    IntToDecimal(count, number);
    TextAppend(text, number);
    TextAppend(text, ", Cm ");
    IntToDecimal(column, number);
    TextAppend(text, number);
    TextAppend(text, " of ");
    IntToDecimal(length, number);
    TextAppend(text, number);
    SetStatusPart(0, text);

    bool overwrite = (GetKeyState(VK_INSERT) & 1) != 0;
    if (!overwrite) {
        if (app.insertShown != 1) {
            SetStatusPart(1, "ins");
            app.insertShown = 1;
        }
    } else if (app.insertShown == 1) {
        if (settings.AutoOverwriteOff != 0) {
            keybd_event(VK_INSERT, 0, 0, 0);
            keybd_event(VK_INSERT, 0, KEYEVENTF_KEYUP, 0);
            SetStatusPart(2, "De Ovr!");
        } else {
            SetStatusPart(1, "ovr");
        }
        app.insertShown = 0;
    }

    if (app.modifiedShown == 0 && SendMessageA(e, EM_GETMODIFY, 0, 0) != 0) {
        app.modifiedShown = 1;
        if (TextLength(doc.statusText) + TextLength(", Modified") < sizeof doc.statusText)
            TextAppend(doc.statusText, ", Modified");
        SetStatusPart(3, doc.statusText);
    }
}

std::string EditorTextRange(HWND editor, CHARRANGE range) {
    if (range.cpMax <= range.cpMin)
        return std::string();
    std::string text(static_cast<std::size_t>(range.cpMax - range.cpMin) * 2 + 1, '\0');
    TEXTRANGEA request = {range, &text[0]};
    LRESULT n = SendMessageA(editor, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&request));
    text.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return text;
}

namespace {

// A link that could start a program is opened only when the user, having
// read all of it, says so; the default answer (Enter, Escape, the first
// focus) leaves it.
void OpenLink(const std::string& text) {
    LinkDecision link = ClassifyLink(text);
    if (link.kind == LinkKind::Refuse) {
        if (!text.empty())
            SetStatusPart(2, "Link not opened: too long or not readable");
        return;
    }
    if (link.kind == LinkKind::Ask) {
        std::string message = "This link is not a web or e-mail address. Opening it can start a "
                              "program on this computer:\r\n\r\n" +
                              link.target;
        char openIt[] = "Open this link";
        ShowNotification(app.mainWindow, NOTIFY_ASK + NOTIFY_SMALL_TEXT, message.c_str(),
                         "Do not open", nullptr, openIt, settings.NotifySound,
                         reinterpret_cast<LPARAM>(appRecord),
                         appRecord != nullptr ? appRecord->instance : nullptr);
        if (LastNotifyAnswer() != AnswerThird)
            return;
    }
    ShellExecuteA(nullptr, nullptr, link.target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

} // namespace

// The control does not act on a link click itself.
LRESULT OnEditorNotify(HWND, NMHDR* header) {
    if (header->code == EN_LINK) {
        ENLINK* link = reinterpret_cast<ENLINK*>(header);
        if (link->msg != WM_LBUTTONDOWN)
            return 0;
        HWND editor = app.editorWindow;
        SendMessageA(editor, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&link->chrg));
        OpenLink(EditorTextRange(editor, link->chrg));
        // A question took the button's release from the control, which
        // would go on selecting with every move of the mouse as if the
        // button were held: the click ends where it began.
        if (IsWindow(editor) && (GetKeyState(VK_LBUTTON) & 0x8000) == 0)
            SendMessageA(editor, WM_LBUTTONUP, 0, link->lParam);
        return 1;
    }
    return 0; // EN_SAVECLIPBOARD: the data stays on the clipboard
}
