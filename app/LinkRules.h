// What a click on a link in the text may open. A document is untrusted: a
// link opens with one click only when it can only reach a web page or a new
// e-mail; anything else (a file, a share, another scheme or registered
// protocol) is opened only after the user has read the whole target and
// agreed.
#pragma once

#include <cstddef>
#include <string>

enum class LinkKind {
    Web,    // "http:", "https:", "mailto:" or "www.": opened at once
    Ask,    // anything else: opened only after the question
    Refuse, // not opened at all: empty, too long to show whole, or holding
            // control characters that the question could not show
};

// Longest target the question shows and may open; a longer one that is
// not a web address is refused.
constexpr std::size_t kLinkShownMost = 2048;

struct LinkDecision {
    LinkKind kind;
    // What goes to the shell. A web address has blanks, double quotes and
    // control characters percent-encoded, so it stays one address on a
    // browser's command line; a "www." form gets "http://" in front, so it
    // is never taken for a file name.
    std::string target;
};

// Blanks around the link's text do not count; schemes compare without
// regard to case.
LinkDecision ClassifyLink(const std::string& text);
