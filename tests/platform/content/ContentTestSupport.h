#pragma once
// Shared by the download, package and self-updater tests: a fresh platform
// home per test and a loopback HTTP server on its own thread.
#include <httplib.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "platform/app/EventLoop.h"

namespace ContentTest {

class TempPlatformHome {
public:
    TempPlatformHome() {
        std::string pattern = (std::filesystem::temp_directory_path() / "iap-home-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
        ::setenv("IAP_PLATFORM_HOME", path_.c_str(), 1);
        ::unsetenv("IAP_PLATFORM_FAULTS");
    }
    ~TempPlatformHome() {
        ::unsetenv("IAP_PLATFORM_FAULTS");
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& relative) const { return path_ + "/" + relative; }

private:
    std::string path_;
};

class LocalHttpServer {
public:
    LocalHttpServer() {
        server_.set_tcp_nodelay(true);
        // Idle keep-alive connections would hold stop() for seconds.
        server_.set_keep_alive_max_count(1);
    }
    ~LocalHttpServer() { Stop(); }

    httplib::Server& Get() { return server_; }
    bool Start() {
        port_ = server_.bind_to_any_port("127.0.0.1");
        if (port_ <= 0) return false;
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        // stop() before the loop runs would be lost and join() would hang.
        while (!server_.is_running())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return true;
    }
    void Stop() {
        if (thread_.joinable()) {
            server_.stop();
            thread_.join();
        }
    }
    std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }

private:
    httplib::Server server_;
    std::thread thread_;
    int port_ = 0;
};

// A loopback URL on which nothing listens.
inline std::string RefusedUrl(const std::string& path) {
    LocalHttpServer probe;
    probe.Start();
    std::string url = probe.Url(path);
    probe.Stop();
    return url;
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// Names in a folder, hidden ones included; empty when it does not exist.
inline std::vector<std::string> ListFolder(const std::string& path) {
    std::vector<std::string> names;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(path, ec), end; !ec && it != end; it.increment(ec)) {
        names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

inline bool Wait(const std::function<bool()>& done, int timeoutMs = 10000) {
    Vx::App::EventLoop::EnsureApplication();
    return Vx::App::EventLoop::RunUntil(done, timeoutMs);
}

}  // namespace ContentTest
