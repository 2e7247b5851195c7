#include "settings/PageRules.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

TEST(PageRules, TypedNumbersNeverWrapAndNonNumbersReadAsZero) {
    struct Case {
        const char* text;
        uint32_t expected;
    };
    const Case cases[] = {
        {"", 0},
        {"abc", 0},
        {"12abc", 0},
        {"1 2", 0},
        {"-5", 0},
        {"+5", 0},
        {"0", 0},
        {"007", 7},
        {" 42 ", 42},
        {"1000000", 1000000},
        {"4294967295", UINT32_MAX},
        {"4294967296", UINT32_MAX},
        {"99999999999999999999", UINT32_MAX},
        {"99999999999999999999x", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ReadTypedNumber(c.text), c.expected) << '"' << c.text << '"';

    // What a 32-bit field of the record receives is never negative.
    EXPECT_EQ(NumberField(ReadTypedNumber("99999999999999999999")), INT32_MAX);
    EXPECT_EQ(NumberField(ReadTypedNumber("2147483648")), INT32_MAX);
    EXPECT_EQ(NumberField(ReadTypedNumber("2147483647")), INT32_MAX);
    EXPECT_EQ(NumberField(640), 640);
}

TEST(PageRules, WindowPercentFallsBackTo70OutsideOneToHundred) {
    EXPECT_EQ(StoredWindowPercent(ReadTypedNumber("0")), 70);
    EXPECT_EQ(StoredWindowPercent(ReadTypedNumber("101")), 70);
    EXPECT_EQ(StoredWindowPercent(ReadTypedNumber("")), 70);
    EXPECT_EQ(StoredWindowPercent(ReadTypedNumber("letters")), 70);
    EXPECT_EQ(StoredWindowPercent(ReadTypedNumber("99999999999999999999")), 70);
    EXPECT_EQ(StoredWindowPercent(100), 100);
    EXPECT_EQ(StoredWindowPercent(1), 1);
    EXPECT_EQ(StoredWindowPercent(60), 60);
}

TEST(PageRules, ScreenShareRoundsDownAndHundredIsTheWholeSide) {
    EXPECT_EQ(ScreenShare(1024, 60), 614);
    EXPECT_EQ(ScreenShare(768, 60), 460);
    EXPECT_EQ(ScreenShare(1024, 100), 1024);
    EXPECT_EQ(ScreenShare(767, 99), 759);
    EXPECT_EQ(ScreenShare(1280, 1), 12);
    // Percentages from a foreign file do not overflow.
    EXPECT_EQ(ScreenShare(1280, INT32_MAX), INT32_MAX);
    EXPECT_EQ(ScreenShare(1280, -50), -640);
}

TEST(PageRules, ChangedMinutesAreClampedAndUnchangedOnesKept) {
    struct Case {
        uint32_t typed;
        int32_t stored;
        int32_t expected;
    };
    const Case cases[] = {
        {0, 60, 1},
        {500, 60, 180},
        {180, 60, 180},
        {1, 60, 1},
        {45, 60, 45},
        {60, 60, 60},
        {250, 250, 250},
        {0, 0, 0},
        {UINT32_MAX, 60, 180},
        {4294967291u, -5, -5}, // a negative stored value is shown unsigned
    };
    for (const Case& c : cases)
        EXPECT_EQ(StoredAutoSaveMinutes(c.typed, c.stored), c.expected)
            << c.typed << " over " << c.stored;
}

TEST(PageRules, SizeLimitsGoThroughUnitsOf1024) {
    EXPECT_EQ(KilobytesShown(200000), 195u);
    EXPECT_EQ(BytesFromKilobytes(KilobytesShown(200000)), 199680);
    EXPECT_EQ(KilobytesShown(500000), 488u);
    EXPECT_EQ(BytesFromKilobytes(KilobytesShown(500000)), 499712);
    EXPECT_EQ(BytesFromKilobytes(0), 0);
    EXPECT_EQ(BytesFromKilobytes(32767), 33553408);
    // A huge typed number stays a positive byte count.
    EXPECT_EQ(BytesFromKilobytes(UINT32_MAX), 2147482624);
    EXPECT_EQ(BytesFromKilobytes(2097152), 2147482624);
}

TEST(PageRules, ExtensionListsArePaddedToElevenCharacters) {
    struct Case {
        const char* list;
        std::string expected;
    };
    const Case cases[] = {
        {"", std::string(11, ' ')},
        {".h", ".h" + std::string(9, ' ')},
        {".nfo    ", ".nfo       "},
        {".txt.log.ab", ".txt.log.ab"},
        {".asm.inc.rc .h  .htm.diz", ".asm.inc.rc .h  .htm.diz"},
    };
    for (const Case& c : cases) {
        char list[300];
        std::strcpy(list, c.list);
        PadExtensionList(list, sizeof list);
        EXPECT_EQ(std::string(list), c.expected) << '"' << c.list << '"';
    }
    char small[5] = ".h";
    PadExtensionList(small, sizeof small);
    EXPECT_STREQ(small, ".h  ");
}

TEST(PageRules, PrintSuffixEndsWithOneBlank) {
    struct Case {
        const char* suffix;
        const char* expected;
    };
    const Case cases[] = {
        {"", " "}, {"/p", "/p "}, {"/p ", "/p "}, {"-print  ", "-print  "}, {"/p\t", "/p\t "},
    };
    for (const Case& c : cases) {
        char text[100];
        std::strcpy(text, c.suffix);
        EndWithBlank(text, sizeof text);
        EXPECT_STREQ(text, c.expected) << '"' << c.suffix << '"';
    }
    // A full field keeps its terminator: the last character gives way.
    char full[100];
    std::memset(full, 'x', 99);
    full[99] = 0;
    EndWithBlank(full, sizeof full);
    EXPECT_EQ(std::strlen(full), 99u);
    EXPECT_EQ(full[98], ' ');
    EXPECT_EQ(full[97], 'x');
}
