#include "document/MemoryBudget.h"

#include <gtest/gtest.h>

#include <string>

namespace {

uint64_t CostOf(const std::string& bytes, bool wrapped, bool unicode, std::size_t piece) {
    TextCostMeter meter(wrapped, unicode);
    for (std::size_t at = 0; at < bytes.size(); at += piece)
        meter.Feed(reinterpret_cast<const uint8_t*>(bytes.data()) + at,
                   std::min(piece, bytes.size() - at));
    return meter.Cost();
}

std::string Wide(const std::string& narrow) {
    std::string wide;
    for (char c : narrow)
        wide += std::string(1, c) + '\0';
    return wide;
}

std::string Lines(std::size_t count, std::size_t length, const char* lineBreak) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i)
        text += std::string(length, 'x') + lineBreak;
    return text;
}

constexpr uint64_t kMegabyte = 1024 * 1024;

} // namespace

TEST(MemoryBudget, CostDoesNotDependOnHowTheTextIsCut) {
    // CR LF, lone CR and lone LF are one break each, also when a piece ends
    // between CR and LF or inside a UTF-16 unit.
    const std::string text = "ab\r\ncd\reeee\nf\r\n\r\n\n\rlast";
    for (bool wrapped : {false, true}) {
        uint64_t whole = CostOf(text, wrapped, false, text.size());
        for (std::size_t piece : {1, 2, 3, 7})
            EXPECT_EQ(CostOf(text, wrapped, false, piece), whole) << piece;
        for (std::size_t piece : {1, 3, 5})
            EXPECT_EQ(CostOf(Wide(text), wrapped, true, piece), whole) << piece;
    }
    EXPECT_EQ(CostOf("a\r\nb", true, false, 4), CostOf("a\rb", true, false, 3));
    EXPECT_EQ(CostOf("a\r\nb", true, false, 4), CostOf("a\nb", true, false, 3));
    EXPECT_LT(CostOf("a\r\nb", true, false, 4), CostOf("a\r\n\r\nb", true, false, 6));
}

TEST(MemoryBudget, CostFollowsTheShapeOfTheText) {
    // One megabyte in lines of different lengths, against what the control
    // was measured to take (bytes per byte): the prediction is never below.
    struct Case {
        std::size_t length;
        uint64_t measuredPerByte;
    } cases[] = {{0, 845},    {5, 349},    {58, 102},    {600, 110},
                 {1500, 225}, {6000, 754}, {20000, 2351}};
    for (const Case& c : cases) {
        std::string text = Lines(1000000 / (c.length + 2), c.length, "\r\n");
        uint64_t cost = CostOf(text, true, false, 4096);
        EXPECT_GE(cost, c.measuredPerByte * text.size()) << c.length;
        EXPECT_LE(cost, 2 * c.measuredPerByte * text.size()) << c.length;
    }
    // Long lines cost more wrapped than unwrapped; short ones the same.
    std::string longLines = Lines(100, 6000, "\r\n");
    EXPECT_GT(CostOf(longLines, true, false, 4096), 5 * CostOf(longLines, false, false, 4096));
    std::string shortLines = Lines(1000, 40, "\n");
    EXPECT_EQ(CostOf(shortLines, true, false, 4096), CostOf(shortLines, false, false, 4096));
    // One line of a million characters stays a finite, large figure.
    uint64_t giant = ParagraphCost(1000000, true);
    EXPECT_GE(giant, 1278ull * 1000000);
    EXPECT_LT(giant, 4096ull * kMegabyte);
}

TEST(MemoryBudget, FitsKeepsTheMargin) {
    for (uint64_t available : {uint64_t{0}, 100 * kMegabyte, 2048 * kMegabyte, 4096 * kMegabyte}) {
        uint64_t margin = MemoryMargin(available);
        EXPECT_GE(margin, 256 * kMegabyte);
        EXPECT_GE(margin, available / 4);
        if (available <= margin) {
            EXPECT_FALSE(CostFits(0, available));
            continue;
        }
        EXPECT_TRUE(CostFits(available - margin, available));
        EXPECT_FALSE(CostFits(available - margin + 1, available));
    }
    // Text of 60-character lines as it was seen to end the program: 27 MB
    // does not fit in a 2 GB process, and fits once it has 4 GB; 15 MB
    // (which loaded whole) fits in 2 GB.
    const uint64_t mb27 = CostOf(Lines(450000, 58, "\r\n"), true, false, 1 << 20);
    EXPECT_FALSE(CostFits(mb27, 2021 * kMegabyte));
    EXPECT_TRUE(CostFits(mb27, 4073 * kMegabyte));
    EXPECT_TRUE(
        CostFits(CostOf(Lines(250000, 58, "\r\n"), true, false, 1 << 20), 2021 * kMegabyte));
}
