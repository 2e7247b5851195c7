// Another program rewrites the document Korvid has open: the watch asks
// once per change, "Keep monitoring" keeps the text and the watch, Reload
// shows the new text over changes, the program's own save and a storm of
// rewrites ask nothing more than once.
#include "tests/e2e/KorvidDriver.h"

#include <gtest/gtest.h>

#include <richedit.h>

#include <set>

using namespace korvid_e2e;

namespace {

constexpr const char* kModifiedOutside = "File has been modified externally.";
constexpr int kReload = kFirst, kKeepMonitoring = kSecond;

// Written again until the last-write time has moved, in case the file
// system keeps coarse times.
void Rewrite(KorvidApp& app, const std::string& path, const std::string& text) {
    WIN32_FILE_ATTRIBUTE_DATA before{}, now{};
    GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &before);
    app.WaitUntil(
        [&] {
            WriteTextFile(path, text);
            GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &now);
            return CompareFileTime(&now.ftLastWriteTime, &before.ftLastWriteTime) != 0;
        },
        "the last-write time of " + path + " to change");
}

} // namespace

// Each "nothing asks" is followed by a rewrite that does ask: the watch
// was alive all along.
TEST(WatchE2E, ARewriteAsksOnceAndKeepMonitoringReloadAndAStormBehave) {
    KorvidApp app;
    const std::string folder = app.ProgramFolder() + "docs\\";
    const std::string path = folder + "watched.txt";
    CreateDirectoryA(folder.c_str(), nullptr);
    WriteTextFile(path, "First\r\n");
    app.WriteSettings({{KORVID_FIELD(MonitorFile), 1}});
    app.Start(Quote(path));
    app.WaitForEditor();
    app.WaitForEditorText("First\r\n");

    Rewrite(app, path, "Second\r\n");
    app.Expect(kModifiedOutside, kKeepMonitoring);
    Rewrite(app, folder + "neighbour.txt", "beside the document");
    app.ExpectNoNotification(500);
    EXPECT_EQ(app.EditorText(), "First\r\n");
    EXPECT_FALSE(app.Modified());

    // Reload over a change, which is dropped without a question.
    app.Send(app.Editor(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("typed "));
    Rewrite(app, path, "Third\r\n");
    app.Expect(kModifiedOutside, kReload);
    app.WaitForEditorText("Third\r\n");
    app.ExpectNoNotification(500);
    EXPECT_FALSE(app.Modified());
    EXPECT_EQ(ReadFileBytes(path), ToBytes("Third\r\n")) << "the reload wrote the file";

    // The program's own save.
    app.PressKeys("ctrl+End");
    app.TypeText("x");
    app.WaitForEditorText("Third\r\nx");
    app.PressKeys("ctrl+s");
    app.WaitForStatus("Saved at 8 bytes");
    app.ExpectNoNotification(500);

    // A storm of rewrites: the window keeps answering and asks once.
    std::set<HWND> questions;
    for (int i = 0; i < 200; ++i) {
        WriteTextFile(path, "Storm " + std::to_string(i) + "\r\n");
        app.Send(app.FindMainWindow(), WM_NULL, 0, 0);
        if (HWND question = app.FindNotification())
            questions.insert(question);
    }
    Notification question = app.WaitForNotification();
    questions.insert(question.window);
    EXPECT_EQ(questions.size(), 1u) << "questions seen during the storm";
    app.Answer(question, kKeepMonitoring);
    app.ExpectNoNotification(500);
    EXPECT_EQ(app.EditorText(), "Third\r\nx");
    Rewrite(app, path, "After the storm\r\n");
    app.Expect(kModifiedOutside, kKeepMonitoring);
}
