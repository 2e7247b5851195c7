// The editing tools on any text, with the ASCII folding and a wider one:
// Replace All and De-Double equal the control's one-at-a-time loops and report
// a span that rebuilds the new text, searches equal a naive scan, the labels
// and words a plain reading of their rules, inside their buffers.
#include "FuzzSupport.h"
#include "tools/ToolsCore.h"

#include <algorithm>

namespace {

// A stand-in for the system's tables: Latin-1 and Latin Extended-A fold too.
char16_t WideUpper(char16_t c) {
    bool lower = (c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7);
    return static_cast<char16_t>(lower ? c - 32 : c >= 0x100 && c <= 0x17F && (c & 1) ? c - 1 : c);
}
bool WideWordChar(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
           c == u'_' || (c >= 0xC0 && c <= 0x17F && c != 0xD7 && c != 0xF7);
}
const TextFolding kWideFolding = {WideUpper, WideWordChar};
const TextFolding& Folding(uint8_t options) { return options & 1 ? kWideFolding : kAsciiFolding; }

// The top bytes stand for characters above 0xFF.
std::u16string Widen(const std::string& bytes) {
    std::u16string text;
    for (unsigned char c : bytes)
        text.push_back(static_cast<char16_t>(c < 0xF8 ? c : 0x100 + (c - 0xF8)));
    return text;
}

size_t NaiveFind(const std::u16string& text, const std::u16string& pattern, size_t from,
                 bool matchCase, const TextFolding& f) {
    auto same = [&](char16_t a, char16_t b) {
        return matchCase ? a == b : f.upper(a) == f.upper(b);
    };
    for (size_t at = from; !pattern.empty() && at + pattern.size() <= text.size(); ++at)
        if (std::equal(pattern.begin(), pattern.end(), text.begin() + at, same))
            return at;
    return std::u16string::npos;
}

// The old text with the reported span replaced must be the new text.
void CheckSpan(std::u16string rebuilt, const TextEdit& edit) {
    FUZZ_CHECK(edit.changeStart <= edit.oldChangeEnd && edit.oldChangeEnd <= rebuilt.size());
    FUZZ_CHECK(edit.changeStart <= edit.newChangeEnd && edit.newChangeEnd <= edit.text.size());
    rebuilt.replace(edit.changeStart, edit.oldChangeEnd - edit.changeStart, edit.text,
                    edit.changeStart, edit.newChangeEnd - edit.changeStart);
    FUZZ_CHECK(rebuilt == edit.text);
}

void ReplaceAll(Input& in) {
    uint8_t options = in.Byte();
    const TextFolding& f = Folding(options);
    bool matchCase = options & 2, wholeWord = options & 4;
    std::u16string find = Widen(in.Text(8)), with = Widen(in.Text(8)), text = Widen(in.Text(300));
    TextEdit edit = ReplaceAllText(text, find, with, matchCase, wholeWord, f);
    size_t start = in.U16() % (text.size() + 3); // the searches, from past the end as well
    size_t found = NaiveFind(text, find, start, false, f);
    FUZZ_CHECK(FindIgnoringCase(text, find, start, f) == found);
    FUZZ_CHECK(FindFolded(FoldText(text, f), FoldText(find, f), start) == found);

    // The control's loop: search from where the last replacement ended, in
    // the text as it stands.
    std::u16string t = text;
    size_t from = 0, caret = 0, hits = 0, first = 0;
    for (size_t at; (at = NaiveFind(t, find, from, matchCase, f)) != std::u16string::npos;) {
        bool prevWord = at > 0 && f.wordChar(t[at - 1]);
        bool nextWord = at + find.size() < t.size() && f.wordChar(t[at + find.size()]);
        if (wholeWord && (prevWord || nextWord)) {
            from = at + 1;
            continue;
        }
        if (hits++ == 0)
            first = at;
        t.replace(at, find.size(), with);
        from = caret = at + with.size();
    }
    FUZZ_CHECK(edit.hits == hits &&
               (hits == 0 ? edit.text.empty()
                          : edit.text == t && edit.caret == caret && edit.changeStart == first &&
                                edit.newChangeEnd == caret));
    if (hits > 0)
        CheckSpan(text, edit);
}

void DeDouble(Input& in) {
    const TextFolding& f = Folding(in.Byte());
    std::u16string piece = Widen(in.Text(6)), text = Widen(in.Text(200));
    TextEdit edit = DeDoubleText(text, piece, f);
    // The search text in a buffer of any size: written whole or not at all.
    std::string bytes = in.Text(260);
    Guarded room(in.Byte() * 3u);
    bool fits =
        !bytes.empty() && bytes.size() < kDeDoublePieceBytes && 2 * bytes.size() < room.size();
    FUZZ_CHECK(DoubledSearchText(bytes, room.data(), room.size()) == fits);
    FUZZ_CHECK((!fits || room.Text() == bytes + bytes));
    std::u16string t = text, doubled = piece + piece;
    size_t hits = 0, caret = 0;
    for (size_t at; (at = NaiveFind(t, doubled, 0, false, f)) != std::u16string::npos; ++hits) {
        t.replace(at, doubled.size(), piece);
        caret = at + piece.size();
    }
    FUZZ_CHECK(edit.hits == hits &&
               (hits == 0 ? edit.text.empty() : edit.text == t && edit.caret == caret));
    if (hits > 0)
        CheckSpan(text, edit);
}

// The last word of a span (left) or its first (right), by position.
std::pair<size_t, size_t> WordReference(const std::u16string& span, bool left) {
    const char16_t* separators = u" \r\n";
    if (left) {
        size_t end = span.find_last_not_of(separators);
        size_t begin = end == std::u16string::npos ? 0 : span.find_last_of(separators, end) + 1;
        return {begin, end == std::u16string::npos ? 0 : end + 1 - begin};
    }
    size_t begin = std::min(span.find_first_not_of(separators), span.size());
    size_t end = std::min(span.find_first_of(separators, begin), span.size());
    return {begin, end - begin};
}

void Labels(Input& in) {
    uint8_t options = in.Byte();
    const TextFolding& f = Folding(options);
    bool wordToLeft = options & 2;
    int32_t row = in.Byte() % 8, maxRows = static_cast<int8_t>(in.Byte()) % 24;
    std::u16string marker = Widen(in.Text(12)), text = Widen(in.Text());
    std::u16string folded = FoldText(text, f);
    std::vector<LabelRow> rows = {{u"earlier", 1}};
    const int32_t firstRow = row;
    ScanLabelText(text, folded, marker, wordToLeft, maxRows, &row, &rows, f);
    std::vector<LabelRow> expected = {{u"earlier", 1}};
    int32_t expectedRow = firstRow;
    for (size_t at = NaiveFind(text, marker, 0, false, f); at != std::u16string::npos;) {
        size_t start = wordToLeft ? (at > kLabelContext ? at - kLabelContext : 0)
                                  : std::min(at + marker.size(), text.size());
        size_t end = wordToLeft ? at : std::min(at + marker.size() + kLabelContext, text.size());
        std::pair<size_t, size_t> word = WordReference(text.substr(start, end - start), wordToLeft);
        if (word.second > 0) {
            expected.push_back(
                {text.substr(start + word.first, word.second), static_cast<int32_t>(at + 1)});
            ++expectedRow;
        }
        if (expectedRow >= maxRows)
            break;
        at = NaiveFind(text, marker, end + 1, false, f);
    }
    FUZZ_CHECK(row == expectedRow && rows.size() == expected.size());
    for (size_t i = 0; i < rows.size(); ++i)
        FUZZ_CHECK(rows[i].name == expected[i].name && rows[i].character == expected[i].character);
    // The first marker is always looked at; after it the limit holds.
    FUZZ_CHECK(row - firstRow <= std::max(1, maxRows - firstRow));
}

void Words(Input& in) {
    std::string context = in.Text(400);
    std::u16string wide(context.begin(), context.end());
    for (bool left : {true, false}) {
        Guarded buffer(context.size() + 1, context);
        int length = left ? WordLeftOf(buffer.data()) : WordRightOf(buffer.data());
        std::pair<size_t, size_t> word = WordReference(wide, left);
        FUZZ_CHECK(static_cast<size_t>(length) == word.second);
        FUZZ_CHECK(buffer.Text() == context.substr(word.first, word.second));
        size_t start = 0;
        size_t spanLength = left ? WordLeftOfSpan(wide.data(), wide.size(), &start)
                                 : WordRightOfSpan(wide.data(), wide.size(), &start);
        FUZZ_CHECK(spanLength == word.second && (spanLength == 0 || start == word.first));
        // A word alone is its own word.
        FUZZ_CHECK((left ? WordLeftOf(buffer.data()) : WordRightOf(buffer.data())) == length);
    }
}

} // namespace

FUZZ_TESTS(ReplaceAll, DeDouble, Labels, Words)
