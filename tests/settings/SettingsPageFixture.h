// A settings page of the sheet, made alone in a host window of the test:
// its procedure gets the sheet's notifications from the test.
#pragma once

#include "WinTestSupport.h"

#include "app/AppState.h"
#include "document/Notify.h"
#include "settings/SettingsFile.h"
#include "text/TextRoutines.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <prsht.h>

#include <cstring>
#include <string>

class SettingsPageTest : public ::testing::Test {
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
        ASSERT_NE(host, nullptr);
        savedRecord = appRecord;
        record = {};

        record.instance = GetModuleHandleA(nullptr);
        record.toolTipWindow = CreateWindowExA(
            WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
            CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, record.instance, nullptr);
        appRecord = &record;
    }
    void TearDown() override {
        if (page != nullptr)
            DestroyWindow(page);
        DestroyWindow(host);
        DestroyWindow(record.toolTipWindow);
        appRecord = savedRecord;
        ResetNotifyState();
    }
    HWND Open(int dialogId, DLGPROC procedure) {
        page = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(dialogId), host,
                                  procedure, 0);
        EXPECT_NE(page, nullptr);
        EnableWindow(page, TRUE);
        ShowWindow(page, SW_SHOW);
        return page;
    }
    LRESULT Notify(UINT code) {
        NMHDR header = {host, 0, code};
        SendMessageA(page, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header));
        return GetWindowLongPtrA(page, DWLP_MSGRESULT);
    }
    // Leaving the page always succeeds: it never holds the user back.
    void Leave() { EXPECT_EQ(Notify(PSN_KILLACTIVE), FALSE); }
    void Activate() { EXPECT_EQ(Notify(PSN_SETACTIVE), 0); }
    void Click(int id) { SendDlgItemMessageA(page, id, BM_CLICK, 0, 0); }
    void Choose(int id, int index) {
        SendDlgItemMessageA(page, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
    }
    void Type(int id, const std::string& text) { SetDlgItemTextA(page, id, text.c_str()); }
    std::string Text(int id) {
        char text[1024] = {};
        GetDlgItemTextA(page, id, text, sizeof text);
        return text;
    }
    int Selection(int id) {
        return static_cast<int>(SendDlgItemMessageA(page, id, CB_GETCURSEL, 0, 0));
    }
    bool Enabled(int id) { return IsWindowEnabled(GetDlgItem(page, id)) != FALSE; }
    bool Checked(int id) { return IsDlgButtonChecked(page, id) == BST_CHECKED; }
    std::string Tooltip(int id) {
        char text[256] = {};
        TOOLINFOA tool = {};
        tool.cbSize = TTTOOLINFOA_V2_SIZE;
        tool.hwnd = GetDlgItem(page, id);
        tool.uId = reinterpret_cast<UINT_PTR>(tool.hwnd);
        tool.lpszText = text;
        SendMessageA(record.toolTipWindow, TTM_GETTEXTA, sizeof text,
                     reinterpret_cast<LPARAM>(&tool));
        return text;
    }
    int ToolCount() {
        return static_cast<int>(SendMessageA(record.toolTipWindow, TTM_GETTOOLCOUNT, 0, 0));
    }

    TempFolder folder;
    HWND host = nullptr;
    HWND page = nullptr;
    AppRecord record = {};
    AppRecord* savedRecord = nullptr;
};
