#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include <string>

// FuzzText checks the split against a plain reading; these are the limits.
TEST(CommandLine, LimitsAndOddCases) {
    const std::string atLimit(kMaxArgumentLength, 'p');
    struct Case {
        std::string line;
        int index, result;
        std::string text;
    } cases[] = {
        {"\"C:\\Program Files\\Korvid.exe\" \"C:\\My Docs\\a b.txt\"", 1, ArgCopied,
         "C:\\My Docs\\a b.txt"},
        {"Korvid.exe na\xFEme.txt", 1, ArgCopied, "na\xFEme.txt"}, // every byte as it is
        {"Korvid.exe", 1, ArgMissing, ""},
        {"Korvid.exe \"unterminated", 1, ArgOddQuotes, "untouched"}, // output left alone
        {"Korvid.exe \"\" next", 1, ArgEmpty, ""},
        {"Korvid.exe " + atLimit, 1, ArgCopied, atLimit},
        {"Korvid.exe \"" + atLimit + "\"", 1, ArgCopied, atLimit}, // quotes do not count
        {"Korvid.exe " + atLimit + "p next", 1, ArgMissing, ""},   // too long: absent, not cut
        {"Korvid.exe " + std::string(100000, 'z') + " last", 2, ArgCopied, "last"},
    };
    for (const Case& c : cases) {
        char out[kMaxArgumentLength + 1] = "untouched";
        EXPECT_EQ(SplitCommandLineArg(c.line.c_str(), c.index, out), c.result)
            << c.line.substr(0, 60);
        EXPECT_EQ(std::string(out), c.text) << c.line.substr(0, 60);
    }
}
