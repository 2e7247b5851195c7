#include "app/CommandLine.h"

#include <string>

namespace {
constexpr char kBlankPlaceholder = static_cast<char>(0xFE);
}

int SplitCommandLineArg(const char* commandLine, int index, char* output) {
    std::string work(commandLine);
    std::size_t quotes = 0;
    for (char c : work)
        if (c == '"')
            ++quotes;
    if (quotes % 2 != 0)
        return ArgOddQuotes;

    bool inQuotes = false;
    for (char& c : work) {
        if (c == '\t')
            c = ' ';
        if (c == '"')
            inQuotes = !inQuotes;
        else if (inQuotes && c == ' ')
            c = kBlankPlaceholder;
    }

    std::size_t at = 0;
    const std::size_t end = work.size();
    auto skipBlanks = [&] {
        while (at < end && work[at] == ' ')
            ++at;
    };
    skipBlanks();
    for (int skipped = 0; skipped < index; ++skipped) {
        while (at < end && work[at] != ' ')
            ++at;
        skipBlanks();
    }
    if (at >= end) {
        output[0] = 0;
        return ArgMissing;
    }

    std::size_t n = 0;
    for (; at < end && work[at] != ' '; ++at) {
        char c = work[at];
        if (c == '"')
            continue;
        if (n == kMaxArgumentLength) {
            output[0] = 0;
            return ArgMissing;
        }
        output[n++] = c == kBlankPlaceholder ? ' ' : c;
    }
    output[n] = 0;
    return n == 0 ? ArgEmpty : ArgCopied;
}
