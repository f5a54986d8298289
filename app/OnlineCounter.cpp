#include "app/OnlineCounter.h"

#include <mutex>
#include <system_error>
#include <thread>

#include "app/HttpRequest.h"
#include "app/TextHelpers.h"

namespace lark {
namespace {

// The hand-over between refresh threads and the user-interface thread. Overlapping refreshes
// simply replace the text: the label shows whichever finished last.
std::mutex readyTextLock;
std::optional<std::string> readyText;

void runRefresh(HWND window, const std::string& host) {
    std::string text = fetchOnlineCountText(host);
    {
        const std::lock_guard<std::mutex> hold(readyTextLock);
        readyText = std::move(text);
    }
    PostMessageA(window, kOnlineCountReadyMessage, 0, 0);
}

}  // namespace

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

void startOnlineCountRefresh(HWND window, const std::string& host) {
    // A detached thread owns its copy of the host; no handle is kept. Without a thread there is
    // simply no refresh this time.
    try {
        std::thread(runRefresh, window, host).detach();
    } catch (const std::system_error&) {
    }
}

std::optional<std::string> takeOnlineCountText() {
    const std::lock_guard<std::mutex> hold(readyTextLock);
    std::optional<std::string> text = std::move(readyText);
    readyText.reset();
    return text;
}

}  // namespace lark
