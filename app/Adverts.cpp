#include "app/Adverts.h"

#include <algorithm>
#include <climits>

#include "app/Globals.h"
#include "app/Platform.h"

namespace lark {
namespace {

std::string textUpToZero(const Bytes& body) {
    return std::string(body.begin(), std::find(body.begin(), body.end(), 0));
}

}  // namespace

int parseAdvertCount(const std::string& text) {
    std::size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || (text[at] >= '\t' && text[at] <= '\r'))) ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
    long long value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at)
        value = std::min<long long>(value * 10 + (text[at] - '0'), INT_MAX);
    return negative ? 0 : static_cast<int>(value);
}

int chooseAdvert(int n, int randomValue) {
    const int low = std::min(1, std::max(n, 0));
    const int high = std::max(1, n);
    return low + randomValue % (high - low + 1);
}

bool isWebLink(const std::string& link) {
    auto startsWith = [&](const char* scheme) {
        const std::size_t length = std::char_traits<char>::length(scheme);
        if (link.size() <= length) return false;
        for (std::size_t i = 0; i < length; ++i)
            if (std::tolower(static_cast<unsigned char>(link[i])) != scheme[i]) return false;
        return true;
    };
    if (!startsWith("http://") && !startsWith("https://")) return false;
    // The link becomes a parameter of explorer.exe: no spaces, quotes or control characters,
    // which could otherwise smuggle in switches or a second argument.
    return std::none_of(link.begin(), link.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte <= ' ' || byte == '"' || byte == 0x7F;
    });
}

void loadAdvert() {
    seedRandom();
    const int n = parseAdvertCount(textUpToZero(httpGet(webHost + "/gg/ggsl.txt")));
    const std::string k = std::to_string(chooseAdvert(n, randomNumber()));
    advertLink = textUpToZero(httpGet(webHost + "/gg/gg" + k + ".txt"));
    const Bytes picture = httpGet(webHost + "/gg/gg" + k + ".png");
    advertImage.image(std::span<const std::uint8_t>(picture));
}

void openAdvert() {
    if (isWebLink(advertLink)) shellOpen("explorer.exe", advertLink);
}

}  // namespace lark
