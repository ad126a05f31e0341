#pragma once
// Helpers for the server-session suites: a fresh platform home, the sandbox's
// request log as records, a loopback server with canned replies, and a log of
// the outcomes that reach a session's caller.
#include <httplib.h>
#include <stdlib.h>

#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/app/EventLoop.h"

namespace IapSessionTest {

// A platform home of its own for the process, made before anything reads it.
inline void UseFreshPlatformHome() {
    std::string pattern = "/tmp/iap-session-test-XXXXXX";
    if (::mkdtemp(pattern.data())) ::setenv("IAP_PLATFORM_HOME", pattern.c_str(), 1);
    Vx::App::EventLoop::EnsureApplication();
}

inline bool RunUntil(const std::function<bool()>& done, int timeoutMs = 20000) {
    return Vx::App::EventLoop::RunUntil(done, timeoutMs);
}

// Lets late events arrive, so that a test can see that none did.
inline void Settle(int ms = 300) {
    Vx::App::EventLoop::RunUntil([] { return false; }, ms);
}

// Sets an environment variable for the life of this object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        const char* old = ::getenv(name);
        hadOld_ = old != nullptr;
        if (old) old_ = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (hadOld_) {
            ::setenv(name_, old_.c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    bool hadOld_ = false;
    std::string old_;
};

// One entry of the sandbox's GET /admin/requests.
struct LoggedRequest {
    std::string path;
    std::string function;
    int transactionId = 0;
    std::string params;  // the JSON object text, {"name":"value",...}
    int httpStatus = 0;
};

inline std::string JsonField(const std::string& entry, const std::string& name, char end) {
    const std::string key = "\"" + name + "\":";
    size_t at = entry.find(key);
    if (at == std::string::npos) return {};
    at += key.size();
    if (entry[at] == '"') ++at;
    size_t stop = entry.find(end, at);
    return entry.substr(at, stop == std::string::npos ? std::string::npos : stop - at);
}

inline std::vector<LoggedRequest> ParseRequestLog(const std::string& json) {
    std::vector<LoggedRequest> out;
    const std::string marker = "{\"sequence\":";
    for (size_t at = json.find(marker); at != std::string::npos;) {
        size_t next = json.find(marker, at + 1);
        std::string entry = json.substr(at, next == std::string::npos ? std::string::npos : next - at);
        LoggedRequest request;
        request.path = JsonField(entry, "path", '"');
        request.function = JsonField(entry, "function", '"');
        request.transactionId = std::atoi(JsonField(entry, "transactionId", ',').c_str());
        request.params = "{" + JsonField(entry, "params", '}').substr(1) + "}";
        request.httpStatus = std::atoi(JsonField(entry, "httpStatus", ',').c_str());
        out.push_back(request);
        at = next;
    }
    return out;
}

inline int CountFunction(const std::vector<LoggedRequest>& log, const std::string& function) {
    int n = 0;
    for (const LoggedRequest& r : log)
        n += r.function == function;
    return n;
}

// A loopback server whose replies the test writes: the handler gets the path
// and the request's transaction id and function id, and returns the body.
class CannedServer {
public:
    struct Hit {
        std::string path;
        int transactionId;
        int function;
        std::string method;
        std::string contentType;
        std::string body;
    };
    using Handler = std::function<std::string(const std::string& path, int transactionId, int function)>;

    explicit CannedServer(Handler handler) : handler_(std::move(handler)) {
        server_.set_tcp_nodelay(true);
        // One request per connection, so that stopping does not wait for idle ones.
        server_.set_keep_alive_max_count(1);
        server_.Post(R"(/.*)", [this](const httplib::Request& req, httplib::Response& res) {
            const int tid = Attribute(req.body, " transactionId=\"");
            const int function = Attribute(req.body, " id=\"");
            {
                std::lock_guard<std::mutex> lock(mutex_);
                hits_.push_back({req.path, tid, function, req.method, req.get_header_value("Content-Type"), req.body});
            }
            res.set_content(handler_(req.path, tid, function), "text/plain; charset=utf-8");
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        if (port_ > 0) thread_ = std::thread([this] { server_.listen_after_bind(); });
        for (int i = 0; i < 5000 && port_ > 0 && !server_.is_running(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    ~CannedServer() {
        if (thread_.joinable()) {
            server_.stop();
            thread_.join();
        }
    }
    CannedServer(const CannedServer&) = delete;
    CannedServer& operator=(const CannedServer&) = delete;

    bool IsRunning() const { return port_ > 0 && server_.is_running(); }
    std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }
    std::vector<Hit> Hits() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return hits_;
    }
    int CountHits(const std::string& path) const {
        int n = 0;
        for (const Hit& hit : Hits())
            n += hit.path == path;
        return n;
    }

private:
    static int Attribute(const std::string& body, const std::string& key) {
        size_t at = body.find(key);
        return at == std::string::npos ? -99 : std::atoi(body.c_str() + at + key.size());
    }

    Handler handler_;
    httplib::Server server_;
    std::thread thread_;
    int port_ = -1;
    mutable std::mutex mutex_;
    std::vector<Hit> hits_;
};

// A reply document: the "response" attributes, then the records, each a list
// of name/value pairs.
inline std::string ReplyDocument(int transactionId, int function, int errorCode,
                                 const std::vector<std::vector<std::pair<std::string, std::string>>>& records = {},
                                 const std::string& extraResponseAttributes = {}) {
    std::string doc = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><OblinProtocol><response transactionId=\"" +
                      std::to_string(transactionId) + "\" returnCode=\"" + (errorCode ? "1" : "0") + "\" id=\"" +
                      std::to_string(function) + "\"" + extraResponseAttributes +
                      "/><errorInfo><errorString errorCode=\"" + std::to_string(errorCode) +
                      "\">canned</errorString></errorInfo>";
    for (const auto& record : records) {
        doc += "<list numValue=\"" + std::to_string(record.size()) + "\">";
        for (const auto& [name, value] : record)
            doc += "<value name=\"" + name + "\">" + value + "</value>";
        doc += "</list>";
    }
    return doc + "</OblinProtocol>";
}

// What reached the caller of a session, in order.
struct Outcome {
    enum Kind { Reply, Error, Upgrade, ItemList, PurchasedList, CountryList };
    Kind kind;
    int transactionId;
    int function;      // for Reply and Error
    int code;          // raw error code (Reply, Error) or caller status (the rest)
    std::wstring url;  // Upgrade
    int items = -1;    // lists: records in the list
    int startNumber = -1;
    int endNumber = -1;
    int totalCount = -1;
};

class OutcomeLog {
public:
    void Add(const Outcome& outcome) {
        all.push_back(outcome);
        if (react) react(outcome);
    }
    int CountFor(int transactionId) const {
        int n = 0;
        for (const Outcome& o : all)
            n += o.transactionId == transactionId;
        return n;
    }
    const Outcome* For(int transactionId) const {
        for (const Outcome& o : all) {
            if (o.transactionId == transactionId) return &o;
        }
        return nullptr;
    }
    bool WaitFor(int transactionId, int timeoutMs = 20000) const {
        return RunUntil([&] { return CountFor(transactionId) > 0; }, timeoutMs);
    }

    std::vector<Outcome> all;
    // Runs after each outcome is logged, from inside the session's handling.
    std::function<void(const Outcome&)> react;
};

}  // namespace IapSessionTest
