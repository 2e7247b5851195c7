// A file larger than the editor control can hold, opened whole: the program
// stops the load while the text still fits and goes on running with the
// start of the file, read only, and a status that says why.
#include "tests/e2e/KorvidDriver.h"

#include <gtest/gtest.h>

#include <richedit.h>

#include <string>
#include <vector>

using namespace korvid_e2e;

namespace {

constexpr size_t kPartialLoadMode = 4930;
constexpr int32_t kModeOff = 0;
constexpr int kCmdSave = 3;

// Status-bar part 3; "(busy)" while the program lays the text out and does
// not answer.
std::string StatusMessage(const KorvidApp& app) {
    try {
        std::vector<std::string> texts = app.StatusTexts();
        return texts.size() > 3 ? texts[3] : std::string();
    } catch (const DriverError&) {
        return "(busy)";
    }
}

} // namespace

// Empty lines are what the control pays most for per byte (about 1.7 KB a
// line), so 6,000,000 bytes of them need more than the 4 GB a 32-bit
// process can have, and the stop comes after seconds rather than minutes.
TEST(LargeFileE2E, AFileTooLargeForMemoryLeavesAGuardedPartialDocument) {
    KorvidApp app;
    const size_t size = 6000000;
    std::string text;
    for (size_t i = 0; i < size / 2; ++i)
        text += "\r\n";
    std::string path = app.ProgramFolder() + "huge.txt";
    WriteTextFile(path, text);
    WriteSettings(app, {{kPartialLoadMode, kModeOff}});
    app.Start(Quote(path));
    app.WaitForEditor();

    const std::string prefix = "Partially Opened at ";
    const std::string suffix = " bytes of 6000000 bytes, not enough memory for the rest";
    std::string seen;
    app.WaitFor(
        [&] {
            if (!app.Running())
                app.Fail("the program ended during the load; status \"" + seen + "\"");
            seen = StatusMessage(app);
            return seen.compare(0, prefix.size(), prefix) == 0;
        },
        [&] { return "a partial-load status; it shows \"" + seen + "\""; }, 240000);
    ASSERT_GT(seen.size(), prefix.size() + suffix.size()) << seen;
    EXPECT_EQ(seen.substr(seen.size() - suffix.size()), suffix);
    size_t loaded = std::stoul(seen.substr(prefix.size()));
    EXPECT_GT(loaded, 0u);
    EXPECT_LT(loaded, size);
    EXPECT_EQ(loaded % 2, 0u) << "line breaks are taken whole";

    // The start of the file is there, one paragraph per line break, and a
    // save asks for another name instead of writing over the file.
    EXPECT_EQ(app.Send(app.Editor(), EM_GETLINECOUNT, 0, 0), static_cast<LRESULT>(loaded / 2 + 1));
    app.PostCommand(kCmdSave);
    app.CancelFileDialog(app.WaitForFileDialog(30000));
    EXPECT_TRUE(app.Running());
    EXPECT_TRUE(ReadFileBytes(path) == Bytes(text.begin(), text.end()));
}
