// The notification dialogs driven for real: a helper thread finds the open
// dialog and presses its buttons or keys while the test thread sits in it.
#include "WinTestSupport.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "app/Dpi.h"
#include "document/Notify.h"
#include "resource.h"

namespace {

bool ItemVisible(HWND dialog, int id) { return IsWindowVisible(GetDlgItem(dialog, id)) != FALSE; }

BOOL CALLBACK CollectNotification(HWND window, LPARAM param) {
    auto* found = reinterpret_cast<std::vector<HWND>*>(param);
    DWORD process = 0;
    char className[16] = "";
    GetWindowThreadProcessId(window, &process);
    GetClassNameA(window, className, sizeof className);
    if (process == GetCurrentProcessId() && std::strcmp(className, "#32770") == 0 &&
        IsWindowVisible(window) && GetDlgItem(window, IDC_NOTIFY_TEXT))
        found->push_back(window);
    return TRUE;
}

std::vector<HWND> OpenNotifications() {
    std::vector<HWND> found;
    EnumWindows(CollectNotification, reinterpret_cast<LPARAM>(&found));
    return found;
}

HWND WaitForNotification() {
    std::vector<HWND> found;
    PumpUntil([&] { return !(found = OpenNotifications()).empty(); }, 5000);
    return found.empty() ? nullptr : found.front();
}

INT_PTR Ask(const char* message, const char* caption1, const char* caption2, char* caption3,
            UINT mode = NOTIFY_ASK) {
    return ShowNotification(nullptr, mode, message, caption1, caption2, caption3, 0, 0,
                            GetModuleHandleA(nullptr));
}

void Layout(UINT mode, const char* message, char* caption3, int layout) {
    notify.mode = mode;
    notify.message = message;
    notify.caption1 = "One";
    notify.caption2 = "Two";
    notify.caption3 = caption3;
    RunNotificationLayout(nullptr, layout);
}

class Notify : public ::testing::Test {
  protected:
    void SetUp() override { ResetNotifyState(); }
};

TEST_F(Notify, InputIsCutTo599EvenOnCancelAndOnlyCopiedInInputMode) {
    const std::pair<UINT, int> cases[] = {
        {NOTIFY_INPUT + NOTIFY_SMALL_TEXT, IDOK}, {NOTIFY_INPUT, IDCANCEL}, {NOTIFY_ASK, IDOK}};
    for (auto [mode, button] : cases) {
        SCOPED_TRACE(mode * 10000 + button);
        char buffer[800];
        std::memset(buffer, '#', sizeof buffer);
        std::strcpy(buffer, "kept");
        Answer(
            kAsk, button, [&] { Layout(mode, "Enter the line number.", buffer, IDD_NOTIFY_INPUT); },
            [](HWND d) { SetDlgItemTextA(d, IDC_NOTIFY_INPUT, std::string(700, 'x').c_str()); });
        EXPECT_EQ(LastNotifyAnswer(), button == IDOK ? AnswerFirst : AnswerSecond);
        EXPECT_EQ(std::strlen(buffer), mode == NOTIFY_ASK ? 4u : 599u);
        EXPECT_EQ(buffer[600], '#') << "nothing may be written past the 600-byte buffer";
    }
}

// The fonts are 20 and 16 pixels at 96 dpi, made again on a move to a
// screen of another scale; a small-text message keeps the small one.
TEST_F(Notify, TheFontsFollowTheScreenScale) {
    char buffer[600] = "";
    Answer(
        kAsk, IDOK,
        [&] { Layout(NOTIFY_ASK + NOTIFY_SMALL_TEXT, "Saved.", buffer, IDD_NOTIFY_THREE); },
        [](HWND d) {
            auto height = [d](int id) {
                LOGFONTA font = {};
                GetObjectA(reinterpret_cast<HFONT>(SendDlgItemMessageA(d, id, WM_GETFONT, 0, 0)),
                           sizeof font, &font);
                return font.lfHeight;
            };
            ASSERT_EQ(SystemDpi(), 96) << "the tests run at 100 %";
            EXPECT_EQ(height(IDOK), 20);
            EXPECT_EQ(height(IDC_NOTIFY_TEXT), 16);
            RECT proposed = {0, 0, 900, 600};
            SendMessageA(d, WM_DPICHANGED, MAKEWPARAM(192, 192),
                         reinterpret_cast<LPARAM>(&proposed));
            EXPECT_EQ(height(IDOK), 40);
            EXPECT_EQ(height(IDC_NOTIFY_THIRD), 40);
            EXPECT_EQ(height(IDC_NOTIFY_TEXT), 32);
        });
}

// The loader sets the handshake, starts the question's own thread and
// clears the field when the load ends, which closes the question.
TEST_F(Notify, TheLoadQuestionStaysUntilTheHandshakeEndsAndAnswersFirst) {
    notify.timeoutSeconds = 1;
    notify.caption1 = "File is large and might take some time to load.";
    HANDLE thread = CreateThread(nullptr, 0, ShowNotificationThread,
                                 reinterpret_cast<LPVOID>(2 + NOTIFY_SMALL_TEXT), 0, nullptr);
    HWND dialog = WaitForNotification();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(ItemText(dialog, IDOK), notify.caption1);
    EXPECT_EQ(ItemText(dialog, IDC_NOTIFY_TEXT), "");
    EXPECT_TRUE(ItemVisible(dialog, IDCANCEL)) << "the blank second button lets the load go on";
    notify.timeoutSeconds = 0;
    EXPECT_EQ(WaitForSingleObject(thread, 5000), WAIT_OBJECT_0);
    EXPECT_EQ(notify.answer, AnswerFirst);
    CloseHandle(thread);
}

// Two threads ask at once: each dialog shows its own request and each
// caller reads its own answer. The second comes once the first stands
// painted: Wine's text shaping must not run on two threads at once.
TEST_F(Notify, OverlappingQuestionsKeepTheirTextsAndAnswers) {
    int answers[2] = {-1, -1};
    std::thread alpha([&] {
        Ask("alpha question", "Alpha one", "Alpha two", nullptr);
        answers[0] = LastNotifyAnswer();
    });
    HWND first = WaitForNotification();
    PumpUntil([&] { return first && !GetUpdateRect(GetDlgItem(first, IDC_NOTIFY_TEXT), 0, 0); });
    std::thread beta([&] {
        char third[] = "Beta three";
        Ask("beta question", "Beta one", "Beta two", third);
        answers[1] = LastNotifyAnswer();
    });
    std::vector<HWND> dialogs;
    PumpUntil([&] { return (dialogs = OpenNotifications()).size() == 2; });
    ASSERT_EQ(dialogs.size(), 2u);
    for (HWND dialog : dialogs) {
        std::string seen = ItemText(dialog, IDC_NOTIFY_TEXT) + "|" + ItemText(dialog, IDOK);
        bool alphas = seen == "alpha question|Alpha one";
        EXPECT_TRUE(alphas || seen == "beta question|Beta one") << seen;
        EXPECT_EQ(ItemVisible(dialog, IDC_NOTIFY_THIRD), !alphas);
        PressDialogButton(dialog, alphas ? IDCANCEL : IDC_NOTIFY_THIRD);
        EXPECT_TRUE(PumpUntil([&] { return !IsWindow(dialog); }));
    }
    alpha.join();
    beta.join();
    EXPECT_EQ(answers[0], AnswerSecond);
    EXPECT_EQ(answers[1], AnswerThird);
    EXPECT_EQ(notify.modalBusy, 0);
}

// Posted to a question to make its thread end right there, inside the
// dialog's message loop, where it holds no lock of the system.
constexpr UINT kEndThreadMessage = WM_APP + 0x77;

LRESULT CALLBACK EndThreadHook(int code, WPARAM wParam, LPARAM lParam) {
    const MSG* message = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && message->message == kEndThreadMessage)
        ExitThread(0);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

DWORD WINAPI AskFromMonitor(LPVOID owner) {
    ShowNotification(static_cast<HWND>(owner), 1, "File has been modified externally.",
                     "Reload modified file", "Keep monitoring", nullptr, 0, 0,
                     GetModuleHandleA(nullptr));
    return 0;
}

// A thread ended while its question is open (the file monitor's last
// resort) leaves no trace once the reset has run; a reset while the
// question's thread lives keeps the question and its owner's lock.
TEST_F(Notify, TheResetForgetsOnlyTheQuestionOfAnEndedThread) {
    HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPED, 0, 0, 100, 100, nullptr,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
    DWORD threadId = 0;
    HANDLE thread = CreateThread(nullptr, 0, AskFromMonitor, owner, 0, &threadId);
    HWND question = WaitForNotification();
    ASSERT_NE(question, nullptr);
    ResetNotifyState();
    EXPECT_TRUE(NotificationsOpen());
    EXPECT_EQ(notify.modalBusy, 1);
    EXPECT_FALSE(IsWindowEnabled(owner));

    HHOOK hook = SetWindowsHookExA(WH_GETMESSAGE, EndThreadHook, nullptr, threadId);
    PostMessageA(question, kEndThreadMessage, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; }));
    UnhookWindowsHookEx(hook);
    CloseHandle(thread);
    EXPECT_TRUE(PumpUntil([&] { return OpenNotifications().empty(); }));
    EXPECT_EQ(notify.modalBusy, 1);
    ResetNotifyState();
    EXPECT_FALSE(NotificationsOpen());
    EXPECT_EQ(notify.modalBusy, 0);
    EXPECT_TRUE(IsWindowEnabled(owner));
    DestroyWindow(owner);
}

} // namespace
