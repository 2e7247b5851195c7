#include "tools/RunInfoCore.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace {

FileStatistics Count(const std::string& text) {
    FileStatistics counts;
    CountStatistics(counts, reinterpret_cast<const unsigned char*>(text.data()), text.size());
    return counts;
}

struct StatisticsCase {
    const char* text;
    uint64_t letters, numbers, spaces, symbols, words, lines, sentences, avgWord, avgSentence;
};

TEST(FileStatistics, ClassifiesByTheFirstRuleThatApplies) {
    const StatisticsCase cases[] = {
        {"", 0, 0, 0, 0, 1, 1, 0, 0, 0},
        {"Hello world.", 10, 0, 1, 1, 2, 1, 1, 5, 2},
        {"one\r\ntwo", 6, 0, 0, 0, 1, 2, 0, 6, 0},
        // Both stops follow a digit, so neither ends a sentence.
        {"Pi is 3.14.", 4, 3, 2, 2, 2, 1, 0, 2, 0},
        // The parenthesis leaves the class at letter.
        {"end).", 3, 0, 0, 2, 1, 1, 1, 3, 1},
        // A tab is no blank and does not begin a word; accents count nowhere.
        {"a\tb caf\xe9 x", 6, 0, 2, 0, 3, 1, 0, 2, 0},
        // Symbols between the blank and the letter do not interrupt a word.
        {"a (b", 2, 0, 1, 1, 2, 1, 0, 1, 0},
        {"Go. Stop.  Now", 9, 0, 3, 2, 3, 1, 2, 3, 1},
    };
    for (const StatisticsCase& c : cases) {
        SCOPED_TRACE(c.text);
        FileStatistics s = Count(c.text);
        EXPECT_EQ(s.letters, c.letters);
        EXPECT_EQ(s.numbers, c.numbers);
        EXPECT_EQ(s.spaces, c.spaces);
        EXPECT_EQ(s.symbols, c.symbols);
        EXPECT_EQ(s.words, c.words);
        EXPECT_EQ(s.lines, c.lines);
        EXPECT_EQ(s.sentences, c.sentences);
        EXPECT_EQ(AverageWordLength(s), c.avgWord);
        EXPECT_EQ(AverageSentenceLength(s), c.avgSentence);
        EXPECT_EQ(StatisticsCharacters(s), s.letters + s.numbers + s.spaces + s.symbols);
    }
}

// A file is read in pieces of up to a million bytes: a piece boundary
// anywhere, even between a blank and the letter after it, changes nothing.
TEST(FileStatistics, PiecesAnywhereGiveTheSameCounts) {
    std::mt19937 random(7);
    const char alphabet[] = "ab .\n\r9)\t\xe9 ";
    std::string text;
    for (int i = 0; i < 3000; ++i)
        text += alphabet[random() % (sizeof alphabet - 1)];
    FileStatistics whole = Count(text);
    for (size_t cut = 0; cut <= text.size(); cut += 37) {
        FileStatistics pieces;
        const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text.data());
        CountStatistics(pieces, bytes, cut);
        CountStatistics(pieces, bytes + cut, text.size() - cut);
        ASSERT_TRUE(whole == pieces) << "cut at " << cut;
    }
}

TEST(GroupDigits, GroupsOfThreeFromTheRight) {
    const std::pair<uint64_t, const char*> cases[] = {
        {0, "0"},
        {999, "999"},
        {1000, "1,000"},
        {1000000, "1,000,000"},
        {1234567, "1,234,567"},
        {12345, "12,345"},
        {5368709120ull, "5,368,709,120"},
        {UINT64_MAX, "18,446,744,073,709,551,615"},
    };
    for (const auto& [value, expected] : cases) {
        char text[kGroupedDigitsSize];
        GroupDigits(value, text);
        EXPECT_STREQ(text, expected);
    }
}

TEST(RunWildcard, ReplacesTheFirstAndAppendsOneBlank) {
    char text[600] = "??";
    EXPECT_TRUE(ReplaceWildcard(text, sizeof text, "??", "a.txt"));
    EXPECT_STREQ(text, "a.txt ");

    strcpy(text, "/x ?? /y ??");
    EXPECT_TRUE(ReplaceWildcard(text, sizeof text, "??", "b"));
    EXPECT_STREQ(text, "/x b /y ?? ");

    // The substitute is not searched again.
    strcpy(text, "x??y");
    EXPECT_TRUE(ReplaceWildcard(text, sizeof text, "??", "??"));
    EXPECT_STREQ(text, "x??y ");

    strcpy(text, "no wildcard");
    EXPECT_FALSE(ReplaceWildcard(text, sizeof text, "??", "x"));
    EXPECT_STREQ(text, "no wildcard");
    text[0] = '\0';
    EXPECT_FALSE(ReplaceWildcard(text, sizeof text, "??", "x"));
    EXPECT_STREQ(text, "");
}

// A 599-character program with a 599-character selection fills the 600-byte
// buffer and no more; the heap copy lets the sanitizer see any overrun.
TEST(RunWildcard, StaysInsideTheBuffer) {
    std::string program = "??" + std::string(597, 'p');
    std::string selection(599, 's');
    std::unique_ptr<char[]> text(new char[600]);
    memcpy(text.get(), program.c_str(), program.size() + 1);
    EXPECT_TRUE(ReplaceWildcard(text.get(), 600, "??", selection.c_str()));
    EXPECT_EQ(strlen(text.get()), 599u);
    EXPECT_EQ(std::string(text.get()), selection);

    // The substitute may be the text itself.
    char same[12] = "ab??cd";
    EXPECT_TRUE(ReplaceWildcard(same, sizeof same, "??", same));
    EXPECT_STREQ(same, "abab??cdcd ");
}

TEST(RunWildcard, StripExtensionCutsAtTheLastDot) {
    const std::pair<const char*, const char*> cases[] = {
        {"a.txt", "a"}, {"a.b.txt", "a.b"}, {"README", "README"}, {".profile", ""}, {"x.", "x"}};
    for (const auto& [name, expected] : cases) {
        char text[32];
        strcpy(text, name);
        StripExtension(text);
        EXPECT_STREQ(text, expected);
    }
}

UserListReader Read(const std::string& file) {
    UserListReader reader;
    reader.Feed(reinterpret_cast<const unsigned char*>(file.data()), file.size());
    return reader;
}

TEST(UserLists, SectionsPairsAndTexts) {
    UserListReader r = Read("*run\r\n"
                            "Editor\r\nnotepad.exe\r\n"
                            "Folder\r\nC:\\Temp\r\n"
                            "*INSERT texts\r\n"
                            "Kind regards\r\n"
                            "ab\r\n" // too short
                            "#Dear Sir\r\n"
                            "*run again\r\n"
                            "Orphan caption\r\n"
                            "*ins\r\n"
                            "Yours\r\n"
                            "last line without a carriage return");
    ASSERT_EQ(r.runFileCount, 2);
    EXPECT_STREQ(r.runFiles[0].caption, "Editor");
    EXPECT_STREQ(r.runFiles[0].target, "notepad.exe");
    EXPECT_STREQ(r.runFiles[1].caption, "Folder");
    EXPECT_STREQ(r.runFiles[1].target, "C:\\Temp");
    // The caption without a command is stored but not counted.
    EXPECT_STREQ(r.runFiles[2].caption, "Orphan caption");
    EXPECT_STREQ(r.runFiles[2].target, "");
    ASSERT_EQ(r.insertTextCount, 2);
    EXPECT_STREQ(r.insertTexts[0].text, "Kind regards");
    EXPECT_STREQ(r.insertTexts[1].text, "Yours");
}

TEST(UserLists, MarkersCountsAndLimits) {
    // Entry lines before any header are ignored, yet they start the lists,
    // so the count line after them no longer counts.
    UserListReader late = Read("before any header\r\n-i50\r\n*ins\r\nhello\r\n");
    EXPECT_EQ(late.insertCapacity, 10);
    EXPECT_EQ(late.insertTextCount, 1);

    UserListReader counts = Read("-i5\r\n-r50\r\n-i150\r\n-x30\r\n-i200\r\n*ins\r\n");
    EXPECT_EQ(counts.runCapacity, 50);
    EXPECT_EQ(counts.insertCapacity, 150);
    EXPECT_FALSE(counts.listsStarted);

    std::string many = "-i150\r\n*ins\r\n";
    for (int i = 0; i < 160; ++i)
        many += "text " + std::to_string(i) + "\r\n";
    UserListReader full = Read(many);
    EXPECT_EQ(full.insertTextCount, 150);
    EXPECT_STREQ(full.insertTexts[149].text, "text 149");

    // Markers are no part of the text; a header outranks a count line,
    // which outranks a comment; a "-" in a path makes a count line.
    UserListReader markers = Read("*run\r\nMy-Tool\r\nC:\\a.exe\r\nr#u*n\r\nTool\r\nC:\\b.exe\r\n");
    ASSERT_EQ(markers.runFileCount, 1);
    EXPECT_STREQ(markers.runFiles[0].caption, "Tool");

    // Line feeds anywhere are ignored; long lines are cut to the fields.
    std::string longCaption(40, 'c');
    std::string longCommand(300, 'x');
    UserListReader cut = Read("*r\nun\r\n" + longCaption + "\r\n" + longCommand + "\r\n");
    ASSERT_EQ(cut.runFileCount, 1);
    EXPECT_EQ(std::string(cut.runFiles[0].caption), longCaption.substr(0, 29));
    EXPECT_EQ(std::string(cut.runFiles[0].target), longCommand.substr(0, 269));
}

TEST(UserLists, PiecesAnywhereGiveTheSameLists) {
    std::string file = "-r12\r\n*run\r\nA caption\r\ncmd.exe\r\n*ins\r\nsome text\r\n";
    UserListReader whole = Read(file);
    for (size_t cut = 0; cut <= file.size(); ++cut) {
        UserListReader r;
        const unsigned char* bytes = reinterpret_cast<const unsigned char*>(file.data());
        r.Feed(bytes, cut);
        r.Feed(bytes + cut, file.size() - cut);
        ASSERT_EQ(r.runFileCount, whole.runFileCount) << cut;
        ASSERT_EQ(r.runCapacity, 12) << cut;
        ASSERT_EQ(memcmp(r.runFiles.data(), whole.runFiles.data(), 12 * sizeof(RunFileEntry)), 0);
        ASSERT_STREQ(r.insertTexts[0].text, "some text");
    }
}

// The sample shipped beside the program explains every rule in comments;
// those comments must not turn into headers or count lines themselves.
TEST(UserLists, TheShippedSampleGivesItsExampleLists) {
    std::ifstream in(KORVID_SOURCE_DIR "/samples/KorvWord.txt", std::ios::binary);
    ASSERT_TRUE(in.good());
    std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    UserListReader r = Read(file);
    EXPECT_EQ(r.runCapacity, 20);
    EXPECT_EQ(r.insertCapacity, 30);
    ASSERT_EQ(r.runFileCount, 3);
    EXPECT_STREQ(r.runFiles[0].caption, "Notepad");
    EXPECT_STREQ(r.runFiles[0].target, "notepad.exe");
    ASSERT_GE(r.insertTextCount, 3);
    EXPECT_STREQ(r.insertTexts[0].text, "Kind regards,");
}

} // namespace
