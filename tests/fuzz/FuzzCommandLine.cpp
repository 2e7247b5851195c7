// What reaches a command line. Any process command line splits as a plain
// reading of the rules says, inside the 600-byte argument, and an odd number
// of quotes leaves the output untouched. Of any link text, what opens with
// one click is a web or mail address that stays one argument, what is asked
// about is shown whole and opened exactly as shown, and nothing else opens.
#include "FuzzSupport.h"
#include "app/CommandLine.h"
#include "app/LinkRules.h"

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

void Split(Input& in) {
    int index = in.Byte() % 4;
    std::string line = in.Text(); // the process command line ends at its first zero
    Guarded out(kMaxArgumentLength + 1);
    int result = SplitCommandLineArg(line.c_str(), index, out.data());
    if (std::count(line.begin(), line.end(), '"') % 2 != 0) {
        FUZZ_CHECK(result == ArgOddQuotes);
        FUZZ_CHECK(std::all_of(out.data(), out.data() + out.size(),
                               [](char c) { return c == Guarded::kFill; }));
        return;
    }
    std::vector<std::string> arguments = SplitReference(line);
    std::string expected =
        static_cast<size_t>(index) < arguments.size() ? arguments[index] : std::string();
    if (static_cast<size_t>(index) >= arguments.size() || expected.size() > kMaxArgumentLength)
        FUZZ_CHECK(result == ArgMissing && out.Text().empty());
    else
        FUZZ_CHECK(result == (expected.empty() ? ArgEmpty : ArgCopied) && out.Text() == expected);
}

void Link(Input& in) {
    std::string text = in.Rest();
    LinkDecision d = ClassifyLink(text);
    auto starts = [&d](const std::string& start) {
        return LowerAscii(d.target.substr(0, start.size())) == start;
    };
    auto printable = [&d](unsigned char least, const char* refused) {
        return std::all_of(d.target.begin(), d.target.end(), [&](char c) {
            return static_cast<unsigned char>(c) >= least && c != 0x7F && !std::strchr(refused, c);
        });
    };
    bool web = starts("http:") || starts("https:") || starts("mailto:");
    if (d.kind == LinkKind::Web)
        FUZZ_CHECK(web && printable(0x21, "\""));
    else if (d.kind == LinkKind::Ask)
        FUZZ_CHECK(!d.target.empty() && d.target.size() <= kLinkShownMost &&
                   text.find(d.target) != std::string::npos && printable(0x20, "") && !web &&
                   !starts("www."));
    else
        FUZZ_CHECK(d.kind == LinkKind::Refuse && d.target.empty());
}

} // namespace

FUZZ_TESTS(Split, Link)
