// The advert's count, draw, fetch against the local web host, and the rule that decides which
// links may reach the shell.
#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <string>

#include "app/Adverts.h"
#include "tests/support/WebHost.h"

namespace {

lark::Bytes bytesOf(const std::string& text) {
    return lark::Bytes(text.begin(), text.end());
}

TEST(AdvertCount, ReadsTheLeadingNumber) {
    const std::pair<std::string, int> cases[] = {
        {"3", 3},
        {"  +7\r\n", 7},
        {"\t-2x", -2},
        {"12 34", 12},
        {"abc", 0},
        {"", 0},
        {"-", 0},
        {std::string("5\0"
                     "9",
                     3),
         5},
        {"99999999999", INT_MAX},
        {"-99999999999", INT_MIN},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(lark::advertCount(bytesOf(text)), expected) << text;
}

TEST(DrawAdvertNumber, StaysWithinOneToTheCount) {
    lark::seedRandom();
    const std::pair<int, std::set<int>> cases[] = {
        {3, {1, 2, 3}},
        {1, {1}},
        {0, {0, 1}},
        {-4, {0, 1}},
    };
    for (const auto& [count, expected] : cases) {
        std::set<int> drawn;
        for (int i = 0; i < 300; ++i) drawn.insert(lark::drawAdvertNumber(count));
        EXPECT_EQ(drawn, expected) << count;
    }
}

class FetchAdvertTest : public testing::Test {
protected:
    void TearDown() override { larktest::resetServer(); }
};

TEST_F(FetchAdvertTest, PublishedCountOfThreeDrawsOneOfThem) {
    const lark::Advert advert = lark::fetchAdvert(larktest::webHostUrl());
    ASSERT_GE(advert.number, 1);
    ASSERT_LE(advert.number, 3);
    const std::string k = std::to_string(advert.number);
    EXPECT_EQ(advert.link, "http://127.0.0.1/ad" + k);
    EXPECT_EQ(advert.picture, lark::httpGet(larktest::webHostUrl() + "/gg/gg" + k + ".png"));
    EXPECT_FALSE(advert.picture.empty());
}

TEST_F(FetchAdvertTest, LinkIsTrimmedAndEndsAtAZeroByte) {
    larktest::setServedFile("/gg/ggsl.txt", "1");
    larktest::setServedFile("/gg/gg1.txt", std::string(" http://127.0.0.1/x\r\n\0tail", 26));
    const lark::Advert advert = lark::fetchAdvert(larktest::webHostUrl());
    EXPECT_EQ(advert.number, 1);
    EXPECT_EQ(advert.link, "http://127.0.0.1/x");
}

TEST_F(FetchAdvertTest, UnreachableHostGivesNothingToShow) {
    const lark::Advert advert = lark::fetchAdvert("http://127.0.0.1:1");
    EXPECT_TRUE(advert.number == 0 || advert.number == 1) << advert.number;
    EXPECT_EQ(advert.link, "");
    EXPECT_TRUE(advert.picture.empty());
}

TEST(AdvertLink, OnlyWebLinksReachTheShell) {
    const std::pair<std::string, bool> cases[] = {
        {"http://127.0.0.1/ad1", true},
        {"https://example.com/a?b=c&d=%20", true},
        {"HTTP://EXAMPLE.COM/", true},
        {"", false},
        {"http://", false},
        {"http:///C:/Windows/notepad.exe", false},
        {"C:\\Windows\\System32\\calc.exe", false},
        {"calc.exe", false},
        {"file:///C:/Windows/System32/calc.exe", false},
        {"\\\\server\\share\\run.exe", false},
        {"ftp://example.com/", false},
        {"javascript:alert(1)", false},
        {" http://example.com/", false},
        {"http://example.com/ C:\\evil.exe", false},
        {"http://example.com/\"", false},
        {"http://example.com/,C:/evil.exe", false},
        {"http://example.com/\r\n", false},
    };
    for (const auto& [link, web] : cases) {
        EXPECT_EQ(lark::isWebLink(link), web) << link;
        // Only the links that pass the rule are ever handed to the shell.
        if (!web) EXPECT_FALSE(lark::openAdvert(link)) << link;
    }
}

}  // namespace
