// A main window of the program's class procedure inside the test process,
// with its editor, and the helpers the tests of it share.
#pragma once

#include "WinTestSupport.h"

#include "app/AppState.h"
#include "app/Bars.h"
#include "app/Editor.h"
#include "app/MainWindow.h"
#include "document/Autosave.h"
#include "document/DocumentNames.h"
#include "document/DocumentState.h"
#include "document/Lifecycle.h"
#include "document/Monitor.h"
#include "document/Notify.h"
#include "resource.h"
#include "settings/SettingsFile.h"
#include "text/TextRoutines.h"

#include <gtest/gtest.h>

#include <richedit.h>

#include <cstring>
#include <utility>

class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        RegisterTestWindowClass("KorvidBoxTest", MainWindowProc);
        std::memset(&settings, 0, sizeof settings);
        std::memset(&app, 0, sizeof app);
        std::memset(&doc, 0, sizeof doc);
        autosave = {0, 0, 1};
        ResetNotifyState();
        TextCopy(folder.path().c_str(), app.dataFolder);
        TextCopy(folder.path().c_str(), app.programFolder);
        RestoreDefaultSettings();
        settings.ShowFileErrors = 0;
        app.wordWrap = 1;
        app.mainWindow =
            CreateWindowExA(0, "KorvidBoxTest", "Untitled", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                            640, 480, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(app.mainWindow, nullptr);
        // Start-up completion, posted first, is taken off the queue so the
        // test process's own command line is never opened.
        MSG msg;
        startupPosted = PeekMessageA(&msg, app.mainWindow, 0, 0, PM_REMOVE) &&
                        msg.message == WM_COMMAND && msg.wParam == IDM_STARTUP && msg.lParam == 0;
        CreateEditor(app.mainWindow);
        MoveWindow(app.editorWindow, 0, 0, 600, 400, TRUE);
    }
    void TearDown() override {
        StopFileMonitor();
        if (IsWindow(app.mainWindow))
            DestroyWindow(app.mainWindow);
        // The queue runs dry: paints validate, undispatched they repeat.
        for (MSG msg; PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);)
            DispatchMessageA(&msg);
    }
    void CopyStrip(const char* name) { // from the source tree, beside the "program"
        std::string strip = FileBytes(std::string(KORVID_SOURCE_DIR) + "/resources/" + name);
        ASSERT_TRUE(WriteWholeFile(folder.File(name), strip));
    }
    void CreateBarsWithStrip() {
        CopyStrip("ToolBar.bmp");
        CreateBars();
        ASSERT_NE(app.toolBar, nullptr);
    }
    void Command(WORD id) { SendMessageA(app.mainWindow, WM_COMMAND, id, 0); }
    void Open(const std::string& path) {
        TextCopy(path.c_str(), doc.fileName);
        OpenDocument();
    }
    void OpenWith(const std::string& name, const std::string& bytes) {
        ASSERT_TRUE(WriteWholeFile(folder.File(name), bytes));
        Open(folder.File(name));
    }
    void SetText(const std::string& text) { SetWindowTextA(app.editorWindow, text.c_str()); }
    void Type(const char* text) {
        SendMessageA(app.editorWindow, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text));
    }
    void Select(LONG first, LONG last) {
        CHARRANGE range = {first, last};
        SendMessageA(app.editorWindow, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    }
    std::pair<LONG, LONG> Selection() {
        CHARRANGE range = {};
        SendMessageA(app.editorWindow, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
        return {range.cpMin, range.cpMax};
    }
    bool Modified() { return SendMessageA(app.editorWindow, EM_GETMODIFY, 0, 0) != 0; }
    void SetModified(bool on) { SendMessageA(app.editorWindow, EM_SETMODIFY, on, 0); }
    std::string Status(int part = 3) {
        char text[600] = {};
        SendMessageA(app.statusBar, SB_GETTEXTA, part, reinterpret_cast<LPARAM>(text));
        return text;
    }
    static std::string Text(HWND window) {
        std::string text(GetWindowTextLengthA(window) + 1, '\0');
        text.resize(GetWindowTextA(window, &text[0], static_cast<int>(text.size())));
        return text;
    }
    std::string Title() { return Text(app.mainWindow); }
    std::string EditorText() { return Text(app.editorWindow); }
    TempFolder folder;
    bool startupPosted = false;
};
