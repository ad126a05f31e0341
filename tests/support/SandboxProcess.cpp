#include "tests/support/SandboxProcess.h"

#include <httplib.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace IapTest {
namespace {

constexpr int kStartTimeoutMs = 20000;
constexpr int kStopTimeoutMs = 5000;

int WaitForExit(pid_t pid, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (true) {
        int status = 0;
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        if (done < 0) return -1;
        if (std::chrono::steady_clock::now() >= deadline) return -2;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

std::string PercentEncode(const std::string& text) {
    static const char* kHex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

}  // namespace

SandboxProcess::SandboxProcess(const std::vector<std::string>& extraArgs) {
    // A server that closes a connection must not kill the test with SIGPIPE.
    ::signal(SIGPIPE, SIG_IGN);
    Start(extraArgs);
}

SandboxProcess::~SandboxProcess() { Stop(); }

std::string SandboxProcess::BinaryPath() {
    const char* overridden = std::getenv("IAP_SANDBOX_BIN");
    if (overridden && *overridden) return overridden;
    return std::string(IAP_BIN_DIR) + "/iap-sandbox";
}

std::string SandboxProcess::Form(std::initializer_list<std::pair<std::string, std::string>> fields) {
    std::string body;
    for (const auto& [name, value] : fields)
        body += (body.empty() ? "" : "&") + PercentEncode(name) + "=" + PercentEncode(value);
    return body;
}

void SandboxProcess::Start(const std::vector<std::string>& extraArgs) {
    const std::string binary = BinaryPath();
    std::vector<std::string> args{binary, "--port", "0"};
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        error_ = std::string("cannot create a pipe: ") + std::strerror(errno);
        return;
    }
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid == 0) {
        // Only async-signal-safe calls until exec.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent) ::_exit(127);
        ::dup2(pipeFds[1], STDOUT_FILENO);
        ::execv(binary.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    if (pid < 0) {
        error_ = std::string("cannot fork: ") + std::strerror(errno);
        ::close(pipeFds[0]);
        return;
    }
    pid_ = pid;
    std::string line;
    const bool gotLine = ReadFirstLine(pipeFds[0], line);
    ::close(pipeFds[0]);
    const size_t colon = line.rfind(':');
    if (!gotLine || line.rfind("http://", 0) != 0 || colon == std::string::npos) {
        if (error_.empty()) error_ = binary + " did not print its URL (first line: \"" + line + "\"); is it built?";
        Stop();
        return;
    }
    baseUrl_ = line;
    port_ = std::atoi(line.c_str() + colon + 1);
}

bool SandboxProcess::ReadFirstLine(int fd, std::string& line) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStartTimeoutMs);
    while (true) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            error_ = "iap-sandbox printed no URL within " + std::to_string(kStartTimeoutMs) + " ms";
            return false;
        }
        pollfd pfd{fd, POLLIN, 0};
        if (::poll(&pfd, 1, static_cast<int>(left.count())) < 0 && errno != EINTR) return false;
        char c;
        const ssize_t n = ::read(fd, &c, 1);
        if (n == 0) {
            error_ = "iap-sandbox exited before it printed its URL (see its message above)";
            return false;
        }
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN) continue;
            return false;
        }
        if (c == '\n') return true;
        line += c;
    }
}

int SandboxProcess::Stop() {
    if (pid_ <= 0) return -1;
    ::kill(pid_, SIGTERM);
    int code = WaitForExit(pid_, kStopTimeoutMs);
    if (code == -2) {
        ::kill(pid_, SIGKILL);
        WaitForExit(pid_, kStopTimeoutMs);
        code = -1;
    }
    pid_ = -1;
    return code;
}

SandboxProcess::Reply SandboxProcess::Request(const std::string& method, const std::string& path,
                                              const std::string& body, const std::string& contentType) const {
    Reply reply;
    if (!IsRunning()) {
        reply.error = "the sandbox is not running: " + error_;
        return reply;
    }
    if (method != "GET" && method != "POST" && method != "PUT" && method != "DELETE") {
        reply.error = "unsupported method " + method;
        return reply;
    }
    httplib::Client client(baseUrl_);
    client.set_connection_timeout(std::chrono::seconds(5));
    client.set_read_timeout(std::chrono::seconds(30));
    httplib::Result result = method == "GET"    ? client.Get(path.c_str())
                             : method == "POST" ? client.Post(path.c_str(), body, contentType.c_str())
                             : method == "PUT"  ? client.Put(path.c_str(), body, contentType.c_str())
                                                : client.Delete(path.c_str(), body, contentType.c_str());
    if (!result) {
        reply.error = method + " " + path + " failed: " + httplib::to_string(result.error());
        return reply;
    }
    reply.status = result->status;
    reply.body = result->body;
    return reply;
}

SandboxProcess::Reply SandboxProcess::Admin(const std::string& method, const std::string& path,
                                            const std::string& body) const {
    return Request(method, path, body, "application/x-www-form-urlencoded");
}

bool SandboxProcess::AddFault(const std::string& rule) const {
    return Admin("POST", "/admin/faults", Form({{"rule", rule}})).status == 200;
}

bool SandboxProcess::ClearFaults() const { return Admin("DELETE", "/admin/faults").status == 200; }

bool SandboxProcess::AddAccount(const std::string& email, const std::string& password, const std::string& userId,
                                const std::string& mcc) const {
    return Admin("POST", "/admin/accounts",
                 Form({{"email", email}, {"password", password}, {"userId", userId}, {"mcc", mcc}}))
               .status == 200;
}

bool SandboxProcess::RegisterPackage(const std::string& id, const std::string& version, const std::string& path) const {
    return Admin("POST", "/admin/packages", Form({{"id", id}, {"version", version}, {"path", path}})).status == 200;
}

std::string SandboxProcess::RecentRequests() const { return Admin("GET", "/admin/requests").body; }

}  // namespace IapTest
