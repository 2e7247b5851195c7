// The watch for outside changes, with a real main window, a real watching
// thread and real files: the test thread plays the other program that
// rewrites the file, and answers the questions the watch asks.
#include "MainWindowFixture.h"

#include <vector>

namespace {

BOOL CALLBACK CountQuestion(HWND window, LPARAM count) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId() && IsWindowVisible(window) &&
        GetDlgItem(window, IDC_NOTIFY_TEXT))
        ++*reinterpret_cast<int*>(count);
    return TRUE;
}

int OpenQuestions() {
    int count = 0;
    EnumWindows(CountQuestion, reinterpret_cast<LPARAM>(&count));
    return count;
}

class MonitorTest : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        settings.MonitorFile = 1;
        OpenWith("watched.txt", "first");
        path = folder.File("watched.txt");
        ASSERT_TRUE(PumpUntil([] { return MonitorRunning(); }));
    }
    // Rewrites the file as another program would, a second later each time:
    // coarse file-system clocks can give two quick writes the same time, and
    // the watch goes by the time alone.
    void Rewrite(const std::string& text) {
        ASSERT_TRUE(WriteWholeFile(path, text));
        HANDLE file =
            CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        FILETIME time;
        GetSystemTimeAsFileTime(&time);
        ULARGE_INTEGER value = {{time.dwLowDateTime, time.dwHighDateTime}};
        value.QuadPart += ++rewrites * 10000000ull;
        time = {value.LowPart, value.HighPart};
        SetFileTime(file, nullptr, nullptr, &time);
        CloseHandle(file);
    }
    // The question must come, alone, and is answered with `button`.
    HWND WaitAndAnswer(int button) {
        HWND question = nullptr;
        PumpUntil([&] { return (question = FindOwnWindow(kAsk)) != nullptr; });
        if (question == nullptr) {
            ADD_FAILURE() << "no question came";
            return nullptr;
        }
        EXPECT_EQ(ItemText(question, IDC_NOTIFY_TEXT), "File has been modified externally.");
        EXPECT_EQ(GetWindow(question, GW_OWNER), app.mainWindow);
        EXPECT_EQ(OpenQuestions(), 1);
        if (button != 0) {
            PostMessageA(GetDlgItem(question, button), BM_CLICK, 0, 0);
            EXPECT_TRUE(PumpUntil([&] { return !IsWindow(question); }));
        }
        return question;
    }
    // Waits until the watch has looked at a change to another file of the
    // folder, so that whatever came before it has been looked at too; then
    // no question may be open.
    void NothingAsked() {
        LONG before = MonitorWakeCount();
        ASSERT_TRUE(WriteWholeFile(folder.File("other.txt"), std::to_string(before)));
        EXPECT_TRUE(PumpUntil([&] { return MonitorWakeCount() > before; })) << "the watch slept";
        EXPECT_EQ(OpenQuestions(), 0);
    }
    std::string path;
    int rewrites = 0;
};

TEST_F(MonitorTest, AsksOnceKeepMonitoringAsksAgainForALaterChangeAndReloadReloads) {
    Rewrite("second");
    WaitAndAnswer(IDCANCEL); // "Keep monitoring"
    NothingAsked();          // the same change is not asked about again
    EXPECT_EQ(EditorText(), "first");

    // A later change is, and the reload takes the new text without asking
    // about the unsaved edits, and brings the window back.
    SetModified(true);
    ShowWindow(app.mainWindow, SW_MINIMIZE);
    Rewrite("third");
    WaitAndAnswer(IDOK);
    EXPECT_TRUE(PumpUntil([&] { return EditorText() == "third"; })) << EditorText();
    EXPECT_EQ(OpenQuestions(), 0);
    EXPECT_FALSE(IsIconic(app.mainWindow));
    EXPECT_FALSE(Modified());
    // The reload watches again from the reloaded file.
    EXPECT_TRUE(PumpUntil([] { return MonitorRunning(); }));
    Rewrite("fourth");
    WaitAndAnswer(IDCANCEL);
}

// The document's own save, copies written beside it and attributes are no
// outside change; but a change that landed before a copy was written is.
TEST_F(MonitorTest, OwnSavesAndCopiesNeverAskButAChangeBeforeACopyDoes) {
    settings.AutoSaveMode = AutosaveCopy;
    StopFileMonitor(); // the change lands before the watch has looked
    Rewrite("outside");
    SetModified(true);
    OnMainTimer(app.mainWindow, TIMER_AUTOSAVE);
    WaitAndAnswer(IDCANCEL);

    Command(IDM_SAVE);
    EXPECT_EQ(FileBytes(path), "first");
    SetModified(true);
    OnMainTimer(app.mainWindow, TIMER_AUTOSAVE);
    EXPECT_TRUE(FileExists(path + " Backup"));
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    NothingAsked();
    Rewrite("later"); // and the watch is alive: a real change still asks
    WaitAndAnswer(IDCANCEL);
}

TEST_F(MonitorTest, TurnedOffTheWatchEndsAtItsNextWakeAndComesBackWithASave) {
    settings.MonitorFile = 0;
    Rewrite("second");
    EXPECT_TRUE(PumpUntil([] { return !MonitorRunning(); }));
    EXPECT_EQ(OpenQuestions(), 0);
    settings.MonitorFile = 1;
    SetModified(true);
    Command(IDM_SAVE);
    ASSERT_TRUE(PumpUntil([] { return MonitorRunning(); }));
    Rewrite("third");
    WaitAndAnswer(IDCANCEL);
}

// What a save or an open does first: the open question closes, the thread
// ends by itself, the window takes input again, nothing is reloaded.
TEST_F(MonitorTest, StoppingWhileTheQuestionIsOpenClosesItAndFreesTheWindow) {
    for (int round = 0; round < 2; ++round) {
        Rewrite("change " + std::to_string(round));
        HWND question = WaitAndAnswer(0);
        ASSERT_NE(question, nullptr);
        EXPECT_FALSE(IsWindowEnabled(app.mainWindow));
        LONG forced = MonitorForcedStops();
        StopFileMonitor();
        EXPECT_EQ(MonitorForcedStops(), forced);
        EXPECT_FALSE(IsWindow(question));
        EXPECT_FALSE(MonitorRunning());
        EXPECT_EQ(notify.modalBusy, 0);
        EXPECT_TRUE(IsWindowEnabled(app.mainWindow));
        EXPECT_EQ(EditorText(), "first");
        RestartFileMonitor();
        ASSERT_TRUE(PumpUntil([] { return MonitorRunning(); }));
    }
}

} // namespace
