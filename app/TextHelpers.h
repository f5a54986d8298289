// The small text routines the HTTP request routine and the online counter are built from. All
// texts are GBK (code page 936); bytes are raw byte arrays.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "app/Platform.h"

namespace lark {

// Standard base64 (RFC 4648 alphabet, "=" padding); empty input gives an empty text.
std::string base64Encode(const Bytes& bytes);

// The text before / after the first colon of a header line, trimmed at both ends; empty when
// the line has no colon.
std::string headerName(const std::string& line);
std::string headerValue(const std::string& line);

// Splits at every occurrence of `separator`; an empty text gives no pieces.
std::vector<std::string> splitText(const std::string& text, const std::string& separator);
// Spaces, tabs, CR and LF removed at both ends.
std::string trimText(const std::string& text);

// The text between the first `left` found from byte offset `start` and the next `right` after
// it; empty when either is missing. Every "#引号" in the markers stands for a double quote.
// With `ignoreCase`, ASCII letters match in either case (double-byte characters never fold).
std::string textBetween(const std::string& text, std::string left, std::string right,
                        std::size_t start = 0, bool ignoreCase = false);

// Merges freshly set cookies into the old cookie list: a new cookie wins over an old one of the
// same name, old ones survive otherwise, "=deleted" cookies and repeats are dropped. Items are
// joined with "; ". `old` is replaced by the result, which is also returned.
std::string mergeCookies(std::string& old, const std::string& fresh);

// Every "Set-Cookie" header name, in any letter case, rewritten as "Set-Cookie".
std::string normaliseSetCookie(const std::string& responseHeaders);
// The name=value items of the Set-Cookie lines of the response headers, joined with "; ".
std::string cookiesFromHeaders(const std::string& responseHeaders);

// UTF-8 bytes as GBK text; characters GBK lacks become the code page's default character.
std::string utf8ToGbk(const Bytes& bytes);

}  // namespace lark
