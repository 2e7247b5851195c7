// The notification dialogs: every question, notice and one-line prompt of the
// program goes through these small modal dialogs with large captioned buttons.
// The system message box is never used.
#pragma once

#include <windows.h>

// Modes. The small-text flag is added to a mode: NOTIFY_INPUT +
// NOTIFY_SMALL_TEXT (14) is an input prompt with the message in the small
// font. Modes 0, 1 and 2 are all the plain question.
constexpr UINT NOTIFY_ASK = 0;
constexpr UINT NOTIFY_INPUT = 4;
constexpr UINT NOTIFY_SMALL_TEXT = 10;

// Answers: which button closed the dialog.
constexpr int AnswerFirst = 1;  // button 1 (also Enter, and every time-out)
constexpr int AnswerSecond = 2; // button 2 (also Escape)
constexpr int AnswerThird = 3;  // button 1612

// Size of the caller's input buffer in the input mode: 599 characters and
// the terminating NUL are copied back.
constexpr int kNotifyInputSize = 600;

// The request record of the next notification and the answer of the last
// one. Callers of the fixed layouts fill mode, message and captions and then
// run the dialog themselves; ShowNotification takes its texts as arguments.
//
// Requests come from the interface thread, the file monitor thread and the
// load progress thread, possibly at the same time. Each dialog therefore
// copies its request when it opens (ShowNotification's arguments, or these
// fields under a lock for direct use) and works from that copy only, so two
// open dialogs never mix their texts. When a dialog closes it clears only the
// fields it took from here, so it cannot wipe a request another thread is
// preparing. The answer is stored here and also per thread: a caller that may
// race with other threads reads LastNotifyAnswer() instead of `answer`.
//
// The deliberate exchanges between threads are `timeoutSeconds` (a dialog
// opened with 1 keeps reading it every second and closes with answer 1 once
// it is no longer 1) and `answer`, which the loader reads while its progress
// question is open in another thread.
struct NotifyState {
    UINT mode;
    const char* message;
    const char* caption1;
    const char* caption2;
    // Caption of button 1612; in the input mode also the input buffer of at
    // least kNotifyInputSize bytes, which pre-fills the field and receives
    // the text typed.
    char* caption3;
    int onTop;
    volatile UINT timeoutSeconds;
    // Not cleared by the reset: callers read it after the dialog returns.
    volatile LONG answer;
    // Set while a notification or another modal dialog of the program is
    // open; a notification clears it when the last open notification closes.
    volatile LONG modalBusy;
    // The fonts of the most recently opened notification.
    HFONT bigFont;
    HFONT smallFont;
};

extern NotifyState notify;

// Runs the general layout 1005 with the given texts; a third caption that
// is absent hides the third button, and a second caption that is absent
// beside a third hides the second (so Escape, answer 2, is neither shown). Returns 0 after a button
// and -1 when the dialog cannot be created; the answer is in LastNotifyAnswer() (and
// `notify.answer`). A beep of exactly 1 sounds the default beep first.
INT_PTR ShowNotification(HWND parent, UINT mode, const char* message, const char* caption1,
                         const char* caption2, char* caption3, int beep, LPARAM initParam,
                         HINSTANCE instance);

// Thread entry: runs layout 1005 with no owner from the texts in `notify`,
// with the mode passed as the thread parameter.
DWORD WINAPI ShowNotificationThread(LPVOID mode);

INT_PTR CALLBACK NotifyDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Runs one of the fixed layouts (1601, 1610, 1612, or 1005) from the request
// in `notify`, with the program's instance and the AppRecord as parameter.
int RunNotificationLayout(HWND owner, int layoutId);

// Clears the request fields, deletes fonts no open dialog uses, sets `onTop`
// to 1 and clears `modalBusy` once no notification is open any more. It also
// forgets the dialogs of threads that were ended while their question was
// open. `answer` is left alone.
void ResetNotifyState();

// The answer of the last notification that closed on the calling thread (0
// before the first one).
int LastNotifyAnswer();

// Closes, without an answer (LastNotifyAnswer() 0 on that thread), every
// notification that the given thread has open. Returns how many it asked to
// close; safe to call from any thread, and again while they close.
int DismissThreadNotifications(DWORD threadId);

// Whether any thread has a notification open.
bool NotificationsOpen();
