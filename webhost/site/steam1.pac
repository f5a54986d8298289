// Larkbridge node 1: Steam community through the forwarding node.
var PROXIED_DOMAINS = ["steamcommunity.com"];

function isProxied(host) {
    for (var i = 0; i < PROXIED_DOMAINS.length; i++) {
        var domain = PROXIED_DOMAINS[i];
        if (host == domain || dnsDomainIs(host, "." + domain)) {
            return true;
        }
    }
    return false;
}

function FindProxyForURL(url, host) {
    host = host.toLowerCase();
    if (isProxied(host)) {
        return "PROXY @NODE@:443";
    }
    return "DIRECT";
}
