#include "settings/PageRules.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

// FuzzSettings checks each rule against a plain reference; the odd cases.
TEST(PageRules, TheDocumentedOddCases) {
    const std::pair<const char*, uint32_t> cases[] = {
        {"", 0},
        {"12abc", 0},
        {"1 2", 0},
        {"-5", 0},
        {" 42 ", 42},
        {"4294967296", UINT32_MAX},
        {"99999999999999999999x", 0},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(ReadTypedNumber(text), expected) << '"' << text << '"';
    EXPECT_EQ(NumberField(UINT32_MAX), INT32_MAX); // a record field is never negative
    EXPECT_EQ(StoredWindowPercent(101), 70);
    EXPECT_EQ(StoredAutoSaveMinutes(4294967291u, -5), -5); // unchanged, shown unsigned
    EXPECT_EQ(StoredAutoSaveMinutes(0, 60), 1);
    EXPECT_EQ(BytesFromKilobytes(UINT32_MAX), 2147482624); // stays a positive byte count
    char small[5] = ".h";
    PadExtensionList(small, sizeof small);
    EXPECT_STREQ(small, ".h  ");
    // A full suffix keeps its terminator: the last character gives way.
    char full[100];
    std::memset(full, 'x', 99);
    full[99] = 0;
    EndWithBlank(full, sizeof full);
    EXPECT_EQ(std::string(full), std::string(98, 'x') + " ");
}
