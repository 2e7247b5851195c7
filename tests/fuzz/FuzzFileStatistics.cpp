// The counts of any bytes are the same in two pieces as in one, and agree
// with a plain count of line feeds and countable bytes.
#include "tools/RunInfoCore.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FileStatistics whole;
    CountStatistics(whole, data, size);
    uint64_t lineFeeds = 0;
    uint64_t countable = 0;
    for (size_t i = 0; i < size; ++i) {
        lineFeeds += data[i] == 10;
        countable += data[i] >= 32 && data[i] <= 126;
    }
    if (whole.lines != lineFeeds + 1 || StatisticsCharacters(whole) != countable)
        __builtin_trap();
    if (whole.words > whole.letters + 1 || whole.sentences > whole.symbols)
        __builtin_trap();
    size_t cut = size == 0 ? 0 : data[0] % size;
    FileStatistics pieces;
    CountStatistics(pieces, data, cut);
    CountStatistics(pieces, data + cut, size - cut);
    if (!(whole == pieces))
        __builtin_trap();
    char grouped[kGroupedDigitsSize];
    GroupDigits(whole.letters * 1000003u + size, grouped);
    if (strlen(grouped) >= sizeof grouped)
        __builtin_trap();
    return 0;
}
