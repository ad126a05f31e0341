#pragma once

#include <sys/types.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace IapTest {

// Runs build/bin/iap-sandbox --port 0 for one test and stops it on
// destruction. The binary is taken from $IAP_SANDBOX_BIN when set.
//
//   IapTest::SandboxProcess sandbox({"--fault", "getAppsItemList:error=9105"});
//   ASSERT_TRUE(sandbox.IsRunning()) << sandbox.Error();
//   session.SetCountrySearchUrl(sandbox.CountrySearchUrl());
//
// The server's log goes to this process's standard error. If the test
// process dies, the server is sent SIGTERM (the thread that constructed
// this object must outlive it).
class SandboxProcess {
public:
    struct Reply {
        int status = 0;  // HTTP status; 0 when the request failed
        std::string body;
        std::string error;  // why the request failed, when status is 0
    };

    explicit SandboxProcess(const std::vector<std::string>& extraArgs = {});
    ~SandboxProcess();
    SandboxProcess(const SandboxProcess&) = delete;
    SandboxProcess& operator=(const SandboxProcess&) = delete;

    // True once the server printed its URL; otherwise Error() says why.
    bool IsRunning() const { return pid_ > 0 && !baseUrl_.empty(); }
    const std::string& Error() const { return error_; }

    const std::string& BaseUrl() const { return baseUrl_; }  // "http://127.0.0.1:41234"
    std::string CountrySearchUrl() const { return baseUrl_ + "/ods.as"; }
    std::string StoreUrl() const { return baseUrl_ + "/store"; }
    int Port() const { return port_; }
    pid_t Pid() const { return pid_; }

    // Any request to the server; body is sent as the given content type.
    Reply Request(const std::string& method, const std::string& path, const std::string& body = {},
                  const std::string& contentType = "text/plain; charset=utf-8") const;
    // An admin call; body is a form body such as Form({{"rule", "..."}}).
    Reply Admin(const std::string& method, const std::string& path, const std::string& body = {}) const;

    // Shortcuts for the admin calls that tests use most; true on HTTP 200.
    bool AddFault(const std::string& rule) const;
    bool ClearFaults() const;
    bool AddAccount(const std::string& email, const std::string& password, const std::string& userId,
                    const std::string& mcc = {}) const;
    bool RegisterPackage(const std::string& id, const std::string& version, const std::string& path) const;
    // The recent requests as the JSON text of GET /admin/requests.
    std::string RecentRequests() const;

    // SIGTERM and wait (SIGKILL after a few seconds). Returns the exit code,
    // or -1 when it did not exit normally or was not running.
    int Stop();

    static std::string BinaryPath();
    // "a=1&b=x%3Dy": a form body with each name and value percent-encoded.
    static std::string Form(std::initializer_list<std::pair<std::string, std::string>> fields);

private:
    void Start(const std::vector<std::string>& extraArgs);
    bool ReadFirstLine(int fd, std::string& line);

    pid_t pid_ = -1;
    int port_ = 0;
    std::string baseUrl_;
    std::string error_;
};

}  // namespace IapTest
