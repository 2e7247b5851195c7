// The Run buttons, printing, File Info and the user lists on a real main
// window: started programs are seen through the probe, which logs how it
// was started; File Info is read from its dialog while it is open.
#include "MainWindowFixture.h"

#include "app/ContextMenu.h"
#include "tests/tools/ProbeLog.h"
#include "tools/Tools.h"

#include <functional>
#include <vector>

namespace {

class RunInfoTest : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        CreateBars();
        char self[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, self, sizeof self);
        probe = self;
        probe = probe.substr(0, probe.rfind('\\') + 1) + "korvid_run_probe.exe";
        ASSERT_TRUE(FileExists(probe)) << probe;
        SetEnvironmentVariableA("KORVID_PROBE_LOG", folder.File("probe.log").c_str());
    }
    void TearDown() override {
        SetEnvironmentVariableA("KORVID_PROBE_LOG", nullptr);
        MainWindowTest::TearDown();
    }
    // Runs `command` and waits until the probe has logged one start more.
    ProbeStart Started(WORD command) {
        Command(command);
        std::vector<ProbeStart> starts;
        // A process start on a loaded machine can take seconds.
        EXPECT_TRUE(PumpUntil(
            [&] {
                return (starts = ParseProbeLog(FileBytes(folder.File("probe.log")))).size() > seen;
            },
            30000));
        return starts.size() > seen ? starts[seen++] : ProbeStart{"(none)", "", 0};
    }
    void Name(const std::string& path) {
        TextCopy(path.c_str(), doc.fileName);
        doc.hasFileName = 1;
    }
    std::string probe;
    size_t seen = 0;
};

TEST_F(RunInfoTest, RunButtonsReplaceTheWildcardAsTheirSpecialSays) {
    std::string documentFolder = folder.path() + "t";
    CreateDirectoryA(documentFolder.c_str(), nullptr);
    Name(documentFolder + "\\a.txt");
    SetText("hello world");
    for (char* program : {settings.RunFileA, settings.RunFileB, settings.RunFileC})
        TextCopy(probe.c_str(), program);
    TextCopy("??", settings.RunParamA);
    settings.RunSpecialA = 1; // Filename
    TextCopy("x ?? ??", settings.RunParamB);
    settings.RunSpecialB = 2; // Filename w/o Ext: only the first wildcard
    TextCopy("[??]", settings.RunParamC);
    settings.RunSpecialC = 3; // Selected Text
    ProbeStart a = Started(IDM_RUN_A);
    EXPECT_EQ(a.arguments, "a.txt ");
    EXPECT_EQ(_stricmp(a.folder.c_str(), documentFolder.c_str()), 0) << a.folder;
    EXPECT_EQ(a.show, SW_SHOWNORMAL);
    EXPECT_EQ(Started(IDM_RUN_B).arguments, "x a ?? ");
    Select(0, 5);
    EXPECT_EQ(Started(IDM_RUN_C).arguments, "[hello] ");
    Select(2, 2); // nothing selected: the wildcard stays
    EXPECT_EQ(Started(IDM_RUN_C).arguments, "[??]");
    // Untitled, "Filename" leaves the wildcard alone; a selection longer
    // than the work buffer is cut to fit it.
    doc.hasFileName = 0;
    doc.fileName[0] = '\0';
    EXPECT_EQ(Started(IDM_RUN_A).arguments, "??");
    SetText(std::string(700, 'w'));
    Select(0, -1);
    TextCopy("??", settings.RunParamC);
    EXPECT_EQ(Started(IDM_RUN_C).arguments, std::string(599, 'w'));
    // Execute opens the document with its program; a program runs itself.
    std::string tool = folder.File("tool.exe");
    ASSERT_TRUE(CopyFileA(probe.c_str(), tool.c_str(), FALSE));
    Name(tool);
    ProbeStart executed = Started(IDM_EXECUTE);
    EXPECT_EQ(executed.arguments, "");
    EXPECT_EQ(executed.show, SW_SHOWNORMAL);
}

// Print writes a quiet copy (the document stays untitled and modified) and
// starts the print program hidden, the user's switch before the copy.
TEST_F(RunInfoTest, PrintWritesAQuietCopyAndStartsThePrintProgramHidden) {
    TextCopy(probe.c_str(), settings.PrintProgram);
    TextCopy("/pt Printer1 ", settings.PrintParameter);
    SetText("print me");
    SetModified(true);
    ProbeStart print = Started(IDM_PRINT);
    EXPECT_EQ(print.arguments, "/pt Printer1 \"" + folder.File("Korvid.txt") + "\"");
    EXPECT_EQ(print.show, SW_HIDE);
    EXPECT_EQ(FileBytes(folder.File("Korvid.txt")), "print me");
    EXPECT_EQ(doc.hasFileName, 0);
    EXPECT_TRUE(Modified());
}

class FileInfoTest : public RunInfoTest {
  protected:
    // Opens File Info, waits until `ready` holds, reads `ids`, tries Escape
    // and the close message (only Close ends it), then presses Close.
    std::vector<std::string> Show(std::function<bool(HWND)> ready, std::vector<int> ids) {
        std::vector<std::string> texts;
        Answer(
            "File Info", IDOK, [&] { Command(IDM_FILE_INFO); },
            [&](HWND dialog) {
                for (DWORD start = GetTickCount();
                     !ready(dialog) && GetTickCount() - start < 10000;)
                    Sleep(10);
                for (int id : ids)
                    texts.push_back(ItemText(dialog, id));
                SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
                SendMessageA(dialog, WM_CLOSE, 0, 0);
                EXPECT_TRUE(IsWindow(dialog) && IsWindowVisible(dialog));
            });
        EXPECT_EQ(notify.modalBusy, 0);
        return texts;
    }
};

// The stored file is counted, not the unsaved edits, while another program
// holds it open for writing.
TEST_F(FileInfoTest, CountsTheStoredFileWhileAnotherProgramWritesIt) {
    std::string path = folder.File("log.txt");
    ASSERT_TRUE(WriteWholeFile(path, "Hello world." + std::string(999986, 'x') + "\r\n"));
    HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    Name(path);
    SetText("unsaved edits are not counted");
    auto info =
        Show([](HWND d) { return !ItemText(d, IDC_INFO_AVG_SENTENCE).empty(); },
             {IDC_INFO_NAME, IDC_INFO_SIZE, IDC_INFO_TYPE, IDC_INFO_CHARACTERS, IDC_INFO_LETTERS,
              IDC_INFO_SPACES, IDC_INFO_SYMBOLS, IDC_INFO_WORDS, IDC_INFO_LINES, IDC_INFO_SENTENCES,
              IDC_INFO_AVG_WORD, IDC_INFO_AVG_SENTENCE});
    CloseHandle(writer);
    EXPECT_EQ(info, (std::vector<std::string>{path, "1,000,000", "Text", "999,998", "999,996", "1",
                                              "1", "2", "2", "1", "499,998", "2"}));
}

// A 5 GB file shows its true size at once; the counting goes on behind a
// live dialog, and Close ends it without waiting for the rest.
TEST_F(FileInfoTest, AHugeFileShowsItsSizeAndCloseStopsTheCounting) {
    std::string path = folder.File("huge.bin");
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    LARGE_INTEGER size;
    size.QuadPart = 5ll << 30;
    ASSERT_TRUE(SetFilePointerEx(file, size, nullptr, FILE_BEGIN) && SetEndOfFile(file));
    CloseHandle(file);
    Name(path);
    bool progress = false;
    auto info = Show(
        [&](HWND d) {
            progress = progress || IsWindowVisible(GetDlgItem(d, IDC_INFO_PROGRESS));
            return progress && !ItemText(d, IDC_INFO_SIZE).empty();
        },
        {IDC_INFO_SIZE, IDC_INFO_AVG_SENTENCE});
    EXPECT_TRUE(progress);
    EXPECT_EQ(info, (std::vector<std::string>{"5,368,709,120", ""})) << "counted 5 GB before Close";
    DeleteFileA(path.c_str());
}

// The items of the submenu `caption`, checking their ids run from `firstId`.
std::vector<std::string> Items(HMENU menu, const char* caption, UINT firstId) {
    std::vector<std::string> items;
    char text[256];
    for (int i = 0; i < GetMenuItemCount(menu); ++i)
        if (GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION) && !strcmp(text, caption))
            for (HMENU sub = GetSubMenu(menu, i); items.size() < UINT(GetMenuItemCount(sub));) {
                GetMenuStringA(sub, items.size(), text, sizeof text, MF_BYPOSITION);
                EXPECT_EQ(GetMenuItemID(sub, items.size()), firstId + items.size());
                items.push_back(text);
            }
    return items;
}

TEST_F(RunInfoTest, TheListsFillTheContextMenuAndItsCommandsWork) {
    // '-', '#' and '*' are markers anywhere in a list line, and a build
    // folder may hold them: the list names a copy of the probe without them.
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string listed = std::string(temp) + "KorvidListProbe.exe";
    ASSERT_EQ(listed.find_first_of("-#*"), std::string::npos) << listed;
    ASSERT_TRUE(CopyFileA(probe.c_str(), listed.c_str(), FALSE));
    ASSERT_TRUE(WriteWholeFile(folder.File("KorvWord.txt"),
                               "*run\r\nProbe\r\n" + listed +
                                   "\r\nNo command\r\n*ins\r\nfirst text\r\nsecond text\r\n"));
    LoadUserLists();
    settings.MenuInsertList = 0; // either list stays off the menu when its setting is off
    HMENU menu = BuildContextMenu();
    EXPECT_EQ(Items(menu, "Run File", IDM_RUN_FILE_BASE + 1), std::vector<std::string>{"Probe"});
    EXPECT_TRUE(Items(menu, "Insert Text", IDM_INSERT_LIST_BASE + 1).empty());
    DestroyMenu(menu);
    settings.MenuInsertList = 1;
    menu = BuildContextMenu();
    EXPECT_EQ(Items(menu, "Insert Text", IDM_INSERT_LIST_BASE + 1),
              (std::vector<std::string>{"first text", "second text"}));
    DestroyMenu(menu);

    SetText("A-B");
    Select(1, 2);
    Command(IDM_INSERT_LIST_BASE + 2);
    EXPECT_EQ(EditorText(), "Asecond textB");
    Command(IDM_UNDO);
    Command(IDM_INSERT_LIST_BASE + 3); // past the end of the list: nothing
    EXPECT_EQ(EditorText(), "A-B");
    ProbeStart run = Started(IDM_RUN_FILE_BASE + 1);
    EXPECT_EQ(run.arguments, "");
    EXPECT_EQ(run.show, SW_SHOWNORMAL);
    DeleteFileA(listed.c_str());
}

} // namespace
