#include "app/Adverts.h"

#include <algorithm>
#include <cctype>
#include <climits>

#include "app/TextHelpers.h"

namespace lark {
namespace {

// The body as text up to its first zero byte.
std::string textOf(const Bytes& bytes) {
    return std::string(bytes.begin(), std::find(bytes.begin(), bytes.end(), 0));
}

bool startsWithNoCase(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

}  // namespace

int advertCount(const Bytes& bytes) {
    const std::string text = textOf(bytes);
    std::size_t at = text.find_first_not_of(" \t\r\n\v\f");
    if (at == std::string::npos) return 0;
    const bool negative = text[at] == '-';
    if (text[at] == '-' || text[at] == '+') ++at;
    long long value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at)
        value = std::min(value * 10 + (text[at] - '0'), static_cast<long long>(INT_MAX) + 1);
    value = negative ? -value : std::min(value, static_cast<long long>(INT_MAX));
    return static_cast<int>(value);
}

int drawAdvertNumber(int count) {
    const int n = std::max(count, 0);
    const int low = std::min(1, n);
    const int high = std::max(1, n);
    return low + randomNumber() % (high - low + 1);
}

Advert fetchAdvert(const std::string& host) {
    seedRandom();
    Advert advert;
    advert.number = drawAdvertNumber(advertCount(httpGet(host + "/gg/ggsl.txt")));
    const std::string stem = host + "/gg/gg" + std::to_string(advert.number);
    advert.link = trimText(textOf(httpGet(stem + ".txt")));
    advert.picture = httpGet(stem + ".png");
    return advert;
}

bool isWebLink(const std::string& link) {
    std::size_t hostStart = 0;
    if (startsWithNoCase(link, "http://"))
        hostStart = 7;
    else if (startsWithNoCase(link, "https://"))
        hostStart = 8;
    else
        return false;
    if (hostStart >= link.size() || link[hostStart] == '/') return false;
    return std::none_of(link.begin(), link.end(), [](char c) {
        const unsigned char u = static_cast<unsigned char>(c);
        return u <= ' ' || u == 0x7F || c == '"' || c == '\\' || c == ',';
    });
}

bool openAdvert(const std::string& link) {
    if (!isWebLink(link)) return false;
    shellOpen("explorer.exe", link);
    return true;
}

}  // namespace lark
