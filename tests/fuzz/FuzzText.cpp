// Texts against std::string, in destinations exactly as large as the program
// makes them: strings and numbers; File Info's counts and the bounded user
// lists, the same in any two pieces; the Run wildcard; any command line's
// split (odd quotes leave the output alone); of any link, only a web or mail
// address opens at once, and what is asked about is opened as shown.
#include "FuzzSupport.h"
#include "app/CommandLine.h"
#include "app/LinkRules.h"
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

// The search as its header states it, on std::string.
int32_t SearchReference(int32_t start, const std::string& text, const std::string& pattern) {
    size_t from = static_cast<size_t>(start) - 1, at = text.find(pattern, from);
    bool fits = pattern.size() < text.size();
    if (start < 1 || (!pattern.empty() && fits && from > text.size() - pattern.size()))
        return -2;
    return pattern.empty() ? 0 : !fits ? -1 : at == std::string::npos ? 0 : int32_t(at + 1);
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
    int32_t start = in.Byte() < 0xF0 ? in.Byte() % 24 - 2 : in.I32();
    std::string pattern = in.Text(), haystack = in.Text();
    FUZZ_CHECK(TextSearch(start, haystack.c_str(), pattern.c_str()) ==
               SearchReference(start, haystack, pattern));
}

void Pieces(Input& in) {
    uint32_t start = in.U16(), count = in.U16(), n = in.U16(), size = in.U16() % 700;
    std::string source = in.Text(), more = in.Text();
    Guarded bounded(size);
    FUZZ_CHECK(TextCopyBounded(source.c_str(), bounded.data(), size) == (source.size() < size));
    FUZZ_CHECK(size == 0 || bounded.Text() == source.substr(0, size - 1));
    Guarded joined(source.size() + more.size() + 1);
    FUZZ_CHECK(TextCopy(source.c_str(), joined.data()) == source.size());
    TextAppend(joined.data(), more.c_str());
    FUZZ_CHECK(joined.Text() == source + more);
    FUZZ_CHECK(TextLength(joined.data()) == source.size() + more.size());
    start %= source.size() + 1; // a slice begins inside the text
    Guarded slice(std::min<size_t>(count, source.size() - start) + 1);
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

// The "??" replacement in the 600-byte work buffer; then any file, whole and
// cut in two anywhere, gives the same counts and lists.
void Files(Input& in) {
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

// Blanks and tabs outside quotes separate arguments; quotes are dropped, a
// quoted tab reads back as a blank, and every other byte as it is.
std::vector<std::string> SplitReference(const std::string& line) {
    std::vector<std::string> arguments;
    bool inQuotes = false, inArgument = false;
    for (char c : line) {
        bool blank = c == ' ' || c == '\t';
        if (blank && !inQuotes) {
            inArgument = false;
            continue;
        }
        if (!inArgument)
            arguments.emplace_back();
        inArgument = true;
        if (c == '"')
            inQuotes = !inQuotes;
        else
            arguments.back().push_back(blank ? ' ' : c);
    }
    return arguments;
}

void Split(Input& in) {
    int index = in.Byte() % 4;
    std::string line = in.Text(); // the process command line ends at its first zero
    Guarded out(kMaxArgumentLength + 1);
    int result = SplitCommandLineArg(line.c_str(), index, out.data());
    if (std::count(line.begin(), line.end(), '"') % 2 != 0) {
        FUZZ_CHECK(result == ArgOddQuotes);
        FUZZ_CHECK(std::all_of(out.data(), out.data() + out.size(),
                               [](char c) { return c == Guarded::kFill; }));
        return;
    }
    std::vector<std::string> arguments = SplitReference(line);
    std::string expected =
        static_cast<size_t>(index) < arguments.size() ? arguments[index] : std::string();
    if (static_cast<size_t>(index) >= arguments.size() || expected.size() > kMaxArgumentLength)
        FUZZ_CHECK(result == ArgMissing && out.Text().empty());
    else
        FUZZ_CHECK(result == (expected.empty() ? ArgEmpty : ArgCopied) && out.Text() == expected);
}

void Link(Input& in) {
    std::string text = in.Rest();
    LinkDecision d = ClassifyLink(text);
    auto starts = [&d](const std::string& start) {
        return LowerAscii(d.target.substr(0, start.size())) == start;
    };
    auto printable = [&d](unsigned char least, const char* refused) {
        return std::all_of(d.target.begin(), d.target.end(), [&](char c) {
            return static_cast<unsigned char>(c) >= least && c != 0x7F && !std::strchr(refused, c);
        });
    };
    bool web = starts("http:") || starts("https:") || starts("mailto:");
    if (d.kind == LinkKind::Web)
        FUZZ_CHECK(web && printable(0x21, "\""));
    else if (d.kind == LinkKind::Ask)
        FUZZ_CHECK(!d.target.empty() && d.target.size() <= kLinkShownMost &&
                   text.find(d.target) != std::string::npos && printable(0x20, "") && !web &&
                   !starts("www."));
    else
        FUZZ_CHECK(d.kind == LinkKind::Refuse && d.target.empty());
}

} // namespace

FUZZ_TESTS(Numbers, Pieces, Files, Split, Link)
