// The HTTP request routine through the real WinHttpRequest COM object against the local web
// host, whose /_echo endpoint answers with the method, header lines and body it received.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "app/ComOwners.h"
#include "app/HttpRequest.h"
#include "app/TextHelpers.h"
#include "tests/support/WebHost.h"

namespace {

// What the echo endpoint saw, read from its JSON answer.
struct Echo {
    std::string method;
    std::string path;
    std::vector<std::string> headerLines;
    std::string bodyBase64;

    // The received header lines whose names are among `names`, in the order received.
    std::vector<std::string> linesNamed(const std::vector<std::string>& names) const {
        std::vector<std::string> lines;
        for (const std::string& line : headerLines)
            for (const std::string& name : names)
                if (_stricmp(lark::headerName(line).c_str(), name.c_str()) == 0)
                    lines.push_back(line);
        return lines;
    }
};

Echo parseEcho(const lark::Bytes& answer) {
    const std::string json(answer.begin(), answer.end());
    Echo echo;
    echo.method = lark::textBetween(json, "\"method\": \"", "\"");
    echo.path = lark::textBetween(json, "\"path\": \"", "\"");
    echo.bodyBase64 = lark::textBetween(json, "\"body_base64\": \"", "\"");
    const std::string lines = lark::textBetween(json, "\"header_lines\": [\"", "\"]");
    echo.headerLines = lark::splitText(lines, "\", \"");
    return echo;
}

std::string echoUrl() {
    return larktest::webHostUrl() + "/_echo";
}

const std::string kUserAgent = "User-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";

TEST(HttpRequest, SendsTheVerbOfTheMethodNumber) {
    const std::pair<int, const char*> cases[] = {{0, "GET"},     {1, "POST"},   {3, "PUT"},
                                                 {4, "OPTIONS"}, {5, "DELETE"}, {9, "GET"},
                                                 {-1, "GET"}};
    for (const auto& [method, verb] : cases) {
        lark::HttpRequestOptions options;
        options.method = method;
        int status = 0;
        options.status = &status;
        EXPECT_EQ(parseEcho(lark::httpRequest(echoUrl(), options)).method, verb) << method;
        EXPECT_EQ(status, 200);
    }
}

TEST(HttpRequest, PostSendsTheDefaultHeadersInOrder) {
    const std::string url = echoUrl() + "?post";
    std::string headers;
    lark::HttpRequestOptions options;
    options.method = 1;
    options.headers = &headers;
    const Echo echo = parseEcho(lark::httpRequest(url, options));

    const std::vector<std::string> expected = {"Accept: */*", "Referer: " + url,
                                               "Accept-Language: zh-cn", kUserAgent,
                                               "Content-Type: application/x-www-form-urlencoded"};
    EXPECT_EQ(headers, expected[0] + "\r\n" + expected[1] + "\r\n" + expected[2] + "\r\n" +
                           expected[3] + "\r\n" + expected[4]);
    EXPECT_EQ(echo.linesNamed(
                  {"Accept", "Referer", "Accept-Language", "User-Agent", "Content-Type", "Cookie"}),
              expected);
}

TEST(HttpRequest, KeepsTheCallersHeadersAndAddsOnlyMissingOnes) {
    std::string headers = "User-Agent: LarkTest/1\r\nX-Extra: yes\r\nAccept: text/plain";
    lark::HttpRequestOptions options;
    options.headers = &headers;
    const Echo echo = parseEcho(lark::httpRequest(echoUrl(), options));
    EXPECT_EQ(
        echo.linesNamed({"User-Agent", "X-Extra", "Accept", "Content-Type"}),
        (std::vector<std::string>{"User-Agent: LarkTest/1", "X-Extra: yes", "Accept: text/plain"}));
    EXPECT_EQ(headers, "User-Agent: LarkTest/1\r\nX-Extra: yes\r\nAccept: text/plain\r\nReferer: " +
                           echoUrl() + "\r\nAccept-Language: zh-cn");
}

TEST(HttpRequest, SendsCookiesAndMergesWhatTheServerSet) {
    std::string cookies = "a=1; b=2";
    std::string responseCookies = "stale";
    lark::HttpRequestOptions options;
    options.cookies = &cookies;
    options.responseCookies = &responseCookies;
    const Echo echo = parseEcho(lark::httpRequest(echoUrl(), options));
    EXPECT_EQ(echo.linesNamed({"Cookie"}), std::vector<std::string>{"Cookie: a=1; b=2"});
    // The echo sets no cookie, so the merge keeps the caller's cookies.
    EXPECT_EQ(cookies, "a=1; b=2");
    EXPECT_EQ(responseCookies, "a=1; b=2");
}

TEST(HttpRequest, SendsTheTextBodyOrTheByteBody) {
    lark::HttpRequestOptions options;
    options.method = 1;
    options.body = "x=1&y=2";
    EXPECT_EQ(parseEcho(lark::httpRequest(echoUrl(), options)).bodyBase64,
              lark::base64Encode(lark::Bytes{'x', '=', '1', '&', 'y', '=', '2'}));
    options.byteBody = {0x00, 0x01, 0x80, 0xFF};
    EXPECT_EQ(parseEcho(lark::httpRequest(echoUrl(), options)).bodyBase64,
              lark::base64Encode(options.byteBody));
}

TEST(HttpRequest, GivesBodyStatusAndResponseHeaders) {
    std::string responseHeaders;
    int status = 0;
    lark::HttpRequestOptions options;
    options.responseHeaders = &responseHeaders;
    options.status = &status;
    const lark::Bytes body = lark::httpRequest(larktest::webHostUrl() + "/gx.txt", options);
    EXPECT_EQ(std::string(body.begin(), body.end()), "14");
    EXPECT_EQ(status, 200);
    EXPECT_NE(responseHeaders.find("Content-Type: text/plain"), std::string::npos)
        << responseHeaders;

    const lark::Bytes missing = lark::httpRequest(larktest::webHostUrl() + "/missing.txt", options);
    EXPECT_EQ(std::string(missing.begin(), missing.end()), "not found\n");
    EXPECT_EQ(status, 404);
}

TEST(HttpRequest, SendsBasicProxyAuthorisationOnlyWhenAsked) {
    // The local web host stands in for the proxy (it answers absolute-URL requests too); Wine's
    // request object sends straight to the target either way, and both are that host.
    const std::string host = larktest::webHostUrl().substr(std::string("http://").size());
    const std::pair<int, std::vector<std::string>> cases[] = {
        {1, {"Proxy-Authorization: Basic dXNlcjpwYXNz"}},
        {0, {}},
    };
    for (const auto& [proxyAuth, expected] : cases) {
        lark::HttpRequestOptions options;
        options.proxy = host;
        options.proxyUser = "user";
        options.proxyPassword = "pass";
        options.proxyAuth = proxyAuth;
        const Echo echo = parseEcho(lark::httpRequest(echoUrl(), options));
        EXPECT_EQ(echo.method, "GET");
        EXPECT_EQ(echo.linesNamed({"Proxy-Authorization"}), expected) << proxyAuth;
    }
}

TEST(HttpRequest, UsesAGivenRequestObjectAndLeavesItsReferencesAsTheyWere) {
    const lark::ComApartment apartment;
    CLSID id;
    ASSERT_EQ(CLSIDFromProgID(L"WinHttp.WinHttpRequest.5.1", &id), S_OK);
    lark::ComPtr<IDispatch> object;
    ASSERT_EQ(CoCreateInstance(id, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                               reinterpret_cast<void**>(static_cast<IDispatch**>(object.put()))),
              S_OK);
    lark::HttpRequestOptions options;
    options.requestObject = object.get();
    const lark::Bytes body = lark::httpRequest(larktest::webHostUrl() + "/gx.txt", options);
    EXPECT_EQ(std::string(body.begin(), body.end()), "14");
    object.get()->AddRef();
    EXPECT_EQ(object.get()->Release(), 1u);
}

TEST(HttpRequest, TimeOutArgumentInMilliseconds) {
    EXPECT_EQ(lark::timeoutMilliseconds(0), 15000);
    EXPECT_EQ(lark::timeoutMilliseconds(-7), 15000);
    EXPECT_EQ(lark::timeoutMilliseconds(1), 1000);
    EXPECT_EQ(lark::timeoutMilliseconds(30), 30000);
    EXPECT_EQ(lark::timeoutMilliseconds(-1), std::nullopt);
}

struct BoundCase {
    const char* name;
    std::string url;
    int timeout;
    DWORD atLeastMs, atMostMs;
};

// A host that never answers or is not there costs at most the time-out; nothing hangs.
TEST(HttpRequest, EveryFailureIsBoundedAndGivesEmptyResults) {
    const BoundCase cases[] = {
        {"nothing listens", "http://127.0.0.1:1/x", 0, 0, 5000},
        {"hang, 1 s", larktest::webHostUrl() + "/_fault/hang/gx.txt", 1, 900, 4000},
        {"hang, default 15 s", larktest::webHostUrl() + "/_fault/hang/gx.txt", 0, 14000, 20000},
    };
    for (const BoundCase& c : cases) {
        int status = -5;
        std::string responseHeaders = "old";
        lark::HttpRequestOptions options;
        options.timeout = c.timeout;
        options.status = &status;
        options.responseHeaders = &responseHeaders;
        const DWORD start = GetTickCount();
        EXPECT_TRUE(lark::httpRequest(c.url, options).empty()) << c.name;
        const DWORD elapsed = GetTickCount() - start;
        EXPECT_GE(elapsed, c.atLeastMs) << c.name;
        EXPECT_LE(elapsed, c.atMostMs) << c.name;
        EXPECT_EQ(status, 0) << c.name;
        EXPECT_EQ(responseHeaders, "") << c.name;
    }
}

}  // namespace
