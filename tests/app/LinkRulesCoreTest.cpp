#include "app/LinkRules.h"

#include <gtest/gtest.h>

TEST(LinkRules, OnlyWebAndMailAddressesOpenWithOneClick) {
    const std::string longFile = "file:///C:/" + std::string(kLinkShownMost, 'd') + "/tool.exe";
    const std::string longWeb = "https://example.com/" + std::string(5000, 'p');
    struct Case {
        std::string text;
        LinkKind kind;
        std::string target;
    } cases[] = {
        {"http://example.com/a?b=c", LinkKind::Web, "http://example.com/a?b=c"},
        {"HTTP://EXAMPLE.COM", LinkKind::Web, "HTTP://EXAMPLE.COM"},
        {"https://example.com", LinkKind::Web, "https://example.com"},
        {"  \thttps://example.com \r\n", LinkKind::Web, "https://example.com"},
        {"MailTo:someone@example.com", LinkKind::Web, "MailTo:someone@example.com"},
        {"http:\\\\server\\share\\tool.exe", LinkKind::Web, "http:\\\\server\\share\\tool.exe"},
        // "www." is an address, never a file name such as "www.example.com"
        // in the current folder.
        {"www.example.com", LinkKind::Web, "http://www.example.com"},
        {"WWW.Example.com/x", LinkKind::Web, "http://WWW.Example.com/x"},
        // Quotes and blanks cannot end the address on a browser's command
        // line.
        {"http://x/\" --new-tab \"file:///C:/t.exe", LinkKind::Web,
         "http://x/%22%20--new-tab%20%22file:///C:/t.exe"},
        {"https://x/a\tb\x7F", LinkKind::Web, "https://x/a%09b%7F"},
        {longWeb, LinkKind::Web, longWeb},

        {"file:///C:/some/folder/tool.exe", LinkKind::Ask, "file:///C:/some/folder/tool.exe"},
        {"FILE:///C:/x.exe", LinkKind::Ask, "FILE:///C:/x.exe"},
        {"\\\\server\\share\\tool.exe", LinkKind::Ask, "\\\\server\\share\\tool.exe"},
        {"C:\\Windows\\system32\\calc.exe", LinkKind::Ask, "C:\\Windows\\system32\\calc.exe"},
        {"ms-settings:display", LinkKind::Ask, "ms-settings:display"},
        {"ftp://example.com", LinkKind::Ask, "ftp://example.com"},
        {"javascript:alert(1)", LinkKind::Ask, "javascript:alert(1)"},
        {"httpx://example.com", LinkKind::Ask, "httpx://example.com"},
        {"http//example.com", LinkKind::Ask, "http//example.com"},
        {"mailto", LinkKind::Ask, "mailto"},
        {"www", LinkKind::Ask, "www"},
        {" \"file:///C:/a b.exe\" ", LinkKind::Ask, "\"file:///C:/a b.exe\""},
        {longFile.substr(0, kLinkShownMost), LinkKind::Ask, longFile.substr(0, kLinkShownMost)},

        {longFile, LinkKind::Refuse, ""},
        {std::string("file:///C:/a.exe\0b", 18), LinkKind::Refuse, ""},
        {"file:///C:/a\x1b[2J.exe", LinkKind::Refuse, ""},
        {std::string("\x01http://x"), LinkKind::Refuse, ""},
        {"", LinkKind::Refuse, ""},
        {" \t ", LinkKind::Refuse, ""},
    };
    for (const Case& c : cases) {
        LinkDecision d = ClassifyLink(c.text);
        EXPECT_EQ(d.kind, c.kind) << c.text.substr(0, 80);
        EXPECT_EQ(d.target, c.target) << c.text.substr(0, 80);
    }
}
