#include "app/CommandLine.h"

#include <string>

int SplitCommandLineArg(const char* commandLine, int index, char* output) {
    std::string work(commandLine);
    std::size_t quotes = 0;
    for (char c : work)
        if (c == '"')
            ++quotes;
    if (quotes % 2 != 0)
        return ArgOddQuotes;

    // A blank inside quotes belongs to its argument. The blanks that
    // separate arguments are told apart by their place rather than by a
    // stand-in byte, which every code page uses for a letter of its own.
    const std::size_t end = work.size();
    std::string separator(end, 0);
    bool inQuotes = false;
    for (std::size_t i = 0; i < end; ++i) {
        if (work[i] == '\t')
            work[i] = ' ';
        if (work[i] == '"')
            inQuotes = !inQuotes;
        else if (!inQuotes && work[i] == ' ')
            separator[i] = 1;
    }

    std::size_t at = 0;
    auto skipBlanks = [&] {
        while (at < end && separator[at])
            ++at;
    };
    skipBlanks();
    for (int skipped = 0; skipped < index; ++skipped) {
        while (at < end && !separator[at])
            ++at;
        skipBlanks();
    }
    if (at >= end) {
        output[0] = 0;
        return ArgMissing;
    }

    std::size_t n = 0;
    for (; at < end && !separator[at]; ++at) {
        char c = work[at];
        if (c == '"')
            continue;
        if (n == kMaxArgumentLength) {
            output[0] = 0;
            return ArgMissing;
        }
        output[n++] = c;
    }
    output[n] = 0;
    return n == 0 ? ArgEmpty : ArgCopied;
}
