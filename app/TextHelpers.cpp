#include "app/TextHelpers.h"

#include <windows.h>

#include <algorithm>

namespace lark {
namespace {

constexpr UINT kGbkCodePage = 936;
constexpr char kSetCookie[] = "Set-Cookie";

// A GBK lead byte: the byte after it belongs to the same character and must never be folded.
bool isLeadByte(unsigned char c) {
    return c >= 0x81 && c <= 0xFE;
}

// ASCII letters lowered, double-byte characters left whole, so byte offsets stay the same.
std::string foldCase(const std::string& text) {
    std::string folded = text;
    for (std::size_t i = 0; i < folded.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(folded[i]);
        if (isLeadByte(c))
            ++i;
        else if (c >= 'A' && c <= 'Z')
            folded[i] = static_cast<char>(c - 'A' + 'a');
    }
    return folded;
}

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

std::string joinText(const std::vector<std::string>& items, const std::string& separator) {
    std::string joined;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) joined += separator;
        joined += items[i];
    }
    return joined;
}

bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

std::string base64Encode(const Bytes& bytes) {
    static constexpr char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t left = bytes.size() - i;
        const std::uint32_t group =
            (bytes[i] << 16) | ((left > 1 ? bytes[i + 1] : 0) << 8) | (left > 2 ? bytes[i + 2] : 0);
        out += kAlphabet[(group >> 18) & 63];
        out += kAlphabet[(group >> 12) & 63];
        out += left > 1 ? kAlphabet[(group >> 6) & 63] : '=';
        out += left > 2 ? kAlphabet[group & 63] : '=';
    }
    return out;
}

std::string trimText(const std::string& text) {
    constexpr char kBlank[] = " \t\r\n";
    const std::size_t first = text.find_first_not_of(kBlank);
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(kBlank) - first + 1);
}

std::string headerName(const std::string& line) {
    const std::size_t colon = line.find(':');
    return colon == std::string::npos ? std::string() : trimText(line.substr(0, colon));
}

std::string headerValue(const std::string& line) {
    const std::size_t colon = line.find(':');
    return colon == std::string::npos ? std::string() : trimText(line.substr(colon + 1));
}

std::vector<std::string> splitText(const std::string& text, const std::string& separator) {
    std::vector<std::string> pieces;
    if (text.empty()) return pieces;
    std::size_t from = 0;
    for (std::size_t at = text.find(separator); at != std::string::npos;
         at = text.find(separator, from)) {
        pieces.push_back(text.substr(from, at - from));
        from = at + separator.size();
    }
    pieces.push_back(text.substr(from));
    return pieces;
}

std::string textBetween(const std::string& text, std::string left, std::string right,
                        std::size_t start, bool ignoreCase) {
    replaceAll(left, "#引号", "\"");
    replaceAll(right, "#引号", "\"");
    if (left.empty() || right.empty()) return {};
    const std::string haystack = ignoreCase ? foldCase(text) : text;
    if (ignoreCase) {
        left = foldCase(left);
        right = foldCase(right);
    }
    const std::size_t open = haystack.find(left, start);
    if (open == std::string::npos) return {};
    const std::size_t from = open + left.size();
    const std::size_t close = haystack.find(right, from);
    if (close == std::string::npos) return {};
    return text.substr(from, close - from);
}

std::string mergeCookies(std::string& old, const std::string& fresh) {
    std::string oldText = old;
    std::string freshText = fresh;
    std::erase(oldText, ' ');
    std::erase(freshText, ' ');
    std::vector<std::string> items;
    for (const std::string& item : splitText(freshText, ";"))
        if (!item.empty()) items.push_back(item);
    const std::size_t freshCount = items.size();
    for (const std::string& item : splitText(oldText, ";")) {
        if (item.empty()) continue;
        const std::string name = trimText(item.substr(0, item.find('=')));
        const bool replaced =
            std::any_of(items.begin(), items.begin() + freshCount, [&](const std::string& fresher) {
                return trimText(fresher.substr(0, fresher.find('='))) == name;
            });
        if (!replaced) items.push_back(item);
    }
    std::vector<std::string> kept;
    for (const std::string& item : items)
        if (!endsWith(item, "=deleted") && std::find(kept.begin(), kept.end(), item) == kept.end())
            kept.push_back(item);
    old = joinText(kept, "; ");
    return old;
}

std::string normaliseSetCookie(const std::string& responseHeaders) {
    std::string result = responseHeaders;
    const std::string folded = foldCase(responseHeaders);
    const std::string needle = foldCase(kSetCookie);
    for (std::size_t at = folded.find(needle); at != std::string::npos;
         at = folded.find(needle, at + needle.size()))
        result.replace(at, needle.size(), kSetCookie);
    return result;
}

std::string cookiesFromHeaders(const std::string& responseHeaders) {
    const std::string prefix = std::string(kSetCookie) + ":";
    std::vector<std::string> cookies;
    for (std::string line : splitText(responseHeaders, "\r\n")) {
        if (line.find(kSetCookie) == std::string::npos) continue;
        std::string cookie;
        if (line.find(';') == std::string::npos) {
            replaceAll(line, prefix, "");
            cookie = trimText(line);
        } else {
            cookie = trimText(textBetween(line, prefix, ";"));
        }
        if (!cookie.empty()) cookies.push_back(cookie);
    }
    return joinText(cookies, "; ");
}

std::string utf8ToGbk(const Bytes& bytes) {
    if (bytes.empty()) return {};
    const char* utf8 = reinterpret_cast<const char*>(bytes.data());
    const int size = static_cast<int>(bytes.size());
    const int wideLength = MultiByteToWideChar(CP_UTF8, 0, utf8, size, nullptr, 0);
    if (wideLength <= 0) return {};
    std::wstring wide(wideLength, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8, size, wide.data(), wideLength);
    const int length =
        WideCharToMultiByte(kGbkCodePage, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return {};
    std::string text(length, '\0');
    WideCharToMultiByte(kGbkCodePage, 0, wide.data(), wideLength, text.data(), length, nullptr,
                        nullptr);
    return text;
}

}  // namespace lark
