// Line-break detection and the two save-time writers on any bytes: the
// style found is the first break's, the writers give the same bytes
// whatever the pieces, and what they write follows the plain rules (UTF-8
// decodes back to the very units it came from).
#include "FuzzSupport.h"
#include "document/LineBreaks.h"

#include <vector>

namespace {

using fuzz::Input;

std::vector<uint16_t> Units(const std::string& bytes, bool wide) {
    std::vector<uint16_t> units;
    if (!wide) {
        for (char c : bytes)
            units.push_back(static_cast<uint8_t>(c));
        return units;
    }
    for (size_t i = 0; i + 2 <= bytes.size(); i += 2)
        units.push_back(static_cast<uint16_t>(static_cast<uint8_t>(bytes[i]) |
                                              static_cast<uint8_t>(bytes[i + 1]) << 8));
    return units;
}

int DetectReference(const std::vector<uint16_t>& u) {
    for (size_t i = 0; i < u.size(); ++i) {
        if (u[i] == '\n')
            return BreaksLf;
        if (u[i] == '\r')
            return i + 1 < u.size() && u[i + 1] == '\n' ? BreaksCrLf : BreaksCr;
    }
    return -1;
}

// Feeds `bytes` in pieces of the sizes `sizes` cycles through (an empty
// piece first), then finishes.
template <typename Writer>
std::string Write(Writer& writer, const std::string& bytes, const std::string& sizes) {
    std::string out;
    const uint8_t* data = reinterpret_cast<const uint8_t*>(bytes.data());
    writer.Feed(data, 0, out);
    for (size_t at = 0, k = 0; at < bytes.size(); ++k) {
        size_t piece =
            sizes.empty() ? bytes.size() : 1 + static_cast<uint8_t>(sizes[k % sizes.size()]) % 32;
        piece = std::min(piece, bytes.size() - at);
        writer.Feed(data + at, piece, out);
        at += piece;
    }
    writer.Finish(out);
    return out;
}

void PutUnit(uint16_t unit, bool wide, std::string& out) {
    out.push_back(static_cast<char>(unit & 0xFF));
    if (wide)
        out.push_back(static_cast<char>(unit >> 8));
}

// A CR LF pair becomes the style's one unit; every other unit, a CR alone
// included, stays. The odd last byte of a wide text is kept as it is.
std::string BreaksReference(const std::string& bytes, LineBreakStyle style, bool wide) {
    if (style == BreaksCrLf)
        return bytes;
    std::vector<uint16_t> u = Units(bytes, wide);
    std::string out;
    for (size_t i = 0; i < u.size(); ++i) {
        if (u[i] == '\r' && i + 1 < u.size() && u[i + 1] == '\n') {
            PutUnit(style == BreaksLf ? '\n' : '\r', wide, out);
            ++i;
        } else {
            PutUnit(u[i], wide, out);
        }
    }
    if (wide && bytes.size() % 2 == 1)
        out.push_back(bytes.back());
    return out;
}

// Decodes UTF-8 as the writer produces it (a lone surrogate as its own
// code) back into UTF-16 units; false for anything malformed, and for a
// pair written as two codes instead of one.
bool DecodeUtf8(const std::string& text, std::vector<uint16_t>& units) {
    bool afterHigh = false;
    for (size_t i = 0; i < text.size();) {
        uint8_t lead = static_cast<uint8_t>(text[i]);
        size_t n = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
        if (n == 0 || i + n > text.size())
            return false;
        uint32_t code = n == 1 ? lead : lead & (0x7F >> n);
        for (size_t k = 1; k < n; ++k) {
            uint8_t c = static_cast<uint8_t>(text[i + k]);
            if ((c & 0xC0) != 0x80)
                return false;
            code = code << 6 | (c & 0x3F);
        }
        const uint32_t least[5] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < least[n] || code > 0x10FFFF)
            return false; // an overlong or out-of-range form
        if (afterHigh && code >= 0xDC00 && code <= 0xDFFF)
            return false;
        afterHigh = code >= 0xD800 && code <= 0xDBFF;
        if (code >= 0x10000) {
            units.push_back(static_cast<uint16_t>(0xD800 + ((code - 0x10000) >> 10)));
            units.push_back(static_cast<uint16_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
        } else {
            units.push_back(static_cast<uint16_t>(code));
        }
        i += n;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in(data, size);
    uint8_t flags = in.Byte();
    bool wide = (flags & 1) != 0;
    LineBreakStyle style = static_cast<LineBreakStyle>((flags >> 1) % 3);
    std::string sizes = in.Text(8), bytes = in.Rest();
    const uint8_t* raw = reinterpret_cast<const uint8_t*>(bytes.data());

    FUZZ_CHECK(DetectLineBreaks(raw, bytes.size(), wide) == DetectReference(Units(bytes, wide)));

    // The stand-ins: exactly the NULs (and with controlsToo the other
    // control characters but tab, LF and CR) change, each whole unit.
    bool controlsToo = (flags & 8) != 0;
    std::string shown = bytes;
    size_t replaced = ReplaceNulCharacters(reinterpret_cast<uint8_t*>(&shown[0]), shown.size(),
                                           wide, 0xB7, controlsToo);
    std::vector<uint16_t> before = Units(bytes, wide), after = Units(shown, wide);
    FUZZ_CHECK(after.size() == before.size());
    size_t expectedCount = 0;
    for (size_t i = 0; i < before.size(); ++i) {
        uint16_t c = before[i];
        bool control = c == 0 || (controlsToo && c < 0x20 && c != '\t' && c != '\n' && c != '\r');
        expectedCount += control ? 1 : 0;
        FUZZ_CHECK(after[i] == (control ? 0xB7 : c));
    }
    FUZZ_CHECK(replaced == expectedCount);
    if (wide && bytes.size() % 2 != 0)
        FUZZ_CHECK(shown.back() == bytes.back()); // an odd last byte is left alone

    LineBreakWriter whole(style, wide), pieces(style, wide);
    std::string expected = BreaksReference(bytes, style, wide);
    FUZZ_CHECK(Write(whole, bytes, "") == expected);
    FUZZ_CHECK(Write(pieces, bytes, sizes) == expected);

    if (!wide)
        return 0;
    Utf8Writer once, inPieces;
    std::string utf8 = Write(once, bytes, "");
    FUZZ_CHECK(Write(inPieces, bytes, sizes) == utf8);
    std::vector<uint16_t> decoded;
    FUZZ_CHECK(DecodeUtf8(utf8, decoded));
    FUZZ_CHECK(decoded == Units(bytes, true)); // an odd last byte is dropped
    return 0;
}
