// The real settings sheet inside the test process: a helper thread waits
// for "Korvid 1.9", works its tabs and controls with messages, and closes
// it; the sheet runs its own modal loop on the test's thread meanwhile.
#include "MainWindowFixture.h"

#include "settings/SettingsDialog.h"
#include "settings/SettingsRecord.h"
#include "settings/SettingsPages.h"

#include <commctrl.h>
#include <prsht.h>

#include <atomic>
#include <functional>
#include <thread>

namespace {

bool WaitFor(const std::function<bool()>& done) {
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > 10000)
            return false;
        Sleep(20);
    }
    return true;
}

void AddControlTooltipForTest(HWND control, const AppRecord& record) {
    TOOLINFOA tool = {};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = control;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = const_cast<char*>("kept");
    SendMessageA(record.toolTipWindow, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

class SettingsSheetTest : public MainWindowTest {
  protected:
    // Runs the sheet; `steps` gets the sheet's window on the helper thread
    // and must close it. Without a sheet the steps do not run.
    bool RunSheet(const std::function<void(HWND sheet)>& steps) {
        std::atomic<bool> found{false};
        std::thread helper([&] {
            HWND sheet = nullptr;
            if (!WaitFor([&] { return (sheet = FindOwnWindow("Korvid 1.9")) != nullptr; }))
                return;
            found = true;
            steps(sheet);
        });
        ShowSettingsDialog();
        helper.join();
        return found;
    }
    static HWND Select(HWND sheet, int tab) {
        SendMessageA(sheet, PSM_SETCURSEL, static_cast<WPARAM>(tab), 0);
        return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    }
    static void Click(HWND page, int id) { SendDlgItemMessageA(page, id, BM_CLICK, 0, 0); }
    static void Choose(HWND page, int id, int index) {
        SendDlgItemMessageA(page, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
    }
    static void Press(HWND sheet, int button) {
        PostMessageA(sheet, PSM_PRESSBUTTON, static_cast<WPARAM>(button), 0);
    }
    std::string SettingsFile() {
        std::string bytes;
        ReadWholeFile(folder.File("Korvid.Dat"), &bytes);
        return bytes;
    }
    // A field of the settings file: its record offset after the tag.
    static int32_t Field(const std::string& file, size_t offset) {
        int32_t value = 0;
        if (file.size() >= kSettingsTagSize + offset + 4)
            std::memcpy(&value, file.data() + kSettingsTagSize + offset, 4);
        return value;
    }
};

} // namespace

TEST_F(SettingsSheetTest, WhatAPageStoredOrWroteAtOnceSurvivesCancel) {
    bool formatsEnabled = false, exitSaveShown = false;
    ASSERT_TRUE(RunSheet([&](HWND sheet) {
        HWND misc = Select(sheet, 6);
        Click(misc, IDC_MISC_WORD_WRAP);
        Choose(misc, IDC_MISC_TIME_MODE, 4);
        formatsEnabled = IsWindowEnabled(GetDlgItem(misc, IDC_MISC_TIME_FORMAT)) &&
                         IsWindowEnabled(GetDlgItem(misc, IDC_MISC_DATE_FORMAT));
        HWND view = Select(sheet, 0); // leaving Misc stores Word Wrap
        Click(view, IDC_VIEW_USE_LAST);
        misc = Select(sheet, 6);
        exitSaveShown = IsDlgButtonChecked(misc, IDC_MISC_EXIT_SAVE) == BST_CHECKED;
        // Changed on the open page and cancelled: not stored.
        Click(misc, IDC_MISC_STATUS_BAR);
        Press(sheet, PSBTN_CANCEL);
    }));
    EXPECT_TRUE(formatsEnabled);
    EXPECT_TRUE(exitSaveShown);
    std::string file = SettingsFile();
    ASSERT_EQ(file.size(), kSettingsFileSize);
    EXPECT_EQ(Field(file, offsetof(SettingsRecord, WordWrap)), 0) << "WordWrap";
    EXPECT_EQ(Field(file, offsetof(SettingsRecord, InsertTimeMode)), 4) << "InsertTimeMode";
    EXPECT_EQ(Field(file, offsetof(SettingsRecord, WindowSizeMode)), 2) << "WindowSizeMode";
    EXPECT_EQ(Field(file, offsetof(SettingsRecord, ExitSave)), 1) << "ExitSave";
    EXPECT_EQ(Field(file, offsetof(SettingsRecord, StatusBarEnabled)), 1) << "StatusBarEnabled";
}

TEST_F(SettingsSheetTest, ClosingTheSheetDropsTheToolsOfItsControls) {
    AppRecord* saved = appRecord;
    AppRecord record = {};
    record.instance = GetModuleHandleA(nullptr);
    record.toolTipWindow = CreateWindowExA(
        WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
        CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, record.instance, nullptr);
    appRecord = &record;
    auto tools = [&] {
        return static_cast<int>(SendMessageA(record.toolTipWindow, TTM_GETTOOLCOUNT, 0, 0));
    };
    // A tool of a control that outlives the sheet stays.
    HWND keeper = CreateWindowExA(0, "BUTTON", "keep", WS_CHILD, 0, 0, 10, 10, app.mainWindow,
                                  nullptr, record.instance, nullptr);
    AddControlTooltipForTest(keeper, record);
    int whileOpen = 0;
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(RunSheet([&](HWND sheet) {
            Select(sheet, 6);
            whileOpen = tools();
            Press(sheet, PSBTN_CANCEL);
        }));
        EXPECT_EQ(tools(), 1) << "round " << round;
    }
    EXPECT_GT(whileOpen, 20) << "the View and Misc pages registered their tooltips";
    DestroyWindow(record.toolTipWindow);
    appRecord = saved;
}
