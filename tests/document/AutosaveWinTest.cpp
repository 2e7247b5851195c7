// The autosave tick and the status expiry tick, driven by calling the timer
// handler directly; dialogs the tick opens are answered by a helper thread.
#include "MainWindowFixture.h"

#include "app/Bars.h"
#include "document/DocumentNames.h"
#include "document/Lifecycle.h"

#include <atomic>
#include <thread>
#include <vector>

namespace {

// Answers every dialog of this process that opens while it lives: records
// its caption and message, types `fileName` into a file dialog's name field
// (edt1 or cmb13, whichever the dialog has) when one is given, and presses
// `button`.
class DialogAnswerer {
  public:
    explicit DialogAnswerer(int button, std::string fileName = "")
        : button_(button), fileName_(std::move(fileName)), thread_([this] { Run(); }) {}
    ~DialogAnswerer() { Stop(); }
    // Stops watching; the dialogs seen, as "caption|message".
    const std::vector<std::string>& Stop() {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        return seen_;
    }

  private:
    static BOOL CALLBACK Find(HWND window, LPARAM param) {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        char className[16] = "";
        GetClassNameA(window, className, sizeof className);
        if (process == GetCurrentProcessId() && IsWindowVisible(window) &&
            std::strcmp(className, "#32770") == 0) {
            *reinterpret_cast<HWND*>(param) = window;
            return FALSE;
        }
        return TRUE;
    }
    void Run() {
        while (!stop_) {
            HWND dialog = nullptr;
            EnumWindows(Find, reinterpret_cast<LPARAM>(&dialog));
            if (dialog == nullptr) {
                Sleep(10);
                continue;
            }
            char caption[128] = "", message[128] = "";
            GetWindowTextA(dialog, caption, sizeof caption);
            GetDlgItemTextA(dialog, IDC_NOTIFY_TEXT, message, sizeof message);
            seen_.push_back(std::string(caption) + "|" + message);
            if (!fileName_.empty()) {
                SetDlgItemTextA(dialog, 0x480, fileName_.c_str());
                SetDlgItemTextA(dialog, 0x47c, fileName_.c_str());
            }
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button_, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(dialog, button_)));
            for (DWORD start = GetTickCount();
                 IsWindowVisible(dialog) && GetTickCount() - start < 5000;)
                Sleep(10);
        }
    }
    int button_;
    std::string fileName_;
    std::atomic<bool> stop_{false};
    std::vector<std::string> seen_;
    std::thread thread_;
};

class AutosaveTest : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        CreateBars();
        settings.ShowFileErrors = 0;
        settings.AutoSaveNewFiles = 1;
        settings.AutoSaveKeepTrying = 0;
    }
    void Edit(const char* text) {
        if (text != nullptr)
            SetWindowTextA(app.editorWindow, text);
        SendMessageA(app.editorWindow, EM_SETMODIFY, TRUE, 0);
    }
    // Opens a file of these bytes and changes its text (or only marks it).
    void OpenEdited(const std::string& name, const std::string& bytes, const char* text) {
        ASSERT_TRUE(WriteWholeFile(folder.File(name), bytes));
        TextCopy(folder.File(name).c_str(), doc.fileName);
        OpenDocument();
        Edit(text);
    }
    void Tick() { OnMainTimer(app.mainWindow, TIMER_AUTOSAVE); }
    // One tick with every dialog it opens answered; the dialogs seen.
    std::vector<std::string> TickAnswering(int button, const std::string& fileName = "") {
        DialogAnswerer answerer(button, fileName);
        Tick();
        return answerer.Stop();
    }
    bool Modified() { return SendMessageA(app.editorWindow, EM_GETMODIFY, 0, 0) != 0; }
    std::string Part(int part) {
        char text[600] = {};
        SendMessageA(app.statusBar, SB_GETTEXTA, part, reinterpret_cast<LPARAM>(text));
        return text;
    }
    std::string Bytes(const std::string& path) {
        std::string bytes = "(none)";
        ReadWholeFile(path, &bytes);
        return bytes;
    }
};

const std::vector<std::string> kNone;

} // namespace

TEST_F(AutosaveTest, CopyModeWritesABackupAndLeavesTheDocumentAsItWas) {
    settings.AutoSaveMode = AutosaveCopy;
    OpenEdited("a.txt", "original", "first edit");
    const std::string backup = folder.File("a.txt Backup");
    const std::string opened = Part(3);
    const FILETIME written = doc.fileWriteTime;
    Tick();
    EXPECT_EQ(Bytes(backup), "first edit");
    EXPECT_EQ(Bytes(folder.File("a.txt")), "original");
    EXPECT_TRUE(Modified());
    EXPECT_EQ(Part(2), "Auto Saved");
    EXPECT_EQ(Part(3), opened); // a copy is quiet: no "Saved at"
    EXPECT_EQ(std::string(doc.fileName), folder.File("a.txt"));
    EXPECT_EQ(CompareFileTime(&written, &doc.fileWriteTime), 0);

    // An unmodified document is never copied.
    SetWindowTextA(app.editorWindow, "second edit");
    SendMessageA(app.editorWindow, EM_SETMODIFY, FALSE, 0);
    SetStatusPart(2, "");
    Tick();
    EXPECT_EQ(Bytes(backup), "first edit");
    EXPECT_EQ(Part(2), "");

    // Nor while a dialog of the program is open, whose flag stays set.
    Edit(nullptr);
    notify.modalBusy = 1;
    Tick();
    EXPECT_EQ(Bytes(backup), "first edit");
    EXPECT_EQ(notify.modalBusy, 1);
    notify.modalBusy = 0;
    Tick();
    EXPECT_EQ(Bytes(backup), "second edit");
    EXPECT_EQ(notify.modalBusy, 0);

    // Original mode saves the document itself, as the Save command does.
    settings.AutoSaveMode = AutosaveOriginal;
    Edit("saved");
    Tick();
    EXPECT_EQ(Bytes(folder.File("a.txt")), "saved");
    EXPECT_EQ(Bytes(backup), "second edit");
    EXPECT_FALSE(Modified());
    EXPECT_EQ(Part(3), "Saved at 5 bytes");
}

TEST_F(AutosaveTest, HiddenAndDirectoryCopiesKeepTheDocumentsFormat) {
    // Directory mode names a document without a name "Untitled".
    settings.AutoSaveMode = AutosaveDirectory;
    TextCopy(folder.path().c_str(), settings.AutoSaveDirectory); // ends in "\"
    Edit("no name yet");
    Tick();
    EXPECT_EQ(Bytes(folder.File("backup_Untitled")), "no name yet");

    ASSERT_TRUE(CreateDirectoryA(folder.File("bk").c_str(), nullptr));
    TextCopy(folder.File("bk").c_str(), settings.AutoSaveDirectory); // no "\"
    OpenEdited("r.rtf", "{\\rtf1\\ansi Rich \\b bold\\b0\\par}", nullptr);
    ASSERT_EQ(doc.richText, 1);
    SetStatusPart(2, "");
    Tick();
    std::string rich = Bytes(folder.File("bk\\backup_r.rtf"));
    EXPECT_EQ(rich.substr(0, 5), "{\\rtf") << rich;
    EXPECT_NE(rich.find("bold"), std::string::npos);
    EXPECT_EQ(Part(2), "Auto Saved");

    // Hidden mode: one file in the data folder for every document.
    settings.AutoSaveMode = AutosaveHidden;
    const std::string hidden = std::string(app.dataFolder) + "KvAuto.txt";
    const std::string wide("\xFF\xFEw\0i\0d\0e\0", 10);
    OpenEdited("u.txt", wide, nullptr);
    ASSERT_EQ(doc.unicodeText, 1);
    Tick();
    EXPECT_EQ(Bytes(hidden), wide);
    OpenEdited("p.txt", "x", "plain");
    Tick();
    EXPECT_EQ(Bytes(hidden), "plain");
    EXPECT_EQ(Bytes(folder.File("p.txt")), "x");
}

TEST_F(AutosaveTest, FailedCopyReportsAndKeepsThePreviousCopyUntilTheCauseIsGone) {
    settings.AutoSaveMode = AutosaveCopy;
    OpenEdited("a.txt", "original", "edit one");
    const std::string backup = folder.File("a.txt Backup");
    ASSERT_TRUE(CreateDirectoryA(backup.c_str(), nullptr));
    SetStatusPart(2, "");
    Tick();
    EXPECT_EQ(Part(3).substr(0, 10), "Save Error"); // ", Modified" may follow
    EXPECT_EQ(std::string(doc.statusText).substr(0, 10), "Save Error");
    EXPECT_EQ(Part(2), "");
    EXPECT_TRUE(GetFileAttributesA(backup.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_TRUE(Modified());
    ASSERT_TRUE(RemoveDirectoryA(backup.c_str()));
    Tick();
    EXPECT_EQ(Bytes(backup), "edit one");
    EXPECT_EQ(Part(2), "Auto Saved");

    // A previous copy that cannot be replaced stays whole; the failure is
    // reported even though copies are otherwise quiet.
    settings.ShowFileErrors = 1;
    Edit("edit two");
    HANDLE held = CreateFileA(backup.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(TickAnswering(IDOK), std::vector<std::string>{"Korvid 1.2|Save Error"});
    CloseHandle(held);
    EXPECT_EQ(Bytes(backup), "edit one");
    Tick();
    EXPECT_EQ(Bytes(backup), "edit two");

    // Directory mode with a folder that is not there.
    settings.ShowFileErrors = 0;
    settings.AutoSaveMode = AutosaveDirectory;
    const std::string later = folder.File("later");
    TextCopy(later.c_str(), settings.AutoSaveDirectory);
    TextCopy("", doc.statusText);
    Tick();
    EXPECT_EQ(std::string(doc.statusText).substr(0, 10), "Save Error");
    ASSERT_TRUE(CreateDirectoryA(later.c_str(), nullptr));
    Tick();
    EXPECT_EQ(Bytes(later + "\\backup_a.txt"), "edit two");
}

TEST_F(AutosaveTest, UnnamedDocumentIsOfferedTheSaveDialogUntilDeclined) {
    settings.AutoSaveMode = AutosaveCopy;
    Edit("draft");
    const std::vector<std::string> saveDialog = {"Save As|"};
    EXPECT_EQ(TickAnswering(IDCANCEL), saveDialog);
    EXPECT_EQ(autosave.hintDeclined, 1);
    EXPECT_TRUE(Modified());
    EXPECT_EQ(TickAnswering(IDCANCEL), kNone) << "declined once, not offered again";
    ClearAutosaveHint();
    settings.AutoSaveKeepTrying = 1;
    EXPECT_EQ(TickAnswering(IDCANCEL), saveDialog);
    EXPECT_EQ(TickAnswering(IDCANCEL), saveDialog);
    EXPECT_EQ(autosave.hintDeclined, 0);
    settings.AutoSaveNewFiles = 0;
    EXPECT_EQ(TickAnswering(IDCANCEL), kNone);

    // A name chosen in the dialog makes the document that file; later ticks
    // copy it beside the file.
    settings.AutoSaveNewFiles = 1;
    const std::string chosen = folder.File("chosen.txt");
    EXPECT_EQ(TickAnswering(IDOK, chosen), saveDialog);
    EXPECT_EQ(Bytes(chosen), "draft");
    EXPECT_EQ(std::string(doc.fileName), chosen);
    Edit(nullptr);
    Tick();
    EXPECT_EQ(Bytes(chosen + " Backup"), "draft");
}

TEST_F(AutosaveTest, TimerArmsOnceStopsWhenOffAndTheReminderCanStopIt) {
    settings.AutoSaveEnabled = 1;
    SetAutosaveTimer();
    SetAutosaveTimer();
    EXPECT_EQ(autosave.autosaveTimerSet, 1);
    settings.AutoSaveEnabled = 0;
    SetAutosaveTimer();
    EXPECT_EQ(autosave.autosaveTimerSet, 0);
    EXPECT_FALSE(KillTimer(app.mainWindow, TIMER_AUTOSAVE)) << "killed when autosave is off";
    settings.AutoSaveEnabled = 1;
    SetAutosaveTimer();
    EXPECT_EQ(autosave.autosaveTimerSet, 1);

    // Remind mode only asks; "OK" keeps the timer, the second button stops it.
    settings.AutoSaveMode = AutosaveRemind;
    OpenEdited("a.txt", "original", "edited");
    EXPECT_EQ(TickAnswering(IDOK), std::vector<std::string>{"Korvid 1.2|Save File"});
    EXPECT_TRUE(Modified());
    EXPECT_EQ(Bytes(folder.File("a.txt")), "original");
    EXPECT_FALSE(FileExists(folder.File("a.txt Backup")));
    EXPECT_TRUE(KillTimer(app.mainWindow, TIMER_AUTOSAVE));
    SetTimer(app.mainWindow, TIMER_AUTOSAVE, 60000, nullptr);
    EXPECT_EQ(TickAnswering(IDCANCEL).size(), 1u); // "Stop AutoSave reminder"
    EXPECT_FALSE(KillTimer(app.mainWindow, TIMER_AUTOSAVE));
}

TEST_F(AutosaveTest, StatusExpiryKeepsTheFirstMessageOnce) {
    settings.AutoSaveMode = AutosaveCopy;
    OpenEdited("a.txt", "original", "edited");
    SetStatusPart(2, "Welcome");
    OnMainTimer(app.mainWindow, TIMER_STATUS_MESSAGE);
    EXPECT_EQ(Part(2), "Welcome");
    OnMainTimer(app.mainWindow, TIMER_STATUS_MESSAGE);
    EXPECT_EQ(Part(2), "");
    EXPECT_FALSE(FileExists(folder.File("a.txt Backup"))) << "not an autosave tick";

    settings.StatusBarEnabled = 0;
    autosave.statusKeepOnce = 1;
    SetStatusPart(2, "Welcome");
    OnMainTimer(app.mainWindow, TIMER_STATUS_MESSAGE);
    OnMainTimer(app.mainWindow, TIMER_STATUS_MESSAGE);
    EXPECT_EQ(Part(2), "Welcome");
}
