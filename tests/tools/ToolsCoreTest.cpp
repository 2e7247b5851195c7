#include "tools/ToolsCore.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>
#include <string>

namespace {
std::u16string U(const std::string& text) { return std::u16string(text.begin(), text.end()); }
std::string A(const std::u16string& text) { return std::string(text.begin(), text.end()); }
} // namespace

// FuzzToolsCore checks the tools against the control's one-at-a-time loops
// and plain scans; these are the cases a reader of the rules needs.
TEST(ToolsCore, ReplaceAllAndDeDoubleDocumentedCases) {
    struct Case {
        const char *text, *find, *with;
        bool wholeWord;
        const char* expected;
    } cases[] = {
        {"aaa", "a", "aa", false, "aaaaaa"}, // goes on after the inserted text
        {"Cat cAT dog", "cat", "x", false, "x x dog"},
        {"cat concat cat_x cat1 (cat)", "cat", "D", true, "D concat D_x cat1 (D)"},
        {"--", "-", "a", true, "a-"}, // whole word sees the replacement before it
        {"abc", "", "x", false, ""},  // nothing to find changes nothing
    };
    for (const Case& c : cases) {
        TextEdit edit =
            ReplaceAllText(U(c.text), U(c.find), U(c.with), false, c.wholeWord, kAsciiFolding);
        EXPECT_EQ(A(edit.text), c.expected) << c.text;
    }
    TextEdit edit = DeDoubleText(U("xAbababaBy"), U("ab"), kAsciiFolding);
    EXPECT_EQ(A(edit.text), "xaby");
    EXPECT_EQ(edit.caret, 3u);
}

// The De-Double piece is bounded by bytes: in a double-byte code page 100
// selected characters can take 200 bytes, and the doubled text with its end
// must fit the room given.
TEST(ToolsCore, TheDeDoubleSearchTextKeepsToItsBuffers) {
    char out[600];
    std::string twoByte;
    for (int i = 0; i < 99; ++i)
        twoByte += "\x82\xA0";
    ASSERT_TRUE(DoubledSearchText(twoByte, out, sizeof out));
    EXPECT_EQ(std::string(out), twoByte + twoByte);
    EXPECT_FALSE(DoubledSearchText(twoByte + "\x82\xA0", out, sizeof out));
    EXPECT_FALSE(DoubledSearchText("", out, sizeof out));
    std::memset(out, 'Z', sizeof out);
    EXPECT_FALSE(DoubledSearchText(std::string(150, 'q'), out, 300));
    EXPECT_EQ(out[0], 'Z');
    EXPECT_TRUE(DoubledSearchText(std::string(149, 'q'), out, 300));
    EXPECT_EQ(std::strlen(out), 298u);
}

TEST(ToolsCore, ReportsFlagsIndentsAndInsertTimeModes) {
    std::vector<char> report(kBookmarkReportSize); // the longest report fits exactly
    BookmarkReport(std::array<int32_t, 5>{1, -1, 3, 4, 5}.data(), report.data());
    EXPECT_STREQ(report.data(), "BookMarks found: One, Two, Three, Four, Five");
    BookmarkReport(std::array<int32_t, 5>{}.data(), report.data());
    EXPECT_STREQ(report.data(), "No Bookmarks Found");
    EXPECT_EQ(SearchFlagsFor(kFindDown | kFindMatchCase | 0x8, true), kFindDown | kFindMatchCase);
    EXPECT_EQ(SearchFlagsFor(kFindWholeWord, false), kFindUpMarker | kFindWholeWord);
    EXPECT_EQ(IndentAfterStep(0, true), kIndentStep);
    EXPECT_EQ(IndentAfterStep(kIndentStep, false), 0);
    EXPECT_EQ(IndentAfterStep(kIndentStep - 1, false), kIndentStep - 1);
    for (int32_t unknown : {-1, 5, 99}) // taken as 0
        EXPECT_EQ(PlanInsertTime(unknown).dateFlags, PlanInsertTime(0).dateFlags);
}
