#include "tools/ToolsCore.h"

#include <algorithm>
#include <cstring>
#include <functional>

namespace {

char16_t AsciiUpper(char16_t c) { return c >= u'a' && c <= u'z' ? c - 32 : c; }

bool AsciiWordChar(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
}

constexpr size_t npos = std::u16string::npos;

bool WordSeparator(char16_t c) { return c == u' ' || c == u'\r' || c == u'\n'; }
bool WordSeparator(char c) { return c == ' ' || c == '\r' || c == '\n'; }

template <typename Char> size_t WordLeft(const Char* text, size_t n, size_t* start) {
    size_t end = n;
    while (end > 0 && WordSeparator(text[end - 1]))
        --end;
    size_t begin = end;
    while (begin > 0 && !WordSeparator(text[begin - 1]))
        --begin;
    *start = begin;
    return end - begin;
}

template <typename Char> size_t WordRight(const Char* text, size_t n, size_t* start) {
    size_t begin = 0;
    while (begin < n && WordSeparator(text[begin]))
        ++begin;
    size_t end = begin;
    while (end < n && !WordSeparator(text[end]))
        ++end;
    *start = begin;
    return end - begin;
}

int ReplaceByWord(char* context, size_t (*pick)(const char*, size_t, size_t*)) {
    size_t start = 0;
    size_t length = pick(context, std::strlen(context), &start);
    std::memmove(context, context + start, length);
    context[length] = 0;
    return static_cast<int>(length);
}

} // namespace

const TextFolding kAsciiFolding = {AsciiUpper, AsciiWordChar};
const char* const kBookmarkNames[5] = {"One", "Two", "Three", "Four", "Five"};

std::u16string FoldText(const std::u16string& text, const TextFolding& folding) {
    std::u16string folded(text.size(), u'\0');
    for (size_t i = 0; i < text.size(); ++i)
        folded[i] = folding.upper(text[i]);
    return folded;
}

size_t FindFolded(const std::u16string& folded, const std::u16string& pattern, size_t from) {
    if (pattern.empty() || from > folded.size())
        return npos;
    return folded.find(pattern, from);
}

size_t FindIgnoringCase(const std::u16string& text, const std::u16string& pattern, size_t from,
                        const TextFolding& folding) {
    return FindFolded(FoldText(text, folding), FoldText(pattern, folding), from);
}

TextEdit ReplaceAllText(const std::u16string& text, const std::u16string& find,
                        const std::u16string& replacement, bool matchCase, bool wholeWord,
                        const TextFolding& folding) {
    TextEdit edit;
    if (find.empty() || find.size() > text.size())
        return edit;
    std::u16string foldedText;
    std::u16string pattern = matchCase ? find : FoldText(find, folding);
    const std::u16string* haystack = &text;
    if (!matchCase) {
        foldedText = FoldText(text, folding);
        haystack = &foldedText;
    }
    const size_t n = text.size(), m = pattern.size();
    std::boyer_moore_horspool_searcher<std::u16string::const_iterator> searcher(pattern.begin(),
                                                                                pattern.end());
    size_t copied = 0; // old text before this is in edit.text
    size_t from = 0;
    while (from + m <= n) {
        auto found = searcher(haystack->begin() + from, haystack->end()).first;
        if (found == haystack->end())
            break;
        size_t at = static_cast<size_t>(found - haystack->begin());
        if (wholeWord) {
            // Right after a replacement the character before is the
            // replacement's last one, as the control would see it.
            bool havePrev = at > 0;
            char16_t prev = at > 0 ? text[at - 1] : 0;
            if (edit.hits > 0 && at == copied) {
                havePrev = !edit.text.empty();
                prev = havePrev ? edit.text.back() : 0;
            }
            bool prevWord = havePrev && folding.wordChar(prev);
            bool nextWord = at + m < n && folding.wordChar(text[at + m]);
            if (prevWord || nextWord) {
                from = at + 1;
                continue;
            }
        }
        if (edit.hits == 0) {
            edit.text.reserve(n + (replacement.size() > m ? (replacement.size() - m) * 16 : 0));
            edit.changeStart = at;
        }
        edit.text.append(text, copied, at - copied);
        edit.text.append(replacement);
        ++edit.hits;
        copied = at + m;
        from = copied;
        edit.oldChangeEnd = copied;
        edit.newChangeEnd = edit.caret = edit.text.size();
    }
    if (edit.hits == 0)
        return edit;
    edit.text.append(text, copied, npos);
    return edit;
}

TextEdit DeDoubleText(const std::u16string& text, const std::u16string& piece,
                      const TextFolding& folding) {
    TextEdit edit;
    const size_t k = piece.size(), m = 2 * k;
    if (k == 0 || m > text.size())
        return edit;
    const std::u16string foldedPiece = FoldText(piece, folding);
    const std::u16string doubled = foldedPiece + foldedPiece;
    std::u16string& out = edit.text;
    std::u16string outFolded;
    out.reserve(text.size());
    outFolded.reserve(text.size());
    // Characters still to be read, last first: a replacement's piece goes
    // back here so that what it forms with the text before it is seen.
    std::u16string pending;
    size_t next = 0;
    size_t lowest = npos;
    while (!pending.empty() || next < text.size()) {
        char16_t c;
        if (!pending.empty()) {
            c = pending.back();
            pending.pop_back();
        } else {
            c = text[next++];
        }
        out.push_back(c);
        char16_t f = folding.upper(c);
        outFolded.push_back(f);
        size_t size = outFolded.size();
        if (size < m || f != doubled[m - 1] || outFolded.compare(size - m, m, doubled) != 0)
            continue;
        size_t at = size - m;
        ++edit.hits;
        lowest = std::min(lowest, at);
        out.resize(at);
        outFolded.resize(at);
        pending.append(piece.rbegin(), piece.rend());
        edit.caret = at + k;
    }
    if (edit.hits == 0) {
        out.clear();
        return edit;
    }
    // The unchanged tail: what both texts end with, no further back than
    // the first change.
    size_t tail = 0;
    while (tail < text.size() - lowest && tail < out.size() - lowest &&
           text[text.size() - 1 - tail] == out[out.size() - 1 - tail])
        ++tail;
    edit.changeStart = lowest;
    edit.oldChangeEnd = text.size() - tail;
    edit.newChangeEnd = out.size() - tail;
    return edit;
}

bool DoubledSearchText(const std::string& piece, char* out, size_t size) {
    const size_t n = piece.size();
    if (n == 0 || n >= kDeDoublePieceBytes || 2 * n >= size)
        return false;
    std::memcpy(out, piece.data(), n);
    std::memcpy(out + n, piece.data(), n);
    out[2 * n] = 0;
    return true;
}

void ScanLabelText(const std::u16string& text, const std::u16string& folded,
                   const std::u16string& marker, bool wordToLeft, int32_t maxRows, int32_t* row,
                   std::vector<LabelRow>* rows, const TextFolding& folding) {
    const size_t n = text.size(), length = marker.size();
    const std::u16string pattern = FoldText(marker, folding);
    size_t at = FindFolded(folded, pattern, 0);
    while (at != npos) {
        size_t contextStart, contextEnd;
        if (wordToLeft) {
            contextStart = at > kLabelContext ? at - kLabelContext : 0;
            contextEnd = at;
        } else {
            contextStart = std::min(at + length, n);
            contextEnd = std::min(at + length + kLabelContext, n);
        }
        size_t start = 0;
        const char16_t* context = text.data() + contextStart;
        size_t size = contextEnd - contextStart;
        size_t word = wordToLeft ? WordLeftOfSpan(context, size, &start)
                                 : WordRightOfSpan(context, size, &start);
        if (word > 0) {
            rows->push_back({std::u16string(context + start, word), static_cast<int32_t>(at + 1)});
            ++*row;
        }
        if (*row >= maxRows)
            break;
        at = FindFolded(folded, pattern, contextEnd + 1);
    }
}

size_t WordLeftOfSpan(const char16_t* text, size_t n, size_t* start) {
    return WordLeft(text, n, start);
}

size_t WordRightOfSpan(const char16_t* text, size_t n, size_t* start) {
    return WordRight(text, n, start);
}

int WordLeftOf(char* context) { return ReplaceByWord(context, WordLeft<char>); }
int WordRightOf(char* context) { return ReplaceByWord(context, WordRight<char>); }

void BookmarkReport(const int32_t marks[5], char* out) {
    std::strcpy(out, "BookMarks found: ");
    bool any = false;
    for (int i = 0; i < 5; ++i) {
        if (marks[i] == 0)
            continue;
        if (any)
            std::strcat(out, ", ");
        std::strcat(out, kBookmarkNames[i]);
        any = true;
    }
    if (!any)
        std::strcpy(out, "No Bookmarks Found");
}

TimeFormatPlan PlanInsertTime(int32_t mode) {
    switch (mode) {
    case 1:
        return {false, 0, false, kDateLongDate, false};
    case 2:
        return {true, kTimeNoSeconds, false, kDateShortDate, false};
    case 3:
        return {true, kTimeNoSeconds, false, kDateLongDate, false};
    case 4:
        return {true, 0, true, 0, true};
    default:
        return {false, 0, false, kDateShortDate, false};
    }
}

uint32_t SearchFlagsFor(uint32_t dialogFlags, bool down) {
    return (down ? kFindDown : kFindUpMarker) | (dialogFlags & (kFindMatchCase | kFindWholeWord));
}

int32_t IndentAfterStep(int32_t indent, bool increase) {
    if (increase)
        return indent + kIndentStep;
    return indent > kIndentStep - 1 ? indent - kIndentStep : indent;
}
