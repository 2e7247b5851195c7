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

TEST_F(SettingsPageTest, MiscTextsAreBoundedAndTheSuffixEndsWithABlank) {
    Open(IDD_PAGE_MISC, MiscPageProc);
    EXPECT_EQ(Text(IDC_MISC_SUFFIX), "/p ");
    Type(IDC_MISC_SUFFIX, "");
    Type(IDC_MISC_PARTIAL_SIZE, "letters");
    Type(IDC_MISC_PRINT, std::string(700, 'p'));
    Type(IDC_MISC_TIME_FORMAT, std::string(70, 't'));
    Type(IDC_MISC_DIRECTORY, std::string(650, 'd'));
    Leave();
    EXPECT_STREQ(settings.PrintParameter, " ");
    EXPECT_EQ(settings.PartialLoadSize, 0);
    EXPECT_EQ(std::string(settings.PrintProgram), std::string(599, 'p'));
    EXPECT_EQ(std::string(settings.InsertTimeFormat), std::string(59, 't'));
    EXPECT_EQ(std::string(settings.DefaultDirectory), std::string(599, 'd'));

    Type(IDC_MISC_SUFFIX, "-print");
    Type(IDC_MISC_PARTIAL_SIZE, "99999999999999999999");
    Leave();
    EXPECT_STREQ(settings.PrintParameter, "-print ");
    EXPECT_EQ(settings.PartialLoadSize, INT32_MAX);
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

TEST_F(SettingsPageTest, ViewPercentOutsideOneToHundredStoresSeventy) {
    Open(IDD_PAGE_VIEW, ViewPageProc);
    struct Case {
        const char* typed;
        int32_t stored;
    };
    for (const Case& c : {Case{"0", 70}, Case{"101", 70}, Case{"", 70}, Case{"abc", 70},
                          Case{"100", 100}, Case{"1", 1}, Case{"45", 45}}) {
        Type(IDC_VIEW_PERCENT_EDIT, c.typed);
        Leave();
        EXPECT_EQ(settings.WindowSizeValue, c.stored) << '"' << c.typed << '"';
    }
}

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

TEST_F(SettingsPageTest, ViewUseLastSettingsTurnsExitSaveOnAndDisablesTheSizes) {
    settings.WindowSizeMode = 1;
    settings.WindowSizeValue = 800;
    settings.WindowHeight = 600;
    Open(IDD_PAGE_VIEW, ViewPageProc);
    EXPECT_TRUE(Checked(IDC_VIEW_RESOLUTION));
    Click(IDC_VIEW_USE_LAST);
    EXPECT_EQ(settings.WindowSizeMode, 2);
    EXPECT_EQ(settings.ExitSave, 1);
    for (int id : {IDC_VIEW_PERCENT_EDIT, IDC_VIEW_WIDTH, IDC_VIEW_HEIGHT})
        EXPECT_FALSE(Enabled(id)) << id;
    Click(IDC_VIEW_VARIABLE);
    EXPECT_EQ(settings.WindowSizeMode, 3);
    EXPECT_FALSE(Enabled(IDC_VIEW_WIDTH));
    Leave();
    EXPECT_EQ(settings.WindowSizeValue, 800);
    EXPECT_EQ(settings.WindowHeight, 600);
}

TEST_F(SettingsPageTest, ViewToolbarEnableGreysTheGroupButtonsAtOnce) {
    Open(IDD_PAGE_VIEW, ViewPageProc);
    Click(IDC_VIEW_TOOLBAR);
    EXPECT_EQ(settings.ToolbarEnabled, 0);
    for (int id :
         {IDC_VIEW_RUN, IDC_VIEW_INSERT, IDC_VIEW_INDENT, IDC_VIEW_SEARCH, IDC_VIEW_BOOKMARKS})
        EXPECT_FALSE(Enabled(id)) << id;
    for (int id : {IDC_VIEW_MENU_MANIPULATE, IDC_VIEW_MENU_RUN_LIST, IDC_VIEW_MENU_INSERT_LIST,
                   IDC_VIEW_MENU_BOOKMARKS})
        EXPECT_TRUE(Enabled(id)) << id;
    Click(IDC_VIEW_MENU_MANIPULATE);
    Leave();
    EXPECT_EQ(settings.ToolbarSearchButtons, 1) << "greyed boxes keep their values";
    EXPECT_EQ(settings.ToolbarRunButtons, 1);
    EXPECT_EQ(settings.MenuManipulate, 1);
}

// ---- Auto Save -------------------------------------------------------------------

TEST_F(SettingsPageTest, AutoSaveMinutesAreClampedOnlyWhenChanged) {
    Open(IDD_PAGE_AUTOSAVE, AutoSavePageProc);
    struct Case {
        const char* typed;
        int32_t stored;
    };
    for (const Case& c : {Case{"0", 1}, Case{"500", 180}, Case{"99999999999999999999", 180},
                          Case{"abc", 1}, Case{"30", 30}}) {
        Type(IDC_AUTOSAVE_MINUTES, c.typed);
        Leave();
        EXPECT_EQ(settings.AutoSaveMinutes, c.stored) << '"' << c.typed << '"';
    }
    settings.AutoSaveMinutes = 250; // from an older file
    Activate();
    EXPECT_EQ(Text(IDC_AUTOSAVE_MINUTES), "250");
    Leave();
    EXPECT_EQ(settings.AutoSaveMinutes, 250);
}

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

TEST_F(SettingsPageTest, FontListsArePaddedAndAutoGreysItsGroup) {
    Open(IDD_PAGE_FONT, FontPageProc);
    EXPECT_TRUE(Enabled(IDC_FONT_LIST_1 + 1));
    Click(IDC_FONT_AUTO_1 + 1);
    EXPECT_EQ(settings.FontGroup2Auto, 0);
    EXPECT_FALSE(Enabled(IDC_FONT_LIST_1 + 1));
    EXPECT_FALSE(Enabled(IDC_FONT_DEWRAP_1 + 1));
    EXPECT_TRUE(Enabled(IDC_FONT_FONT_1 + 1));
    Type(IDC_FONT_LIST_1, ".h");
    Type(IDC_FONT_LIST_1 + 1, ".asm.c  .cpp");
    Type(IDC_FONT_LIST_1 + 2, std::string(280, 'e'));
    Leave();
    EXPECT_EQ(std::string(settings.FontGroup1Extensions), ".h" + std::string(9, ' '));
    EXPECT_STREQ(settings.FontGroup2Extensions, ".asm.c  .cpp") << "a greyed list is still stored";
    EXPECT_EQ(settings.FontGroup2DeWrap, 1);
    EXPECT_EQ(std::string(settings.FontGroup3Extensions), std::string(269, 'e'));
}

TEST_F(SettingsPageTest, FontStripsShowEachGroupsBackgroundInsideItsGroupBox) {
    settings.FontGroup1BackColour = 0x000000FF;
    settings.FontGroup2BackColour = 0x0000FF00;
    settings.FontGroup3BackColour = 0x00FF0000;
    Open(IDD_PAGE_FONT, FontPageProc);
    UpdateWindow(page);
    HDC dc = GetDC(page);
    const int groupTops[] = {4, 58, 112};
    const COLORREF expected[] = {0x000000FF, 0x0000FF00, 0x00FF0000};
    for (int k = 0; k < 3; ++k) {
        // Near the strip's left end, where the sample text does not reach.
        RECT spot = {12, groupTops[k] + 12, 12, groupTops[k] + 12};
        MapDialogRect(page, &spot);
        EXPECT_EQ(GetPixel(dc, spot.left, spot.top), expected[k]) << "group " << k;
    }
    // Left of the strip is the page itself.
    RECT outside = {7, 20, 7, 20};
    MapDialogRect(page, &outside);
    EXPECT_NE(GetPixel(dc, outside.left, outside.top), expected[0]);
    ReleaseDC(page, dc);
}

TEST_F(SettingsPageTest, FontColourCancelKeepsTheColourAndCustomColoursSurviveARestart) {
    Open(IDD_PAGE_FONT, FontPageProc);
    settings.FontGroup2TextColour = 0x00336699;
    Answer("Color", IDCANCEL, [&] { Click(IDC_FONT_COLOUR_1 + 1); });
    EXPECT_EQ(settings.FontGroup2TextColour, 0x00336699u);
    // "Add to Custom Colors" puts the starting colour into the first slot.
    Answer(
        "Color", IDOK, [&] { Click(IDC_FONT_BACK_1 + 2); },
        [](HWND chooser) { SendMessageA(chooser, WM_COMMAND, kAddToCustomColours, 0); });
    EXPECT_EQ(settings.FontGroup3BackColour, 0xFFFFFFu);
    EXPECT_EQ(settings.CustomColours[0], 0xFFFFFFu);
    settings.CustomColours[0] = 0x00ABCDEF;
    SaveSettings();
    std::memset(&settings, 0, sizeof settings);
    LoadSettings();
    EXPECT_EQ(settings.CustomColours[0], 0x00ABCDEFu);
}

// ---- Bookmark ----------------------------------------------------------------------

TEST_F(SettingsPageTest, BookmarkLimitsGoThroughKilobytesAndMarkersAreCut) {
    Open(IDD_PAGE_BOOKMARK, BookmarkPageProc);
    EXPECT_EQ(Text(IDC_MARKS_SIZE), "195");
    EXPECT_EQ(Text(IDC_LABELS_SIZE), "488");
    EXPECT_EQ(Selection(IDC_LABELS_NAME_1), 1);
    Leave();
    EXPECT_EQ(settings.BookmarkMaxFileSize, 199680);
    EXPECT_EQ(settings.LabelsMaxFileSize, 499712);
    EXPECT_EQ(settings.LabelsMax, 1000);

    Type(IDC_LABELS_MARKER_1 + 1, std::string(70, 'm'));
    Type(IDC_MARKS_MARKER, std::string(120, 'k'));
    Type(IDC_MARKS_SIZE, "");
    Type(IDC_LABELS_SIZE, "99999999999999999999");
    Leave();
    EXPECT_EQ(std::string(settings.LabelMarker2), std::string(62, 'm'));
    EXPECT_EQ(std::string(settings.BookmarkMarker), std::string(99, 'k'));
    EXPECT_EQ(settings.BookmarkMaxFileSize, 0);
    EXPECT_EQ(settings.LabelsMaxFileSize, 2147482624);
}

TEST_F(SettingsPageTest, BookmarkKeepsItsControlsOnActivationAndEnableWritesAtOnce) {
    Open(IDD_PAGE_BOOKMARK, BookmarkPageProc);
    Click(IDC_LABELS_ENABLE);
    EXPECT_EQ(settings.LabelsEnabled, 0);
    for (int id : {IDC_LABELS_MARKER_1, IDC_LABELS_NAME_1 + 2, IDC_LABELS_MAX, IDC_LABELS_SIZE})
        EXPECT_FALSE(Enabled(id)) << id;
    EXPECT_TRUE(Enabled(IDC_MARKS_MARKER));
    TextCopy("changed elsewhere", settings.BookmarkMarker);
    Activate();
    EXPECT_EQ(Text(IDC_MARKS_MARKER), "Korvid");
    Leave();
    EXPECT_STREQ(settings.BookmarkMarker, "Korvid");
}

// ---- Run ----------------------------------------------------------------------

TEST_F(SettingsPageTest, RunTextsAreCutToTheirLimitsAndNothingElseChanges) {
    settings.RunSpecialB = 3;
    Open(IDD_PAGE_RUN, RunPageProc);
    EXPECT_EQ(Selection(IDC_RUN_SPECIAL_A + 1), 3);
    SettingsRecord before = settings;
    Type(IDC_RUN_FILE_A, std::string(280, 'r'));
    Type(IDC_RUN_PARAM_C, std::string(275, 'q'));
    Type(IDC_RUN_DESCRIPTION_B, std::string(150, 'd'));
    Choose(IDC_RUN_SPECIAL_A + 2, 4);
    Leave();
    EXPECT_EQ(std::string(settings.RunFileA), std::string(269, 'r'));
    EXPECT_EQ(std::string(settings.RunParamC), std::string(269, 'q'));
    EXPECT_EQ(std::string(settings.RunDescriptionB), std::string(99, 'd'));
    EXPECT_EQ(settings.RunSpecialC, 4);

    // Apart from the Run fields the record is byte for byte as before.
    SettingsRecord after = settings;
    std::memcpy(after.RunFileA, before.RunFileA, sizeof after.RunFileA);
    std::memcpy(after.RunParamC, before.RunParamC, sizeof after.RunParamC);
    std::memcpy(after.RunDescriptionB, before.RunDescriptionB, sizeof after.RunDescriptionB);
    after.RunSpecialC = before.RunSpecialC;
    EXPECT_EQ(std::memcmp(&after, &before, sizeof after), 0);
}

TEST_F(SettingsPageTest, RunChooserStartsOnHelpFilesOnlyForHelpOnSelected) {
    Open(IDD_PAGE_RUN, RunPageProc);
    auto filterShown = [this](int chooseId) {
        int shown = -2;
        Answer(
            "Korvid 1.9", IDCANCEL, [&] { Click(chooseId); },
            [&](HWND chooser) {
                // Let the dialog finish filling its lists.
                HWND types = nullptr;
                for (DWORD start = GetTickCount();
                     !(types = GetDlgItem(chooser, cmb1)) && GetTickCount() - start < 5000;)
                    Sleep(20);
                shown = static_cast<int>(SendMessageA(types, CB_GETCURSEL, 0, 0));
            });
        return shown;
    };
    Choose(IDC_RUN_SPECIAL_A + 1, 4);
    EXPECT_EQ(filterShown(IDC_RUN_CHOOSE_A + 1), 0) << "Help Files";
    Choose(IDC_RUN_SPECIAL_A + 1, 3);
    EXPECT_EQ(filterShown(IDC_RUN_CHOOSE_A + 1), 1) << "Executable Files";
    EXPECT_EQ(Text(IDC_RUN_FILE_A + 1), "") << "a cancelled chooser changes nothing";
}

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

TEST_F(SettingsPageTest, RunDescriptionBecomesTheToolbarTooltip) {
    Open(IDD_PAGE_RUN, RunPageProc);
    Type(IDC_RUN_DESCRIPTION_B, "Compile it");
    Leave();
    NMTTDISPINFOA info = {};
    info.hdr.idFrom = IDM_RUN_B;
    info.hdr.code = TTN_NEEDTEXTA;
    OnToolbarTooltip(&info.hdr);
    ASSERT_NE(info.lpszText, nullptr);
    EXPECT_STREQ(info.lpszText, "Compile it");
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
