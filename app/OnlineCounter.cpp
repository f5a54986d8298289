#include "app/OnlineCounter.h"

#include "app/Forms.h"
#include "app/Globals.h"
#include "app/HttpRequest.h"
#include "app/TextHelpers.h"

namespace lark {
namespace {

void refreshOnWorker(void*) {
    refreshOnlineCount();
}

}  // namespace

std::string onlineCountText(const Bytes& answer) {
    return "Larkbridge共有:" + textBetween(utf8ToGbk(answer), "(\"", "\")") + "人在线使用";
}

void refreshOnlineCount() {
    std::string cookies;
    std::string responseCookies;
    HttpRequestOptions options;
    options.method = 1;
    options.cookies = &cookies;
    options.responseCookies = &responseCookies;
    const std::string text = onlineCountText(httpRequest(webHost + "/zxtj/ine.php", options));
    const bool onUiThread =
        GetWindowThreadProcessId(mainWindowHandle, nullptr) == GetCurrentThreadId();
    if (onUiThread)
        headerLabels[2].text(text);
    else
        runOnUiThread(mainWindowHandle, [text] { headerLabels[2].text(text); });
}

void onOnlineCountTimer() {
    startThread(refreshOnWorker, nullptr);
}

}  // namespace lark
