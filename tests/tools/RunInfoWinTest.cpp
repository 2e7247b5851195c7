// The Run buttons, printing, File Info and the user lists on a real main
// window: started programs are seen through the probe, which logs how it
// was started; File Info is read from its dialog while it is open.
#include "MainWindowFixture.h"

#include "app/Bars.h"
#include "app/ContextMenu.h"
#include "tools/Tools.h"
#include "tests/tools/ProbeLog.h"

#include <commctrl.h>

#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace {

std::string ProgramBeside(const char* name) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder = path;
    return folder.substr(0, folder.rfind('\\') + 1) + name;
}

std::string WithoutSlash(std::string folder) {
    if (folder.size() > 3 && folder.back() == '\\')
        folder.pop_back();
    return folder;
}

class RunInfoTest : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        MoveWindow(app.editorWindow, 0, 0, 600, 400, TRUE);
        CreateBars();
        settings.ShowFileErrors = 0;
        probe = ProgramBeside("korvid_run_probe.exe");
        ASSERT_TRUE(FileExists(probe)) << probe;
        log = folder.File("probe.log");
        SetEnvironmentVariableA("KORVID_PROBE_LOG", log.c_str());
    }
    void TearDown() override {
        SetEnvironmentVariableA("KORVID_PROBE_LOG", nullptr);
        MainWindowTest::TearDown();
    }
    // Waits until the probe has logged `count` starts in all.
    std::vector<ProbeStart> WaitForStarts(size_t count) {
        std::vector<ProbeStart> starts;
        PumpUntil(
            [&] {
                std::string bytes;
                starts.clear();
                if (!ReadWholeFile(log, &bytes))
                    return false;
                starts = ParseProbeLog(bytes);
                return starts.size() >= count;
            },
            30000); // a process start on a loaded machine can take seconds
        EXPECT_EQ(starts.size(), count);
        return starts;
    }
    void Select(LONG first, LONG last) {
        CHARRANGE range = {first, last};
        SendMessageA(app.editorWindow, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    }
    void Name(const std::string& path) {
        TextCopy(path.c_str(), doc.fileName);
        doc.hasFileName = 1;
    }
    std::string probe;
    std::string log;
};

TEST_F(RunInfoTest, RunButtonsReplaceTheWildcardAsTheirSpecialSays) {
    std::string documentFolder = folder.path() + "t\\";
    CreateDirectoryA(documentFolder.c_str(), nullptr);
    Name(documentFolder + "a.txt");
    SetWindowTextA(app.editorWindow, "hello world");
    TextCopy(probe.c_str(), settings.RunFileA);
    TextCopy("??", settings.RunParamA);
    settings.RunSpecialA = 1; // Filename
    TextCopy(probe.c_str(), settings.RunFileB);
    TextCopy("x ?? ??", settings.RunParamB);
    settings.RunSpecialB = 2; // Filename w/o Ext: only the first wildcard
    TextCopy(probe.c_str(), settings.RunFileC);
    TextCopy("[??]", settings.RunParamC);
    settings.RunSpecialC = 3; // Selected Text

    Command(IDM_RUN_A);
    auto starts = WaitForStarts(1);
    Command(IDM_RUN_B);
    starts = WaitForStarts(2);
    Select(0, 5);
    Command(IDM_RUN_C);
    starts = WaitForStarts(3);
    Select(2, 2); // nothing selected: the wildcard stays
    Command(IDM_RUN_C);
    starts = WaitForStarts(4);
    ASSERT_EQ(starts.size(), 4u);
    EXPECT_EQ(starts[0].arguments, "a.txt ");
    EXPECT_EQ(_stricmp(starts[0].folder.c_str(), WithoutSlash(documentFolder).c_str()), 0)
        << starts[0].folder;
    EXPECT_EQ(starts[0].show, SW_SHOWNORMAL);
    EXPECT_EQ(starts[1].arguments, "x a ?? ");
    EXPECT_EQ(starts[2].arguments, "[hello] ");
    EXPECT_EQ(starts[3].arguments, "[??]");

    // Untitled, "Filename" leaves the wildcard and the folder alone; a
    // selection longer than the work buffer is cut to fit it.
    doc.hasFileName = 0;
    doc.fileName[0] = '\0';
    Command(IDM_RUN_A);
    std::string longText(700, 'w');
    SetWindowTextA(app.editorWindow, longText.c_str());
    Select(0, -1);
    TextCopy("??", settings.RunParamC);
    Command(IDM_RUN_C);
    starts = WaitForStarts(6);
    ASSERT_EQ(starts.size(), 6u);
    EXPECT_EQ(starts[4].arguments, "??");
    EXPECT_EQ(starts[5].arguments, std::string(599, 'w'));
}

// Execute opens the document with the program the system has for it; a
// program document runs itself.
TEST_F(RunInfoTest, ExecuteOpensTheNamedDocument) {
    std::string document = folder.File("tool.exe");
    ASSERT_TRUE(CopyFileA(probe.c_str(), document.c_str(), FALSE));
    Name(document);
    Command(IDM_EXECUTE);
    auto starts = WaitForStarts(1);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].arguments, "");
    EXPECT_EQ(starts[0].show, SW_SHOWNORMAL);
}

TEST_F(RunInfoTest, PrintWritesAQuietCopyAndStartsThePrintProgramHidden) {
    TextCopy(probe.c_str(), settings.PrintProgram);
    SetWindowTextA(app.editorWindow, "print me");
    SendMessageA(app.editorWindow, EM_SETMODIFY, TRUE, 0);
    Command(IDM_PRINT);
    auto starts = WaitForStarts(1);
    ASSERT_EQ(starts.size(), 1u);
    std::string copy = folder.File("Korvid.txt");
    EXPECT_EQ(starts[0].arguments, "/p \"" + copy + "\"");
    EXPECT_EQ(starts[0].show, SW_HIDE);
    std::string bytes;
    ASSERT_TRUE(ReadWholeFile(copy, &bytes));
    EXPECT_EQ(bytes, "print me");
    // The document is still untitled and modified.
    EXPECT_EQ(doc.hasFileName, 0);
    EXPECT_NE(SendMessageA(app.editorWindow, EM_GETMODIFY, 0, 0), 0);

    // The user's own print switch goes before the quoted copy, and Rich
    // Text prints from a Rich Text copy.
    TextCopy("/pt Printer1 ", settings.PrintParameter);
    doc.richText = 1;
    Command(IDM_PRINT);
    starts = WaitForStarts(2);
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_EQ(starts[1].arguments, "/pt Printer1 \"" + folder.File("Korvid.rtf") + "\"");
    ASSERT_TRUE(ReadWholeFile(folder.File("Korvid.rtf"), &bytes));
    EXPECT_EQ(bytes.compare(0, 5, "{\\rtf"), 0);
    doc.richText = 0;

    // A later ordinary save still reports and clears the modified state.
    Name(folder.File("named.txt"));
    Command(IDM_SAVE);
    char status[128] = {};
    SendMessageA(app.statusBar, SB_GETTEXTA, 3, reinterpret_cast<LPARAM>(status));
    EXPECT_EQ(std::string(status), "Saved at 8 bytes");
    EXPECT_EQ(SendMessageA(app.editorWindow, EM_GETMODIFY, 0, 0), 0);
}

// ---- File Info ---------------------------------------------------------------

const int kInfoFields[] = {IDC_INFO_NAME,        IDC_INFO_SIZE,      IDC_INFO_TYPE,
                           IDC_INFO_CHARACTERS,  IDC_INFO_LETTERS,   IDC_INFO_NUMBERS,
                           IDC_INFO_SPACES,      IDC_INFO_SYMBOLS,   IDC_INFO_WORDS,
                           IDC_INFO_LINES,       IDC_INFO_SENTENCES, IDC_INFO_AVG_WORD,
                           IDC_INFO_AVG_SENTENCE};

struct InfoFields {
    std::map<int, std::string> text;
    bool stillOpenAfterEscape = false;
};

std::string FieldText(HWND dialog, int id) {
    char text[700] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

class FileInfoTest : public RunInfoTest {
  protected:
    // Opens File Info, waits until `ready` holds for the open dialog, reads
    // every field, tries Escape and the close message, then presses Close.
    InfoFields Show(std::function<bool(HWND)> ready) {
        InfoFields fields;
        Answer(
            "File Info", IDOK, [&] { Command(IDM_FILE_INFO); },
            [&](HWND dialog) {
                for (DWORD start = GetTickCount();
                     !ready(dialog) && GetTickCount() - start < 10000;)
                    Sleep(10);
                for (int id : kInfoFields)
                    fields.text[id] = FieldText(dialog, id);
                SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
                SendMessageA(dialog, WM_CLOSE, 0, 0);
                fields.stillOpenAfterEscape = IsWindow(dialog) && IsWindowVisible(dialog);
            });
        EXPECT_EQ(notify.modalBusy, 0);
        return fields;
    }
    static bool Counted(HWND dialog) { return !FieldText(dialog, IDC_INFO_AVG_SENTENCE).empty(); }
};

TEST_F(FileInfoTest, CountsTheStoredFileWhileAnotherProgramWritesIt) {
    std::string path = folder.File("log.txt");
    std::string bytes = "Hello world.";
    bytes += std::string(1000000 - bytes.size() - 2, 'x') + "\r\n";
    ASSERT_TRUE(WriteWholeFile(path, bytes));
    HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    Name(path);
    SetWindowTextA(app.editorWindow, "unsaved edits are not counted");
    InfoFields info = Show(Counted);
    CloseHandle(writer);
    EXPECT_EQ(info.text[IDC_INFO_NAME], path);
    EXPECT_EQ(info.text[IDC_INFO_SIZE], "1,000,000");
    EXPECT_EQ(info.text[IDC_INFO_TYPE], "Text");
    EXPECT_EQ(info.text[IDC_INFO_LETTERS], "999,996");
    EXPECT_EQ(info.text[IDC_INFO_SPACES], "1");
    EXPECT_EQ(info.text[IDC_INFO_SYMBOLS], "1");
    EXPECT_EQ(info.text[IDC_INFO_CHARACTERS], "999,998");
    EXPECT_EQ(info.text[IDC_INFO_WORDS], "2");
    EXPECT_EQ(info.text[IDC_INFO_LINES], "2");
    EXPECT_EQ(info.text[IDC_INFO_SENTENCES], "1");
    EXPECT_EQ(info.text[IDC_INFO_AVG_WORD], "499,998");
    EXPECT_EQ(info.text[IDC_INFO_AVG_SENTENCE], "2");
    EXPECT_TRUE(info.stillOpenAfterEscape) << "only Close ends File Info";
}

// A 5 GB file shows its true size at once; the counting goes on behind a
// live dialog, and Close ends it without waiting for the rest.
TEST_F(FileInfoTest, AHugeFileShowsItsSizeAndCloseStopsTheCounting) {
    std::string path = folder.File("huge.bin");
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    LARGE_INTEGER size;
    size.QuadPart = 5ll << 30;
    ASSERT_TRUE(SetFilePointerEx(file, size, nullptr, FILE_BEGIN));
    ASSERT_TRUE(SetEndOfFile(file));
    CloseHandle(file);
    Name(path);
    bool progressShown = false;
    InfoFields info = Show([&](HWND dialog) {
        progressShown = progressShown || IsWindowVisible(GetDlgItem(dialog, IDC_INFO_PROGRESS));
        return !FieldText(dialog, IDC_INFO_SIZE).empty() && progressShown;
    });
    EXPECT_EQ(info.text[IDC_INFO_SIZE], "5,368,709,120");
    EXPECT_TRUE(progressShown);
    EXPECT_EQ(info.text[IDC_INFO_AVG_SENTENCE], "") << "counted 5 GB before Close";
    DeleteFileA(path.c_str());
}

// ---- the user lists ------------------------------------------------------------

HMENU Submenu(HMENU menu, const char* caption) {
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char text[256] = {};
        GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
        if (strcmp(text, caption) == 0)
            return GetSubMenu(menu, i);
    }
    return nullptr;
}

std::vector<std::string> Items(HMENU menu, int firstId) {
    std::vector<std::string> items;
    for (int i = 0; menu != nullptr && i < GetMenuItemCount(menu); ++i) {
        char text[256] = {};
        GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
        EXPECT_EQ(GetMenuItemID(menu, i), static_cast<UINT>(firstId + i));
        items.push_back(text);
    }
    return items;
}

TEST_F(RunInfoTest, TheListsFillTheContextMenuAndItsCommandsWork) {
    // '-', '#' and '*' are markers anywhere in a list line, and a build
    // folder may hold them: the list names a copy of the probe whose path
    // holds none.
    char temp[MAX_PATH];
    ASSERT_NE(GetTempPathA(MAX_PATH, temp), 0u);
    std::string listed = std::string(temp) + "KorvidListProbe.exe";
    ASSERT_EQ(listed.find_first_of("-#*"), std::string::npos) << listed;
    ASSERT_TRUE(CopyFileA(probe.c_str(), listed.c_str(), FALSE));
    ASSERT_TRUE(WriteWholeFile(folder.File("KorvWord.txt"),
                               "*run\r\nProbe\r\n" + listed +
                                   "\r\nNo command\r\n*ins\r\nfirst text\r\nsecond text\r\n"));
    HMENU before = BuildContextMenu();
    EXPECT_EQ(Submenu(before, "Run File"), nullptr);
    DestroyMenu(before);
    LoadUserLists();
    HMENU menu = BuildContextMenu();
    EXPECT_EQ(Items(Submenu(menu, "Run File"), 41001), std::vector<std::string>{"Probe"});
    EXPECT_EQ(Items(Submenu(menu, "Insert Text"), 42001),
              (std::vector<std::string>{"first text", "second text"}));
    DestroyMenu(menu);

    // Either list stays off the menu when its setting is off.
    settings.MenuInsertList = 0;
    menu = BuildContextMenu();
    EXPECT_EQ(Submenu(menu, "Insert Text"), nullptr);
    EXPECT_NE(Submenu(menu, "Run File"), nullptr);
    DestroyMenu(menu);

    SetWindowTextA(app.editorWindow, "A-B");
    Select(1, 2);
    Command(42002);
    EXPECT_EQ(EditorText(), "Asecond textB");
    Command(IDM_UNDO);
    EXPECT_EQ(EditorText(), "A-B");
    Command(42003); // past the end of the list: nothing
    EXPECT_EQ(EditorText(), "A-B");

    Command(41001);
    auto starts = WaitForStarts(1);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].arguments, "");
    EXPECT_EQ(starts[0].show, SW_SHOWNORMAL);
    DeleteFileA(listed.c_str());
}

} // namespace
