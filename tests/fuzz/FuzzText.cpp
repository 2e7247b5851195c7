// The string, number and File Info routines against std::string, each
// writing into a destination exactly as large as the program makes it. The
// counts of any bytes agree with a plain count and are the same in two pieces
// as in one; the "??" replacement and the extension cut agree with
// std::string inside the 600-byte work buffer; the definition file's lists
// are bounded, every text terminated, and the same in any two pieces.
#include "FuzzSupport.h"
#include "text/TextRoutines.h"
#include "tools/RunInfoCore.h"

namespace {

// Any text reads as decimal modulo 2^32, a digit being its byte minus '0'.
uint32_t DecimalReference(const std::string& text) {
    bool negative = !text.empty() && text[0] == '-';
    uint32_t value = 0;
    for (size_t i = negative ? 1 : 0; i < text.size(); ++i)
        value = value * 10u + static_cast<uint8_t>(text[i] - '0');
    return negative ? 0u - value : value;
}

// Writes `value` with `write` into a buffer of exactly `size` bytes.
template <typename T> std::string Written(void (*write)(T, char*), T value, size_t size) {
    Guarded out(size);
    write(value, out.data());
    return out.Text();
}

void Numbers(Input& in) {
    int32_t value = in.I32(); // the status bar's and the labels' 12-byte buffers
    FUZZ_CHECK(Written(IntToDecimal, value, 12) == std::to_string(value));
    FUZZ_CHECK(DecimalToInt(std::to_string(value).c_str()) == value);
    uint64_t big = in.U64() >> (in.Byte() % 64);
    FUZZ_CHECK(Written(UInt64ToDecimal, big, 21) == std::to_string(big));
    std::string grouped = std::to_string(big); // commas between groups of three
    for (size_t at = grouped.size(); at > 3; at -= 3)
        grouped.insert(at - 3, ",");
    FUZZ_CHECK(Written(GroupDigits, big, kGroupedDigitsSize) == grouped);
    std::string text = in.Text();
    FUZZ_CHECK(static_cast<uint32_t>(DecimalToInt(text.c_str())) == DecimalReference(text));
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
    FUZZ_CHECK(whole == (source.size() < size ? 1 : 0));
    FUZZ_CHECK(size == 0 || bounded.Text() == source.substr(0, size - 1));
    Guarded joined(source.size() + more.size() + 1);
    FUZZ_CHECK(TextCopy(source.c_str(), joined.data()) == source.size());
    TextAppend(joined.data(), more.c_str());
    FUZZ_CHECK(joined.Text() == source + more);
    FUZZ_CHECK(TextLength(joined.data()) == source.size() + more.size());
}

void Pieces(Input& in) {
    uint32_t start = in.U16(), count = in.U16(), n = in.U16();
    std::string source = in.Text();
    start %= source.size() + 1; // a slice begins inside the text
    size_t sliced = std::min<size_t>(count, source.size() - start);
    Guarded slice(sliced + 1);
    TextSlice(source.c_str(), slice.data(), start, count);
    FUZZ_CHECK(slice.Text() == source.substr(start, count));
    Guarded inPlace(source.size() + 1, source);
    TextSlice(inPlace.data(), inPlace.data(), 0, count);
    FUZZ_CHECK(inPlace.Text() == source.substr(0, count));
    size_t kept = std::min<size_t>(n, source.size());
    Guarded tail(kept + 1);
    FUZZ_CHECK(TextTail(source.c_str(), tail.data(), n) == tail.data());
    FUZZ_CHECK(tail.Text() == source.substr(source.size() - kept));
    Guarded reversed(source.size() + 1);
    TextReverse(source.c_str(), reversed.data());
    FUZZ_CHECK(reversed.Text() == std::string(source.rbegin(), source.rend()));
    Guarded lower(source.size() + 1, source);
    TextLowerAscii(lower.data());
    FUZZ_CHECK(lower.Text() == LowerAscii(source));
}

void Wildcard(Input& in) {
    constexpr size_t kBuffer = 600;
    std::string text = in.Text(kBuffer - 1), substitute = in.Text();
    Guarded buffer(kBuffer, text);
    bool replaced = ReplaceWildcard(buffer.data(), kBuffer, "??", substitute.c_str());
    size_t at = text.find("??");
    std::string expected =
        at == std::string::npos
            ? text
            : (text.substr(0, at) + substitute + text.substr(at + 2) + " ").substr(0, kBuffer - 1);
    FUZZ_CHECK(replaced == (at != std::string::npos) && buffer.Text() == expected);
    StripExtension(buffer.data());
    FUZZ_CHECK(buffer.Text() == expected.substr(0, expected.rfind('.')));
}

void CheckBounds(const UserListReader& r) {
    FUZZ_CHECK(r.runCapacity >= 10 && r.runCapacity <= 199 && r.insertCapacity >= 10 &&
               r.insertCapacity <= 199);
    FUZZ_CHECK(r.runFileCount >= 0 && r.runFileCount <= r.runCapacity && r.insertTextCount >= 0 &&
               r.insertTextCount <= r.insertCapacity);
    FUZZ_CHECK(!r.listsStarted || (r.runFiles.size() == static_cast<size_t>(r.runCapacity) &&
                                   r.insertTexts.size() == static_cast<size_t>(r.insertCapacity)));
    for (const RunFileEntry& e : r.runFiles)
        FUZZ_CHECK(std::memchr(e.caption, 0, sizeof e.caption) &&
                   std::memchr(e.target, 0, sizeof e.target));
    for (const InsertTextEntry& e : r.insertTexts)
        FUZZ_CHECK(std::memchr(e.text, 0, sizeof e.text));
}

template <typename T> bool SameEntries(const std::vector<T>& a, const std::vector<T>& b) {
    return a.size() == b.size() &&
           (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0);
}

// Any file, whole and cut in two anywhere, gives the same counts and lists.
void Files(Input& in) {
    size_t cut = in.U16();
    std::string bytes = in.Rest();
    cut = bytes.empty() ? 0 : cut % bytes.size();
    const unsigned char* data = reinterpret_cast<const unsigned char*>(bytes.data());
    FileStatistics whole, pieces;
    CountStatistics(whole, data, bytes.size());
    CountStatistics(pieces, data, cut);
    CountStatistics(pieces, data + cut, bytes.size() - cut);
    uint64_t lineFeeds = std::count(bytes.begin(), bytes.end(), '\n');
    uint64_t countable =
        std::count_if(bytes.begin(), bytes.end(), [](char c) { return c >= 32 && c <= 126; });
    FUZZ_CHECK(whole == pieces && whole.lines == lineFeeds + 1);
    FUZZ_CHECK(StatisticsCharacters(whole) == countable && whole.words <= whole.letters + 1 &&
               whole.sentences <= whole.symbols);
    UserListReader list, listPieces;
    list.Feed(data, bytes.size());
    listPieces.Feed(data, cut);
    listPieces.Feed(data + cut, bytes.size() - cut);
    CheckBounds(list);
    FUZZ_CHECK(listPieces.runFileCount == list.runFileCount &&
               listPieces.insertTextCount == list.insertTextCount);
    FUZZ_CHECK(SameEntries(listPieces.runFiles, list.runFiles) &&
               SameEntries(listPieces.insertTexts, list.insertTexts));
}

} // namespace

FUZZ_TESTS(Numbers, Search, Copies, Pieces, Wildcard, Files)
