// bench_sandbox: iap-sandbox under a long run and beside idle clients.
//
//   (a) memory: 10,000 sequential store requests (item pages, country lists,
//       payment method searches, purchase ids, password checks, a chunked
//       body now and then; a new connection every tenth request). The
//       server's resident memory is read from /proc after 1,000, 5,000 and
//       10,000 requests, and its peak (VmHWM) at the end. Bounded memory
//       shows as a flat line after the first thousand.
//   (b) latency: the time of one request on a new connection, alone and
//       while 20 idle connections (10 silent, 10 with half a request) are
//       open. Medians and 95th percentiles.
//
// A plain program rather than Google Benchmark: the figures wanted come
// from another process and from percentiles across requests.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench/support/ProcessBench.h"

namespace {

const char kHelp[] = R"(Usage: bench_sandbox [--requests N] [--samples N] [--bin DIR]

Runs iap-sandbox --port 0 and measures:
  (a) its resident memory over N sequential store requests (default 10000):
      after 1,000, after half and at the end, and the peak (VmHWM);
  (b) the time of one request on a new connection, alone and while 20 idle
      connections (10 silent, 10 with half a request) are open; medians
      and 95th percentiles over the samples (default 200).

  --requests N   requests of the memory run (default 10000)
  --samples N    requests timed for each latency figure (default 200)
  --bin DIR      folder of iap-sandbox (default: the build's bin folder)
  -h, --help     this text

Run it on an optimised build without sanitizers:
  cmake -S . -B build-rel -DCMAKE_BUILD_TYPE=Release -DIAP_SANITIZE=OFF -DIAP_BUILD_TESTS=OFF
  cmake --build build-rel --target bench_sandbox && build-rel/bin/bench_sandbox
Exit status: 0 measured, 1 could not measure, 2 usage.
)";

int Fail(const std::string& message) { return IapBench::Fail("bench_sandbox", message); }

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

std::string Request(int functionId, const char* name, int tid,
                    const std::vector<std::pair<std::string, std::string>>& params) {
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?><OblinProtocol networkType=\"wifi\" "
        "deviceModel=\"VX-Bench\" mcc=\"310\" mnc=\"26\" lang=\"EN\" version=\"1.0\"><request id=\"" +
        std::to_string(functionId) + "\" name=\"" + name + "\" numParam=\"" + std::to_string(params.size()) +
        "\" transactionId=\"" + std::to_string(tid) + "\">";
    for (const auto& [key, value] : params)
        xml += "<param name=\"" + key + "\">" + value + "</param>";
    return xml + "</request></OblinProtocol>";
}

std::string Document(int i) {
    switch (i % 10) {
    case 0:
    case 1:
    case 2:
        return Request(6005, "getAppsItemList", i,
                       {{"resultCode", "0"},
                        {"startNum", std::to_string(1 + i % 20)},
                        {"endNum", "25"},
                        {"itemGroupID", "100000000001"},
                        {"duid", "BENCH"}});
    case 3:
    case 4:
        return Request(6007, "getPaymentMethodSearch", i,
                       {{"itemID", "000000001001"}, {"itemGroupID", "100000000001"}, {"mode", "0"}});
    case 5:
        return Request(6020, "getPurchaseID", i,
                       {{"duid", "BENCH"}, {"itemID", "000000002001"}, {"timeStamp", std::to_string(i)}});
    case 6:
        // A password check costs a hash; one in a hundred requests is plenty.
        if (i % 100 == 6)
            return Request(5012, "checkPassword", i, {{"emailID", "demo@vexmora.com"}, {"password", "demo1234"}});
        [[fallthrough]];
    default:
        return Request(2250, "getCountryList", i, {});
    }
}

class Connection {
public:
    explicit Connection(int port) {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        int one = 1;
        ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(static_cast<uint16_t>(port));
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ok_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    }
    ~Connection() { ::close(fd_); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool Send(const std::string& bytes) {
        for (size_t sent = 0; ok_ && sent < bytes.size();) {
            const ssize_t n = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (n <= 0)
                ok_ = false;
            else
                sent += static_cast<size_t>(n);
        }
        return ok_;
    }

    // One store exchange; true when a whole reply document came back.
    bool Exchange(const std::string& body, bool chunked) {
        std::string head = "POST /store HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: text/plain\r\n";
        if (chunked) {
            const size_t half = body.size() / 2;
            char sizes[2][32];
            std::snprintf(sizes[0], sizeof sizes[0], "%zx\r\n", half);
            std::snprintf(sizes[1], sizeof sizes[1], "%zx\r\n", body.size() - half);
            head += "Transfer-Encoding: chunked\r\n\r\n" + std::string(sizes[0]) + body.substr(0, half) + "\r\n" +
                    sizes[1] + body.substr(half) + "\r\n0\r\n\r\n";
        } else {
            head += "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
        }
        if (!Send(head)) return false;
        std::string reply;
        char buffer[8192];
        while (reply.find("</OblinProtocol>") == std::string::npos) {
            const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
            if (n <= 0) return ok_ = false;
            reply.append(buffer, static_cast<size_t>(n));
        }
        return reply.compare(0, 12, "HTTP/1.1 200") == 0;
    }

    bool Ok() const { return ok_; }

private:
    int fd_ = -1;
    bool ok_ = false;
};

long StatusKb(pid_t pid, const char* field) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    const std::string prefix = std::string(field) + ":";
    while (std::getline(status, line)) {
        if (line.compare(0, prefix.size(), prefix) == 0) return std::atol(line.c_str() + prefix.size());
    }
    return -1;
}

struct Percentiles {
    double median = 0;
    double p95 = 0;
};

Percentiles Summarise(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return {samples[samples.size() / 2], samples[std::min(samples.size() - 1, samples.size() * 95 / 100)]};
}

bool TimeRequests(int port, int samples, std::vector<double>& out) {
    const std::string body = Document(1);
    for (int i = 0; i < samples; ++i) {
        const auto start = Clock::now();
        Connection connection(port);
        if (!connection.Ok() || !connection.Exchange(body, false)) return false;
        out.push_back(Ms(Clock::now() - start));
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    signal(SIGPIPE, SIG_IGN);
    int requests = 10000;
    int samples = 200;
    std::string bin = IAP_BIN_DIR;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-h" || arg == "--help") {
            std::fputs(kHelp, stdout);
            return 0;
        }
        if (i + 1 >= argc) return std::fprintf(stderr, "bench_sandbox: %s needs a value; see --help\n", argv[i]), 2;
        if (arg == "--requests")
            requests = std::max(1000, std::atoi(argv[++i]));
        else if (arg == "--samples")
            samples = std::max(10, std::atoi(argv[++i]));
        else if (arg == "--bin")
            bin = argv[++i];
        else
            return std::fprintf(stderr, "bench_sandbox: unknown option %s; see --help\n", argv[i]), 2;
    }

    IapBench::Sandbox sandbox;
    std::string error;
    if (!sandbox.Start(bin + "/iap-sandbox", error)) return Fail(error);
    const int port = std::atoi(sandbox.Url().c_str() + sandbox.Url().rfind(':') + 1);

    // (a) memory over a long run.
    std::printf("iap-sandbox resident memory over %d sequential requests:\n", requests);
    std::unique_ptr<Connection> connection;
    const auto runStart = Clock::now();
    for (int i = 0; i < requests; ++i) {
        if (i % 10 == 0 || !connection || !connection->Ok()) connection = std::make_unique<Connection>(port);
        if (!connection->Exchange(Document(i), i % 50 == 7)) return Fail("request " + std::to_string(i) + " failed");
        if (i + 1 == 1000 || i + 1 == requests / 2 || i + 1 == requests)
            std::printf("  after %6d requests: VmRSS %6ld kB\n", i + 1, StatusKb(sandbox.Pid(), "VmRSS"));
    }
    connection.reset();
    std::printf("  peak (VmHWM): %ld kB; %.0f requests per second\n", StatusKb(sandbox.Pid(), "VmHWM"),
                requests / (Ms(Clock::now() - runStart) / 1000.0));

    // (b) latency beside idle clients.
    std::vector<double> alone, beside;
    if (!TimeRequests(port, samples, alone)) return Fail("a request without idle clients failed");
    std::vector<std::unique_ptr<Connection>> idle;
    for (int i = 0; i < 20; ++i) {
        idle.push_back(std::make_unique<Connection>(port));
        if (i % 2) idle.back()->Send("POST /store HTTP/1.1\r\nHost: x\r\nContent-Le");
    }
    if (!TimeRequests(port, samples, beside)) return Fail("a request beside idle clients failed");
    const Percentiles a = Summarise(alone);
    const Percentiles b = Summarise(beside);
    std::printf("one request on a new connection (%d samples each):\n", samples);
    std::printf("  alone:                       median %.3f ms, 95th percentile %.3f ms\n", a.median, a.p95);
    std::printf("  with 20 idle connections:    median %.3f ms, 95th percentile %.3f ms\n", b.median, b.p95);
    std::printf("  threads of iap-sandbox now: %ld\n", StatusKb(sandbox.Pid(), "Threads"));
    return 0;
}
