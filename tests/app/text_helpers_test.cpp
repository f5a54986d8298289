// The text routines behind the HTTP request routine and the online counter.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "app/TextHelpers.h"

namespace {

lark::Bytes bytesOf(const std::string& text) {
    return lark::Bytes(text.begin(), text.end());
}

TEST(Base64Encode, PadsToWholeGroups) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"user:pass", "dXNlcjpwYXNz"},
        {std::string("\xff\xfe\x00", 3), "//4A"},
    };
    for (const auto& [input, expected] : cases)
        EXPECT_EQ(lark::base64Encode(bytesOf(input)), expected) << input;
}

TEST(HeaderLine, SplitsAtTheFirstColonAndTrims) {
    EXPECT_EQ(lark::headerName("  Referer : http://a:1/x  "), "Referer");
    EXPECT_EQ(lark::headerValue("  Referer : http://a:1/x  "), "http://a:1/x");
    EXPECT_EQ(lark::headerName("no colon here"), "");
    EXPECT_EQ(lark::headerValue("no colon here"), "");
    EXPECT_EQ(lark::headerValue("Empty:"), "");
}

struct BetweenCase {
    std::string text, left, right;
    std::size_t start;
    bool ignoreCase;
    std::string expected;
};

TEST(TextBetween, FindsTheTextBetweenTheMarkers) {
    const BetweenCase cases[] = {
        {"document.write(\"1234\");", "(#引号", "#引号)", 0, false, "1234"},
        {"document.write(\"1234\");", "(\"", "\")", 0, false, "1234"},
        {"a[1]b[2]", "[", "]", 0, false, "1"},
        {"a[1]b[2]", "[", "]", 3, false, "2"},  // searching from an offset
        {"a[1]b[2]", "<", "]", 0, false, ""},   // left marker missing
        {"a[1b", "[", "]", 0, false, ""},       // right marker missing after the left one
        {"]x[", "[", "]", 0, false, ""},        // the right marker must follow the left one
        {"<TD>在线</td>", "<td>", "</TD>", 0, true, "在线"},
        {"<TD>x</td>", "<td>", "</td>", 0, false, ""},
        // 0xC4 0x61 is one double-byte character whose trail byte looks like "a": never folded.
        {"\xc4\x61[A]", "\xc4\x41", "]", 0, true, ""},
    };
    for (const BetweenCase& c : cases)
        EXPECT_EQ(lark::textBetween(c.text, c.left, c.right, c.start, c.ignoreCase), c.expected)
            << c.text << " " << c.left << " " << c.right;
}

TEST(MergeCookies, NewWinsOldSurvivesDeletedDrops) {
    const std::string cases[][3] = {
        {"a=1; b=2", "a=3; c=4", "a=3; c=4; b=2"},
        {"a=1", "a=deleted", ""},
        {"", "", ""},
        {"a=1", "", "a=1"},
        {"", "x=1; y=2", "x=1; y=2"},
        {"a=1;b=2;a=1", "c=3", "c=3; a=1; b=2"},  // repeats removed
        {"sid=abc; keep=1", "sid=deleted", "keep=1"},
        {" a = 1 ", "b=2", "b=2; a=1"},  // spaces removed
    };
    for (const auto& c : cases) {
        std::string old = c[0];
        EXPECT_EQ(lark::mergeCookies(old, c[1]), c[2]) << c[0] << " + " << c[1];
        EXPECT_EQ(old, c[2]);
    }
}

TEST(ResponseCookies, TakenFromTheSetCookieLinesInAnyCase) {
    const std::string headers = lark::normaliseSetCookie(
        "Server: x\r\nset-cookie: sid=abc; Path=/\r\nSET-COOKIE: theme=dark\r\n"
        "Content-Type: text/html\r\n");
    EXPECT_EQ(headers,
              "Server: x\r\nSet-Cookie: sid=abc; Path=/\r\nSet-Cookie: theme=dark\r\n"
              "Content-Type: text/html\r\n");
    EXPECT_EQ(lark::cookiesFromHeaders(headers), "sid=abc; theme=dark");
    EXPECT_EQ(lark::cookiesFromHeaders("Server: x\r\nContent-Length: 0\r\n"), "");
}

TEST(Utf8ToGbk, ConvertsThroughUtf16) {
    EXPECT_EQ(lark::utf8ToGbk({}), "");
    EXPECT_EQ(lark::utf8ToGbk(bytesOf("count 12")), "count 12");
    // "人在线" in UTF-8 becomes the GBK bytes of the same characters.
    EXPECT_EQ(lark::utf8ToGbk(bytesOf("\xe4\xba\xba\xe5\x9c\xa8\xe7\xba\xbf")), "人在线");
}

}  // namespace
