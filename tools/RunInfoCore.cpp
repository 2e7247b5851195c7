#include "tools/RunInfoCore.h"

#include "text/TextRoutines.h"

#include <cstring>

bool ReplaceWildcard(char* text, size_t size, const char* wildcard, const char* substitute) {
    if (size == 0 || wildcard[0] == '\0')
        return false;
    const char* found = strstr(text, wildcard);
    if (found == nullptr)
        return false;
    size_t before = static_cast<size_t>(found - text);
    const char* rest = found + strlen(wildcard);
    // The result is built beside the text, so a substitute that overlaps
    // the text (or is the text) is read whole before anything is written.
    std::vector<char> result;
    result.reserve(size);
    auto add = [&](const char* from, size_t count) {
        for (size_t i = 0; i < count && result.size() < size - 1; ++i)
            result.push_back(from[i]);
    };
    add(text, before);
    add(substitute, strlen(substitute));
    add(rest, strlen(rest));
    add(" ", 1);
    memcpy(text, result.data(), result.size());
    text[result.size()] = '\0';
    return true;
}

void StripExtension(char* name) {
    char* dot = strrchr(name, '.');
    if (dot != nullptr)
        *dot = '\0';
}

namespace {

// The classes of the counted bytes. A symbol and an uncounted byte leave
// the previous class as it was, so "end)." still ends a sentence and a tab
// between two words does not begin the second.
enum : uint8_t { kNone, kLineBreak, kBlank, kStop, kDigit, kLetter, kSymbol, kClasses };

struct ByteClasses {
    uint8_t of[256];
    constexpr ByteClasses() : of() {
        for (int b = 0; b < 256; ++b) {
            uint8_t c = kNone;
            if (b == 10)
                c = kLineBreak;
            else if (b == 32)
                c = kBlank;
            else if (b == 46)
                c = kStop;
            else if (b >= 48 && b <= 57)
                c = kDigit;
            else if ((b >= 65 && b <= 90) || (b >= 97 && b <= 122))
                c = kLetter;
            else if (b >= 33 && b <= 126)
                c = kSymbol;
            of[b] = c;
        }
    }
};
constexpr ByteClasses kByteClasses;

// The class the previous one becomes after a byte of each class.
constexpr bool kLeavesPrevious[kClasses] = {true, false, false, false, false, false, true};

} // namespace

void CountStatistics(FileStatistics& counts, const unsigned char* bytes, size_t size) {
    // The loop counts in 32 bits, which a 32-bit build keeps in registers,
    // over stretches short enough never to wrap, and adds each stretch to
    // the 64-bit totals. Four sets of class counters taken in turn keep it
    // from waiting on its own last increment when one class repeats.
    constexpr size_t kStretch = size_t{1} << 30;
    uint8_t previous = counts.previous;
    while (size > 0) {
        size_t n = size < kStretch ? size : kStretch;
        uint32_t perClass[4][kClasses] = {};
        uint32_t words = 0;
        uint32_t sentences = 0;
        for (size_t i = 0; i < n; ++i) {
            uint8_t c = kByteClasses.of[bytes[i]];
            ++perClass[i & 3][c];
            words += (c == kLetter) & (previous == kBlank);
            sentences += (c == kStop) & (previous == kLetter);
            previous = kLeavesPrevious[c] ? previous : c;
        }
        auto total = [&](int c) {
            return uint64_t{perClass[0][c]} + perClass[1][c] + perClass[2][c] + perClass[3][c];
        };
        counts.lines += total(kLineBreak);
        counts.spaces += total(kBlank);
        counts.symbols += total(kStop) + total(kSymbol);
        counts.numbers += total(kDigit);
        counts.letters += total(kLetter);
        counts.words += words;
        counts.sentences += sentences;
        bytes += n;
        size -= n;
    }
    counts.previous = previous;
}

void GroupDigits(uint64_t value, char* destination) {
    char digits[21];
    UInt64ToDecimal(value, digits);
    size_t d = strlen(digits);
    size_t lead = d % 3;
    char* out = destination;
    for (size_t i = 0; i < d; ++i) {
        // A comma before every group of three but the first group.
        if (i > 0 && i >= lead && (i - lead) % 3 == 0)
            *out++ = ',';
        *out++ = digits[i];
    }
    *out = '\0';
}

void UserListReader::Feed(const unsigned char* bytes, size_t size) {
    for (size_t i = 0; i < size; ++i) {
        unsigned char b = bytes[i];
        switch (b) {
        case '\r':
            EndLine();
            break;
        case '\n':
            break;
        case '#':
            comment_ = true;
            break;
        case '*':
            header_ = true;
            break;
        case '-':
            countLine_ = true;
            break;
        case '\0':
            // A zero would end the record's text early; it is left out.
            break;
        default:
            if (length_ < kMaxLineText)
                line_[length_++] = static_cast<char>(b);
            break;
        }
    }
}

void UserListReader::EndLine() {
    line_[length_] = '\0';
    if (header_) {
        if (length_ >= 3) {
            char key[4] = {line_[0], line_[1], line_[2], '\0'};
            TextLowerAscii(key);
            if (strcmp(key, "run") == 0)
                section_ = Section::Run;
            else if (strcmp(key, "ins") == 0)
                section_ = Section::Insert;
        }
        // A caption is paired only with the line that follows it.
        captionWaiting_ = false;
    } else if (countLine_) {
        if (!listsStarted && length_ >= 1) {
            int32_t value = DecimalToInt(line_ + 1);
            if (value >= 11 && value <= 199) {
                if (line_[0] == 'r' || line_[0] == 'R')
                    runCapacity = value;
                else if (line_[0] == 'i' || line_[0] == 'I')
                    insertCapacity = value;
            }
        }
    } else if (!comment_ && length_ >= 3) {
        EntryLine();
    }
    length_ = 0;
    header_ = countLine_ = comment_ = false;
}

void UserListReader::EntryLine() {
    if (!listsStarted) {
        runFiles.assign(static_cast<size_t>(runCapacity), RunFileEntry{});
        insertTexts.assign(static_cast<size_t>(insertCapacity), InsertTextEntry{});
        listsStarted = true;
    }
    if (section_ == Section::Run) {
        if (runFileCount >= runCapacity)
            return;
        RunFileEntry& entry = runFiles[static_cast<size_t>(runFileCount)];
        if (!captionWaiting_) {
            memset(entry.caption, 0, sizeof entry.caption);
            TextCopyBounded(line_, entry.caption, sizeof entry.caption);
            captionWaiting_ = true;
        } else {
            memset(entry.target, 0, sizeof entry.target);
            TextCopyBounded(line_, entry.target, sizeof entry.target);
            captionWaiting_ = false;
            ++runFileCount;
        }
    } else if (section_ == Section::Insert) {
        if (insertTextCount >= insertCapacity)
            return;
        InsertTextEntry& entry = insertTexts[static_cast<size_t>(insertTextCount)];
        TextCopyBounded(line_, entry.text, sizeof entry.text);
        ++insertTextCount;
    }
}
