// The autosave tick and the status expiry tick, driven by calling the timer
// handler directly.
#include "MainWindowFixture.h"

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

TEST_F(AutosaveTest, HiddenAndDirectoryCopiesKeepTheDocumentsFormat) {
    settings.AutoSaveMode = AutosaveDirectory;
    TextCopy(folder.path().c_str(), settings.AutoSaveDirectory); // ends in "\"
    Edit("no name yet");
    Tick();
    EXPECT_EQ(FileBytes(folder.File("backup_Untitled")), "no name yet");
    std::string bare = folder.path().substr(0, folder.path().size() - 1);
    TextCopy(bare.c_str(), settings.AutoSaveDirectory); // no "\"
    OpenWith("r.rtf", "{\\rtf1\\ansi Rich \\b bold\\b0\\par}");
    Edit(nullptr);
    Tick();
    EXPECT_EQ(FileBytes(folder.File("backup_r.rtf")).substr(0, 5), "{\\rtf");

    settings.AutoSaveMode = AutosaveHidden; // one file in the data folder
    const std::string hidden = folder.File("KvAuto.txt");
    const std::string wide("\xFF\xFEw\0i\0d\0e\0", 10);
    OpenWith("u.txt", wide);
    Edit(nullptr);
    Tick();
    EXPECT_EQ(FileBytes(hidden), wide);
    EXPECT_EQ(FileBytes(folder.File("u.txt")), wide);
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

TEST_F(AutosaveTest, TheReminderOnlyAsksAndItsSecondButtonStopsTheTimer) {
    settings.AutoSaveEnabled = 1;
    SetAutosaveTimer();
    // Remind mode only asks; "OK" keeps the timer, the second button stops it.
    settings.AutoSaveMode = AutosaveRemind;
    OpenWith("a.txt", "original");
    Edit("edited");
    std::string message;
    Answer(
        kAsk, IDOK, [&] { Tick(); }, [&](HWND q) { message = ItemText(q, IDC_NOTIFY_TEXT); });
    EXPECT_EQ(message, "Save File");
    EXPECT_EQ(FileBytes(folder.File("a.txt")), "original");
    EXPECT_FALSE(FileExists(folder.File("a.txt Backup")));
    EXPECT_TRUE(KillTimer(app.mainWindow, TIMER_AUTOSAVE));
    SetTimer(app.mainWindow, TIMER_AUTOSAVE, 60000, nullptr);
    Answer(kAsk, IDCANCEL, [&] { Tick(); }); // "Stop AutoSave reminder"
    EXPECT_FALSE(KillTimer(app.mainWindow, TIMER_AUTOSAVE));
}
