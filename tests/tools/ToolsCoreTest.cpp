#include "tools/ToolsCore.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

namespace {

std::u16string U(const char* text) {
    std::u16string out;
    for (const char* p = text; *p; ++p)
        out.push_back(static_cast<unsigned char>(*p));
    return out;
}

std::string A(const std::u16string& text) {
    std::string out;
    for (char16_t c : text)
        out.push_back(static_cast<char>(c));
    return out;
}

bool SameIgnoringCase(const std::u16string& text, size_t at, const std::u16string& pattern) {
    for (size_t i = 0; i < pattern.size(); ++i)
        if (kAsciiFolding.upper(text[at + i]) != kAsciiFolding.upper(pattern[i]))
            return false;
    return true;
}

// The loops as the control runs them, one search and one replacement at a
// time over the whole text: the reference for the one-pass versions.
std::u16string ReplaceAllStepwise(std::u16string text, const std::u16string& find,
                                  const std::u16string& with, bool wholeWord, size_t* caret) {
    size_t from = 0;
    while (!find.empty() && from + find.size() <= text.size()) {
        size_t at = from;
        for (; at + find.size() <= text.size(); ++at) {
            if (!SameIgnoringCase(text, at, find))
                continue;
            bool prevWord = at > 0 && kAsciiFolding.wordChar(text[at - 1]);
            bool nextWord =
                at + find.size() < text.size() && kAsciiFolding.wordChar(text[at + find.size()]);
            if (!wholeWord || (!prevWord && !nextWord))
                break;
        }
        if (at + find.size() > text.size())
            break;
        text.replace(at, find.size(), with);
        from = *caret = at + with.size();
    }
    return text;
}

std::u16string DeDoubleStepwise(std::u16string text, const std::u16string& piece, size_t* caret) {
    const std::u16string doubled = piece + piece;
    for (;;) {
        size_t at = 0;
        while (at + doubled.size() <= text.size() && !SameIgnoringCase(text, at, doubled))
            ++at;
        if (at + doubled.size() > text.size())
            return text;
        text.replace(at, doubled.size(), piece);
        *caret = at + piece.size();
    }
}

// Applying the reported change span to the old text must give the new one:
// that is all the editor is sent.
void ExpectSpanMatches(const std::u16string& before, const TextEdit& edit) {
    std::u16string rebuilt = before;
    rebuilt.replace(edit.changeStart, edit.oldChangeEnd - edit.changeStart,
                    edit.text.substr(edit.changeStart, edit.newChangeEnd - edit.changeStart));
    EXPECT_EQ(A(rebuilt), A(edit.text));
}

} // namespace

TEST(ReplaceAllCore, GoesOnAfterTheInsertedTextAndIgnoresCase) {
    TextEdit edit = ReplaceAllText(U("aaa"), U("a"), U("aa"), false, false, kAsciiFolding);
    EXPECT_EQ(A(edit.text), "aaaaaa");
    EXPECT_EQ(edit.hits, 3u);
    EXPECT_EQ(edit.caret, 6u);

    edit = ReplaceAllText(U("Cat cAT dog"), U("cat"), U("x"), false, false, kAsciiFolding);
    EXPECT_EQ(A(edit.text), "x x dog");
    edit = ReplaceAllText(U("Cat cAT cat"), U("cat"), U("x"), true, false, kAsciiFolding);
    EXPECT_EQ(A(edit.text), "Cat cAT x");
    EXPECT_EQ(edit.changeStart, 8u);
}

TEST(ReplaceAllCore, WholeWordSeesTheReplacementBeforeIt) {
    // "cat_x" counts as a whole word: an underscore is no word character.
    TextEdit edit = ReplaceAllText(U("cat concat cat_x cat1 (cat)"), U("cat"), U("D"), false, true,
                                   kAsciiFolding);
    EXPECT_EQ(A(edit.text), "D concat D_x cat1 (D)");
    // After "ab" became "a1", the next "ab" follows a digit: not a word.
    edit = ReplaceAllText(U("ab-abab"), U("ab"), U("-"), false, true, kAsciiFolding);
    size_t caret = 0;
    EXPECT_EQ(A(edit.text), A(ReplaceAllStepwise(U("ab-abab"), U("ab"), U("-"), true, &caret)));
}

TEST(ReplaceAllCore, NothingToFindChangesNothing) {
    EXPECT_EQ(ReplaceAllText(U("abc"), U(""), U("x"), false, false, kAsciiFolding).hits, 0u);
    EXPECT_EQ(ReplaceAllText(U(""), U("a"), U("x"), false, false, kAsciiFolding).hits, 0u);
    EXPECT_EQ(ReplaceAllText(U("abc"), U("abcd"), U("x"), false, false, kAsciiFolding).hits, 0u);
}

TEST(DeDoubleCore, CollapsesRunsWhateverTheirCase) {
    size_t caret = 0;
    TextEdit edit = DeDoubleText(U("xababababy"), U("ab"), kAsciiFolding);
    EXPECT_EQ(A(edit.text), "xaby");
    DeDoubleStepwise(U("xababababy"), U("ab"), &caret);
    EXPECT_EQ(edit.caret, caret);
    EXPECT_EQ(A(DeDoubleText(U("Aaa"), U("A"), kAsciiFolding).text), "A");
    EXPECT_EQ(DeDoubleText(U("abc"), U("ab"), kAsciiFolding).hits, 0u);
    EXPECT_EQ(DeDoubleText(U("abab"), U(""), kAsciiFolding).hits, 0u);
}

// The piece is bounded by bytes: in a double-byte code page 100 selected
// characters can take 200 bytes.
TEST(DeDoubleCore, TheSearchTextKeepsToItsBuffers) {
    char out[600];
    std::memset(out, 'Z', sizeof out);
    std::string twoByte;
    for (int i = 0; i < 99; ++i)
        twoByte += "\x82\xA0";
    ASSERT_TRUE(DoubledSearchText(twoByte, out, sizeof out));
    EXPECT_EQ(std::string(out), twoByte + twoByte);
    EXPECT_FALSE(DoubledSearchText(twoByte + "\x82\xA0", out, sizeof out)); // 200 bytes
    EXPECT_TRUE(DoubledSearchText(std::string(199, 'q'), out, sizeof out));
    EXPECT_FALSE(DoubledSearchText("", out, sizeof out));
    // The doubled text with its end must fit the room given.
    std::memset(out, 'Z', sizeof out);
    EXPECT_FALSE(DoubledSearchText(std::string(150, 'q'), out, 300));
    EXPECT_EQ(out[0], 'Z');
    EXPECT_TRUE(DoubledSearchText(std::string(149, 'q'), out, 300));
    EXPECT_EQ(std::strlen(out), 298u);
}

// Random texts over a small alphabet make many overlapping and adjacent
// matches: the one-pass results must equal the stepwise loops exactly.
TEST(EditCore, OnePassEqualsTheStepwiseLoops) {
    std::mt19937 random(7);
    const char alphabet[] = "aAb -";
    auto word = [&](size_t most) {
        std::u16string text;
        size_t n = random() % (most + 1);
        for (size_t i = 0; i < n; ++i)
            text.push_back(static_cast<unsigned char>(alphabet[random() % 5]));
        return text;
    };
    for (int round = 0; round < 4000; ++round) {
        std::u16string text = word(40), find = word(3), with = word(3);
        bool wholeWord = round % 2 == 1;
        size_t caret = 0;
        std::u16string expected = ReplaceAllStepwise(text, find, with, wholeWord, &caret);
        TextEdit edit = ReplaceAllText(text, find, with, false, wholeWord, kAsciiFolding);
        if (edit.hits == 0) {
            EXPECT_EQ(A(expected), A(text));
        } else {
            ASSERT_EQ(A(edit.text), A(expected)) << A(text) << " / " << A(find) << " / " << A(with);
            EXPECT_EQ(edit.caret, caret);
            ExpectSpanMatches(text, edit);
        }

        if (find.empty())
            continue;
        caret = 0;
        expected = DeDoubleStepwise(text, find, &caret);
        edit = DeDoubleText(text, find, kAsciiFolding);
        if (edit.hits == 0) {
            EXPECT_EQ(A(expected), A(text));
        } else {
            ASSERT_EQ(A(edit.text), A(expected)) << A(text) << " / " << A(find);
            EXPECT_EQ(edit.caret, caret);
            ExpectSpanMatches(text, edit);
        }
    }
}

TEST(WordCore, LeftAndRightWords) {
    char context[64];
    std::strcpy(context, "x\r\nMyRoutine  ");
    EXPECT_EQ(WordLeftOf(context), 9);
    EXPECT_STREQ(context, "MyRoutine");
    std::strcpy(context, "a\tb.c");
    EXPECT_EQ(WordLeftOf(context), 5); // tabs and punctuation belong to the word
    std::strcpy(context, " \r\n ");
    EXPECT_EQ(WordLeftOf(context), 0);
    EXPECT_STREQ(context, "");
    std::strcpy(context, "  Intro more");
    EXPECT_EQ(WordRightOf(context), 5);
    EXPECT_STREQ(context, "Intro");
    std::strcpy(context, "");
    EXPECT_EQ(WordRightOf(context), 0);
}

TEST(LabelsCore, RowsFollowTheMarkerRules) {
    std::u16string text = U("MyRoutine proc\r*** Intro\r");
    text += std::u16string(50, u'x') + U("*** Next") + std::u16string(300, u'y') + U(" *** Far");
    text += U("\rLast PROC");
    std::u16string folded = FoldText(text, kAsciiFolding);
    std::vector<LabelRow> rows;
    int32_t row = 0;
    ScanLabelText(text, folded, U(" proc"), true, 1000, &row, &rows, kAsciiFolding);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(A(rows[0].name), "MyRoutine");
    EXPECT_EQ(rows[0].character, 10);
    EXPECT_EQ(A(rows[1].name), "Last");
    ScanLabelText(text, folded, U("*** "), false, 1000, &row, &rows, kAsciiFolding);
    ASSERT_EQ(row, 4);
    EXPECT_EQ(A(rows[2].name), "Intro");
    EXPECT_EQ(A(rows[3].name), "Far"); // "Next" lies within 200 characters of Intro

    // The limit is looked at only before searching further.
    rows.clear();
    row = 5;
    ScanLabelText(text, folded, U(" proc"), true, 1, &row, &rows, kAsciiFolding);
    EXPECT_EQ(rows.size(), 1u);
    // A marker at the very start has nothing to its left; empty markers find nothing.
    rows.clear();
    row = 0;
    ScanLabelText(text, folded, U("myroutine"), true, 10, &row, &rows, kAsciiFolding);
    ScanLabelText(text, folded, U(""), true, 10, &row, &rows, kAsciiFolding);
    EXPECT_TRUE(rows.empty());
}

TEST(SmallCore, ReportsPlansFlagsAndIndents) {
    char report[kBookmarkReportSize];
    int32_t marks[5] = {12, 0, 3, 0, 0};
    BookmarkReport(marks, report);
    EXPECT_STREQ(report, "BookMarks found: One, Three");
    int32_t all[5] = {1, 2, 3, 4, 5};
    BookmarkReport(all, report);
    EXPECT_STREQ(report, "BookMarks found: One, Two, Three, Four, Five");
    int32_t none[5] = {};
    BookmarkReport(none, report);
    EXPECT_STREQ(report, "No Bookmarks Found");

    EXPECT_FALSE(PlanInsertTime(0).withTime);
    EXPECT_EQ(PlanInsertTime(1).dateFlags, kDateLongDate);
    EXPECT_EQ(PlanInsertTime(3).timeFlags, kTimeNoSeconds);
    EXPECT_TRUE(PlanInsertTime(4).timePicture && PlanInsertTime(4).datePicture);
    EXPECT_EQ(PlanInsertTime(99).dateFlags, kDateShortDate);

    EXPECT_EQ(SearchFlagsFor(0x1 | 0x4 | 0x8, true), 0x5u);
    EXPECT_EQ(SearchFlagsFor(0x2, false), 0x10000002u);

    EXPECT_EQ(IndentAfterStep(0, true), 341);
    EXPECT_EQ(IndentAfterStep(341, false), 0);
    EXPECT_EQ(IndentAfterStep(340, false), 340);
}
