// The string and number routines: numbers survive the trip to text and
// back, the search agrees with a plain one, and no routine writes past a
// destination sized as the program sizes it. The first byte picks the test.
#include "FuzzSupport.h"
#include "text/TextRoutines.h"
#include "tools/RunInfoCore.h"

#include <algorithm>
#include <cinttypes>

namespace {

using fuzz::Guarded;
using fuzz::Input;

uint32_t Power10(size_t n) {
    uint32_t p = 1;
    while (n-- > 0)
        p *= 10u;
    return p;
}

void Numbers(Input& in) {
    int32_t value = in.I32();
    Guarded signedText(12); // the status bar's and the labels' number buffers
    IntToDecimal(value, signedText.data());
    FUZZ_CHECK(signedText.GuardIntact());
    FUZZ_CHECK(signedText.Text() == std::to_string(value));
    FUZZ_CHECK(DecimalToInt(signedText.data()) == value);

    uint64_t big = in.U64() >> (in.Byte() % 64);
    Guarded unsignedText(21); // 20 digits and the terminator
    UInt64ToDecimal(big, unsignedText.data());
    FUZZ_CHECK(unsignedText.GuardIntact());
    FUZZ_CHECK(unsignedText.Text() == std::to_string(big));
    FUZZ_CHECK(std::strtoull(unsignedText.data(), nullptr, 10) == big);

    Guarded grouped(kGroupedDigitsSize);
    GroupDigits(big, grouped.data());
    FUZZ_CHECK(grouped.GuardIntact());
    std::string text = grouped.Text(), digits;
    size_t lastComma = std::string::npos;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != ',') {
            digits.push_back(text[i]);
            continue;
        }
        // Every comma is followed by exactly three digits before the next.
        FUZZ_CHECK(i > 0 && i <= (lastComma == std::string::npos ? 3 : lastComma + 4));
        FUZZ_CHECK(lastComma == std::string::npos || i == lastComma + 4);
        lastComma = i;
    }
    FUZZ_CHECK(digits == std::to_string(big));
    FUZZ_CHECK(lastComma == std::string::npos ? digits.size() <= 3 : text.size() == lastComma + 4);

    // Any text reads as decimal modulo 2^32, a digit being its byte minus
    // '0': what two texts read as joined follows from each of them.
    std::string head = in.Text(), tail = in.Rest();
    tail = tail.c_str();
    uint32_t h = static_cast<uint32_t>(DecimalToInt(head.c_str()));
    uint32_t t = static_cast<uint32_t>(DecimalToInt(tail.c_str()));
    uint32_t joined = static_cast<uint32_t>(DecimalToInt((head + tail).c_str()));
    if (head.empty() || head[0] != '-') {
        if (tail.empty() || tail[0] != '-')
            FUZZ_CHECK(joined == h * Power10(tail.size()) + t);
        if (std::all_of(head.begin(), head.end(), [](char c) { return c >= '0' && c <= '9'; }) &&
            head.size() <= 19)
            FUZZ_CHECK(h == static_cast<uint32_t>(std::strtoull(head.c_str(), nullptr, 10)));
    } else if (head.size() < 2 || head[1] != '-') {
        FUZZ_CHECK(h == 0u - static_cast<uint32_t>(DecimalToInt(head.c_str() + 1)));
    }
}

// The search as its header states it, on std::string.
int32_t SearchReference(int32_t start, const std::string& text, const std::string& pattern) {
    if (start < 1)
        return -2;
    if (pattern.empty())
        return 0;
    if (pattern.size() >= text.size())
        return -1;
    if (static_cast<size_t>(start) - 1 > text.size() - pattern.size())
        return -2;
    size_t at = text.find(pattern, static_cast<size_t>(start) - 1);
    return at == std::string::npos ? 0 : static_cast<int32_t>(at + 1);
}

void Search(Input& in) {
    uint8_t how = in.Byte();
    int32_t start = how < 0xF0 ? how % 24 - 2 : in.I32();
    std::string pattern = in.Text(), text = in.Text();
    FUZZ_CHECK(TextSearch(start, text.c_str(), pattern.c_str()) ==
               SearchReference(start, text, pattern));
}

void Copies(Input& in) {
    uint32_t size = in.U16() % 700;
    std::string source = in.Text(), more = in.Text();
    Guarded bounded(size);
    int whole = TextCopyBounded(source.c_str(), bounded.data(), size);
    FUZZ_CHECK(bounded.GuardIntact());
    if (size == 0) {
        FUZZ_CHECK(whole == 0);
    } else {
        FUZZ_CHECK(bounded.Text() == source.substr(0, size - 1));
        FUZZ_CHECK(whole == (source.size() < size ? 1 : 0));
    }

    Guarded joined(source.size() + more.size() + 1);
    FUZZ_CHECK(TextCopy(source.c_str(), joined.data()) == source.size());
    TextAppend(joined.data(), more.c_str());
    FUZZ_CHECK(joined.GuardIntact());
    FUZZ_CHECK(TextLength(joined.data()) == source.size() + more.size());
    FUZZ_CHECK(joined.Text() == source + more);
}

void Pieces(Input& in) {
    uint32_t start = in.U16(), count = in.U16(), n = in.U16();
    std::string source = in.Text();
    start %= source.size() + 1; // a slice begins inside the text
    size_t sliced = std::min<size_t>(count, source.size() - start);
    Guarded slice(sliced + 1);
    TextSlice(source.c_str(), slice.data(), start, count);
    FUZZ_CHECK(slice.GuardIntact());
    FUZZ_CHECK(slice.Text() == source.substr(start, count));
    Guarded inPlace(source.size() + 1, source);
    TextSlice(inPlace.data(), inPlace.data(), 0, count);
    FUZZ_CHECK(inPlace.Text() == source.substr(0, count));

    size_t kept = std::min<size_t>(n, source.size());
    Guarded tail(kept + 1);
    FUZZ_CHECK(TextTail(source.c_str(), tail.data(), n) == tail.data());
    FUZZ_CHECK(tail.GuardIntact());
    FUZZ_CHECK(tail.Text() == source.substr(source.size() - kept));

    Guarded reversed(source.size() + 1), back(source.size() + 1);
    TextReverse(source.c_str(), reversed.data());
    TextReverse(reversed.data(), back.data());
    FUZZ_CHECK(reversed.GuardIntact() && back.GuardIntact());
    FUZZ_CHECK(reversed.Text() == std::string(source.rbegin(), source.rend()));
    FUZZ_CHECK(back.Text() == source);

    Guarded lower(source.size() + 1, source);
    TextLowerAscii(lower.data());
    FUZZ_CHECK(lower.GuardIntact());
    FUZZ_CHECK(lower.Text() == fuzz::LowerAscii(source));
    std::string once = lower.Text();
    FUZZ_CHECK(TextLowerAscii(lower.data()) == once);
}

} // namespace

FUZZ_TESTS(Numbers, Search, Copies, Pieces)
