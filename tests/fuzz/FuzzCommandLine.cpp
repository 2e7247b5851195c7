// Any command line splits as a plain reading of the rules says, without
// overrunning the 600-byte argument, and an odd number of quotes leaves the
// output untouched.
#include "FuzzSupport.h"
#include "app/CommandLine.h"

#include <algorithm>
#include <vector>

namespace {

// Blanks and tabs outside quotes separate arguments; quotes are dropped, a
// quoted tab reads back as a blank, and every other byte as it is.
std::vector<std::string> SplitReference(const std::string& line) {
    std::vector<std::string> arguments;
    bool inQuotes = false, inArgument = false;
    for (char c : line) {
        bool blank = c == ' ' || c == '\t';
        if (blank && !inQuotes) {
            inArgument = false;
            continue;
        }
        if (!inArgument)
            arguments.emplace_back();
        inArgument = true;
        if (c == '"')
            inQuotes = !inQuotes;
        else
            arguments.back().push_back(blank ? ' ' : c);
    }
    return arguments;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input in(data, size);
    int index = in.Byte() % 4;
    std::string line = in.Text(); // the process command line ends at its first zero
    fuzz::Guarded out(kMaxArgumentLength + 1);
    int result = SplitCommandLineArg(line.c_str(), index, out.data());
    FUZZ_CHECK(out.GuardIntact());
    if (std::count(line.begin(), line.end(), '"') % 2 != 0) {
        FUZZ_CHECK(result == ArgOddQuotes);
        FUZZ_CHECK(std::all_of(out.data(), out.data() + out.size(),
                               [](char c) { return c == fuzz::Guarded::kFill; }));
        return 0;
    }
    std::vector<std::string> arguments = SplitReference(line);
    std::string expected =
        static_cast<size_t>(index) < arguments.size() ? arguments[index] : std::string();
    if (static_cast<size_t>(index) >= arguments.size() || expected.size() > kMaxArgumentLength)
        FUZZ_CHECK(result == ArgMissing && out.Text().empty());
    else
        FUZZ_CHECK(result == (expected.empty() ? ArgEmpty : ArgCopied) && out.Text() == expected);
    return 0;
}
