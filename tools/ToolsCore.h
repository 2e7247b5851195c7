// The window-free part of the editing tools: whole-text replacement and
// De-Double on a copy of the text, the labels scan, word extraction, the
// bookmark report, the time-format choice, search flags and indents.
//
// Texts are UTF-16 as the editor holds them: a paragraph break is one CR,
// so a position here is a character position of the editor.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// How letters compare and what a word is: the system's tables on Windows,
// plain ASCII rules in the native tests.
struct TextFolding {
    char16_t (*upper)(char16_t);
    bool (*wordChar)(char16_t);
};
// A-Z against a-z only; ASCII letters and digits are word characters (as
// for the control, an underscore is not).
extern const TextFolding kAsciiFolding;

// The outcome of an edit worked out on a copy of the text. The editor
// changes from `changeStart` to `oldChangeEnd` of the old text, which
// becomes `changeStart` to `newChangeEnd` of the new one; `caret` is where
// the last replacement ended in the new text. With no hits the text is
// unchanged and only `hits` (0) counts.
struct TextEdit {
    std::u16string text;
    size_t hits = 0;
    size_t changeStart = 0;
    size_t oldChangeEnd = 0;
    size_t newChangeEnd = 0;
    size_t caret = 0;
};

// Replace All: from the start, each match is replaced and the search goes on
// after the inserted text, so a replacement holding the search text never
// loops ('a' by 'aa' in 'aaa' gives 'aaaaaa'). Whole word looks at the
// characters around a match as they stand at that moment, the end of the
// previous replacement included. An empty search text finds nothing.
TextEdit ReplaceAllText(const std::u16string& text, const std::u16string& find,
                        const std::u16string& replacement, bool matchCase, bool wholeWord,
                        const TextFolding& folding);

// De-Double: while the doubled piece (piece twice, ignoring case) occurs,
// its first occurrence is replaced by the piece. Worked out in one pass: the
// text before a replacement held no doubled piece, so only what follows it,
// the piece included, needs looking at again.
TextEdit DeDoubleText(const std::u16string& text, const std::u16string& piece,
                      const TextFolding& folding);

// De-Double's search text, the piece twice, as the 8-bit text of the
// system's code page that the Find dialog shows. A double-byte code page
// takes up to two bytes a character, so the piece is bounded by bytes: it is
// used only when it takes 1 to kDeDoublePieceBytes - 1 bytes and the doubled
// text fits `size` bytes with its end. Otherwise nothing is written and the
// answer is false.
constexpr size_t kDeDoublePieceBytes = 200;
bool DoubledSearchText(const std::string& piece, char* out, size_t size);

// First occurrence of `pattern` at or after `from`, ignoring case; npos when
// absent or when the pattern is empty.
size_t FindIgnoringCase(const std::u16string& text, const std::u16string& pattern, size_t from,
                        const TextFolding& folding);
// The text with every character put through the folding's upper case, for
// repeated searches over one text (FindFolded with a folded pattern).
std::u16string FoldText(const std::u16string& text, const TextFolding& folding);
size_t FindFolded(const std::u16string& folded, const std::u16string& foldedPattern, size_t from);

// One row of the labels list.
struct LabelRow {
    std::u16string name;
    int32_t character; // position of the marker + 1
};
constexpr size_t kLabelContext = 200;
// The rows one marker adds. The limit is looked at only before searching
// further, so the first occurrence is always examined. `row` is the running
// row index, updated.
// `folded` is FoldText of `text`.
void ScanLabelText(const std::u16string& text, const std::u16string& folded,
                   const std::u16string& marker, bool wordToLeft, int32_t maxRows, int32_t* row,
                   std::vector<LabelRow>* rows, const TextFolding& folding);

// Blank, CR and LF separate words; tabs and punctuation belong to them.
// Each replaces `context` by the word and returns its length (0: none).
int WordLeftOf(char* context);
int WordRightOf(char* context);
// The same on a span: the word's start and length inside [text, text + n).
size_t WordLeftOfSpan(const char16_t* text, size_t n, size_t* start);
size_t WordRightOfSpan(const char16_t* text, size_t n, size_t* start);

// The status report of a bookmark scan, from the five stored positions
// (0: not found): "BookMarks found: One, Three" or "No Bookmarks Found".
// `out` holds at least kBookmarkReportSize bytes.
constexpr size_t kBookmarkReportSize = 64;
void BookmarkReport(const int32_t marks[5], char* out);
extern const char* const kBookmarkNames[5];

// What Insert Time writes for a mode: the time part (if any) first, one
// blank, then the date part. A flags value of -1 means "use the picture".
struct TimeFormatPlan {
    bool withTime;
    uint32_t timeFlags;
    bool timePicture;
    uint32_t dateFlags;
    bool datePicture;
};
// Modes 0 "Short Date" to 4 "Custom"; any other value is taken as 0.
TimeFormatPlan PlanInsertTime(int32_t mode);
constexpr uint32_t kTimeNoSeconds = 0x2; // TIME_NOSECONDS
constexpr uint32_t kDateShortDate = 0x1; // DATE_SHORTDATE
constexpr uint32_t kDateLongDate = 0x2;  // DATE_LONGDATE

// The search flags of a search from the Find dialog's flags: FR_DOWN for a
// downward search (or the up marker), plus match case and whole word as the
// dialog holds them.
constexpr uint32_t kFindDown = 0x1;      // FR_DOWN
constexpr uint32_t kFindWholeWord = 0x2; // FR_WHOLEWORD
constexpr uint32_t kFindMatchCase = 0x4; // FR_MATCHCASE
constexpr uint32_t kFindUpMarker = 0x10000000;
uint32_t SearchFlagsFor(uint32_t dialogFlags, bool down);

// The start indent after one step: up adds 341 twips; down takes 341 off
// when there is more than 340, and leaves it otherwise.
constexpr int32_t kIndentStep = 341;
int32_t IndentAfterStep(int32_t indent, bool increase);
