#include "app/LinkRules.h"

#include <gtest/gtest.h>

// FuzzText holds each kind to its promise; these are the boundaries.
TEST(LinkRules, OnlyWebAndMailAddressesOpenWithOneClick) {
    const std::string longFile = "file:///C:/" + std::string(kLinkShownMost, 'd') + "/tool.exe";
    const std::string shown = longFile.substr(0, kLinkShownMost);
    struct Case {
        std::string text;
        LinkKind kind;
        std::string target;
    } cases[] = {
        {"  \tHTTPS://example.com \r\n", LinkKind::Web, "HTTPS://example.com"},
        {"MailTo:someone@example.com", LinkKind::Web, "MailTo:someone@example.com"},
        {"www.example.com", LinkKind::Web, "http://www.example.com"}, // never a file name
        {"http://x/\" --new-tab \"file:///C:/t.exe", LinkKind::Web,
         "http://x/%22%20--new-tab%20%22file:///C:/t.exe"}, // stays one argument
        {"file:///C:/some/folder/tool.exe", LinkKind::Ask, "file:///C:/some/folder/tool.exe"},
        {shown, LinkKind::Ask, shown},
        {longFile, LinkKind::Refuse, ""}, // cannot be shown whole
        {std::string("file:///C:/a.exe\0b", 18), LinkKind::Refuse, ""},
    };
    for (const Case& c : cases) {
        LinkDecision d = ClassifyLink(c.text);
        EXPECT_EQ(d.kind, c.kind) << c.text.substr(0, 80);
        EXPECT_EQ(d.target, c.target) << c.text.substr(0, 80);
    }
}
