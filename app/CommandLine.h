// Splitting the process command line into arguments the way start-up and
// the shell association expect: blanks separate arguments, a double-quoted
// run (blanks included) is one argument and loses its quotes.
#pragma once

#include <cstddef>

enum CommandLineResult {
    ArgCopied = 1,    // the argument is in the output
    ArgMissing = 2,   // no such argument (or too long to hold); output empty
    ArgOddQuotes = 3, // odd number of double quotes; output untouched
    ArgEmpty = 4,     // the argument was an empty pair of quotes
};

// Longest argument kept: a path buffer holds 599 characters and a terminator.
constexpr std::size_t kMaxArgumentLength = 599;

// Copies argument `index` (0 is the program path) of `commandLine` into
// `output`, which holds kMaxArgumentLength + 1 bytes. An argument longer than
// that is treated as absent rather than cut or overflowed.
int SplitCommandLineArg(const char* commandLine, int index, char* output);
