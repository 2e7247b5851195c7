// What reaches the program from outside as the system routes it: typed
// keys and shortcuts, Escape, the context menu by keyboard, files dropped on
// the editor, clicks on links in a document and rewrites of the open file
// by another program.
#include "tests/e2e/KorvidDriver.h"
#include "tests/shell/RegistrySnapshot.h"
#include "tests/tools/ProbeLog.h"

#include <gtest/gtest.h>

#include <richedit.h>

#include <set>

using namespace korvid_e2e;

TEST(KeysE2E, TypedKeysShortcutsEscapeAndTheContextMenuReachTheProgram) {
    KorvidApp app; // "Esc Exit" is on by default
    app.Start();
    app.WaitForEditor();
    auto waitForSelection = [&](long first, long last) {
        app.WaitUntil([&] { return app.Selection() == std::make_pair(first, last); },
                      "a selection");
    };
    app.TypeText("Hello there");
    app.WaitForEditorText("Hello there");
    app.PressKeys("Home shift+End");
    waitForSelection(0, 11);
    app.PressKeys("ctrl+t");
    app.WaitUntil([&] { return app.OnTop(); }, "Ctrl+T to put the window on top");
    // The keyboard opens the context menu at the caret; Escape closes only
    // the menu; "e" is Select All.
    for (const char* key : {"shift+F10", "Menu"}) {
        app.PressKeys("End");
        waitForSelection(11, 11);
        app.PressKeys(key);
        app.WaitForPopupMenu();
        RECT menu{}, editor{};
        GetWindowRect(app.FindWindowOf("#32768"), &menu);
        GetWindowRect(app.Editor(), &editor);
        EXPECT_TRUE(PtInRect(&editor, {menu.left, menu.top})) << key << " opens the menu outside";
        app.PressKeys(key[0] == 's' ? "Escape" : "e");
        app.WaitForPopupMenu(false);
    }
    waitForSelection(0, 12); // the whole text and the final paragraph mark
    // Escape on a changed document asks first; "Abort Close" keeps it.
    app.PressKeys("Escape");
    app.Expect(kNotSaved, kSecond);
    app.TypeText("!");
    app.WaitForEditorText("!");
    app.PressKeys("Escape");
    app.Expect(kNotSaved, kThird);
    app.WaitForExit();
    // With "Esc Exit" off Escape is an ordinary key.
    app.WriteSettings({{KORVID_FIELD(EscapeCloses), 0}});
    app.Start();
    app.WaitForEditor();
    app.PressKeys("Escape");
    app.TypeText("k");
    app.WaitForEditorText("k");
}

TEST(DropE2E, ADroppedFileOpensAndAChangedDocumentAsksFirst) {
    KorvidApp app;
    const std::string path = app.ProgramFolder() + "dropped.txt";
    WriteTextFile(path, "Dropped text\r\n");
    app.Start();
    HWND editor = app.WaitForEditor();
    app.TypeText("mine");
    app.WaitForEditorText("mine");
    app.DropFiles(editor, {path});
    app.Expect(kNotSaved, kSecond);
    app.TypeText("!");
    app.WaitForEditorText("mine!");
    app.DropFiles(editor, {path, app.ProgramFolder() + "second.txt"});
    app.Expect(kNotSaved, kThird);
    app.WaitForStatus("Opened at 14 bytes");
    EXPECT_EQ(app.EditorText(), "Dropped text\r\n");
    EXPECT_EQ(app.Title(), "dropped.txt");
}

// A document's link to a program runs only when the user, shown the whole
// target, chooses "Open this link"; Enter and Escape leave it. A web link
// opens with one click (HKCR\http\shell\open\command names the marker).
TEST(LinkE2E, AFileLinkRunsOnlyAfterTheQuestionAndAWebLinkOpensAtOnce) {
    KorvidApp app;
    const std::string marker = app.ProgramFolder() + "marker.exe";
    ASSERT_TRUE(CopyFileA(BuiltBeside("korvid_run_probe.exe").c_str(), marker.c_str(), FALSE));
    const std::string log = app.ProgramFolder() + "marker.log",
                      browser = "http\\shell\\open\\command";
    SetEnvironmentVariableA("KORVID_PROBE_LOG", log.c_str()); // inherited by the program
    const std::string oldBrowser = classes_root::Value(browser);
    classes_root::SetValue(browser, Quote(marker) + " \"%1\"");
    auto starts = [&] {
        Bytes bytes;
        TryReadFileBytes(log, bytes);
        return ParseProbeLog(std::string(bytes.begin(), bytes.end()));
    };
    std::string fileLink = "file:///" + marker;
    std::replace(fileLink.begin(), fileLink.end(), '\\', '/');
    const std::string document = app.ProgramFolder() + "links.txt";
    WriteTextFile(document, fileLink + "\r\nhttp://example.com/opened\r\n");
    app.WriteSettings({{KORVID_FIELD(UrlHighlight), 1}});
    app.Start(Quote(document));
    app.WaitForEditor();
    auto click = [&](int line, int character) {
        LRESULT first = app.Send(app.Editor(), EM_LINEINDEX, line, 0);
        LRESULT at = app.Send(app.Editor(), EM_POSFROMCHAR, first + character, 0);
        app.Click(app.Editor(), {LOWORD(at) + 2, HIWORD(at) + 5});
    };
    for (const char* key : {"Escape", "Return"}) {
        click(0, key[0] == 'E' ? 8 : 20);
        Notification question = app.WaitForNotification();
        EXPECT_NE(question.message.find(fileLink), std::string::npos) << question.message;
        EXPECT_EQ(question.ButtonText(kThird), "Open this link");
        app.PressKeysIn(question.window, key);
        app.WaitUntil([&] { return !IsWindow(question.window); }, std::string(key) + " to close");
    }
    click(1, 10);
    app.WaitUntil([&] { return !starts().empty(); }, "the web link to open");
    app.ExpectNoNotification();
    ASSERT_EQ(starts().size(), 1u) << "the file link ran without consent";
    EXPECT_NE(starts()[0].arguments.find("example.com/opened"), std::string::npos);
    click(0, 32);
    app.Answer(app.WaitForNotification(), kThird);
    app.WaitUntil([&] { return starts().size() == 2; }, "the file link to run");
    classes_root::SetValue(browser, oldBrowser);
    SetEnvironmentVariableA("KORVID_PROBE_LOG", nullptr);
}

// Another program rewrites the open document: one question per change,
// "Keep monitoring" keeps the text and the watch, Reload shows the new text
// over a change; the program's own save, a file beside it and a storm of
// rewrites ask nothing more. Each "nothing asks" is followed by a rewrite
// that does ask: the watch was alive all along.
TEST(WatchE2E, ARewriteAsksOnceAndKeepMonitoringReloadAndAStormBehave) {
    const std::string kChanged = "File has been modified externally.";
    const int kReload = kFirst, kKeep = kSecond;
    KorvidApp app;
    const std::string folder = app.ProgramFolder() + "docs\\", path = folder + "watched.txt";
    CreateDirectoryA(folder.c_str(), nullptr);
    // Written again until the last-write time moves (coarse file times).
    auto rewrite = [&](const std::string& file, const std::string& text) {
        WIN32_FILE_ATTRIBUTE_DATA before{}, now{};
        GetFileAttributesExA(file.c_str(), GetFileExInfoStandard, &before);
        app.WaitUntil(
            [&] {
                WriteTextFile(file, text);
                GetFileAttributesExA(file.c_str(), GetFileExInfoStandard, &now);
                return CompareFileTime(&now.ftLastWriteTime, &before.ftLastWriteTime) != 0;
            },
            "the last-write time of " + file + " to change");
    };
    WriteTextFile(path, "First\r\n");
    app.WriteSettings({{KORVID_FIELD(MonitorFile), 1}});
    app.Start(Quote(path));
    app.WaitForEditor();
    app.WaitForEditorText("First\r\n");
    rewrite(path, "Second\r\n");
    app.Expect(kChanged, kKeep);
    rewrite(folder + "neighbour.txt", "beside the document");
    app.ExpectNoNotification(500);

    app.Send(app.Editor(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("typed "));
    rewrite(path, "Third\r\n");
    app.Expect(kChanged, kReload);
    app.WaitForEditorText("Third\r\n");
    app.ExpectNoNotification(500);
    EXPECT_EQ(app.Send(app.Editor(), EM_GETMODIFY, 0, 0), 0);
    EXPECT_EQ(ReadFileBytes(path), ToBytes("Third\r\n")) << "the reload wrote the file";

    app.PressKeys("ctrl+End");
    app.TypeText("x");
    app.WaitForEditorText("Third\r\nx");
    app.PressKeys("ctrl+s");
    app.WaitForStatus("Saved at 8 bytes");
    app.ExpectNoNotification(500);

    std::set<HWND> questions;
    for (int i = 0; i < 200; ++i) {
        WriteTextFile(path, "Storm " + std::to_string(i) + "\r\n");
        app.Send(app.FindMainWindow(), WM_NULL, 0, 0); // the window keeps answering
        if (HWND question = app.FindNotification())
            questions.insert(question);
    }
    Notification question = app.WaitForNotification();
    questions.insert(question.window);
    EXPECT_EQ(questions.size(), 1u) << "questions seen during the storm";
    app.Answer(question, kKeep);
    app.ExpectNoNotification(500);
    EXPECT_EQ(app.EditorText(), "Third\r\nx");
    rewrite(path, "After the storm\r\n");
    app.Expect(kChanged, kKeep);
}
