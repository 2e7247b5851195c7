// The window-free part of the Run buttons, File Info and the user lists:
// the wildcard and extension routines, the byte counts of a stored file,
// digit grouping, and the reader of the definition file "KorvWord.txt".
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// --- Run buttons ---------------------------------------------------------

// Replaces the first occurrence of `wildcard` in `text` (a buffer of `size`
// bytes) by `substitute`. A changed text ends with one extra blank: the
// rest after the wildcard is taken from a copy with a blank appended. The
// result is cut to size - 1 characters and always terminated. Returns true
// when the wildcard was found.
bool ReplaceWildcard(char* text, size_t size, const char* wildcard, const char* substitute);

// Cuts the name just before its last '.'; a name without one stays.
void StripExtension(char* name);

// --- File statistics -----------------------------------------------------

// The counts of File Info, taken byte by byte from the stored file. They
// are 64-bit, so files of any size count true.
struct FileStatistics {
    uint64_t letters = 0;
    uint64_t numbers = 0;
    uint64_t spaces = 0;
    uint64_t symbols = 0;
    uint64_t words = 1; // the first word is counted before it starts
    uint64_t lines = 1; // and so is the first line
    uint64_t sentences = 0;
    uint8_t previous = 0; // class of the last classified byte; 0 = none
};

inline bool operator==(const FileStatistics& a, const FileStatistics& b) {
    return a.letters == b.letters && a.numbers == b.numbers && a.spaces == b.spaces &&
           a.symbols == b.symbols && a.words == b.words && a.lines == b.lines &&
           a.sentences == b.sentences && a.previous == b.previous;
}

// Counts one piece of the file; pieces may split the file anywhere.
void CountStatistics(FileStatistics& counts, const unsigned char* bytes, size_t size);
inline uint64_t StatisticsCharacters(const FileStatistics& c) {
    return c.letters + c.numbers + c.spaces + c.symbols;
}
inline uint64_t AverageWordLength(const FileStatistics& c) {
    return c.words == 0 ? 0 : c.letters / c.words;
}
inline uint64_t AverageSentenceLength(const FileStatistics& c) {
    return c.sentences == 0 ? 0 : c.words / c.sentences;
}

// Decimal digits in groups of three separated by ",": 1234567 gives
// "1,234,567". `destination` holds at least kGroupedDigitsSize bytes.
constexpr size_t kGroupedDigitsSize = 27;
void GroupDigits(uint64_t value, char* destination);

// --- User lists ----------------------------------------------------------

struct RunFileEntry {
    char caption[30];
    char target[270];
};
static_assert(sizeof(RunFileEntry) == 300, "Run File records are 300 bytes");

struct InsertTextEntry {
    char text[200];
};
static_assert(sizeof(InsertTextEntry) == 200, "Insert Text records are 200 bytes");

constexpr int kDefaultListCapacity = 10;
constexpr int kMaxLineText = 599;

// Reads the definition file byte by byte; pieces may split it anywhere.
// Lines end with a carriage return (line feeds are ignored, a last line
// without one is not read). "#", "*" and "-" anywhere in a line make it a
// comment, a section header or a count line and are never part of a text;
// a header wins over a count line, a count line over a comment.
class UserListReader {
  public:
    void Feed(const unsigned char* bytes, size_t size);

    // The capacities in force; both lists are sized to them at the first
    // entry line, after which count lines are ignored.
    int runCapacity = kDefaultListCapacity;
    int insertCapacity = kDefaultListCapacity;
    bool listsStarted = false;
    // Records are stored in place; only complete ones are counted (a Run
    // caption waiting for its command is in the record after the last).
    std::vector<RunFileEntry> runFiles;
    std::vector<InsertTextEntry> insertTexts;
    int runFileCount = 0;
    int insertTextCount = 0;

  private:
    enum class Section { None, Run, Insert };
    void EndLine();
    void EntryLine();

    char line_[kMaxLineText + 1] = {};
    int length_ = 0;
    bool header_ = false;
    bool countLine_ = false;
    bool comment_ = false;
    Section section_ = Section::None;
    bool captionWaiting_ = false;
};
