// The settings file on real folders, the real sheet, and its pages one at a
// time: a page is made from its template inside a plain host window and
// driven the way the sheet drives it (PSN_SETACTIVE and PSN_KILLACTIVE
// stand for entering and leaving it).
#include "MainWindowFixture.h"

#include "settings/PageRules.h"
#include "settings/SettingsDialog.h"
#include "settings/SettingsPages.h"
#include "settings/SettingsRecord.h"

#include <prsht.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

class SettingsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        RegisterTestWindowClass("KorvidPageHost", DefWindowProcA);
        std::memset(&settings, 0, sizeof settings);
        std::memset(&app, 0, sizeof app);
        ResetNotifyState();
        TextCopy(folder.path().c_str(), app.dataFolder);
        TextCopy(folder.path().c_str(), app.programFolder);
        RestoreDefaultSettings();
        host =
            CreateWindowExA(0, "KorvidPageHost", "Page host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                            0, 700, 500, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        savedRecord = appRecord;
        record.instance = GetModuleHandleA(nullptr);
        record.toolTipWindow =
            CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, TTS_ALWAYSTIP, 0, 0, 0, 0,
                            nullptr, nullptr, record.instance, nullptr);
        appRecord = &record;
    }
    void TearDown() override {
        DestroyWindow(host); // and the page in it
        DestroyWindow(record.toolTipWindow);
        appRecord = savedRecord;
    }
    void Open(int dialogId, DLGPROC procedure) {
        if (page != nullptr)
            DestroyWindow(page);
        page = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(dialogId), host,
                                  procedure, 0);
        ASSERT_NE(page, nullptr);
        ShowWindow(page, SW_SHOW);
    }
    LRESULT Notify(UINT code) {
        NMHDR header = {host, 0, code};
        SendMessageA(page, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header));
        return GetWindowLongPtrA(page, DWLP_MSGRESULT);
    }
    // Leaving the page always succeeds: it never holds the user back.
    void Leave() { EXPECT_EQ(Notify(PSN_KILLACTIVE), FALSE); }
    void Click(int id) { SendDlgItemMessageA(page, id, BM_CLICK, 0, 0); }
    void Type(int id, const std::string& text) { SetDlgItemTextA(page, id, text.c_str()); }
    std::string Text(int id) { return ItemText(page, id); }
    bool Enabled(int id) { return IsWindowEnabled(GetDlgItem(page, id)) != FALSE; }

    TempFolder folder;
    HWND host = nullptr, page = nullptr;
    AppRecord record = {}, *savedRecord = nullptr;
};

// ---- the settings file
// ---------------------------------------------------------

// With data and program folder one, a first run writes nothing; a data
// folder of its own is greeted and gets the file. The copy beside the program
// is read when the data folder has none, whole, reserved bytes too.
TEST_F(SettingsTest, AFirstRunGreetsAndTheProgramFolderCopyIsReadWhole) {
    LoadSettings();
    EXPECT_EQ(+settings.PartialLoadSize, 1000000);
    EXPECT_FALSE(FileExists(folder.File("Korvid.Dat")));
    TempFolder data;
    TextCopy(data.path().c_str(), app.dataFolder);
    Answer(kAsk, IDOK, [] { LoadSettings(); }); // the greeting
    EXPECT_EQ(FileBytes(data.File("Korvid.Dat")).substr(0, 8), "KRVD1170");
    EXPECT_FALSE(FileExists(folder.File("Korvid.Dat")));

    settings.Reserved3[5] = 0x5A;
    TextCopy("notepad.exe", settings.RunFileB);
    TextCopy(folder.path().c_str(), app.dataFolder);
    SaveSettings(); // beside the program
    const std::string first = FileBytes(folder.File("Korvid.Dat"));
    ASSERT_EQ(first.size(), kSettingsFileSize);
    TempFolder other;
    TextCopy(other.path().c_str(), app.dataFolder);
    std::memset(&settings, 0, sizeof settings);
    LoadSettings();
    EXPECT_STREQ(settings.RunFileB, "notepad.exe");
    SaveSettings();
    EXPECT_EQ(FileBytes(other.File("Korvid.Dat")), first);
}

TEST_F(SettingsTest, AFailedSaveLeavesTheOldFileWhole) {
    std::string old = "KRVD1170" + std::string(kSettingsFileSize - 8, 'k');
    ASSERT_TRUE(WriteWholeFile(folder.File("Korvid.Dat"), old));
    // A folder that does not exist cannot take the temporary file.
    TextCopy((folder.path() + "missing\\").c_str(), app.dataFolder);
    SaveSettings();
    EXPECT_EQ(FileBytes(folder.File("Korvid.Dat")), old);
}

// ---- the sheet
// -----------------------------------------------------------------

// Runs the real sheet on this thread; `steps` get it on a helper thread
// (it must close it) and the tooltip window meanwhile holds `*tools`.
bool RunSheet(const std::function<void(HWND)>& steps) {
    return DialogDuring("Korvid 1.9", steps, [] { ShowSettingsDialog(); });
}
HWND Tab(HWND sheet, int tab) {
    SendMessageA(sheet, PSM_SETCURSEL, static_cast<WPARAM>(tab), 0);
    return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}
void Cancel(HWND sheet) { PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0); }

// What a page stored or wrote at once survives Cancel; what is changed on
// the open page is not stored. Closing drops the tools of its controls.
TEST_F(SettingsTest, TheSheetKeepsWhatPagesStoredAndDropsItsToolsOnClose) {
    app.mainWindow = host;
    auto tools = [&] { return int(SendMessageA(record.toolTipWindow, TTM_GETTOOLCOUNT, 0, 0)); };
    EXPECT_TRUE(RunSheet([&](HWND sheet) {
        HWND misc = Tab(sheet, 6);
        SendDlgItemMessageA(misc, IDC_MISC_WORD_WRAP, BM_CLICK, 0, 0);
        HWND view = Tab(sheet, 0); // leaving Misc stores Word Wrap
        SendDlgItemMessageA(view, IDC_VIEW_USE_LAST, BM_CLICK, 0, 0);
        misc = Tab(sheet, 6);
        SendDlgItemMessageA(misc, IDC_MISC_STATUS_BAR, BM_CLICK, 0, 0);
        Cancel(sheet);
    }));
    EXPECT_EQ(tools(), 0);
    std::string file = FileBytes(folder.File("Korvid.Dat"));
    ASSERT_EQ(file.size(), kSettingsFileSize);
    auto field = [&](size_t offset) {
        int32_t value = 0;
        std::memcpy(&value, file.data() + kSettingsTagSize + offset, 4);
        return value;
    };
    EXPECT_EQ(field(offsetof(SettingsRecord, WordWrap)), 0);
    EXPECT_EQ(field(offsetof(SettingsRecord, WindowSizeMode)), 2);
    EXPECT_EQ(field(offsetof(SettingsRecord, StatusBarEnabled)), 1);
}

// ---- the pages
// -----------------------------------------------------------------

// What a field stores when the page is left, for what was typed into it:
// texts cut to their fields, numbers clamped, sizes through kilobytes.
TEST_F(SettingsTest, TypedTextIsStoredWhenThePageIsLeft) {
#define STORED(field) [] { return std::string(settings.field); }
#define NUMBER(field) [] { return std::to_string(settings.field); }
    const std::string big = "99999999999999999999";
    struct Row {
        int control;
        std::string typed;
        std::string (*stored)();
        std::string expected;
    };
    struct Page {
        int id;
        DLGPROC procedure;
        std::vector<Row> rows;
    };
    const Page pages[] = {
        {IDD_PAGE_MISC,
         MiscPageProc,
         {{IDC_MISC_SUFFIX, "", STORED(PrintParameter), " "},
          {IDC_MISC_PARTIAL_SIZE, big, NUMBER(PartialLoadSize), "2147483647"},
          {IDC_MISC_PRINT, std::string(700, 'p'), STORED(PrintProgram), std::string(599, 'p')},
          {IDC_MISC_TIME_FORMAT, std::string(70, 't'), STORED(InsertTimeFormat),
           std::string(59, 't')}}},
        {IDD_PAGE_VIEW,
         ViewPageProc,
         {{IDC_VIEW_PERCENT_EDIT, "0", NUMBER(WindowSizeValue), "70"},
          {IDC_VIEW_PERCENT_EDIT, "100", NUMBER(WindowSizeValue), "100"}}},
        {IDD_PAGE_AUTOSAVE,
         AutoSavePageProc,
         {{IDC_AUTOSAVE_MINUTES, "0", NUMBER(AutoSaveMinutes), "1"},
          {IDC_AUTOSAVE_MINUTES, "500", NUMBER(AutoSaveMinutes), "180"},
          {IDC_AUTOSAVE_FOLDER, std::string(320, 'f'), STORED(AutoSaveDirectory),
           std::string(299, 'f')}}},
        {IDD_PAGE_FONT,
         FontPageProc,
         {{IDC_FONT_LIST_1, ".h", STORED(FontGroup1Extensions), ".h" + std::string(9, ' ')},
          {IDC_FONT_LIST_1 + 2, std::string(280, 'e'), STORED(FontGroup3Extensions),
           std::string(269, 'e')}}},
        {IDD_PAGE_BOOKMARK,
         BookmarkPageProc,
         {{IDC_MARKS_SIZE, "195", NUMBER(BookmarkMaxFileSize), "199680"},
          {IDC_LABELS_MARKER_1 + 1, std::string(70, 'm'), STORED(LabelMarker2),
           std::string(62, 'm')}}},
        {IDD_PAGE_RUN,
         RunPageProc,
         {{IDC_RUN_FILE_A, std::string(280, 'r'), STORED(RunFileA), std::string(269, 'r')}}},
    };
#undef STORED
#undef NUMBER
    for (const Page& p : pages) {
        Open(p.id, p.procedure);
        for (const Row& row : p.rows) {
            SCOPED_TRACE("control " + std::to_string(row.control) + ", typed " + row.typed);
            Type(row.control, row.typed);
            Leave();
            EXPECT_EQ(row.stored(), row.expected);
        }
    }
}

// Defaults asks first and shows the defaults at once; it leaves the Run
// buttons and the custom colours alone.
TEST_F(SettingsTest, MiscDefaultsAskFirstAndAboutCloses) {
    TextCopy("C:\\tools\\keep.exe", settings.RunFileA);
    settings.CustomColours[3] = 0x123456;
    Open(IDD_PAGE_MISC, MiscPageProc);
    Click(IDC_MISC_WORD_WRAP);
    Leave();
    settings.PartialLoadSize = 5;
    LoadMiscPage(page);
    Answer(kAsk, IDCANCEL, [&] { Click(IDC_MISC_DEFAULTS); }); // "Keep my settings"
    EXPECT_EQ(settings.WordWrap, 0);
    EXPECT_EQ(Text(IDC_MISC_PARTIAL_SIZE), "5");
    Answer(kAsk, IDOK, [&] { Click(IDC_MISC_DEFAULTS); });
    EXPECT_EQ(settings.WordWrap, 1);
    EXPECT_TRUE(IsDlgButtonChecked(page, IDC_MISC_WORD_WRAP));
    EXPECT_EQ(Text(IDC_MISC_PARTIAL_SIZE), "1000000");
    EXPECT_STREQ(settings.RunFileA, "C:\\tools\\keep.exe");
    EXPECT_EQ(settings.CustomColours[3], 0x123456u);

    for (int button : {IDOK, IDCANCEL})
        Answer("About Korvid", button, [&] { Click(IDC_MISC_ABOUT); });
}

TEST_F(SettingsTest, ViewShowsThePixelsOfThePercentAndKeepsThemForResolution) {
    settings.WindowSizeValue = 50;
    Open(IDD_PAGE_VIEW, ViewPageProc);
    int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_EQ(Text(IDC_VIEW_WIDTH), std::to_string(width / 2));
    EXPECT_FALSE(Enabled(IDC_VIEW_WIDTH));
    Click(IDC_VIEW_RESOLUTION);
    EXPECT_EQ(settings.WindowSizeMode, 1);
    EXPECT_FALSE(Enabled(IDC_VIEW_PERCENT_EDIT));
    EXPECT_TRUE(Enabled(IDC_VIEW_WIDTH) && Enabled(IDC_VIEW_HEIGHT));
    Leave();
    EXPECT_EQ(settings.WindowSizeValue, width / 2);
    EXPECT_EQ(settings.WindowHeight, height / 2);
    Type(IDC_VIEW_WIDTH, "99999999999999999999");
    Type(IDC_VIEW_HEIGHT, "x");
    Leave();
    EXPECT_EQ(settings.WindowSizeValue, INT32_MAX);
    EXPECT_EQ(settings.WindowHeight, 0);
}

} // namespace
