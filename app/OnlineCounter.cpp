#include "app/OnlineCounter.h"

#include "app/HttpRequest.h"
#include "app/TextHelpers.h"

namespace lark {
std::string onlineCountTextFromAnswer(const Bytes& answer) {
    const std::string count = textBetween(utf8ToGbk(answer), "(#引号", "#引号)");
    return "Larkbridge共有:" + count + "人在线使用";
}

std::string fetchOnlineCountText(const std::string& host) {
    // Cookies start empty on every request: the server's are not kept between refreshes.
    std::string cookies;
    std::string responseCookies;
    HttpRequestOptions options;
    options.method = 1;
    options.cookies = &cookies;
    options.responseCookies = &responseCookies;
    return onlineCountTextFromAnswer(httpRequest(host + kOnlineCounterPath, options));
}

}  // namespace lark
