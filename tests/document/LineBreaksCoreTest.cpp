#include "document/LineBreaks.h"
#include "document/Utf8.h"

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

// Which bytes open as UTF-8: the fuzz target checks the reader against a
// plain decoder; these pin the forms that decoder must refuse too.
TEST(Utf8Reader, TellsUtf8FromEightBitText) {
    struct Case {
        std::string bytes;
        bool validStart, valid, multiByte;
    };
    const Case cases[] = {
        {"plain ascii", true, true, false},           // stays 8-bit
        {"\xC3\x85ngstr\xC3\xB6m", true, true, true}, // "Angstrom" with its rings and dots
        {"\xF0\x9F\x98\x80", true, true, true},
        {"caf\xE9 ", false, false, false}, // 8-bit e-acute
        {"\xC0\x80", false, false, false}, // overlong
        {"\xE0\x9F\xBF", false, false, false},
        {"\xED\xA0\x80", false, false, false}, // a surrogate
        {"\xF4\x90\x80\x80", false, false, false},
        {"\xC3\xA9 \xE2\x82", true, false, true}, // cut at the end of what was read
    };
    for (const Case& c : cases) {
        Utf8Reader reader;
        reader.Feed(Bytes(c.bytes), c.bytes.size(), nullptr);
        EXPECT_EQ(reader.Valid(), c.validStart) << c.bytes;
        reader.Finish(nullptr);
        EXPECT_EQ(reader.Valid(), c.valid) << c.bytes;
        EXPECT_EQ(reader.MultiByte(), c.multiByte) << c.bytes;
    }
    // Read in any pieces and written back, valid UTF-8 is the same bytes; a
    // stray byte shows as the character given for it.
    const std::string text = "\xC3\x85ngstr\xC3\xB6m \xE2\x82\xAC \xF0\x9F\x98\x80";
    uint16_t fallback[128];
    for (int b = 0; b < 128; ++b)
        fallback[b] = static_cast<uint16_t>(0x2500 + b);
    for (size_t piece = 1; piece <= text.size(); ++piece) {
        Utf8Reader reader(fallback);
        std::string wide;
        for (size_t at = 0; at < text.size(); at += piece)
            reader.Feed(Bytes(text) + at, std::min(piece, text.size() - at), &wide);
        reader.Finish(&wide);
        EXPECT_EQ(Write(Utf8Writer(), wide, piece), text) << piece;
    }
    Utf8Reader reader(fallback);
    std::string wide;
    reader.Feed(Bytes("\xC3\x85\xE9\xC3"), 4, &wide);
    reader.Finish(&wide);
    EXPECT_EQ(wide, std::string("\xC5\x00\x69\x25\x43\x25", 6));
}
