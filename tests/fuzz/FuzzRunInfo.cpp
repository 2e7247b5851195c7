// File Info, the Run wildcard and the definition file on any bytes: the
// counts agree with a plain count and are the same in two pieces as in one;
// the "??" replacement and the extension cut agree with std::string inside
// the 600-byte work buffer; the lists are bounded, every text terminated,
// and the same in any two pieces.
#include "FuzzSupport.h"
#include "tools/RunInfoCore.h"

namespace {

const unsigned char* Bytes(const std::string& s) {
    return reinterpret_cast<const unsigned char*>(s.data());
}

void Statistics(fuzz::Input& in) {
    size_t cut = in.U16();
    std::string bytes = in.Rest();
    FileStatistics whole, pieces;
    CountStatistics(whole, Bytes(bytes), bytes.size());
    uint64_t lineFeeds = std::count(bytes.begin(), bytes.end(), '\n');
    uint64_t countable =
        std::count_if(bytes.begin(), bytes.end(), [](char c) { return c >= 32 && c <= 126; });
    FUZZ_CHECK(whole.lines == lineFeeds + 1 && StatisticsCharacters(whole) == countable);
    FUZZ_CHECK(whole.words <= whole.letters + 1 && whole.sentences <= whole.symbols);
    cut = bytes.empty() ? 0 : cut % bytes.size();
    CountStatistics(pieces, Bytes(bytes), cut);
    CountStatistics(pieces, Bytes(bytes) + cut, bytes.size() - cut);
    FUZZ_CHECK(whole == pieces);
}

void Wildcard(fuzz::Input& in) {
    constexpr size_t kBuffer = 600;
    std::string text = in.Text(kBuffer - 1), substitute = in.Text();
    fuzz::Guarded buffer(kBuffer, text);
    bool replaced = ReplaceWildcard(buffer.data(), kBuffer, "??", substitute.c_str());
    FUZZ_CHECK(buffer.GuardIntact());
    size_t at = text.find("??");
    std::string expected = text;
    if (at != std::string::npos)
        expected =
            (text.substr(0, at) + substitute + text.substr(at + 2) + " ").substr(0, kBuffer - 1);
    FUZZ_CHECK(replaced == (at != std::string::npos) && buffer.Text() == expected);
    StripExtension(buffer.data());
    size_t dot = expected.rfind('.');
    FUZZ_CHECK(buffer.Text() == expected.substr(0, dot));
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

void UserLists(fuzz::Input& in) {
    size_t cut = in.U16();
    std::string file = in.Rest();
    UserListReader whole, pieces;
    whole.Feed(Bytes(file), file.size());
    CheckBounds(whole);
    cut = file.empty() ? 0 : cut % file.size();
    pieces.Feed(Bytes(file), cut);
    pieces.Feed(Bytes(file) + cut, file.size() - cut);
    FUZZ_CHECK(pieces.runFileCount == whole.runFileCount &&
               pieces.insertTextCount == whole.insertTextCount);
    FUZZ_CHECK(SameEntries(pieces.runFiles, whole.runFiles) &&
               SameEntries(pieces.insertTexts, whole.insertTexts));
}

} // namespace

FUZZ_TESTS(Statistics, Wildcard, UserLists)
