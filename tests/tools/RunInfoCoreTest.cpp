#include "tools/RunInfoCore.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

namespace {

// FuzzText checks the totals, the pieces, the wildcard and the lists'
// bounds on any bytes; the classes of each byte are read here.
TEST(FileStatistics, ClassifiesByTheFirstRuleThatApplies) {
    // Letters, numbers, spaces, symbols, words, lines, sentences and the
    // average word and sentence lengths.
    const std::pair<const char*, std::array<uint64_t, 9>> cases[] = {
        {"", {0, 0, 0, 0, 1, 1, 0, 0, 0}},
        {"Hello world.", {10, 0, 1, 1, 2, 1, 1, 5, 2}},
        {"one\r\ntwo", {6, 0, 0, 0, 1, 2, 0, 6, 0}},
        {"Pi is 3.14.", {4, 3, 2, 2, 2, 1, 0, 2, 0}},    // a stop after a digit ends no sentence
        {"end).", {3, 0, 0, 2, 1, 1, 1, 3, 1}},          // ")" leaves the class at letter
        {"a\tb caf\xe9 x", {6, 0, 2, 0, 3, 1, 0, 2, 0}}, // a tab begins no word
        {"a (b", {2, 0, 1, 1, 2, 1, 0, 1, 0}},
        {"Go. Stop.  Now", {9, 0, 3, 2, 3, 1, 2, 3, 1}},
    };
    for (const auto& [text, want] : cases) {
        FileStatistics s;
        CountStatistics(s, reinterpret_cast<const unsigned char*>(text), std::strlen(text));
        const std::array<uint64_t, 9> got = {s.letters,
                                             s.numbers,
                                             s.spaces,
                                             s.symbols,
                                             s.words,
                                             s.lines,
                                             s.sentences,
                                             AverageWordLength(s),
                                             AverageSentenceLength(s)};
        EXPECT_EQ(got, want) << text;
    }
}

// A 599-character program with a 599-character selection fills the 600-byte
// buffer and no more; the heap copy lets the sanitizer see any overrun.
TEST(RunWildcard, StaysInsideTheBufferAndMayBeGivenItself) {
    std::unique_ptr<char[]> text(new char[600]);
    std::strcpy(text.get(), ("??" + std::string(597, 'p')).c_str());
    EXPECT_TRUE(ReplaceWildcard(text.get(), 600, "??", std::string(599, 's').c_str()));
    EXPECT_EQ(std::string(text.get()), std::string(599, 's'));
    char same[12] = "ab??cd";
    EXPECT_TRUE(ReplaceWildcard(same, sizeof same, "??", same));
    EXPECT_STREQ(same, "abab??cdcd ");
}

UserListReader Read(const std::string& file) {
    UserListReader reader;
    reader.Feed(reinterpret_cast<const unsigned char*>(file.data()), file.size());
    return reader;
}

TEST(UserLists, SectionsPairsMarkersAndLimits) {
    UserListReader r = Read("-r11\r\n-i199\r\n*run\r\nEditor\r\nnotepad.exe\r\n"
                            "*INSERT texts\r\nKind regards\r\nab\r\n#Dear Sir\r\n"
                            "*run again\r\nOrphan caption\r\n*ins\r\nYours\r\n"
                            "last line without a carriage return");
    EXPECT_TRUE(r.runCapacity == 11 && r.insertCapacity == 199); // the bounds of a count
    ASSERT_EQ(r.runFileCount, 1);
    EXPECT_STREQ(r.runFiles[0].target, "notepad.exe");
    EXPECT_STREQ(r.runFiles[1].caption, "Orphan caption"); // stored, not counted
    ASSERT_EQ(r.insertTextCount, 2); // "ab" is too short, "#" a comment, the last unended
    EXPECT_STREQ(r.insertTexts[1].text, "Yours");
    // Counts out of range are ignored, a list holds no more than its count,
    // and a count line after the first entry no longer counts.
    std::string many = "-i200\r\n-r200\r\n";
    for (int i = 0; i < 12; ++i)
        many += "*ins\r\ntext\r\n*run\r\ncaption\r\ncommand\r\n";
    UserListReader full = Read(many + "-i50\r\n");
    EXPECT_TRUE(full.runCapacity == 10 && full.insertCapacity == 10);
    EXPECT_TRUE(full.runFileCount == 10 && full.insertTextCount == 10);
    // Markers are no part of the text; line feeds anywhere are ignored;
    // long lines are cut to the fields.
    UserListReader cut = Read("*r\nun\r\nMy-Tool\r\nC:\\a.exe\r\nr#u*n\r\n" + std::string(40, 'c') +
                              "\r\n" + std::string(300, 'x') + "\r\n");
    ASSERT_EQ(cut.runFileCount, 1);
    EXPECT_EQ(std::string(cut.runFiles[0].caption),
              std::string(sizeof(RunFileEntry::caption) - 1, 'c'));
    EXPECT_EQ(std::string(cut.runFiles[0].target),
              std::string(sizeof(RunFileEntry::target) - 1, 'x'));
}

// The sample shipped beside the program explains every rule in comments;
// those comments must not turn into headers or count lines themselves.
TEST(UserLists, TheShippedSampleGivesItsExampleLists) {
    std::ifstream in(KORVID_SOURCE_DIR "/samples/KorvWord.txt", std::ios::binary);
    ASSERT_TRUE(in.good());
    UserListReader r = Read(std::string(std::istreambuf_iterator<char>(in), {}));
    EXPECT_EQ(r.runCapacity, 20);
    EXPECT_EQ(r.insertCapacity, 30);
    ASSERT_EQ(r.runFileCount, 3);
    EXPECT_STREQ(r.runFiles[0].target, "notepad.exe");
}

} // namespace
