// Line-break detection and the two save-time writers on any bytes: the
// style found is the first break's, the writers give the same bytes
// whatever the pieces, and what they write follows the plain rules.
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

// UTF-8 of UTF-16 units: a surrogate pair as one four-byte code, a lone
// surrogate as its own three-byte code.
std::string Utf8Reference(const std::vector<uint16_t>& u) {
    std::string out;
    for (size_t i = 0; i < u.size(); ++i) {
        uint32_t c = u[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < u.size() && u[i + 1] >= 0xDC00 &&
            u[i + 1] <= 0xDFFF)
            c = 0x10000 + ((c - 0xD800) << 10) + (u[++i] - 0xDC00);
        int n = c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
        out.push_back(static_cast<char>(n == 1 ? c : (0xF00 >> n) | (c >> (6 * (n - 1)))));
        for (int k = n - 2; k >= 0; --k)
            out.push_back(static_cast<char>(0x80 | ((c >> (6 * k)) & 0x3F)));
    }
    return out;
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
    FUZZ_CHECK(utf8 == Utf8Reference(Units(bytes, true))); // an odd last byte is dropped
    return 0;
}
