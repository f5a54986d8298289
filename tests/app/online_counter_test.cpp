// The online counter's request and text against the local web host, and the hand-over of the
// text from a worker thread to a window's thread.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "app/OnlineCounter.h"
#include "tests/support/WebHost.h"

namespace {

class OnlineCounterTest : public testing::Test {
protected:
    void TearDown() override { larktest::resetServer(); }
};

TEST_F(OnlineCounterTest, TextHoldsTheCountBetweenTheMarkers) {
    struct Case {
        const char* name;
        std::string answer;  // what the counter endpoint serves (UTF-8)
        std::string expected;
    };
    const Case cases[] = {
        {"count", "document.write(\"1234\");", "Larkbridge共有:1234人在线使用"},
        {"utf-8 text", "\xe5\x9c\xa8(\"12\xe4\xba\xba\")", "Larkbridge共有:12人人在线使用"},
        {"no right marker", "document.write(\"1234", "Larkbridge共有:人在线使用"},
        {"no markers", "1234", "Larkbridge共有:人在线使用"},
    };
    for (const Case& c : cases) {
        larktest::setServedFile(lark::kOnlineCounterPath, c.answer);
        EXPECT_EQ(lark::fetchOnlineCountText(larktest::webHostUrl()), c.expected) << c.name;
    }
    // The counter reports itself with a POST.
    EXPECT_NE(larktest::serverLog().find("POST /zxtj/ine.php 200"), std::string::npos);
}

TEST_F(OnlineCounterTest, TheLiveCounterAnswersWithANumber) {
    const std::string text = lark::fetchOnlineCountText(larktest::webHostUrl());
    const std::string prefix = "Larkbridge共有:";
    const std::string suffix = "人在线使用";
    ASSERT_GT(text.size(), prefix.size() + suffix.size()) << text;
    const std::string count =
        text.substr(prefix.size(), text.size() - prefix.size() - suffix.size());
    EXPECT_EQ(text, prefix + count + suffix);
    EXPECT_GE(std::stoi(count), 1);
}

TEST_F(OnlineCounterTest, AFailedRequestGivesAnEmptyCount) {
    const std::string empty = "Larkbridge共有:人在线使用";
    EXPECT_EQ(lark::fetchOnlineCountText("http://127.0.0.1:1"), empty);
    larktest::setServerMode("status-500");
    EXPECT_EQ(lark::fetchOnlineCountText(larktest::webHostUrl()), empty);
}

}  // namespace
