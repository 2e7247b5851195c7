// Input from outside the program as the system routes it: typed keys and
// shortcuts, Escape, the context menu by keyboard, files dropped on the
// editor and clicks on links in a document.
#include "tests/e2e/KorvidDriver.h"
#include "tests/shell/RegistrySnapshot.h"
#include "tests/tools/ProbeLog.h"

#include <gtest/gtest.h>

#include <richedit.h>

using namespace korvid_e2e;

TEST(KeysE2E, TypedKeysShortcutsEscapeAndTheContextMenuReachTheProgram) {
    KorvidApp app; // "Esc Exit" is on by default
    app.Start();
    app.WaitForEditor();
    app.TypeText("Hello there");
    app.WaitForEditorText("Hello there");
    app.PressKeys("Home shift+End");
    app.WaitUntil([&] { return app.Selection() == std::make_pair(0L, 11L); }, "Home shift+End");
    app.PressKeys("ctrl+t");
    app.WaitUntil([&] { return app.OnTop(); }, "Ctrl+T to put the window on top");

    // The keyboard opens the context menu at the caret; Escape closes only
    // the menu, and "e" is Select All.
    for (const char* key : {"shift+F10", "Menu"}) {
        SCOPED_TRACE(key);
        app.PressKeys("End");
        app.WaitUntil([&] { return app.Selection() == std::make_pair(11L, 11L); }, "End");
        app.PressKeys(key);
        app.WaitForPopupMenu();
        RECT menu{}, editor{};
        GetWindowRect(app.FindWindowOf("#32768"), &menu);
        GetWindowRect(app.Editor(), &editor);
        POINT corner = {menu.left, menu.top};
        EXPECT_TRUE(PtInRect(&editor, corner))
            << "the menu opens at " << menu.left << "," << menu.top << ", outside the editor";
        app.PressKeys(key[0] == 's' ? "Escape" : "e");
        app.WaitForPopupMenu(false);
    }
    app.WaitUntil([&] { return app.Selection().first == 0 && app.Selection().second >= 11; },
                  "Select All");

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
    EXPECT_TRUE(app.FindMainWindow() != nullptr);
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
    EXPECT_EQ(app.Title(), "Untitled");

    app.DropFiles(editor, {path, app.ProgramFolder() + "second.txt"});
    app.Expect(kNotSaved, kThird);
    app.WaitForStatus("Opened at 14 bytes");
    EXPECT_EQ(app.EditorText(), "Dropped text\r\n");
    EXPECT_EQ(app.Title(), "dropped.txt");
}

namespace {

// What HKCR\http\shell\open\command names opens every http link; put back
// afterwards.
struct BrowserCommand {
    explicit BrowserCommand(const std::string& command) : old(classes_root::Value(kKey)) {
        classes_root::SetValue(kKey, command);
    }
    ~BrowserCommand() {
        if (old.front() == '(')
            classes_root::DeleteValue(kKey);
        else
            classes_root::SetValue(kKey, old);
    }
    static constexpr const char* kKey = "http\\shell\\open\\command";
    std::string old;
};

// Clicks character `character` of line `line`.
void ClickLine(KorvidApp& app, int line, int character) {
    LRESULT first = app.Send(app.Editor(), EM_LINEINDEX, static_cast<WPARAM>(line), 0);
    LRESULT at = app.Send(app.Editor(), EM_POSFROMCHAR, static_cast<WPARAM>(first + character), 0);
    app.Click(app.Editor(),
              {static_cast<short>(LOWORD(at)) + 2, static_cast<short>(HIWORD(at)) + 5});
}

} // namespace

// A document's link to a program runs only when the user, shown the whole
// target, chooses "Open this link"; Enter and Escape leave it. A web link
// opens with one click.
TEST(LinkE2E, AFileLinkRunsOnlyAfterTheQuestionAndAWebLinkOpensAtOnce) {
    KorvidApp app;
    const std::string marker = app.ProgramFolder() + "marker.exe";
    ASSERT_TRUE(CopyFileA(BuiltBeside("korvid_run_probe.exe").c_str(), marker.c_str(), FALSE));
    const std::string log = app.ProgramFolder() + "marker.log";
    SetEnvironmentVariableA("KORVID_PROBE_LOG", log.c_str()); // inherited by the program
    BrowserCommand browser(Quote(marker) + " \"%1\"");
    auto starts = [&] {
        Bytes bytes;
        return TryReadFileBytes(log, bytes) ? ParseProbeLog(std::string(bytes.begin(), bytes.end()))
                                            : std::vector<ProbeStart>{};
    };
    std::string fileLink = "file:///" + marker;
    for (char& c : fileLink)
        c = c == '\\' ? '/' : c;
    const std::string webLink = "http://example.com/opened";
    const std::string document = app.ProgramFolder() + "links.txt";
    WriteTextFile(document, fileLink + "\r\n" + webLink + "\r\n");
    app.WriteSettings({{KORVID_FIELD(UrlHighlight), 1}});
    app.Start(Quote(document));
    app.WaitForEditor();

    for (const char* key : {"Escape", "Return"}) {
        ClickLine(app, 0, key[0] == 'E' ? 8 : 20);
        Notification question = app.WaitForNotification();
        EXPECT_NE(question.message.find(fileLink), std::string::npos) << question.message;
        EXPECT_EQ(question.ButtonText(kThird), "Open this link");
        app.PressKeysIn(question.window, key);
        app.WaitUntil([&] { return !IsWindow(question.window); }, std::string(key) + " to close");
    }
    ClickLine(app, 1, 10);
    app.WaitUntil([&] { return !starts().empty(); }, "the web link to open");
    app.ExpectNoNotification();
    ASSERT_EQ(starts().size(), 1u) << "the file link ran without consent";
    EXPECT_NE(starts()[0].arguments.find(webLink), std::string::npos) << starts()[0].arguments;

    ClickLine(app, 0, 32);
    app.Answer(app.WaitForNotification(), kThird);
    app.WaitUntil([&] { return starts().size() == 2; }, "the file link to run");
    SetEnvironmentVariableA("KORVID_PROBE_LOG", nullptr);
}
