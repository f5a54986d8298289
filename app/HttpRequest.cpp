#include "app/HttpRequest.h"

#include <windows.h>

#include <climits>
#include <initializer_list>
#include <vector>

#include "app/ComOwners.h"
#include "app/TextHelpers.h"

namespace lark {
namespace {

constexpr wchar_t kRequestProgId[] = L"WinHttp.WinHttpRequest.5.1";
constexpr long kDefaultTimeoutMs = 15000;
constexpr long kProxySettingNamed = 2;
constexpr long kOptionSslErrorIgnoreFlags = 4;
constexpr long kOptionEnableRedirects = 6;
// Unknown certificate authority, wrong usage, invalid common name, invalid date.
constexpr long kIgnoreCertificateErrors = 0x3300;
// How long a request may take in all when its time-outs are left at the object's defaults.
constexpr long kDefaultsDeadlineSeconds = 90;
constexpr char kUserAgent[] = "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";

// Calls members of an automation object by name; failures give an empty result.
class Automation {
public:
    explicit Automation(IDispatch* object) : object_(object) {}

    // `args` in their declared order; a property put takes the value as its last argument.
    Variant invoke(const wchar_t* name, WORD kind, std::initializer_list<const Variant*> args) {
        Variant result;
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        DISPID member = DISPID_UNKNOWN;
        if (FAILED(object_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &member)))
            return result;
        // Invoke wants the arguments last to first; the copies share what the owners hold.
        std::vector<VARIANT> reversed;
        for (auto it = args.end(); it != args.begin();) reversed.push_back((*--it)->get());
        DISPID putId = DISPID_PROPERTYPUT;
        const bool put = kind == DISPATCH_PROPERTYPUT;
        DISPPARAMS params{reversed.data(), put ? &putId : nullptr,
                          static_cast<UINT>(reversed.size()), put ? 1u : 0u};
        object_->Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, kind, &params,
                        put ? nullptr : result.put(), nullptr, nullptr);
        return result;
    }

    void call(const wchar_t* name, std::initializer_list<const Variant*> args) {
        invoke(name, DISPATCH_METHOD, args);
    }
    Variant get(const wchar_t* name) { return invoke(name, DISPATCH_PROPERTYGET, {}); }
    void setOption(long option, long value) {
        const Variant index = Variant::integer(option);
        const Variant setting = Variant::integer(value);
        invoke(L"Option", DISPATCH_PROPERTYPUT, {&index, &setting});
    }
    void setHeader(const std::string& name, const std::string& value) {
        const Variant n = Variant::text(gbkToWide(name));
        const Variant v = Variant::text(gbkToWide(value));
        call(L"SetRequestHeader", {&n, &v});
    }

private:
    IDispatch* object_;  // not owned
};

ComPtr<IDispatch> createRequestObject(IDispatch* given) {
    if (given) {
        given->AddRef();
        return ComPtr<IDispatch>(given);
    }
    CLSID id;
    ComPtr<IDispatch> object;
    if (SUCCEEDED(CLSIDFromProgID(kRequestProgId, &id)))
        CoCreateInstance(id, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                         reinterpret_cast<void**>(static_cast<IDispatch**>(object.put())));
    return object;
}

void appendHeaderIfMissing(std::string& headers, const std::string& name,
                           const std::string& value) {
    if (headers.find(name + ":") != std::string::npos) return;
    if (!headers.empty()) headers += "\r\n";
    headers += name + ": " + value;
}

void applyHeaders(Automation& request, const std::string& headers) {
    for (const std::string& line : splitText(headers, "\r\n")) {
        const std::string name = headerName(line);
        if (!name.empty()) request.setHeader(name, headerValue(line));
    }
}

// The whole request (connect, send, answer and body) must end within this many seconds.
long responseDeadlineSeconds(int timeout) {
    const std::optional<long> ms = timeoutMilliseconds(timeout);
    return ms ? *ms / 1000 : kDefaultsDeadlineSeconds;
}

}  // namespace

const char* requestVerb(int method) {
    static constexpr const char* kVerbs[] = {"GET",     "POST",   "HEAD",  "PUT",
                                             "OPTIONS", "DELETE", "TRACE", "CONNECT"};
    return method >= 0 && method < 8 ? kVerbs[method] : kVerbs[0];
}

std::optional<long> timeoutMilliseconds(int timeout) {
    if (timeout == -1) return std::nullopt;
    if (timeout < 1) return kDefaultTimeoutMs;
    return timeout >= LONG_MAX / 1000 ? LONG_MAX : timeout * 1000L;
}

void addDefaultHeaders(std::string& headers, const std::string& url, int method) {
    appendHeaderIfMissing(headers, "Accept", "*/*");
    appendHeaderIfMissing(headers, "Referer", url);
    appendHeaderIfMissing(headers, "Accept-Language", "zh-cn");
    appendHeaderIfMissing(headers, "User-Agent", kUserAgent);
    if (method == 1)
        appendHeaderIfMissing(headers, "Content-Type", "application/x-www-form-urlencoded");
}

Bytes httpRequest(const std::string& url, const HttpRequestOptions& options) {
    const ComApartment apartment;
    const ComPtr<IDispatch> object = createRequestObject(options.requestObject);
    if (!object) return {};
    Automation request(object.get());

    if (const std::optional<long> ms = timeoutMilliseconds(options.timeout)) {
        const Variant t = Variant::integer(*ms);
        request.call(L"SetTimeouts", {&t, &t, &t, &t});
    }
    if (!options.proxy.empty()) {
        const Variant setting = Variant::integer(kProxySettingNamed);
        const Variant server = Variant::text(gbkToWide(options.proxy));
        request.call(L"SetProxy", {&setting, &server});
    }
    {
        const Variant verb = Variant::text(gbkToWide(requestVerb(options.method)));
        const Variant target = Variant::text(gbkToWide(url));
        // Asynchronous open, then a bounded wait below: the object's own time-outs do not bound
        // the wait for the response headers everywhere, and a caller must never hang forever.
        const Variant async = Variant::boolean(true);
        request.call(L"Open", {&verb, &target, &async});
    }
    if (!options.proxy.empty() && !options.proxyUser.empty() && options.proxyAuth == 1) {
        const std::string credentials = options.proxyUser + ":" + options.proxyPassword;
        request.setHeader("Proxy-Authorization",
                          "Basic " + base64Encode(Bytes(credentials.begin(), credentials.end())));
    }
    if (options.noRedirect) request.setOption(kOptionEnableRedirects, 0);
    request.setOption(kOptionSslErrorIgnoreFlags, kIgnoreCertificateErrors);

    std::string localHeaders;
    std::string& headers = options.headers ? *options.headers : localHeaders;
    addDefaultHeaders(headers, url, options.method);
    if (options.cookies && !options.cookies->empty()) request.setHeader("Cookie", *options.cookies);
    applyHeaders(request, headers);

    {
        const Variant payload = options.byteBody.empty() ? Variant::text(gbkToWide(options.body))
                                                         : Variant::bytes(options.byteBody);
        request.call(L"Send", {&payload});
    }
    {
        const Variant seconds = Variant::integer(responseDeadlineSeconds(options.timeout));
        if (request.invoke(L"WaitForResponse", DISPATCH_METHOD, {&seconds}).asInteger() == 0)
            request.call(L"Abort", {});
    }
    Bytes body = request.get(L"ResponseBody").asBytes();
    const std::string allHeaders = normaliseSetCookie(
        wideToGbk(request.invoke(L"GetAllResponseHeaders", DISPATCH_METHOD, {}).asText()));
    if (options.responseHeaders) *options.responseHeaders = allHeaders;
    if (options.status) *options.status = static_cast<int>(request.get(L"Status").asInteger());

    std::string setCookies = cookiesFromHeaders(allHeaders);
    if (options.mergeCookies && options.cookies)
        setCookies = mergeCookies(*options.cookies, setCookies);
    if (options.responseCookies) *options.responseCookies = setCookies;
    return body;
}

}  // namespace lark
