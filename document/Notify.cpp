#include "document/Notify.h"

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "app/AppState.h"
#include "app/Dpi.h"
#include "app/Geometry.h"
#include "resource.h"

// One record for the whole process; each open dialog works from its own copy
// of the request (see Notify.h), so overlapping requests from the interface,
// monitor and progress threads never share texts or answers.
NotifyState notify = {0, nullptr, nullptr, nullptr, nullptr, 1, 0, 0, 0, nullptr, nullptr};

namespace {

constexpr int kBigFontHeight = 20;

// Posted by DismissThreadNotifications: closes a dialog without an answer.
constexpr UINT WM_NOTIFY_DISMISS = WM_APP + 0x4E;
constexpr int kSmallFontHeight = 16;

// The shared values a request was copied from. When its dialog closes, a
// shared field is cleared only if it still holds the value taken, so a
// request that another thread has written since survives.
struct TakenFields {
    bool texts = false; // mode, message and captions came from `notify`
    UINT mode = 0;
    const char* message = nullptr;
    const char* caption1 = nullptr;
    const char* caption2 = nullptr;
    char* caption3 = nullptr;
    UINT timeoutSeconds = 0;
};

// One dialog's own copy of its request: the texts are copied, so the caller
// may reuse its buffers, and only the input buffer is written back.
struct NotifyRequest {
    UINT mode = 0;
    std::string message;
    std::string caption1;
    std::string caption2;
    std::string caption3;
    char* inputBuffer = nullptr;
    UINT timeoutSeconds = 0;
    bool onTop = true;
    TakenFields taken;
};

struct OpenNotification {
    HWND window;
    HWND owner;
    // The dialog's thread, so a reset can tell that a thread ended while
    // its dialog was open: the window handle may still look valid then.
    HANDLE thread;
    DWORD threadId;
    NotifyRequest request;
    HFONT bigFont;
    HFONT smallFont;
    bool ended;
};

// Guards `notify` against the dialogs' own reads and writes and guards the
// list of open dialogs. Never held while sending a message.
std::mutex notifyLock;
std::vector<OpenNotification*> openNotifications;

// ShowNotification hands its request to the dialog it is about to create on
// the same thread; the dialog takes it in WM_INITDIALOG.
thread_local const NotifyRequest* pendingRequest = nullptr;
thread_local int lastAnswer = 0;

std::string TextOf(const char* text) { return text ? std::string(text) : std::string(); }

// The time-out a new dialog takes. While an open dialog waits on the
// one-second handshake, the 1 in the shared field is that dialog's: a second
// dialog must neither wait on it nor clear it when it closes.
UINT TakeTimeout() {
    UINT timeout = notify.timeoutSeconds;
    if (timeout != 1)
        return timeout;
    for (const OpenNotification* open : openNotifications)
        if (!open->ended && open->request.timeoutSeconds == 1)
            return 0;
    return timeout;
}

// Copies a direct-use request out of `notify`. The lock is held.
NotifyRequest CaptureSharedRequest() {
    NotifyRequest request;
    request.mode = notify.mode;
    request.message = TextOf(notify.message);
    request.caption1 = TextOf(notify.caption1);
    request.caption2 = TextOf(notify.caption2);
    request.caption3 = TextOf(notify.caption3);
    request.inputBuffer = notify.caption3;
    request.timeoutSeconds = TakeTimeout();
    request.onTop = notify.onTop != 0;
    request.taken.texts = true;
    request.taken.mode = notify.mode;
    request.taken.message = notify.message;
    request.taken.caption1 = notify.caption1;
    request.taken.caption2 = notify.caption2;
    request.taken.caption3 = notify.caption3;
    request.taken.timeoutSeconds = request.timeoutSeconds;
    return request;
}

// The lock is held.
void ClearTakenFields(const TakenFields& taken) {
    if (taken.texts) {
        if (notify.mode == taken.mode)
            notify.mode = 0;
        if (notify.message == taken.message)
            notify.message = nullptr;
        if (notify.caption1 == taken.caption1)
            notify.caption1 = nullptr;
        if (notify.caption2 == taken.caption2)
            notify.caption2 = nullptr;
        if (notify.caption3 == taken.caption3)
            notify.caption3 = nullptr;
    }
    if (notify.timeoutSeconds == taken.timeoutSeconds)
        notify.timeoutSeconds = 0;
    notify.onTop = 1;
}

bool FontInUse(HFONT font) {
    for (const OpenNotification* open : openNotifications)
        if (open->bigFont == font || open->smallFont == font)
            return true;
    return false;
}

HFONT CreateNotifyFont(int height) {
    return CreateFontA(height, 0, 0, 0, 50, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0,
                       "Arial");
}

OpenNotification* OpenOf(HWND dialog) {
    return reinterpret_cast<OpenNotification*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

void SetItemText(HWND dialog, int id, const std::string& text) {
    if (HWND item = GetDlgItem(dialog, id))
        SetWindowTextA(item, text.c_str());
}

void SetItemFont(HWND dialog, int id, HFONT font) {
    if (HWND item = GetDlgItem(dialog, id))
        SendMessageA(item, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

// The general layout hides a third button without a caption and gives up
// its band, so a two-button question looks like one. Buttons 1 and 2 stay
// even without a caption: some questions are answered through a blank one.
// A question with a third caption but no second shows buttons 1 and 1612
// only, the third in the second's place: Escape, which always answers 2,
// then gives neither of the answers shown.
void FitGeneralLayout(HWND dialog, const NotifyRequest& request) {
    bool dropThird = request.caption3.empty();
    bool dropSecond = !dropThird && request.caption2.empty();
    if (GetWindowContextHelpId(dialog) != IDD_NOTIFY_GENERAL || (!dropThird && !dropSecond))
        return;
    HWND third = GetDlgItem(dialog, IDC_NOTIFY_THIRD);
    HWND second = GetDlgItem(dialog, IDCANCEL);
    if (!third || !second)
        return;
    RECT thirdRect, secondRect, windowRect;
    GetWindowRect(third, &thirdRect);
    GetWindowRect(second, &secondRect);
    GetWindowRect(dialog, &windowRect);
    if (dropThird) {
        ShowWindow(third, SW_HIDE);
    } else {
        ShowWindow(second, SW_HIDE);
        POINT place = {secondRect.left, secondRect.top};
        ScreenToClient(dialog, &place);
        SetWindowPos(third, nullptr, place.x, place.y, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    int cut = thirdRect.bottom - secondRect.bottom;
    SetWindowPos(dialog, nullptr, windowRect.left, windowRect.top + cut / 2,
                 windowRect.right - windowRect.left, windowRect.bottom - windowRect.top - cut,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

// Takes this dialog's request (the one ShowNotification handed over, or a
// copy of `notify` for direct use) and registers the dialog as open.
OpenNotification* RegisterDialog(HWND dialog) {
    auto* open = new OpenNotification{
        dialog, GetWindow(dialog, GW_OWNER), nullptr, GetCurrentThreadId(), {}, nullptr, nullptr,
        false};
    DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &open->thread,
                    SYNCHRONIZE, FALSE, 0);
    // The heights are pixels at 96 dpi, scaled to the dialog's screen.
    const int dpi = WindowDpi(dialog);
    open->bigFont = CreateNotifyFont(ScaleToDpi(kBigFontHeight, dpi));
    open->smallFont = CreateNotifyFont(ScaleToDpi(kSmallFontHeight, dpi));
    {
        std::lock_guard<std::mutex> guard(notifyLock);
        open->request = pendingRequest ? *pendingRequest : CaptureSharedRequest();
        pendingRequest = nullptr;
        openNotifications.push_back(open);
        notify.modalBusy = 1;
        notify.bigFont = open->bigFont;
        notify.smallFont = open->smallFont;
    }
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(open));
    return open;
}

INT_PTR OnInitDialog(HWND dialog) {
    OpenNotification* open = RegisterDialog(dialog);
    NotifyRequest& request = open->request;
    if (request.onTop)
        SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
    SetItemText(dialog, IDC_NOTIFY_TEXT, request.message);
    SetItemText(dialog, IDOK, request.caption1);
    SetItemText(dialog, IDCANCEL, request.caption2);
    SetItemText(dialog, IDC_NOTIFY_THIRD, request.caption3);
    if (request.timeoutSeconds > 0)
        SetTimer(dialog, TIMER_NOTIFY_TIMEOUT, request.timeoutSeconds * 1000, nullptr);

    for (int id : {IDOK, IDCANCEL, IDC_NOTIFY_X, IDC_NOTIFY_THIRD})
        SetItemFont(dialog, id, open->bigFont);
    bool smallText = request.mode >= NOTIFY_SMALL_TEXT;
    if (smallText)
        request.mode -= NOTIFY_SMALL_TEXT;
    SetItemFont(dialog, IDC_NOTIFY_TEXT, smallText ? open->smallFont : open->bigFont);

    SetItemText(dialog, IDC_NOTIFY_INPUT, request.caption3);
    FitGeneralLayout(dialog, request);
    return TRUE;
}

// Publishes the answer and ends the dialog; the request is released when
// the window goes.
void CloseWithAnswer(HWND dialog, OpenNotification* open, int answer) {
    open->ended = true;
    KillTimer(dialog, TIMER_NOTIFY_TIMEOUT);
    lastAnswer = answer;
    {
        std::lock_guard<std::mutex> guard(notifyLock);
        notify.answer = answer;
    }
    EndDialog(dialog, 0);
}

int AnswerForButton(int id) {
    switch (id) {
    case IDOK:
        return AnswerFirst;
    case IDCANCEL:
        return AnswerSecond;
    case IDC_NOTIFY_THIRD:
        return AnswerThird;
    default:
        return 0;
    }
}

INT_PTR OnCommand(HWND dialog, int id) {
    int answer = AnswerForButton(id);
    OpenNotification* open = OpenOf(dialog);
    if (answer == 0 || !open)
        return FALSE;
    if (open->ended)
        return TRUE;
    // Every button copies the input back, Cancel included: callers tell the
    // cases apart by the answer.
    if (open->request.mode == NOTIFY_INPUT && open->request.inputBuffer &&
        GetDlgItem(dialog, IDC_NOTIFY_INPUT))
        GetDlgItemTextA(dialog, IDC_NOTIFY_INPUT, open->request.inputBuffer, kNotifyInputSize);
    CloseWithAnswer(dialog, open, answer);
    return TRUE;
}

INT_PTR OnTimer(HWND dialog, WPARAM timerId) {
    OpenNotification* open = OpenOf(dialog);
    if (timerId != TIMER_NOTIFY_TIMEOUT || !open)
        return FALSE;
    if (open->ended)
        return TRUE;
    // The handshake: a dialog opened with a time-out of 1 waits for as long
    // as the shared field stays 1.
    if (open->request.timeoutSeconds == 1 && notify.timeoutSeconds == 1)
        return TRUE;
    CloseWithAnswer(dialog, open, AnswerFirst);
    return TRUE;
}

// The dialog's share of the reset: clears what it took from `notify`, drops
// its fonts and clears `modalBusy` once no other notification is open.
void OnNcDestroy(HWND dialog) {
    OpenNotification* open = OpenOf(dialog);
    if (!open)
        return;
    SetWindowLongPtrA(dialog, DWLP_USER, 0);
    KillTimer(dialog, TIMER_NOTIFY_TIMEOUT);
    {
        std::lock_guard<std::mutex> guard(notifyLock);
        auto found = std::find(openNotifications.begin(), openNotifications.end(), open);
        if (found == openNotifications.end())
            return; // already forgotten by a reset
        openNotifications.erase(found);
        ClearTakenFields(open->request.taken);
        if (notify.bigFont == open->bigFont)
            notify.bigFont = nullptr;
        if (notify.smallFont == open->smallFont)
            notify.smallFont = nullptr;
        if (openNotifications.empty())
            notify.modalBusy = 0;
    }
    DeleteObject(open->bigFont);
    DeleteObject(open->smallFont);
    if (open->thread)
        CloseHandle(open->thread);
    delete open;
}

INT_PTR RunGeneralLayout(HINSTANCE instance, HWND parent, const NotifyRequest& request,
                         LPARAM initParam) {
    pendingRequest = &request;
    INT_PTR result = DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_NOTIFY_GENERAL), parent,
                                     NotifyDialogProc, initParam);
    pendingRequest = nullptr;
    return result;
}

} // namespace

INT_PTR ShowNotification(HWND parent, UINT mode, const char* message, const char* caption1,
                         const char* caption2, char* caption3, int beep, LPARAM initParam,
                         HINSTANCE instance) {
    if (beep == 1)
        MessageBeep(0);
    // The texts go straight to this dialog and never through `notify`, so a
    // request another thread is preparing there is left alone.
    NotifyRequest request;
    request.mode = mode;
    request.message = TextOf(message);
    request.caption1 = TextOf(caption1);
    request.caption2 = TextOf(caption2);
    request.caption3 = TextOf(caption3);
    request.inputBuffer = caption3;
    {
        std::lock_guard<std::mutex> guard(notifyLock);
        request.timeoutSeconds = TakeTimeout();
        request.taken.timeoutSeconds = request.timeoutSeconds;
        request.onTop = notify.onTop != 0;
    }
    return RunGeneralLayout(instance, parent, request, initParam);
}

// The load progress question runs here. Its time-out is always the
// one-second handshake: when the load has already ended (the field cleared)
// before this thread got to read it, the question still closes by itself.
DWORD WINAPI ShowNotificationThread(LPVOID mode) {
    NotifyRequest request;
    {
        std::lock_guard<std::mutex> guard(notifyLock);
        request = CaptureSharedRequest();
    }
    request.mode = static_cast<UINT>(reinterpret_cast<UINT_PTR>(mode));
    if (request.timeoutSeconds == 0)
        request.timeoutSeconds = 1;
    RunGeneralLayout(nullptr, nullptr, request, 0);
    return 0;
}

// A move to a screen of another scale: the system scales the dialog and
// its controls, and the two fonts are made again for the new scale.
void OnDpiChanged(HWND dialog, int dpi) {
    OpenNotification* open = OpenOf(dialog);
    if (open == nullptr)
        return;
    HFONT big = CreateNotifyFont(ScaleToDpi(kBigFontHeight, dpi));
    HFONT small = CreateNotifyFont(ScaleToDpi(kSmallFontHeight, dpi));
    HFONT shown =
        reinterpret_cast<HFONT>(SendDlgItemMessageA(dialog, IDC_NOTIFY_TEXT, WM_GETFONT, 0, 0));
    for (int id : {IDOK, IDCANCEL, IDC_NOTIFY_X, IDC_NOTIFY_THIRD})
        SetItemFont(dialog, id, big);
    SetItemFont(dialog, IDC_NOTIFY_TEXT, shown == open->smallFont ? small : big);
    HFONT oldBig, oldSmall;
    {
        std::lock_guard<std::mutex> guard(notifyLock);
        oldBig = open->bigFont;
        oldSmall = open->smallFont;
        open->bigFont = big;
        open->smallFont = small;
        if (notify.bigFont == oldBig)
            notify.bigFont = big;
        if (notify.smallFont == oldSmall)
            notify.smallFont = small;
    }
    DeleteObject(oldBig);
    DeleteObject(oldSmall);
}

INT_PTR CALLBACK NotifyDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog(dialog);
    case WM_COMMAND:
        return OnCommand(dialog, LOWORD(wParam));
    case WM_TIMER:
        return OnTimer(dialog, wParam);
    case WM_NOTIFY_DISMISS:
        if (OpenNotification* open = OpenOf(dialog))
            if (!open->ended)
                CloseWithAnswer(dialog, open, 0);
        return TRUE;
    case WM_NCDESTROY:
        OnNcDestroy(dialog);
        return FALSE;
    case WM_DPICHANGED:
        OnDpiChanged(dialog, HIWORD(wParam));
        return FALSE; // the dialog manager scales and places the dialog
    default:
        return FALSE;
    }
}

int RunNotificationLayout(HWND owner, int layoutId) {
    HINSTANCE instance = appRecord ? appRecord->instance : GetModuleHandleA(nullptr);
    return static_cast<int>(DialogBoxParamA(instance, MAKEINTRESOURCEA(layoutId), owner,
                                            NotifyDialogProc, reinterpret_cast<LPARAM>(appRecord)));
}

void ResetNotifyState() {
    std::vector<HFONT> fonts;
    std::vector<HWND> owners;
    {
        std::lock_guard<std::mutex> guard(notifyLock);
        // A dialog whose thread was ended while it was open is gone without
        // having cleaned up: forget it, and give its owner back its input.
        std::vector<OpenNotification*> gone;
        for (OpenNotification* open : openNotifications)
            if (!IsWindow(open->window) ||
                (open->thread && WaitForSingleObject(open->thread, 0) == WAIT_OBJECT_0))
                gone.push_back(open);
        for (OpenNotification* open : gone) {
            openNotifications.erase(
                std::find(openNotifications.begin(), openNotifications.end(), open));
            fonts.push_back(open->bigFont);
            fonts.push_back(open->smallFont);
            if (open->owner)
                owners.push_back(open->owner);
            if (open->thread)
                CloseHandle(open->thread);
            delete open;
        }
        for (const OpenNotification* open : openNotifications)
            owners.erase(std::remove(owners.begin(), owners.end(), open->owner), owners.end());

        notify.mode = 0;
        notify.message = nullptr;
        notify.caption1 = nullptr;
        notify.caption2 = nullptr;
        notify.caption3 = nullptr;
        notify.timeoutSeconds = 0;
        notify.onTop = 1;
        for (HFONT font : {notify.bigFont, notify.smallFont})
            if (font && !FontInUse(font) &&
                std::find(fonts.begin(), fonts.end(), font) == fonts.end())
                fonts.push_back(font);
        notify.bigFont = nullptr;
        notify.smallFont = nullptr;
        if (openNotifications.empty())
            notify.modalBusy = 0;
    }
    for (HFONT font : fonts)
        DeleteObject(font);
    for (HWND owner : owners)
        EnableWindow(owner, TRUE);
}

int LastNotifyAnswer() { return lastAnswer; }

bool NotificationsOpen() {
    std::lock_guard<std::mutex> guard(notifyLock);
    return !openNotifications.empty();
}

int DismissThreadNotifications(DWORD threadId) {
    std::vector<HWND> windows;
    {
        std::lock_guard<std::mutex> guard(notifyLock);
        for (const OpenNotification* open : openNotifications)
            if (open->threadId == threadId)
                windows.push_back(open->window);
    }
    for (HWND window : windows)
        PostMessageA(window, WM_NOTIFY_DISMISS, 0, 0);
    return static_cast<int>(windows.size());
}
