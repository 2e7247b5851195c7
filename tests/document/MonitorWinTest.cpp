// The watch for outside changes, with a real main window, a real watching
// thread and real files: the test thread plays the other program that
// rewrites the file, and answers the questions the watch asks.
#include "MainWindowFixture.h"

#include "document/Save.h"

#include <thread>
#include <vector>

namespace {

constexpr DWORD kWaitMs = 10000;
constexpr const char* kQuestion = "File has been modified externally.";

BOOL CALLBACK CollectQuestion(HWND window, LPARAM param) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char className[16] = "";
    GetClassNameA(window, className, sizeof className);
    if (process == GetCurrentProcessId() && std::strcmp(className, "#32770") == 0 &&
        IsWindowVisible(window) && GetDlgItem(window, IDC_NOTIFY_TEXT))
        reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
    return TRUE;
}

std::vector<HWND> OpenQuestions() {
    std::vector<HWND> found;
    EnumWindows(CollectQuestion, reinterpret_cast<LPARAM>(&found));
    return found;
}

class MonitorTest : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        settings.MonitorFile = 1;
        path = folder.File("watched.txt");
        ASSERT_TRUE(WriteWholeFile(path, "first"));
        TextCopy(path.c_str(), doc.fileName);
        OpenDocument();
        ASSERT_EQ(EditorText(), "first");
        ASSERT_TRUE(PumpUntil([] { return MonitorRunning(); }, kWaitMs));
    }

    // Rewrites the file as another program would, giving it a write time
    // of its own: coarse file-system clocks can give two quick writes the
    // same time, and the watch goes by the time alone.
    void Rewrite(const std::string& text) {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        FILETIME time;
        GetSystemTimeAsFileTime(&time);
        ULARGE_INTEGER value = {{time.dwLowDateTime, time.dwHighDateTime}};
        value.QuadPart += ++rewrites * 10000000ull; // a second apart
        time = {value.LowPart, value.HighPart};
        SetFileTime(file, nullptr, nullptr, &time);
        CloseHandle(file);
    }

    HWND WaitForQuestion() {
        HWND question = nullptr;
        PumpUntil(
            [&] {
                std::vector<HWND> open = OpenQuestions();
                question = open.empty() ? nullptr : open.front();
                return question != nullptr;
            },
            kWaitMs);
        return question;
    }

    void Answer(HWND question, int button) {
        PostMessageA(GetDlgItem(question, button), BM_CLICK, 0, 0);
        EXPECT_TRUE(PumpUntil([&] { return !IsWindow(question); }, kWaitMs));
    }

    // Waits until the watch has looked at a change to another file of the
    // folder, so that whatever came before it has been looked at too.
    void WaitForTheWatchToLook() {
        LONG before = MonitorWakeCount();
        ASSERT_TRUE(WriteWholeFile(folder.File("other.txt"), std::to_string(before)));
        EXPECT_TRUE(PumpUntil([&] { return MonitorWakeCount() > before; }, kWaitMs))
            << "the watch never woke";
    }

    std::string path;
    int rewrites = 0;
};

TEST_F(MonitorTest, AsksOnceKeepMonitoringAsksAgainForALaterChangeAndReloadReloads) {
    Rewrite("second");
    HWND question = WaitForQuestion();
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(ItemText(question, IDC_NOTIFY_TEXT), kQuestion);
    EXPECT_EQ(GetWindow(question, GW_OWNER), app.mainWindow);
    EXPECT_EQ(OpenQuestions().size(), 1u);
    Answer(question, IDCANCEL);

    // The same change is not asked about again.
    WaitForTheWatchToLook();
    EXPECT_TRUE(OpenQuestions().empty());
    EXPECT_EQ(EditorText(), "first");

    // A later change is, and the reload takes the new text without asking
    // about the unsaved edits, and brings the window back.
    SendMessageA(app.editorWindow, EM_SETMODIFY, TRUE, 0);
    ShowWindow(app.mainWindow, SW_MINIMIZE);
    Rewrite("third");
    question = WaitForQuestion();
    ASSERT_NE(question, nullptr);
    Answer(question, IDOK);
    EXPECT_TRUE(PumpUntil([&] { return EditorText() == "third"; }, kWaitMs)) << EditorText();
    EXPECT_TRUE(OpenQuestions().empty());
    EXPECT_FALSE(IsIconic(app.mainWindow));
    EXPECT_EQ(SendMessageA(app.editorWindow, EM_GETMODIFY, 0, 0), 0);
    // The reload watches again from the reloaded file.
    EXPECT_TRUE(PumpUntil([] { return MonitorRunning(); }, kWaitMs));
    Rewrite("fourth");
    question = WaitForQuestion();
    ASSERT_NE(question, nullptr);
    Answer(question, IDCANCEL);
}

TEST_F(MonitorTest, OwnSavesCopiesBesideItOtherFilesAndAttributesNeverAsk) {
    SendMessageA(app.editorWindow, EM_SETSEL, 5, 5);
    SendMessageA(app.editorWindow, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(" edited"));
    Command(IDM_SAVE);
    std::string saved;
    ASSERT_TRUE(ReadWholeFile(path, &saved));
    EXPECT_EQ(saved, "first edited");
    EXPECT_TRUE(PumpUntil([] { return MonitorRunning(); }, kWaitMs));

    // An autosave copy next to the file.
    settings.AutoSaveMode = 1;
    SendMessageA(app.editorWindow, EM_SETMODIFY, TRUE, 0);
    OnMainTimer(app.mainWindow, TIMER_AUTOSAVE);
    EXPECT_TRUE(FileExists(path + " Backup"));

    // Attributes alone.
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);

    WaitForTheWatchToLook();
    EXPECT_TRUE(OpenQuestions().empty());

    // The watch is alive all the same: the first question is for a real change.
    Rewrite("changed");
    HWND question = WaitForQuestion();
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(OpenQuestions().size(), 1u);
    Answer(question, IDCANCEL);
}

TEST_F(MonitorTest, AChangeThatCameWhileACopyWasWrittenIsStillReported) {
    settings.AutoSaveMode = 1;
    // The outside change lands before the watch has looked (here: while it
    // is held off), and then the program writes a copy beside the file.
    StopFileMonitor();
    Rewrite("outside");
    SendMessageA(app.editorWindow, EM_SETMODIFY, TRUE, 0);
    OnMainTimer(app.mainWindow, TIMER_AUTOSAVE);
    HWND question = WaitForQuestion();
    ASSERT_NE(question, nullptr);
    Answer(question, IDCANCEL);

    // The document's own save is no outside change, before a copy or after.
    Command(IDM_SAVE);
    SendMessageA(app.editorWindow, EM_SETMODIFY, TRUE, 0);
    OnMainTimer(app.mainWindow, TIMER_AUTOSAVE);
    WaitForTheWatchToLook();
    EXPECT_TRUE(OpenQuestions().empty());
    // And the watch is alive: a real change still asks.
    Rewrite("later");
    question = WaitForQuestion();
    ASSERT_NE(question, nullptr);
    Answer(question, IDCANCEL);
}

TEST_F(MonitorTest, TurningTheSettingOffEndsTheWatchAtItsNextWakeWithoutAsking) {
    settings.MonitorFile = 0;
    Rewrite("second");
    EXPECT_TRUE(PumpUntil([] { return !MonitorRunning(); }, kWaitMs));
    EXPECT_TRUE(OpenQuestions().empty());

    // Turned on again, it takes effect at the next save.
    settings.MonitorFile = 1;
    SendMessageA(app.editorWindow, EM_SETMODIFY, TRUE, 0);
    Command(IDM_SAVE);
    ASSERT_TRUE(PumpUntil([] { return MonitorRunning(); }, kWaitMs));
    Rewrite("third");
    HWND question = WaitForQuestion();
    ASSERT_NE(question, nullptr);
    Answer(question, IDCANCEL);
}

TEST_F(MonitorTest, StoppingWhileTheQuestionIsOpenClosesItAndFreesTheWindow) {
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        Rewrite("change " + std::to_string(round));
        HWND question = WaitForQuestion();
        ASSERT_NE(question, nullptr);
        EXPECT_FALSE(IsWindowEnabled(app.mainWindow));
        // What a save or an open does first. The thread ends by itself.
        LONG forced = MonitorForcedStops();
        StopFileMonitor();
        EXPECT_EQ(MonitorForcedStops(), forced);
        EXPECT_FALSE(IsWindow(question));
        EXPECT_TRUE(OpenQuestions().empty());
        EXPECT_FALSE(MonitorRunning());
        EXPECT_EQ(notify.modalBusy, 0);
        EXPECT_TRUE(IsWindowEnabled(app.mainWindow));
        // The editor was not reloaded behind the user's back.
        EXPECT_EQ(EditorText(), "first");
        RestartFileMonitor();
        ASSERT_TRUE(PumpUntil([] { return MonitorRunning(); }, kWaitMs));
    }
}

} // namespace
