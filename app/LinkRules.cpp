#include "app/LinkRules.h"

namespace {

bool Blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool Control(unsigned char c) { return c < 0x20 || c == 0x7F; }

bool StartsNoCase(const std::string& text, const char* start) {
    std::size_t i = 0;
    for (; start[i] != 0; ++i) {
        if (i >= text.size())
            return false;
        char c = text[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != start[i])
            return false;
    }
    return true;
}

std::string PercentEncoded(const std::string& text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        unsigned char c = static_cast<unsigned char>(ch);
        if (Control(c) || c == ' ' || c == '"') {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += ch;
        }
    }
    return out;
}

} // namespace

LinkDecision ClassifyLink(const std::string& text) {
    std::size_t first = 0, end = text.size();
    while (first < end && Blank(text[first]))
        ++first;
    while (end > first && Blank(text[end - 1]))
        --end;
    std::string link = text.substr(first, end - first);
    if (link.empty())
        return {LinkKind::Refuse, ""};

    if (StartsNoCase(link, "http:") || StartsNoCase(link, "https:") ||
        StartsNoCase(link, "mailto:"))
        return {LinkKind::Web, PercentEncoded(link)};
    if (StartsNoCase(link, "www."))
        return {LinkKind::Web, "http://" + PercentEncoded(link)};

    if (link.size() > kLinkShownMost)
        return {LinkKind::Refuse, ""};
    for (char c : link)
        if (Control(static_cast<unsigned char>(c)))
            return {LinkKind::Refuse, ""};
    return {LinkKind::Ask, link};
}
