// The settings pages one at a time, each created from its template inside
// a plain host window and driven the way the sheet drives it: clicks and
// selections send the controls' own notifications, and PSN_SETACTIVE and
// PSN_KILLACTIVE stand for entering and leaving the page.
#include "SettingsPageFixture.h"

#include "app/AppState.h"
#include "app/Bars.h"
#include "document/Notify.h"
#include "resource.h"
#include "settings/SettingsDialog.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsPages.h"
#include "text/TextRoutines.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <dlgs.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

// "Add to Custom Colors" of the colour chooser.
constexpr int kAddToCustomColours = 712;

} // namespace

// What a field stores when the page is left, for what was typed into it:
// texts cut to their fields, numbers clamped, sizes through kilobytes.
TEST_F(SettingsPageTest, TypedTextIsStoredWhenThePageIsLeft) {
#define STORED_TEXT(field) [] { return std::string(settings.field); }
#define NUMBER(field) [] { return std::to_string(settings.field); }
    const std::string big = "99999999999999999999";
    struct Row {
        int page;
        DLGPROC procedure;
        int control;
        std::string typed;
        std::string (*stored)();
        std::string expected;
    };
    const Row rows[] = {
        {IDD_PAGE_MISC, MiscPageProc, IDC_MISC_SUFFIX, "", STORED_TEXT(PrintParameter), " "},
        {IDD_PAGE_MISC, MiscPageProc, IDC_MISC_SUFFIX, "-print", STORED_TEXT(PrintParameter),
         "-print "},
        {IDD_PAGE_MISC, MiscPageProc, IDC_MISC_PARTIAL_SIZE, "letters", NUMBER(PartialLoadSize),
         "0"},
        {IDD_PAGE_MISC, MiscPageProc, IDC_MISC_PARTIAL_SIZE, big, NUMBER(PartialLoadSize),
         "2147483647"},
        {IDD_PAGE_MISC, MiscPageProc, IDC_MISC_PRINT, std::string(700, 'p'),
         STORED_TEXT(PrintProgram), std::string(599, 'p')},
        {IDD_PAGE_MISC, MiscPageProc, IDC_MISC_TIME_FORMAT, std::string(70, 't'),
         STORED_TEXT(InsertTimeFormat), std::string(59, 't')},
        {IDD_PAGE_MISC, MiscPageProc, IDC_MISC_DIRECTORY, std::string(650, 'd'),
         STORED_TEXT(DefaultDirectory), std::string(599, 'd')},
        {IDD_PAGE_VIEW, ViewPageProc, IDC_VIEW_PERCENT_EDIT, "0", NUMBER(WindowSizeValue), "70"},
        {IDD_PAGE_VIEW, ViewPageProc, IDC_VIEW_PERCENT_EDIT, "101", NUMBER(WindowSizeValue), "70"},
        {IDD_PAGE_VIEW, ViewPageProc, IDC_VIEW_PERCENT_EDIT, "abc", NUMBER(WindowSizeValue), "70"},
        {IDD_PAGE_VIEW, ViewPageProc, IDC_VIEW_PERCENT_EDIT, "100", NUMBER(WindowSizeValue), "100"},
        {IDD_PAGE_VIEW, ViewPageProc, IDC_VIEW_PERCENT_EDIT, "1", NUMBER(WindowSizeValue), "1"},
        {IDD_PAGE_AUTOSAVE, AutoSavePageProc, IDC_AUTOSAVE_MINUTES, "0", NUMBER(AutoSaveMinutes),
         "1"},
        {IDD_PAGE_AUTOSAVE, AutoSavePageProc, IDC_AUTOSAVE_MINUTES, "500", NUMBER(AutoSaveMinutes),
         "180"},
        {IDD_PAGE_AUTOSAVE, AutoSavePageProc, IDC_AUTOSAVE_MINUTES, big, NUMBER(AutoSaveMinutes),
         "180"},
        {IDD_PAGE_AUTOSAVE, AutoSavePageProc, IDC_AUTOSAVE_MINUTES, "30", NUMBER(AutoSaveMinutes),
         "30"},
        {IDD_PAGE_AUTOSAVE, AutoSavePageProc, IDC_AUTOSAVE_FOLDER, std::string(320, 'f'),
         STORED_TEXT(AutoSaveDirectory), std::string(299, 'f')},
        {IDD_PAGE_FONT, FontPageProc, IDC_FONT_LIST_1, ".h", STORED_TEXT(FontGroup1Extensions),
         ".h" + std::string(9, ' ')},
        {IDD_PAGE_FONT, FontPageProc, IDC_FONT_LIST_1 + 1, ".asm.c  .cpp",
         STORED_TEXT(FontGroup2Extensions), ".asm.c  .cpp"},
        {IDD_PAGE_FONT, FontPageProc, IDC_FONT_LIST_1 + 2, std::string(280, 'e'),
         STORED_TEXT(FontGroup3Extensions), std::string(269, 'e')},
        {IDD_PAGE_BOOKMARK, BookmarkPageProc, IDC_MARKS_SIZE, "195", NUMBER(BookmarkMaxFileSize),
         "199680"},
        {IDD_PAGE_BOOKMARK, BookmarkPageProc, IDC_MARKS_SIZE, "", NUMBER(BookmarkMaxFileSize), "0"},
        {IDD_PAGE_BOOKMARK, BookmarkPageProc, IDC_LABELS_SIZE, big, NUMBER(LabelsMaxFileSize),
         "2147482624"},
        {IDD_PAGE_BOOKMARK, BookmarkPageProc, IDC_LABELS_MARKER_1 + 1, std::string(70, 'm'),
         STORED_TEXT(LabelMarker2), std::string(62, 'm')},
        {IDD_PAGE_BOOKMARK, BookmarkPageProc, IDC_MARKS_MARKER, std::string(120, 'k'),
         STORED_TEXT(BookmarkMarker), std::string(99, 'k')},
        {IDD_PAGE_RUN, RunPageProc, IDC_RUN_FILE_A, std::string(280, 'r'), STORED_TEXT(RunFileA),
         std::string(269, 'r')},
        {IDD_PAGE_RUN, RunPageProc, IDC_RUN_PARAM_C, std::string(275, 'q'), STORED_TEXT(RunParamC),
         std::string(269, 'q')},
        {IDD_PAGE_RUN, RunPageProc, IDC_RUN_DESCRIPTION_B, std::string(150, 'd'),
         STORED_TEXT(RunDescriptionB), std::string(99, 'd')},
    };
#undef STORED_TEXT
#undef NUMBER
    int shown = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE("control " + std::to_string(row.control) + ", typed \"" + row.typed + "\"");
        if (row.page != shown) {
            if (page != nullptr)
                DestroyWindow(page);
            Open(shown = row.page, row.procedure);
        }
        Type(row.control, row.typed);
        Leave();
        EXPECT_EQ(row.stored(), row.expected);
    }
}

// ---- Misc ----------------------------------------------------------------------

TEST_F(SettingsPageTest, MiscCheckBoxesAreStoredOnlyWhenThePageIsLeft) {
    Open(IDD_PAGE_MISC, MiscPageProc);
    EXPECT_TRUE(Checked(IDC_MISC_WORD_WRAP));
    EXPECT_FALSE(Checked(IDC_MISC_EXIT_SAVE));
    Click(IDC_MISC_WORD_WRAP);
    Click(IDC_MISC_EXIT_SAVE);
    Click(IDC_MISC_OVR_SEL);
    EXPECT_EQ(settings.WordWrap, 1) << "a check box writes nothing until the page is left";
    Leave();
    EXPECT_EQ(settings.WordWrap, 0);
    EXPECT_EQ(settings.ExitSave, 1);
    EXPECT_EQ(settings.OverwriteSelection, 0);
    EXPECT_EQ(settings.StatusBarEnabled, 1);
}

TEST_F(SettingsPageTest, MiscListsWriteAtOnceAndEnableTheirFields) {
    Open(IDD_PAGE_MISC, MiscPageProc);
    EXPECT_FALSE(Enabled(IDC_MISC_TIME_FORMAT));
    EXPECT_FALSE(Enabled(IDC_MISC_DATE_FORMAT));
    EXPECT_TRUE(Enabled(IDC_MISC_PARTIAL_SIZE));
    Choose(IDC_MISC_TIME_MODE, 4);
    EXPECT_EQ(settings.InsertTimeMode, 4);
    EXPECT_TRUE(Enabled(IDC_MISC_TIME_FORMAT));
    EXPECT_TRUE(Enabled(IDC_MISC_DATE_FORMAT));
    Choose(IDC_MISC_PARTIAL_MODE, 0);
    EXPECT_EQ(settings.PartialLoadMode, 0);
    EXPECT_FALSE(Enabled(IDC_MISC_PARTIAL_SIZE));
    EXPECT_EQ(Text(IDC_MISC_PARTIAL_SIZE), "1000000") << "a disabled field keeps its text";
}

TEST_F(SettingsPageTest, MiscDefaultsAskFirstAndShowTheDefaultsAtOnce) {
    TextCopy("C:\\tools\\keep.exe", settings.RunFileA);
    settings.CustomColours[3] = 0x123456;
    Open(IDD_PAGE_MISC, MiscPageProc);
    Click(IDC_MISC_WORD_WRAP);
    Leave();
    settings.PartialLoadSize = 5;
    settings.AssocAutoRefresh = 1;
    LoadMiscPage(page);
    ASSERT_FALSE(Checked(IDC_MISC_WORD_WRAP));

    // The buttons say what they do; any answer but the first changes nothing.
    std::string captions;
    Answer(
        kAsk, IDCANCEL, [&] { Click(IDC_MISC_DEFAULTS); },
        [&](HWND q) { captions = ItemText(q, IDOK) + "/" + ItemText(q, IDCANCEL); });
    EXPECT_EQ(captions, "Restore defaults/Keep my settings");
    EXPECT_EQ(settings.WordWrap, 0);
    EXPECT_EQ(Text(IDC_MISC_PARTIAL_SIZE), "5");
    Answer(kAsk, IDOK, [&] { Click(IDC_MISC_DEFAULTS); });
    EXPECT_EQ(LastNotifyAnswer(), AnswerFirst);
    EXPECT_EQ(settings.WordWrap, 1);
    EXPECT_EQ(settings.AssocAutoRefresh, 0);
    EXPECT_TRUE(Checked(IDC_MISC_WORD_WRAP));
    EXPECT_EQ(Text(IDC_MISC_PARTIAL_SIZE), "1000000");
    // The defaults leave the Run buttons and the custom colours alone.
    EXPECT_STREQ(settings.RunFileA, "C:\\tools\\keep.exe");
    EXPECT_EQ(settings.CustomColours[3], 0x123456u);
}

TEST_F(SettingsPageTest, MiscAutoFindsWordPadAtOnceAndAboutShowsTheVersion) {
    TextCopy("C:\\other\\print.exe", settings.PrintProgram);
    TextCopy("-q ", settings.PrintParameter);
    Open(IDD_PAGE_MISC, MiscPageProc);
    Click(IDC_MISC_FIND_WORDPAD);
    EXPECT_NE(std::string(settings.PrintProgram).find("\\WORDPAD.EXE"), std::string::npos)
        << settings.PrintProgram;
    EXPECT_STREQ(settings.PrintParameter, "/p ");
    EXPECT_EQ(Text(IDC_MISC_PRINT), settings.PrintProgram);
    EXPECT_EQ(Text(IDC_MISC_SUFFIX), "/p ");

    std::string version;
    Answer(
        "About Korvid", IDOK, [&] { Click(IDC_MISC_ABOUT); },
        [&](HWND box) { version = ItemText(box, IDC_ABOUT_VERSION); });
    EXPECT_EQ(version, "Version 1.9");
}

// ---- View ----------------------------------------------------------------------

TEST_F(SettingsPageTest, ViewShowsThePixelsOfThePercentAndKeepsThemForResolution) {
    settings.WindowSizeValue = 100;
    Open(IDD_PAGE_VIEW, ViewPageProc);
    int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_EQ(Text(IDC_VIEW_WIDTH), std::to_string(width));
    EXPECT_EQ(Text(IDC_VIEW_HEIGHT), std::to_string(height));
    EXPECT_TRUE(Enabled(IDC_VIEW_PERCENT_EDIT));
    EXPECT_FALSE(Enabled(IDC_VIEW_WIDTH));

    settings.WindowSizeValue = 50;
    Activate(); // the page is set from the record again
    EXPECT_EQ(Text(IDC_VIEW_WIDTH), std::to_string(width / 2));
    Click(IDC_VIEW_RESOLUTION);
    EXPECT_EQ(settings.WindowSizeMode, 1);
    EXPECT_FALSE(Enabled(IDC_VIEW_PERCENT_EDIT));
    EXPECT_TRUE(Enabled(IDC_VIEW_WIDTH));
    EXPECT_TRUE(Enabled(IDC_VIEW_HEIGHT));
    Leave();
    EXPECT_EQ(settings.WindowSizeValue, width / 2);
    EXPECT_EQ(settings.WindowHeight, height / 2);

    Type(IDC_VIEW_WIDTH, "99999999999999999999");
    Type(IDC_VIEW_HEIGHT, "x");
    Leave();
    EXPECT_EQ(settings.WindowSizeValue, INT32_MAX);
    EXPECT_EQ(settings.WindowHeight, 0);
}

// ---- Auto Save -------------------------------------------------------------------

TEST_F(SettingsPageTest, AutoSaveEnablingFollowsTheSwitchAndTheDirectoryMode) {
    Open(IDD_PAGE_AUTOSAVE, AutoSavePageProc);
    const int all[] = {IDC_AUTOSAVE_NEW_FILES, IDC_AUTOSAVE_KEEP_TRYING, IDC_AUTOSAVE_MODE,
                       IDC_AUTOSAVE_MINUTES,   IDC_AUTOSAVE_CHOOSE,      IDC_AUTOSAVE_FOLDER};
    for (int id : all)
        EXPECT_FALSE(Enabled(id)) << id;
    Click(IDC_AUTOSAVE_ENABLE);
    EXPECT_EQ(settings.AutoSaveEnabled, 1);
    EXPECT_TRUE(Enabled(IDC_AUTOSAVE_MODE));
    EXPECT_FALSE(Enabled(IDC_AUTOSAVE_FOLDER));
    Choose(IDC_AUTOSAVE_MODE, 4);
    EXPECT_EQ(settings.AutoSaveMode, 4);
    for (int id : all)
        EXPECT_TRUE(Enabled(id)) << id;
    Choose(IDC_AUTOSAVE_MODE, 2);
    EXPECT_FALSE(Enabled(IDC_AUTOSAVE_FOLDER));
    EXPECT_FALSE(Enabled(IDC_AUTOSAVE_CHOOSE));
    EXPECT_EQ(Text(IDC_AUTOSAVE_FOLDER), folder.path());
    Click(IDC_AUTOSAVE_ENABLE);
    for (int id : all)
        EXPECT_FALSE(Enabled(id)) << id;
    Type(IDC_AUTOSAVE_FOLDER, std::string(320, 'f'));
    Leave();
    EXPECT_EQ(std::string(settings.AutoSaveDirectory), std::string(299, 'f'));
}

// ---- Font ----------------------------------------------------------------------

// ---- Bookmark ----------------------------------------------------------------------

// ---- Run ----------------------------------------------------------------------

TEST_F(SettingsPageTest, RunChooserPutsTheChosenProgramIntoItsField) {
    std::string program = folder.File("tool.exe");
    ASSERT_TRUE(WriteWholeFile(program, "MZ"));
    Open(IDD_PAGE_RUN, RunPageProc);
    ChooseFile("Korvid 1.9", program, [&] { Click(IDC_RUN_CHOOSE_A + 2); });
    EXPECT_EQ(Text(IDC_RUN_FILE_A + 2), program);
    EXPECT_STREQ(settings.RunFileC, "") << "the record changes when the page is left";
    Leave();
    EXPECT_EQ(std::string(settings.RunFileC), program);
}

// ---- Tooltips ----------------------------------------------------------------------

BOOL CALLBACK CollectControls(HWND child, LPARAM p) {
    char name[32] = {};
    GetClassNameA(child, name, sizeof name);
    LONG style = GetWindowLongA(child, GWL_STYLE) & 0xF;
    // Push buttons hold no setting; group boxes are labels.
    bool button = _stricmp(name, "Button") == 0 &&
                  (style == BS_GROUPBOX || style == BS_PUSHBUTTON || style == BS_DEFPUSHBUTTON);
    if (!button && (_stricmp(name, "Button") == 0 || _stricmp(name, "Edit") == 0 ||
                    _stricmp(name, "ComboBox") == 0))
        reinterpret_cast<std::vector<int>*>(p)->push_back(GetDlgCtrlID(child));
    return TRUE;
}

// Every control of every page that holds a setting (field, list, check
// box, option) has a tooltip in the shared window.
TEST_F(SettingsPageTest, EveryControlOfEveryPageHasATooltip) {
    const std::pair<int, DLGPROC> pages[] = {
        {IDD_PAGE_VIEW, ViewPageProc},         {IDD_PAGE_AUTOSAVE, AutoSavePageProc},
        {IDD_PAGE_RUN, RunPageProc},           {IDD_PAGE_FONT, FontPageProc},
        {IDD_PAGE_BOOKMARK, BookmarkPageProc}, {IDD_PAGE_MISC, MiscPageProc}};
    for (auto [dialogId, procedure] : pages) {
        Open(dialogId, procedure);
        std::vector<int> controls;
        EnumChildWindows(page, CollectControls, reinterpret_cast<LPARAM>(&controls));
        EXPECT_GT(controls.size(), 4u) << dialogId;
        for (int id : controls)
            EXPECT_NE(Tooltip(id), "") << "page " << dialogId << ", control " << id;
        DestroyWindow(page);
        page = nullptr;
    }
}
