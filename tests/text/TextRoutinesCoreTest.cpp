#include "text/TextRoutines.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

// FuzzText checks every routine against a plain reference, in exact-size
// destinations; these are the documented odd cases.
TEST(TextRoutines, TheDocumentedOddCases) {
    EXPECT_EQ(TextSearch(1, "abc", "abc"), -1);  // identical text is never found
    EXPECT_EQ(TextSearch(4, "abcab", "ab"), 4);  // last possible place
    EXPECT_EQ(TextSearch(5, "abcab", "ab"), -2); // no room left after start
    EXPECT_EQ(TextSearch(0, "ab", "abc"), -2);   // the start test comes first
    EXPECT_EQ(DecimalToInt("12a"), 169);         // converts without validating: 'a' adds 49
}

TEST(TextRoutines, CopiesKeepToTheirBuffers) {
    char out[8];
    EXPECT_EQ(TextCopyBounded("1234567", out, 8), 1);
    EXPECT_STREQ(out, "1234567");
    EXPECT_EQ(TextCopyBounded("123456789", out, 8), 0);
    EXPECT_STREQ(out, "1234567");
    EXPECT_EQ(TextCopyBounded("x", out, 0), 0);
    // A slice that starts past the end reads nothing beyond the terminator
    // (the sanitizers see a heap copy of exactly the text's size).
    std::vector<char> exact{'a', 'b', 0};
    TextSlice(exact.data(), out, 5, 2);
    EXPECT_STREQ(out, "");
}
