// The settings pages' value rules and the first window size, fed what a
// user may type and what a damaged settings file may hold: typed numbers
// read as the plain rule says and survive the trip from a number, every
// stored value lands in its range, the window stays on the screen, and the
// text completions keep to their fields and are idempotent.
#include "FuzzSupport.h"
#include "app/Geometry.h"
#include "settings/PageRules.h"

#include <algorithm>

namespace {

using fuzz::Guarded;
using fuzz::Input;

// Blanks around, digits between; more than 32 bits reads as the largest.
uint32_t TypedReference(const std::string& text) {
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return 0;
    size_t last = text.find_last_not_of(" \t");
    std::string digits = text.substr(first, last - first + 1);
    if (digits.find_first_not_of("0123456789") != std::string::npos)
        return 0;
    size_t lead = digits.find_first_not_of('0');
    if (lead == std::string::npos)
        return 0;
    digits.erase(0, lead);
    if (digits.size() > 10 || (digits.size() == 10 && digits > "4294967295"))
        return UINT32_MAX;
    return static_cast<uint32_t>(std::stoull(digits));
}

void Typed(Input& in) {
    uint8_t pad = in.Byte();
    uint64_t value = in.U64() >> (in.Byte() % 64);
    std::string number = std::string(pad & 3, ' ') + std::string((pad >> 2) & 3, '0') +
                         std::to_string(value) + std::string((pad >> 4) & 3, '\t');
    uint32_t read = ReadTypedNumber(number.c_str());
    FUZZ_CHECK(read == std::min<uint64_t>(value, UINT32_MAX));
    std::string text = in.Text();
    uint32_t typed = ReadTypedNumber(text.c_str());
    FUZZ_CHECK(typed == TypedReference(text));

    int32_t field = NumberField(typed);
    FUZZ_CHECK(field >= 0 && static_cast<uint32_t>(field) == std::min<uint32_t>(typed, INT32_MAX));
    int32_t percent = StoredWindowPercent(typed);
    FUZZ_CHECK(percent == (typed >= 1 && typed <= 100 ? static_cast<int32_t>(typed) : 70));
    int32_t stored = in.I32();
    int32_t minutes = StoredAutoSaveMinutes(typed, stored);
    if (typed == static_cast<uint32_t>(stored))
        FUZZ_CHECK(minutes == stored);
    else
        FUZZ_CHECK(minutes == static_cast<int32_t>(std::clamp<uint32_t>(typed, 1, 180)));

    int32_t bytes = in.I32();
    FUZZ_CHECK(KilobytesShown(bytes) == static_cast<uint32_t>(bytes) / 1024);
    int32_t back = BytesFromKilobytes(typed);
    FUZZ_CHECK(back >= 0 && back % 1024 == 0);
    FUZZ_CHECK(KilobytesShown(back) == std::min<uint32_t>(typed, INT32_MAX / 1024));
}

void Screen(Input& in) {
    int32_t side = in.I32(), percent = in.I32();
    int64_t share = static_cast<int64_t>(side) * percent / 100;
    share = std::clamp<int64_t>(share, INT32_MIN, INT32_MAX);
    FUZZ_CHECK(ScreenShare(side, percent) == (percent == 100 ? side : share));

    // Screens are what a display reports; the rest comes from the file.
    int32_t width = 100 + static_cast<int32_t>(in.U16() % 16285);
    int32_t height = 100 + static_cast<int32_t>(in.U16() % 16285);
    int32_t mode = in.Byte() < 0x80 ? 0 : in.I32();
    int32_t value = in.I32(), valueHeight = in.I32();
    InitialGeometry g = ComputeInitialGeometry(mode, value, valueHeight, width, height);
    FUZZ_CHECK(g.width > 0 && g.height > 0 && g.width <= width && g.height <= height);
    FUZZ_CHECK(g.x >= 0 && g.y >= 0 && g.x + g.width <= width && g.y + g.height <= height);
    if (mode == 0) {
        int32_t p = std::clamp(value, 1, 100);
        FUZZ_CHECK(g.maximised == (p == 100) && g.width == width * p / 100 &&
                   g.height == height * p / 100);
    } else {
        FUZZ_CHECK(!g.maximised && g.width == std::clamp(value, 100, width) &&
                   g.height == std::clamp(valueHeight, 100, height));
    }
}

void Texts(Input& in) {
    // Any size up to the extension lists' 300 bytes and the suffix's 100.
    uint32_t listSize = 1 + in.U16() % 300;
    std::string list = in.Text(listSize - 1);
    Guarded padded(listSize, list);
    PadExtensionList(padded.data(), listSize);
    FUZZ_CHECK(padded.GuardIntact());
    std::string expected = list;
    expected.resize(std::max<size_t>(list.size(), std::min<size_t>(11, listSize - 1)), ' ');
    FUZZ_CHECK(padded.Text() == expected);
    PadExtensionList(padded.data(), listSize);
    FUZZ_CHECK(padded.Text() == expected);

    uint32_t suffixSize = in.U16() % 101;
    std::string suffix = in.Text(suffixSize == 0 ? 0 : suffixSize - 1);
    Guarded blank(suffixSize, suffix);
    EndWithBlank(blank.data(), suffixSize);
    FUZZ_CHECK(blank.GuardIntact());
    if (suffixSize < 2) {
        FUZZ_CHECK(suffixSize == 0 || blank.Text() == suffix);
        return;
    }
    expected = suffix;
    if (expected.empty() || expected.back() != ' ') {
        if (expected.size() + 1 >= suffixSize)
            expected.resize(suffixSize - 2);
        expected += ' ';
    }
    FUZZ_CHECK(blank.Text() == expected);
    EndWithBlank(blank.data(), suffixSize);
    FUZZ_CHECK(blank.Text() == expected);
}

} // namespace

FUZZ_TESTS(Typed, Screen, Texts)
