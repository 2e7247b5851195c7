#include "document/LineBreaks.h"

#include <gtest/gtest.h>

#include <string>

namespace {
std::string Wide(const std::string& narrow) {
    std::string w;
    for (char c : narrow)
        w += std::string(1, c) + '\0';
    return w;
}
const uint8_t* Bytes(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }

// What `writer` makes of `text` fed in pieces of `piece` bytes.
template <typename Writer> std::string Write(Writer writer, const std::string& text, size_t piece) {
    std::string out;
    for (size_t at = 0; at < text.size(); at += piece)
        writer.Feed(Bytes(text) + at, std::min(piece, text.size() - at), out);
    writer.Finish(out);
    return out;
}
} // namespace

// A save streams the text in pieces: a CR LF pair or a UTF-16 unit split
// between two must come out whole (FuzzDocument: the same on any bytes).
TEST(LineBreaks, PairsAndUnitsAcrossEveryPieceSize) {
    const std::string text = "one\r\ntwo\r\n\r\nthree\r\nx\r";
    const std::string wide = Wide(text);
    for (size_t piece = 1; piece <= wide.size(); ++piece) {
        EXPECT_EQ(Write(LineBreakWriter(BreaksLf, false), text, piece), "one\ntwo\n\nthree\nx\r");
        EXPECT_EQ(Write(LineBreakWriter(BreaksCr, false), text, piece), "one\rtwo\r\rthree\rx\r");
        EXPECT_EQ(Write(LineBreakWriter(BreaksCrLf, false), text, piece), text);
        EXPECT_EQ(Write(LineBreakWriter(BreaksLf, true), wide, piece),
                  Wide("one\ntwo\n\nthree\nx\r"));
    }
    // A byte 0x0A inside a UTF-16 unit is no line break.
    std::string notBreak("\x0A\x01\x0D\x00\x0A\x00", 6);
    EXPECT_EQ(DetectLineBreaks(Bytes(notBreak), notBreak.size(), true), BreaksCrLf);
}

TEST(Utf8Writer, EveryRangeAcrossPieceBoundaries) {
    // "a", e-acute, euro sign, U+1F600 as a surrogate pair, then a lone
    // high surrogate, written as its own code.
    const std::string wide("a\0\xE9\0\xAC\x20\x3D\xD8\x00\xDE\x3D\xD8", 12);
    for (size_t piece = 1; piece <= wide.size(); ++piece)
        EXPECT_EQ(Write(Utf8Writer(), wide, piece),
                  "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\xED\xA0\xBD")
            << piece;
}
