#include "document/LineBreaks.h"

#include <gtest/gtest.h>

#include <string>

namespace {
std::string Wide(const std::string& narrow) {
    std::string w;
    for (char c : narrow) {
        w.push_back(c);
        w.push_back('\0');
    }
    return w;
}
const uint8_t* Bytes(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }

// Converts `text` fed in pieces of `piece` bytes.
std::string Convert(LineBreakStyle style, bool wide, const std::string& text, std::size_t piece) {
    LineBreakWriter writer(style, wide);
    std::string out;
    for (std::size_t at = 0; at < text.size(); at += piece)
        writer.Feed(Bytes(text) + at, std::min(piece, text.size() - at), out);
    writer.Finish(out);
    return out;
}
} // namespace

TEST(LineBreaks, DetectsTheFirstBreak) {
    EXPECT_EQ(DetectLineBreaks(Bytes("a\r\nb\nc"), 6, false), BreaksCrLf);
    EXPECT_EQ(DetectLineBreaks(Bytes("a\nb\r\nc"), 6, false), BreaksLf);
    EXPECT_EQ(DetectLineBreaks(Bytes("a\rb"), 3, false), BreaksCr);
    EXPECT_EQ(DetectLineBreaks(Bytes("a\r"), 2, false), BreaksCr);
    EXPECT_EQ(DetectLineBreaks(Bytes("none"), 4, false), -1);
    std::string w = Wide("ab\ncd");
    EXPECT_EQ(DetectLineBreaks(Bytes(w), w.size(), true), BreaksLf);
    // A byte 0x0A inside a UTF-16 unit is no line break.
    std::string notBreak("\x0A\x01\x0D\x00\x0A\x00", 6);
    EXPECT_EQ(DetectLineBreaks(Bytes(notBreak), notBreak.size(), true), BreaksCrLf);
}

TEST(LineBreaks, RewritesPairsAcrossEveryPieceSize) {
    const std::string control = "one\r\ntwo\r\n\r\nthree\r\nx\r";
    for (std::size_t piece = 1; piece <= control.size(); ++piece) {
        EXPECT_EQ(Convert(BreaksLf, false, control, piece), "one\ntwo\n\nthree\nx\r") << piece;
        EXPECT_EQ(Convert(BreaksCr, false, control, piece), "one\rtwo\r\rthree\rx\r") << piece;
        EXPECT_EQ(Convert(BreaksCrLf, false, control, piece), control) << piece;
    }
    const std::string wide = Wide(control);
    for (std::size_t piece = 1; piece <= wide.size(); ++piece)
        EXPECT_EQ(Convert(BreaksLf, true, wide, piece), Wide("one\ntwo\n\nthree\nx\r")) << piece;
}

TEST(Utf8Writer, EncodesEveryRangeAcrossPieceBoundaries) {
    // "a", e-acute, euro sign, and U+1F600 as a surrogate pair.
    const std::string wide("a\0\xE9\0\xAC\x20\x3D\xD8\x00\xDE", 10);
    const std::string utf8 = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";
    for (std::size_t piece = 1; piece <= wide.size(); ++piece) {
        Utf8Writer writer;
        std::string out;
        for (std::size_t at = 0; at < wide.size(); at += piece)
            writer.Feed(Bytes(wide) + at, std::min(piece, wide.size() - at), out);
        writer.Finish(out);
        EXPECT_EQ(out, utf8) << piece;
    }
    Utf8Writer lone;
    std::string out;
    const std::string high("\x3D\xD8", 2);
    lone.Feed(Bytes(high), 2, out);
    lone.Finish(out);
    EXPECT_EQ(out, "\xED\xA0\xBD");
}

TEST(ReplaceNulCharacters, ReplacesOnlyWholeNulCharacters) {
    std::string narrow("a\0b\0\0", 5);
    EXPECT_EQ(
        ReplaceNulCharacters(reinterpret_cast<uint8_t*>(&narrow[0]), narrow.size(), false, 0xB7),
        3u);
    EXPECT_EQ(narrow, "a\xB7"
                      "b\xB7\xB7");
    // UTF-16: "A", NUL, U+0100 (whose low byte is zero), NUL.
    std::string wide("A\0\0\0\0\x01\0\0", 8);
    EXPECT_EQ(ReplaceNulCharacters(reinterpret_cast<uint8_t*>(&wide[0]), wide.size(), true, 0xB7),
              2u);
    EXPECT_EQ(wide, std::string("A\0\xB7\0\0\x01\xB7\0", 8));

    // Binary content: every control character but tab, LF and CR too.
    std::string controls("\x01\t\n\r\x1F \x7F", 7);
    EXPECT_EQ(ReplaceNulCharacters(reinterpret_cast<uint8_t*>(&controls[0]), controls.size(), false,
                                   '.', true),
              2u);
    EXPECT_EQ(controls, ".\t\n\r. \x7F");
    std::string wideControls("\x1B\0\x1B\x01\t\0", 6); // ESC, U+011B, tab
    EXPECT_EQ(ReplaceNulCharacters(reinterpret_cast<uint8_t*>(&wideControls[0]),
                                   wideControls.size(), true, 0xB7, true),
              1u);
    EXPECT_EQ(wideControls, std::string("\xB7\0\x1B\x01\t\0", 6));
}
