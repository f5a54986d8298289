// The Windows services layer against the local web host, the real registry and ICMP.
#include <gtest/gtest.h>

#include <string>

#include "app/Globals.h"
#include "app/Platform.h"
#include "tests/support/WebHost.h"

namespace {

struct GetCase {
    const char* name;
    std::string path;
    std::string expected;
};

class HttpGetTest : public testing::TestWithParam<GetCase> {};

TEST_P(HttpGetTest, GivesTheBodyOrNothing) {
    const GetCase& c = GetParam();
    const DWORD start = GetTickCount();
    const lark::Bytes body = lark::httpGet(larktest::webHostUrl() + c.path);
    EXPECT_EQ(std::string(body.begin(), body.end()), c.expected);
    // Every request is bounded: a host that never answers costs at most about 5 s.
    EXPECT_LT(GetTickCount() - start, 6000u);
}

INSTANTIATE_TEST_SUITE_P(Cases, HttpGetTest,
                         testing::Values(GetCase{"PublishedFile", "/gx.txt", "14"},
                                         GetCase{"Missing", "/no-such-file.txt", ""},
                                         GetCase{"ServerError", "/_fault/status-500/gx.txt", ""},
                                         GetCase{"Oversized", "/_fault/oversize/gx.txt", ""},
                                         GetCase{"SlowButInTime", "/_fault/slow-300/gx.txt", "14"},
                                         GetCase{"NeverAnswers", "/_fault/hang/gx.txt", ""}),
                         [](const testing::TestParamInfo<GetCase>& info) {
                             return info.param.name;
                         });

TEST(HttpGet, RefusesWhatIsNotPlainHttp) {
    EXPECT_TRUE(lark::httpGet("https://127.0.0.1:1/gx.txt").empty());
    EXPECT_TRUE(lark::httpGet("not a url").empty());
    EXPECT_TRUE(lark::httpGet("http://127.0.0.1:1/gx.txt").empty());  // nothing listens
}

TEST(HttpGet, KeepsABodyJustUnderTheLimit) {
    std::string big(lark::kMaxBodyBytes - 1024, 'x');
    larktest::setServedFile("/big.bin", big);
    const lark::Bytes body = lark::httpGet(larktest::webHostUrl() + "/big.bin");
    larktest::resetServer();
    EXPECT_EQ(body.size(), big.size());
}

TEST(Ping, LoopbackAnswersInAFewMilliseconds) {
    const int first = lark::ping("127.0.0.1", 1000);
    EXPECT_GE(first, 0);
    EXPECT_LT(first, 500);
    EXPECT_GE(lark::ping(lark::kNodeAddress, 1000), 0);
}

int ticks;
void CALLBACK countTick(HWND, UINT, UINT_PTR, DWORD) {
    ++ticks;
}

TEST(WaitWithMessages, KeepsDispatchingForTheWholeTime) {
    ticks = 0;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, countTick);
    const DWORD start = GetTickCount();
    lark::waitWithMessages(300);
    KillTimer(nullptr, timer);
    EXPECT_GE(GetTickCount() - start, 300u);
    EXPECT_GE(ticks, 3);
}

TEST(Text, GbkRoundTrip) {
    const std::string text = "Larkbridge 服务中";
    EXPECT_EQ(lark::gbkToWide(text), L"Larkbridge 服务中");
    EXPECT_EQ(lark::wideToGbk(lark::gbkToWide(text)), text);
}

}  // namespace
