#include "tests/support/WebHost.h"

#include <windows.h>
#include <winhttp.h>

#include "app/Platform.h"
#include "ui/UniqueHandle.h"

namespace larktest {
std::string webHostUrl() {
    return LARKBRIDGE_WEB_HOST;
}

std::string request(const std::string& method, const std::string& path, const std::string& body) {
    lark::WinHttpHandle session(WinHttpOpen(L"larkbridge-tests", WINHTTP_ACCESS_TYPE_NO_PROXY,
                                            WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    lark::WinHttpHandle connection(
        WinHttpConnect(session.get(), L"127.0.0.1", LARKBRIDGE_TEST_PORT, 0));
    const std::wstring verb = lark::gbkToWide(method);
    const std::wstring object = lark::gbkToWide(path);
    lark::WinHttpHandle call(WinHttpOpenRequest(connection.get(), verb.c_str(), object.c_str(),
                                                nullptr, WINHTTP_NO_REFERER,
                                                WINHTTP_DEFAULT_ACCEPT_TYPES, 0));
    if (!call ||
        !WinHttpSendRequest(call.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0,
                            const_cast<char*>(body.data()), static_cast<DWORD>(body.size()),
                            static_cast<DWORD>(body.size()), 0) ||
        !WinHttpReceiveResponse(call.get(), nullptr))
        return {};
    std::string answer;
    char chunk[4096];
    DWORD read = 0;
    while (WinHttpReadData(call.get(), chunk, sizeof chunk, &read) && read > 0)
        answer.append(chunk, read);
    return answer;
}

void setServedFile(const std::string& path, const std::string& body) {
    request("POST", "/_control/set?path=" + path, body);
}

void setServerMode(const std::string& mode) {
    request("POST", "/_control/mode", mode);
}

void resetServer() {
    request("POST", "/_control/reset");
}

std::string serverLog() {
    return request("GET", "/_control/log");
}

}  // namespace larktest
