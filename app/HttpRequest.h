// The program's general HTTP client: one synchronous request through the system's
// "WinHttp.WinHttpRequest.5.1" COM object, with a fixed set of default headers and cookie
// bookkeeping. Used by the online counter; plain downloads go through httpGet.
#pragma once

#include <oaidl.h>

#include <optional>
#include <string>

#include "app/Platform.h"

namespace lark {

// The optional arguments of httpRequest. Pointers are the caller's variables (not owned): a
// null pointer means "not given"; a given in/out variable is changed by the request.
struct HttpRequestOptions {
    int method = 0;    // 0 GET, 1 POST, 2 HEAD, 3 PUT, 4 OPTIONS, 5 DELETE, 6 TRACE, 7 CONNECT
    std::string body;  // sent when byteBody is empty
    std::string* cookies = nullptr;          // in/out: sent as "Cookie"; receives the merge
    std::string* responseCookies = nullptr;  // out: "name=value; name=value"
    std::string* headers = nullptr;          // in/out: CR LF separated; defaults get appended
    std::string* responseHeaders = nullptr;  // out
    int* status = nullptr;                   // out
    bool noRedirect = false;
    Bytes byteBody;  // sent instead of body when not empty
    std::string proxy;
    int timeout = 0;  // seconds for each time-out; below 1: 15 s; -1: the object's defaults
    std::string proxyUser;
    std::string proxyPassword;
    int proxyAuth = 1;                   // 1: send basic proxy authorisation
    IDispatch* requestObject = nullptr;  // not owned: an existing request object to use
    bool mergeCookies = true;            // merge responseCookies into cookies
};

// Sends one request and returns the response body (empty when the request object cannot be
// made; the outputs are then left untouched). A failing step is ignored: the body, headers and
// status read afterwards are then empty or zero. Runs on any thread; initialises COM itself.
Bytes httpRequest(const std::string& url, const HttpRequestOptions& options = {});

// The verb of a method number; numbers outside 0..7 give "GET".
const char* requestVerb(int method);

// The time-out in milliseconds the request object gets for a `timeout` argument; none for -1.
std::optional<long> timeoutMilliseconds(int timeout);

// Completes a header text with the default headers the text does not yet name, in order:
// Accept, Referer (the URL), Accept-Language, User-Agent and, for POST, Content-Type.
void addDefaultHeaders(std::string& headers, const std::string& url, int method);

}  // namespace lark
