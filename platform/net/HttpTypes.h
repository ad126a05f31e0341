#pragma once

namespace Vx::Net::Http {

enum NetHttpSessionMode {
    NET_HTTP_SESSION_MODE_NORMAL = 0,         // one host; relative URIs resolve against it
    NET_HTTP_SESSION_MODE_PIPELINING = 1,     // like normal, requests may be pipelined
    NET_HTTP_SESSION_MODE_MULTIPLE_HOST = 2,  // each transaction names its own host
};

enum NetHttpCookieFlag {
    NET_HTTP_COOKIE_FLAG_NONE = 0,              // cookies are neither stored nor sent
    NET_HTTP_COOKIE_FLAG_ALWAYS_AUTOMATIC = 1,  // received cookies are stored and sent back
    NET_HTTP_COOKIE_FLAG_ALWAYS_MANUAL = 2,     // only the Cookie fields the caller sets are sent
};

enum NetHttpMethod {
    NET_HTTP_METHOD_GET = 0x40,
    NET_HTTP_METHOD_OPTIONS = 0x41,
    NET_HTTP_METHOD_HEAD = 0x42,
    NET_HTTP_METHOD_DELETE = 0x43,
    NET_HTTP_METHOD_TRACE = 0x44,
    NET_HTTP_METHOD_POST = 0x60,
    NET_HTTP_METHOD_PUT = 0x61,
    NET_HTTP_METHOD_CONNECT = 0x70,  // not available to transactions
};

// Largest request or response body the stack keeps in memory (32 MiB).
constexpr long long kMaxHttpBodyBytes = 32LL * 1024 * 1024;

}  // namespace Vx::Net::Http
