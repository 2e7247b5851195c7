#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include <string>

namespace {
struct Split {
    int result;
    std::string text;
};

Split Arg(const std::string& commandLine, int index) {
    char out[kMaxArgumentLength + 1];
    std::string sentinel = "untouched";
    sentinel.copy(out, sentinel.size());
    out[sentinel.size()] = 0;
    int result = SplitCommandLineArg(commandLine.c_str(), index, out);
    return {result, out};
}
} // namespace

TEST(CommandLine, QuotedPathWithBlanksArrivesWholeWithoutQuotes) {
    auto s = Arg("\"C:\\Program Files\\Korvid.exe\" \"C:\\My Docs\\a b.txt\"", 1);
    EXPECT_EQ(s.result, ArgCopied);
    EXPECT_EQ(s.text, "C:\\My Docs\\a b.txt");
    EXPECT_EQ(Arg("\"C:\\Program Files\\Korvid.exe\" x", 0).text, "C:\\Program Files\\Korvid.exe");
}

TEST(CommandLine, OnlyTheIndexedArgumentIsTaken) {
    EXPECT_EQ(Arg("Korvid.exe one.txt two.txt", 1).text, "one.txt");
    EXPECT_EQ(Arg("Korvid.exe one.txt two.txt", 2).text, "two.txt");
    EXPECT_EQ(Arg("  Korvid.exe\t\tone.txt  ", 1).text, "one.txt"); // tabs are blanks
}

TEST(CommandLine, MissingOddAndEmptyArguments) {
    auto missing = Arg("Korvid.exe", 1);
    EXPECT_EQ(missing.result, ArgMissing);
    EXPECT_EQ(missing.text, "");
    EXPECT_EQ(Arg("Korvid.exe   ", 1).result, ArgMissing);
    EXPECT_EQ(Arg("", 0).result, ArgMissing);

    auto odd = Arg("Korvid.exe \"unterminated", 1);
    EXPECT_EQ(odd.result, ArgOddQuotes);
    EXPECT_EQ(odd.text, "untouched"); // the output is left alone

    auto empty = Arg("Korvid.exe \"\" next", 1);
    EXPECT_EQ(empty.result, ArgEmpty);
    EXPECT_EQ(empty.text, "");
}

TEST(CommandLine, SwitchesAndQuotesInsideAnArgument) {
    EXPECT_EQ(Arg("Korvid.exe /s", 1).text, "/s");
    EXPECT_EQ(Arg("Korvid.exe /X", 1).text, "/X");
    EXPECT_EQ(Arg("Korvid.exe a\"b c\"d", 1).text, "ab cd");
}

TEST(CommandLine, EveryByteOfANameComesBackAsItIs) {
    // 0xFE is a letter in the Windows code pages (thorn in 1252, yu in
    // 1251): a name holding it must reach the program unchanged, quoted or
    // not, and a quoted blank beside it stays a blank.
    EXPECT_EQ(Arg("Korvid.exe na\xFEme.txt", 1).text, "na\xFEme.txt");
    EXPECT_EQ(Arg("Korvid.exe \"\xFE \xFE.txt\" next", 1).text, "\xFE \xFE.txt");
    EXPECT_EQ(Arg("Korvid.exe \"\xFE \xFE.txt\" next", 2).text, "next");
}

TEST(CommandLine, ArgumentsAtAndPastTheLimit) {
    std::string atLimit(kMaxArgumentLength, 'p');
    auto ok = Arg("Korvid.exe " + atLimit, 1);
    EXPECT_EQ(ok.result, ArgCopied);
    EXPECT_EQ(ok.text, atLimit);

    std::string tooLong(kMaxArgumentLength + 1, 'p');
    auto refused = Arg("Korvid.exe " + tooLong + " next", 1);
    EXPECT_EQ(refused.result, ArgMissing);
    EXPECT_EQ(refused.text, "");
    EXPECT_EQ(Arg("Korvid.exe \"" + std::string(700, 'q') + "\"", 1).result, ArgMissing);
    // Quotes do not count against the limit.
    EXPECT_EQ(Arg("Korvid.exe \"" + atLimit + "\"", 1).text, atLimit);
    // A very long command line is still split.
    EXPECT_EQ(Arg("Korvid.exe " + std::string(100000, 'z') + " last", 2).text, "last");
}
