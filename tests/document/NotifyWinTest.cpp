// The notification dialogs driven for real: a helper thread finds the open
// dialog and presses its buttons or keys while the test thread sits in it.
#include "WinTestSupport.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "document/Notify.h"
#include "resource.h"

namespace {

constexpr DWORD kOpenTimeoutMs = 5000;
// A dialog still open this long after its action is closed by force, so a
// broken dialog fails the test instead of hanging it.
constexpr DWORD kCloseTimeoutMs = 15000;

bool ItemVisible(HWND dialog, int id) {
    HWND item = GetDlgItem(dialog, id);
    return item && IsWindowVisible(item);
}

struct DialogSearch {
    DWORD threadId; // 0: any thread of this process
    std::vector<HWND> found;
};

BOOL CALLBACK CollectNotification(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<DialogSearch*>(param);
    DWORD process = 0;
    DWORD thread = GetWindowThreadProcessId(window, &process);
    char className[16] = "";
    GetClassNameA(window, className, sizeof className);
    if (process == GetCurrentProcessId() && (!search->threadId || thread == search->threadId) &&
        std::strcmp(className, "#32770") == 0 && IsWindowVisible(window) &&
        GetDlgItem(window, IDC_NOTIFY_TEXT))
        search->found.push_back(window);
    return TRUE;
}

std::vector<HWND> OpenNotifications(DWORD threadId) {
    DialogSearch search{threadId, {}};
    EnumWindows(CollectNotification, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForNotification(DWORD threadId) {
    HWND dialog = nullptr;
    PumpUntil(
        [&] {
            std::vector<HWND> found = OpenNotifications(threadId);
            dialog = found.empty() ? nullptr : found.front();
            return dialog != nullptr;
        },
        kOpenTimeoutMs);
    return dialog;
}

void Click(HWND dialog, int id) { PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

// A key as the keyboard would deliver it: posted to the focused control, so
// it goes through the dialog's own message loop.
void PressKey(HWND dialog, DWORD threadId, WPARAM key) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    HWND target = dialog;
    if (GetGUIThreadInfo(threadId, &info) && info.hwndFocus)
        target = info.hwndFocus;
    PostMessageA(target, WM_KEYDOWN, key, 1);
    PostMessageA(target, WM_KEYUP, key, 0xC0000001);
}

// Runs `run` on this thread while the shared answerer applies `action` to
// the notification it opens. True when the dialog showed up and the action
// closed it; a dialog still open long after the action is closed by force
// so a fault fails the test instead of hanging it.
template <class Action, class Run> bool Driven(Action action, Run run) {
    bool forced = false;
    bool shown = DialogDuring(
        "Korvid 1.2",
        [&](HWND dialog) {
            action(dialog);
            for (DWORD start = GetTickCount(); IsWindow(dialog); Sleep(10))
                if (GetTickCount() - start > kCloseTimeoutMs) {
                    forced = true;
                    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
                    break;
                }
        },
        run);
    return shown && !forced;
}

INT_PTR Ask(const char* message, const char* caption1, const char* caption2, char* caption3,
            UINT mode = NOTIFY_ASK) {
    return ShowNotification(nullptr, mode, message, caption1, caption2, caption3, 0, 0,
                            GetModuleHandleA(nullptr));
}

void FillRequest(UINT mode, const char* message, char* caption3) {
    notify.mode = mode;
    notify.message = message;
    notify.caption1 = "One";
    notify.caption2 = "Two";
    notify.caption3 = caption3;
}

class Notify : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetNotifyState();
        notify.answer = 0;
    }
};

TEST_F(Notify, ButtonsAndEscapeGiveTheirAnswersAndButtonsCarryTheCallersCaptions) {
    DWORD self = GetCurrentThreadId();
    struct Case {
        int button; // 0: the Escape key
        int answer;
    };
    for (Case c : {Case{IDOK, AnswerFirst}, Case{IDCANCEL, AnswerSecond},
                   Case{IDC_NOTIFY_THIRD, AnswerThird}, Case{0, AnswerSecond}}) {
        SCOPED_TRACE(c.button);
        char third[] = "Abandon changes";
        std::string texts[4];
        INT_PTR result = -2;
        ASSERT_TRUE(Driven(
            [&](HWND dialog) {
                int ids[] = {IDC_NOTIFY_TEXT, IDOK, IDCANCEL, IDC_NOTIFY_THIRD};
                for (int i = 0; i < 4; ++i)
                    texts[i] = ItemText(dialog, ids[i]);
                if (c.button)
                    Click(dialog, c.button);
                else
                    PressKey(dialog, self, VK_ESCAPE);
            },
            [&] { result = Ask("File is not saved", "Save file now", "Abort Close", third); }));
        EXPECT_EQ(result, 0);
        EXPECT_EQ(LastNotifyAnswer(), c.answer);
        EXPECT_EQ(notify.answer, c.answer);
        EXPECT_EQ(texts[0], "File is not saved");
        EXPECT_EQ(texts[1], "Save file now");
        EXPECT_EQ(texts[2], "Abort Close");
        EXPECT_EQ(texts[3], "Abandon changes");
    }
}

TEST_F(Notify, AbsentThirdCaptionHidesTheButtonOnlyInTheGeneralLayout) {
    struct Seen {
        bool first, second, third;
        int height; // of the client area, -1 when button 2 falls outside it
    };
    auto look = [&](auto run) {
        Seen seen{};
        EXPECT_TRUE(Driven(
            [&](HWND dialog) {
                seen.first = ItemVisible(dialog, IDOK);
                seen.second = ItemVisible(dialog, IDCANCEL);
                seen.third = ItemVisible(dialog, IDC_NOTIFY_THIRD);
                RECT client, second;
                GetClientRect(dialog, &client);
                GetWindowRect(GetDlgItem(dialog, IDCANCEL), &second);
                MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&second), 2);
                seen.height = second.bottom <= client.bottom ? client.bottom : -1;
                Click(dialog, IDOK);
            },
            run));
        return seen;
    };
    char third[] = "Third";
    Seen three = look([&] { Ask("Three", "One", "Two", third); });
    Seen two = look([&] { Ask("Two", "One", "Two", nullptr); });
    // Buttons 1 and 2 stay without a caption: a blank button still answers.
    Seen blank = look([&] { Ask("Blank", nullptr, "", nullptr); });
    Seen fixed = look([&] {
        FillRequest(NOTIFY_ASK, "Fixed", nullptr);
        RunNotificationLayout(nullptr, IDD_NOTIFY_THREE);
    });

    EXPECT_TRUE(three.first && three.second && three.third);
    EXPECT_TRUE(two.first && two.second);
    EXPECT_FALSE(two.third);
    EXPECT_GT(two.height, 0) << "button 2 must stay inside the shortened dialog";
    EXPECT_LT(two.height, three.height);
    EXPECT_TRUE(blank.first && blank.second);
    EXPECT_FALSE(blank.third);
    EXPECT_TRUE(fixed.third);
    EXPECT_EQ(fixed.height, three.height);
}

// The goto-line prompt: layout 1610 in the input mode with small text.
void RunPrompt(char* buffer, UINT mode = NOTIFY_INPUT + NOTIFY_SMALL_TEXT) {
    FillRequest(mode, "Enter the line number.", buffer);
    RunNotificationLayout(nullptr, IDD_NOTIFY_INPUT);
}

TEST_F(Notify, InputIsCutTo599EvenOnCancelAndOnlyCopiedInInputMode) {
    struct Case {
        UINT mode;
        int button;
        size_t length;
    };
    for (Case c : {Case{NOTIFY_INPUT + NOTIFY_SMALL_TEXT, IDOK, 599},
                   Case{NOTIFY_INPUT, IDCANCEL, 599}, Case{NOTIFY_ASK, IDOK, 4}}) {
        SCOPED_TRACE(c.mode * 10000 + c.button);
        char buffer[800];
        std::memset(buffer, '#', sizeof buffer);
        std::strcpy(buffer, "kept");
        ASSERT_TRUE(Driven(
            [&](HWND dialog) {
                SetDlgItemTextA(dialog, IDC_NOTIFY_INPUT, std::string(700, 'x').c_str());
                Click(dialog, c.button);
            },
            [&] { RunPrompt(buffer, c.mode); }));
        EXPECT_EQ(LastNotifyAnswer(), c.button == IDOK ? AnswerFirst : AnswerSecond);
        EXPECT_EQ(std::strlen(buffer), c.length);
        EXPECT_EQ(buffer[600], '#') << "nothing may be written past the 600-byte buffer";
    }
}

// The load progress question: the loader sets the handshake, starts the
// question's own thread and clears the field when the load ends.
HANDLE StartProgressQuestion(UINT timeoutSeconds, DWORD* threadId) {
    notify.timeoutSeconds = timeoutSeconds;
    notify.caption1 = "File is large and might take some time to load.";
    return CreateThread(nullptr, 0, ShowNotificationThread,
                        reinterpret_cast<LPVOID>(2 + NOTIFY_SMALL_TEXT), 0, threadId);
}

void EndProgressQuestion(HANDLE thread) {
    for (HWND dialog : OpenNotifications(GetThreadId(thread)))
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    WaitForSingleObject(thread, kOpenTimeoutMs);
    CloseHandle(thread);
}

TEST_F(Notify, ProgressQuestionWaitsForTheHandshakeThenAnswersFirst) {
    DWORD threadId = 0;
    HANDLE thread = StartProgressQuestion(1, &threadId);
    ASSERT_NE(thread, nullptr);
    HWND dialog = WaitForNotification(threadId);
    EXPECT_NE(dialog, nullptr);
    EXPECT_EQ(ItemText(dialog, IDOK), "File is large and might take some time to load.");
    EXPECT_EQ(ItemText(dialog, IDC_NOTIFY_TEXT), "");
    EXPECT_TRUE(ItemVisible(dialog, IDCANCEL)) << "the blank second button lets the load go on";

    // Open while the load goes on; the end of the load closes it.
    EXPECT_TRUE(IsWindow(dialog));
    notify.timeoutSeconds = 0;
    EXPECT_EQ(WaitForSingleObject(thread, 5000), WAIT_OBJECT_0);
    EXPECT_EQ(notify.answer, AnswerFirst);
    EndProgressQuestion(thread);
}

// Two threads ask at the same moment: each dialog shows its own request and
// each caller reads its own answer, even after the other dialog closed last.
TEST(NotifyThreads, OverlappingRequestsKeepTheirTextsAndAnswers) {
    for (bool directSecond : {false, true}) {
        SCOPED_TRACE(directSecond ? "ShowNotification and direct use" : "two ShowNotification");
        ResetNotifyState();
        std::atomic<int> closed{0};
        int answers[2] = {-1, -1};
        auto finish = [&](int side) {
            ++closed;
            PumpUntil([&] { return closed == 2; }, kCloseTimeoutMs);
            answers[side] = LastNotifyAnswer();
        };
        std::thread alpha([&] {
            Ask("alpha question", "Alpha one", "Alpha two", nullptr);
            finish(0);
        });
        // The second request comes while the first dialog stands open and
        // painted: Wine's text shaping, which both message fields use, must
        // not run on two threads at once (Windows has no such limit).
        HWND first = WaitForNotification(0);
        PumpUntil(
            [&] {
                return first && !GetUpdateRect(GetDlgItem(first, IDC_NOTIFY_TEXT), nullptr, FALSE);
            },
            kOpenTimeoutMs);
        std::thread beta([&] {
            char third[] = "Beta three";
            if (directSecond) {
                FillRequest(NOTIFY_ASK, "beta question", third);
                notify.caption1 = "Beta one";
                RunNotificationLayout(nullptr, IDD_NOTIFY_THREE);
            } else {
                Ask("beta question", "Beta one", "Beta two", third);
            }
            finish(1);
        });

        std::vector<HWND> dialogs;
        PumpUntil([&] { return (dialogs = OpenNotifications(0)).size() == 2; }, kOpenTimeoutMs);
        EXPECT_EQ(dialogs.size(), 2u);
        int alphaSeen = 0, betaSeen = 0;
        for (HWND dialog : dialogs) {
            std::string message = ItemText(dialog, IDC_NOTIFY_TEXT);
            if (message == "alpha question" && ItemText(dialog, IDOK) == "Alpha one" &&
                !ItemVisible(dialog, IDC_NOTIFY_THIRD)) {
                ++alphaSeen;
                Click(dialog, IDCANCEL);
                PumpUntil([&] { return !IsWindow(dialog); }, kCloseTimeoutMs);
            } else if (message == "beta question" && ItemText(dialog, IDOK) == "Beta one" &&
                       ItemText(dialog, IDC_NOTIFY_THIRD) == "Beta three") {
                ++betaSeen;
                Click(dialog, IDC_NOTIFY_THIRD);
                PumpUntil([&] { return !IsWindow(dialog); }, kCloseTimeoutMs);
            } else {
                ADD_FAILURE() << "mixed request: " << message;
            }
        }
        for (HWND dialog : OpenNotifications(0))
            if (alphaSeen + betaSeen != 2)
                PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        alpha.join();
        beta.join();
        EXPECT_EQ(alphaSeen, 1);
        EXPECT_EQ(betaSeen, 1);
        EXPECT_EQ(answers[0], AnswerSecond);
        EXPECT_EQ(answers[1], AnswerThird);
        EXPECT_EQ(notify.modalBusy, 0);
    }
}

DWORD WINAPI AskFromMonitor(LPVOID owner) {
    ShowNotification(static_cast<HWND>(owner), 1, "File has been modified externally.",
                     "Reload modified file", "Keep monitoring", nullptr, 0, 0,
                     GetModuleHandleA(nullptr));
    return 0;
}

// Posted to a question to make its thread end right there, inside the
// dialog's message loop: a thread killed from outside could be holding a
// lock of the system, so the test ends it at a point where it holds none.
constexpr UINT kEndThreadMessage = WM_APP + 0x77;

LRESULT CALLBACK EndThreadHook(int code, WPARAM wParam, LPARAM lParam) {
    const MSG* message = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && message->message == kEndThreadMessage)
        ExitThread(0);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// A thread that ends while its question is open (the last resort of the
// file monitor's stop) leaves no trace once the reset has run: the program
// must not believe a dialog is still up, nor leave the owner disabled.
TEST(NotifyThreads, QuestionOfAnEndedThreadIsForgottenByTheReset) {
    ResetNotifyState();
    HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPED, 0, 0, 100, 100, nullptr,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(owner, nullptr);
    DWORD threadId = 0;
    HANDLE thread = CreateThread(nullptr, 0, AskFromMonitor, owner, 0, &threadId);
    ASSERT_NE(thread, nullptr);
    HWND question = WaitForNotification(threadId);
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(notify.modalBusy, 1);
    EXPECT_FALSE(IsWindowEnabled(owner));

    HHOOK hook = SetWindowsHookExA(WH_GETMESSAGE, EndThreadHook, nullptr, threadId);
    ASSERT_NE(hook, nullptr);
    PostMessageA(question, kEndThreadMessage, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; },
                          kCloseTimeoutMs));
    UnhookWindowsHookEx(hook);
    CloseHandle(thread);
    EXPECT_TRUE(PumpUntil([&] { return OpenNotifications(threadId).empty(); }, kOpenTimeoutMs));
    EXPECT_EQ(notify.modalBusy, 1);
    ResetNotifyState();
    EXPECT_EQ(notify.modalBusy, 0);
    EXPECT_TRUE(IsWindowEnabled(owner));
    DestroyWindow(owner);
}

} // namespace
