#include "document/MemoryBudget.h"

#include <gtest/gtest.h>

#include <string>

namespace {
constexpr uint64_t kMegabyte = 1024 * 1024;

// The cost of `bytes` fed in pieces of `piece` bytes, wrapped; UTF-16 when
// `unicode`, where each byte of `bytes` becomes one unit.
uint64_t CostOf(std::string bytes, size_t piece = 4096, bool wrapped = true, bool unicode = false) {
    if (unicode)
        for (size_t i = bytes.size(); i > 0; --i)
            bytes.insert(i, 1, '\0');
    TextCostMeter meter(wrapped, unicode);
    for (size_t at = 0; at < bytes.size(); at += piece)
        meter.Feed(reinterpret_cast<const uint8_t*>(bytes.data()) + at,
                   std::min(piece, bytes.size() - at));
    return meter.Cost();
}

std::string Lines(size_t count, size_t length, const char* lineBreak = "\r\n") {
    std::string text;
    for (size_t i = 0; i < count; ++i)
        text += std::string(length, 'x') + lineBreak;
    return text;
}
} // namespace

// CR LF, lone CR and lone LF are one break each, also when a piece ends
// between CR and LF or inside a UTF-16 unit.
TEST(MemoryBudget, CostDoesNotDependOnHowTheTextIsCut) {
    const std::string text = "ab\r\ncd\reeee\nf\r\n\r\n\n\rlast";
    for (bool wrapped : {false, true})
        for (size_t piece : {1, 2, 3, 5, 7}) {
            EXPECT_EQ(CostOf(text, piece, wrapped), CostOf(text, 99, wrapped)) << piece;
            EXPECT_EQ(CostOf(text, piece, wrapped, true), CostOf(text, 99, wrapped)) << piece;
        }
    EXPECT_EQ(CostOf("a\r\nb"), CostOf("a\rb"));
    EXPECT_EQ(CostOf("a\r\nb"), CostOf("a\nb"));
    EXPECT_LT(CostOf("a\r\nb"), CostOf("a\r\n\r\nb"));
}

TEST(MemoryBudget, CostFollowsTheShapeOfTheText) {
    // One megabyte in lines of different lengths, against what the control
    // was measured to take (bytes per byte): the prediction is never below.
    const std::pair<size_t, uint64_t> measured[] = {
        {0, 845}, {5, 349}, {58, 102}, {600, 110}, {1500, 225}, {6000, 754}, {20000, 2351}};
    for (const auto& [length, perByte] : measured) {
        std::string text = Lines(1000000 / (length + 2), length);
        EXPECT_GE(CostOf(text), perByte * text.size()) << length;
        EXPECT_LE(CostOf(text), 2 * perByte * text.size()) << length;
    }
    // Long lines cost more wrapped than unwrapped; short ones the same.
    EXPECT_GT(CostOf(Lines(100, 6000)), 5 * CostOf(Lines(100, 6000), 4096, false));
    EXPECT_EQ(CostOf(Lines(1000, 40, "\n")), CostOf(Lines(1000, 40, "\n"), 4096, false));
    // One line of a million characters stays a finite, large figure.
    EXPECT_GE(ParagraphCost(1000000, true), 1278ull * 1000000);
    EXPECT_LT(ParagraphCost(1000000, true), 4096ull * kMegabyte);
}

TEST(MemoryBudget, FitsKeepsTheMargin) {
    for (uint64_t available : {uint64_t{0}, 100 * kMegabyte, 2048 * kMegabyte, 4096 * kMegabyte}) {
        uint64_t margin = MemoryMargin(available);
        EXPECT_TRUE(margin >= 256 * kMegabyte && margin >= available / 4) << available;
        EXPECT_EQ(CostFits(available > margin ? available - margin : 0, available),
                  available > margin);
        EXPECT_FALSE(CostFits(available - margin + 1, available));
    }
    // Text of 60-character lines as it was seen to end the program: 27 MB
    // does not fit in a 2 GB process, and fits once it has 4 GB; 15 MB
    // (which loaded whole) fits in 2 GB.
    const uint64_t mb27 = CostOf(Lines(450000, 58), 1 << 20);
    EXPECT_FALSE(CostFits(mb27, 2021 * kMegabyte));
    EXPECT_TRUE(CostFits(mb27, 4073 * kMegabyte));
    EXPECT_TRUE(CostFits(CostOf(Lines(250000, 58), 1 << 20), 2021 * kMegabyte));
}
