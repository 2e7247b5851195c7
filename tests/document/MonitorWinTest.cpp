// What runs behind the user's back, with a real main window and real files:
// the watch for outside changes (the test thread plays the other program
// that rewrites the file, and answers the questions the watch asks) and the
// autosave tick, driven by calling the timer handler directly.
#include "MainWindowFixture.h"

namespace {

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
    // The question must come, alone, and is answered with `button` (0: left
    // open).
    HWND WaitAndAnswer(int button) {
        HWND question = nullptr;
        PumpUntil([&] { return (question = FindOwnWindow(kAsk)) != nullptr; });
        if (question == nullptr) {
            ADD_FAILURE() << "no question came";
            return nullptr;
        }
        EXPECT_EQ(ItemText(question, IDC_NOTIFY_TEXT), "File has been modified externally.");
        if (button != 0) {
            PostMessageA(GetDlgItem(question, button), BM_CLICK, 0, 0);
            EXPECT_TRUE(PumpUntil([&] { return !IsWindow(question); }));
            EXPECT_EQ(FindOwnWindow(kAsk), nullptr) << "asked twice";
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
        EXPECT_EQ(FindOwnWindow(kAsk), nullptr);
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
    EXPECT_EQ(FindOwnWindow(kAsk), nullptr);
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

// What a save or an open does first: the open question closes, the thread
// ends by itself, the window takes input again, nothing is reloaded.
TEST_F(MonitorTest, StoppingWhileTheQuestionIsOpenClosesItAndFreesTheWindow) {
    for (int round = 0; round < 2; ++round) { // and again after the restart
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

namespace {

class AutosaveTest : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        CreateBarsWithStrip();
        settings.AutoSaveNewFiles = 1;
        settings.AutoSaveKeepTrying = 0;
        settings.AutoSaveMode = AutosaveCopy;
    }
    void Edit(const char* text) {
        if (text != nullptr)
            SetText(text);
        SetModified(true);
    }
    void Tick() { OnMainTimer(app.mainWindow, TIMER_AUTOSAVE); }
    // Whether a tick offered the Save dialog, which is answered `button`.
    bool TickOffersSaveAs(int button, const std::string& name = "") {
        return DialogDuring(
            "Save As",
            [&](HWND d) {
                SetDlgItemTextA(d, 0x480, name.c_str());
                SetDlgItemTextA(d, 0x47c, name.c_str());
                PressDialogButton(d, button);
            },
            [&] { Tick(); });
    }
};

} // namespace

TEST_F(AutosaveTest, CopyModeWritesABackupAndLeavesTheDocumentAsItWas) {
    OpenWith("a.txt", "original");
    Edit("first edit");
    const std::string backup = folder.File("a.txt Backup");
    const std::string opened = Status();
    const FILETIME written = doc.fileWriteTime;
    Tick();
    EXPECT_EQ(FileBytes(backup), "first edit");
    EXPECT_EQ(FileBytes(folder.File("a.txt")), "original");
    EXPECT_TRUE(Modified());
    EXPECT_EQ(Status(2), "Auto Saved");
    EXPECT_EQ(Status(), opened); // a copy is quiet: no "Saved at"
    EXPECT_EQ(CompareFileTime(&written, &doc.fileWriteTime), 0);
    // Never while a dialog of the program is open.
    Edit("second edit");
    notify.modalBusy = 1;
    Tick();
    EXPECT_EQ(FileBytes(backup), "first edit");
    EXPECT_EQ(notify.modalBusy, 1);
    notify.modalBusy = 0;
    Tick();
    EXPECT_EQ(FileBytes(backup), "second edit");

    settings.AutoSaveMode = AutosaveOriginal; // as the Save command does
    Edit("saved");
    Tick();
    EXPECT_EQ(FileBytes(folder.File("a.txt")), "saved");
    EXPECT_FALSE(Modified());
    EXPECT_EQ(Status(), "Saved at 5 bytes");
}

TEST_F(AutosaveTest, HiddenAndDirectoryCopiesKeepTheDocumentsEncoding) {
    settings.AutoSaveMode = AutosaveHidden; // one file in the data folder
    const std::string hidden = folder.File("KvAuto.txt");
    const std::string wide("\xFF\xFEw\0i\0d\0e\0", 10);
    OpenWith("u.txt", wide);
    Edit(nullptr);
    Tick();
    EXPECT_EQ(FileBytes(hidden), wide);
    EXPECT_EQ(FileBytes(folder.File("u.txt")), wide);
    settings.AutoSaveMode = AutosaveDirectory; // a folder named without its "\"
    TextCopy(folder.path().substr(0, folder.path().size() - 1).c_str(), settings.AutoSaveDirectory);
    Tick();
    EXPECT_EQ(FileBytes(folder.File("backup_u.txt")), wide);
}

TEST_F(AutosaveTest, AFailedCopyIsReportedAndThePreviousCopyStaysUntilTheCauseIsGone) {
    OpenWith("a.txt", "original");
    Edit("edit one");
    const std::string backup = folder.File("a.txt Backup");
    ASSERT_TRUE(CreateDirectoryA(backup.c_str(), nullptr));
    Tick();
    EXPECT_EQ(Status().substr(0, 10), "Save Error"); // ", Modified" may follow
    EXPECT_EQ(Status(2), "");
    EXPECT_TRUE(Modified());
    ASSERT_TRUE(RemoveDirectoryA(backup.c_str()));
    Tick();
    EXPECT_EQ(FileBytes(backup), "edit one");
    EXPECT_EQ(Status(2), "Auto Saved");
    // A copy that cannot be replaced stays whole; the failure is reported
    // even though copies are otherwise quiet.
    settings.ShowFileErrors = 1;
    Edit("edit two");
    HANDLE held = CreateFileA(backup.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    std::string message;
    Answer(
        kAsk, IDOK, [&] { Tick(); }, [&](HWND q) { message = ItemText(q, IDC_NOTIFY_TEXT); });
    EXPECT_EQ(message, "Save Error");
    CloseHandle(held);
    EXPECT_EQ(FileBytes(backup), "edit one");
    Tick();
    EXPECT_EQ(FileBytes(backup), "edit two");
}

TEST_F(AutosaveTest, AnUnnamedDocumentIsOfferedTheSaveDialogUntilDeclined) {
    Edit("draft");
    EXPECT_TRUE(TickOffersSaveAs(IDCANCEL));
    EXPECT_TRUE(Modified());
    EXPECT_FALSE(TickOffersSaveAs(IDCANCEL)) << "declined once, not offered again";
    ClearAutosaveHint();
    settings.AutoSaveKeepTrying = 1;
    EXPECT_TRUE(TickOffersSaveAs(IDCANCEL)) << "offered again with \"Keep trying\"";
    // A name chosen there makes the document that file; later ticks copy it.
    const std::string chosen = folder.File("chosen.txt");
    EXPECT_TRUE(TickOffersSaveAs(IDOK, chosen));
    EXPECT_EQ(FileBytes(chosen), "draft");
    EXPECT_EQ(std::string(doc.fileName), chosen);
    Edit(nullptr);
    Tick();
    EXPECT_EQ(FileBytes(chosen + " Backup"), "draft");
}
