#include "text/TextRoutines.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

TEST(TextSearch, ResultsFollowTheStartAndLengthRules) {
    EXPECT_EQ(TextSearch(1, "abc", "abc"), -1); // identical text is never found
    EXPECT_EQ(TextSearch(1, "xabc", "abc"), 2);
    EXPECT_EQ(TextSearch(3, "abcab", "ab"), 4);
    EXPECT_EQ(TextSearch(5, "abcab", "ab"), -2); // no room left after start
    EXPECT_EQ(TextSearch(4, "abcab", "ab"), 4);  // last possible place
    EXPECT_EQ(TextSearch(0, "ab", "abc"), -2);   // the start test comes first
    EXPECT_EQ(TextSearch(-7, "abcd", "b"), -2);
    EXPECT_EQ(TextSearch(1, "abcd", "xy"), 0);
    EXPECT_EQ(TextSearch(1, "abcd", ""), 0);
    EXPECT_EQ(TextSearch(1, "aAbB", "B"), 4); // exact bytes, no case folding
    EXPECT_EQ(TextSearch(1, "\xC4\xE4x", "\xE4"), 2);
}

TEST(DecimalToInt, ConvertsWithoutValidating) {
    EXPECT_EQ(DecimalToInt("170"), 170);
    EXPECT_EQ(DecimalToInt("007"), 7);
    EXPECT_EQ(DecimalToInt("12a"), 169); // 'a' adds 49
    EXPECT_EQ(DecimalToInt("-25"), -25);
    EXPECT_EQ(DecimalToInt(""), 0);
    EXPECT_EQ(DecimalToInt("-"), 0);
    EXPECT_EQ(DecimalToInt("1 "), 10 + 240); // a blank adds 240
    EXPECT_EQ(DecimalToInt("2147483647"), INT32_MAX);
    EXPECT_EQ(DecimalToInt("4294967295"), -1); // wraps modulo 2^32
    EXPECT_EQ(DecimalToInt("-2147483648"), INT32_MIN);
}

TEST(IntToDecimal, WritesEverySignedValueInFull) {
    char out[12];
    const std::pair<int32_t, const char*> cases[] = {
        {0, "0"},
        {-1, "-1"},
        {7, "7"},
        {static_cast<int32_t>(0xFFFFFFFFu), "-1"},
        {INT32_MIN, "-2147483648"},
        {INT32_MAX, "2147483647"},
        {1000000, "1000000"},
    };
    for (auto& c : cases) {
        std::memset(out, 'Z', sizeof out);
        IntToDecimal(c.first, out);
        EXPECT_STREQ(out, c.second);
        EXPECT_EQ(DecimalToInt(out), c.first);
    }
}

TEST(TextSlice, StopsAtCountOrTerminator) {
    char out[16];
    TextSlice("abcdef", out, 2, 3);
    EXPECT_STREQ(out, "cde");
    TextSlice("ab", out, 0, 4);
    EXPECT_STREQ(out, "ab");
    TextSlice("abc", out, 0, 0);
    EXPECT_STREQ(out, "");
    char inPlace[] = "report.txt";
    TextSlice(inPlace, inPlace, 0, 6);
    EXPECT_STREQ(inPlace, "report");
    // A start past the end: empty, and nothing read beyond the terminator
    // (the sanitizers see a heap copy of exactly the text's size).
    std::vector<char> exact{'a', 'b', 0};
    TextSlice(exact.data(), out, 5, 2);
    EXPECT_STREQ(out, "");
    TextSlice(exact.data(), out, 2, 2);
    EXPECT_STREQ(out, "");
}

TEST(TextCopyAndAppend, CopyTerminatorAndReturnLength) {
    char out[32];
    std::memset(out, 'Z', sizeof out);
    EXPECT_EQ(TextCopy("hello", out), 5u);
    EXPECT_STREQ(out, "hello");
    TextAppend(out, ", world");
    EXPECT_STREQ(out, "hello, world");
    EXPECT_EQ(TextLength(out), 12u);
    EXPECT_EQ(TextCopy("", out), 0u);
    EXPECT_EQ(TextLength(out), 0u);
}

TEST(TextTailReverseLower, EdgeCases) {
    char out[32];
    EXPECT_STREQ(TextTail("report.txt", out, 4), ".txt");
    EXPECT_STREQ(TextTail("ab", out, 9), "ab");
    EXPECT_STREQ(TextTail("ab", out, 0), "");
    EXPECT_STREQ(TextReverse("a", out), "a");
    EXPECT_STREQ(TextReverse("", out), "");
    EXPECT_STREQ(TextReverse("abc", out), "cba");
    EXPECT_STREQ(TextReverse("abcd", out), "dcba");
    char mixed[] = "\xC4"
                   "BC-x@[Z";
    EXPECT_STREQ(TextLowerAscii(mixed), "\xC4"
                                        "bc-x@[z");
}

TEST(TextCopyBounded, NeverWritesPastTheBuffer) {
    char out[8];
    std::memset(out, 'Z', sizeof out);
    EXPECT_EQ(TextCopyBounded("1234567", out, 8), 1);
    EXPECT_STREQ(out, "1234567");
    EXPECT_EQ(TextCopyBounded("123456789", out, 8), 0);
    EXPECT_STREQ(out, "1234567");
    std::string big(5000, 'x');
    char field[600];
    EXPECT_EQ(TextCopyBounded(big.c_str(), field, sizeof field), 0);
    EXPECT_EQ(TextLength(field), 599u);
}

TEST(UInt64ToDecimal, SizesBeyondFourGigabytes) {
    char out[21];
    UInt64ToDecimal(0, out);
    EXPECT_STREQ(out, "0");
    UInt64ToDecimal(5000000000ull, out);
    EXPECT_STREQ(out, "5000000000");
    UInt64ToDecimal(UINT64_MAX, out);
    EXPECT_STREQ(out, "18446744073709551615");
}
