#include "WinTestSupport.h"

#include "app/AppState.h"
#include "app/Editor.h"
#include "app/MainWindow.h"
#include "app/Tray.h"
#include "document/DocumentState.h"
#include "resource.h"
#include "settings/SettingsFile.h"

#include <gtest/gtest.h>

#include <shellapi.h>

#include <cstring>
#include <string>

namespace {

// A main window of the program's own procedure, so the tray messages take
// the same route as in the program; start-up completion is taken off the
// queue before it runs.
class TrayTest : public ::testing::Test {
  protected:
    void SetUp() override {
        RegisterTestWindowClass("KorvidTrayTest", MainWindowProc);
        std::memset(&settings, 0, sizeof settings);
        std::memset(&app, 0, sizeof app);
        std::memset(&doc, 0, sizeof doc);
        RestoreDefaultSettings();
        savedRecord = appRecord;
        savedTaskbarMessage = WM_TASKBAR_CREATED;
        testRecord = {};
        testRecord.largeIcon = LoadIconA(nullptr, IDI_APPLICATION);
        appRecord = &testRecord;
        WM_TASKBAR_CREATED = RegisterWindowMessageA("TaskbarCreated");
        app.mainWindow =
            CreateWindowExA(0, "KorvidTrayTest", "Untitled", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                            640, 480, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(app.mainWindow, nullptr);
        MSG msg;
        PeekMessageA(&msg, app.mainWindow, WM_COMMAND, WM_COMMAND, PM_REMOVE);
        CreateEditor(app.mainWindow);
    }
    void TearDown() override {
        if (TrayIconAdded())
            SetTrayIcon(NIM_DELETE, "");
        if (IsWindow(app.mainWindow))
            DestroyWindow(app.mainWindow);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            if (msg.message != WM_QUIT)
                DispatchMessageA(&msg);
        appRecord = savedRecord;
        WM_TASKBAR_CREATED = savedTaskbarMessage;
        std::memset(&settings, 0, sizeof settings);
        std::memset(&app, 0, sizeof app);
        std::memset(&doc, 0, sizeof doc);
    }
    void TrayMessage(WPARAM iconId, UINT mouseMessage) {
        SendMessageA(app.mainWindow, WM_TRAY_NOTIFY, iconId, mouseMessage);
    }
    void OpenFileNamed(const std::string& path) {
        std::strcpy(doc.fileName, path.c_str());
        doc.hasFileName = 1;
    }
    static std::string Tip() { return LastTrayRecord().szTip; }

    AppRecord testRecord;
    AppRecord* savedRecord = nullptr;
    UINT savedTaskbarMessage = 0;
};

} // namespace

TEST_F(TrayTest, HideToTrayHidesTheWindowAndAddsTheIcon) {
    HideToTray();
    EXPECT_FALSE(IsWindowVisible(app.mainWindow));
    EXPECT_TRUE(TrayIconAdded());
    EXPECT_EQ(LastTrayOperation(), static_cast<DWORD>(NIM_ADD));
    const NOTIFYICONDATAA& record = LastTrayRecord();
    EXPECT_EQ(record.cbSize, 488u);
    EXPECT_EQ(record.hWnd, app.mainWindow);
    EXPECT_EQ(record.uID, 0u);
    EXPECT_EQ(record.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_EQ(record.uCallbackMessage, static_cast<UINT>(WM_TRAY_NOTIFY));
    EXPECT_EQ(record.hIcon, testRecord.largeIcon);
    EXPECT_EQ(Tip(), "Korvid 1.9");
}

TEST_F(TrayTest, MinimisingGoesToTheTrayOnlyWithTrayMin) {
    settings.TrayMinimise = 0;
    ShowWindow(app.mainWindow, SW_MINIMIZE);
    EXPECT_TRUE(IsIconic(app.mainWindow));
    EXPECT_TRUE(IsWindowVisible(app.mainWindow));
    EXPECT_FALSE(TrayIconAdded());

    ShowWindow(app.mainWindow, SW_RESTORE);
    settings.TrayMinimise = 1;
    ShowWindow(app.mainWindow, SW_MINIMIZE);
    EXPECT_FALSE(IsWindowVisible(app.mainWindow));
    EXPECT_TRUE(TrayIconAdded());
    EXPECT_EQ(Tip(), "Korvid 1.9");
}

TEST_F(TrayTest, MouseOverTheIconRefreshesTheTip) {
    HideToTray();
    OpenFileNamed("C:\\Letters\\2024\\to the bank.txt");
    TrayMessage(0, WM_MOUSEMOVE);
    EXPECT_EQ(LastTrayOperation(), static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(Tip(), "C:\\Letters\\2024\\to the bank.txt");
    EXPECT_EQ(LastTrayRecord().uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_TRUE(TrayIconAdded());
    EXPECT_FALSE(IsWindowVisible(app.mainWindow));

    // A document without a name leaves any old name in the record unused.
    doc.hasFileName = 0;
    TrayMessage(0, WM_MOUSEMOVE);
    EXPECT_EQ(Tip(), "Korvid 1.9");
}

TEST_F(TrayTest, LongPathsAreCutTo127Characters) {
    HideToTray();
    struct {
        size_t length;
        size_t tipLength;
    } const cases[] = {{126, 126}, {127, 127}, {128, 127}, {599, 127}};
    for (const auto& c : cases) {
        std::string path = "C:\\";
        for (size_t i = path.size(); i < c.length; ++i)
            path += static_cast<char>('a' + i % 26);
        OpenFileNamed(path);
        TrayMessage(0, WM_MOUSEMOVE);
        const NOTIFYICONDATAA& record = LastTrayRecord();
        EXPECT_EQ(std::strlen(record.szTip), c.tipLength) << c.length;
        EXPECT_EQ(Tip(), path.substr(0, c.tipLength)) << c.length;
        EXPECT_EQ(record.szTip[127], '\0');
    }
}

TEST_F(TrayTest, DoubleClickRemovesTheIconAndRestoresTheWindow) {
    settings.TrayMinimise = 1;
    ShowWindow(app.mainWindow, SW_MINIMIZE);
    ASSERT_FALSE(IsWindowVisible(app.mainWindow));

    // Other clicks only refresh the tip.
    TrayMessage(0, WM_LBUTTONUP);
    TrayMessage(0, WM_RBUTTONUP);
    EXPECT_FALSE(IsWindowVisible(app.mainWindow));
    EXPECT_TRUE(TrayIconAdded());

    TrayMessage(0, WM_LBUTTONDBLCLK);
    EXPECT_EQ(LastTrayOperation(), static_cast<DWORD>(NIM_DELETE));
    EXPECT_FALSE(TrayIconAdded());
    EXPECT_TRUE(IsWindowVisible(app.mainWindow));
    EXPECT_FALSE(IsIconic(app.mainWindow));
}

TEST_F(TrayTest, TaskbarCreatedAddsTheIconAgain) {
    OpenFileNamed("C:\\notes.txt");
    HideToTray();
    TrayMessage(0, WM_MOUSEMOVE);
    ASSERT_EQ(LastTrayOperation(), static_cast<DWORD>(NIM_MODIFY));
    SendMessageA(app.mainWindow, WM_TASKBAR_CREATED, 0, 0);
    EXPECT_EQ(LastTrayOperation(), static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(Tip(), "Korvid 1.9");
    EXPECT_FALSE(IsWindowVisible(app.mainWindow));

    // Visible at that moment: an icon is added as well, and a double-click
    // just removes it again.
    TrayMessage(0, WM_LBUTTONDBLCLK);
    ASSERT_FALSE(TrayIconAdded());
    SendMessageA(app.mainWindow, WM_TASKBAR_CREATED, 0, 0);
    EXPECT_TRUE(TrayIconAdded());
    EXPECT_TRUE(IsWindowVisible(app.mainWindow));
    TrayMessage(0, WM_LBUTTONDBLCLK);
    EXPECT_FALSE(TrayIconAdded());
    EXPECT_TRUE(IsWindowVisible(app.mainWindow));
}

TEST_F(TrayTest, OtherIconIdsAreIgnored) {
    OpenFileNamed("C:\\notes.txt");
    HideToTray();
    for (WPARAM id : {1, 2, 0x100}) {
        TrayMessage(id, WM_MOUSEMOVE);
        TrayMessage(id, WM_LBUTTONDBLCLK);
    }
    EXPECT_EQ(LastTrayOperation(), static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(Tip(), "Korvid 1.9");
    EXPECT_TRUE(TrayIconAdded());
    EXPECT_FALSE(IsWindowVisible(app.mainWindow));
}
