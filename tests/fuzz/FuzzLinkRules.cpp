// Any link text: what opens with one click is a web or mail address that
// stays one argument on a command line, what is asked about is shown whole
// and opened exactly as shown, and nothing else is opened.
#include "FuzzSupport.h"
#include "app/LinkRules.h"

#include <cctype>

namespace {

bool StartsNoCase(const std::string& text, const std::string& start) {
    if (text.size() < start.size())
        return false;
    for (size_t i = 0; i < start.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != start[i])
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    LinkDecision d = ClassifyLink(text);
    switch (d.kind) {
    case LinkKind::Web:
        FUZZ_CHECK(StartsNoCase(d.target, "http:") || StartsNoCase(d.target, "https:") ||
                   StartsNoCase(d.target, "mailto:"));
        for (char ch : d.target) {
            unsigned char c = static_cast<unsigned char>(ch);
            FUZZ_CHECK(c > 0x20 && c != 0x7F && c != '"');
        }
        break;
    case LinkKind::Ask:
        FUZZ_CHECK(!d.target.empty() && d.target.size() <= kLinkShownMost);
        FUZZ_CHECK(text.find(d.target) != std::string::npos);
        for (char ch : d.target) {
            unsigned char c = static_cast<unsigned char>(ch);
            FUZZ_CHECK(c >= 0x20 && c != 0x7F);
        }
        FUZZ_CHECK(!StartsNoCase(d.target, "http:") && !StartsNoCase(d.target, "https:") &&
                   !StartsNoCase(d.target, "mailto:") && !StartsNoCase(d.target, "www."));
        break;
    case LinkKind::Refuse:
        FUZZ_CHECK(d.target.empty());
        break;
    }
    return 0;
}
