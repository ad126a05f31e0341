#pragma once
// Shared by the application tests: a fresh platform home per test, the build
// tree's applications, and a blocking call helper over the real transport.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "platform/app/AppContextPrivate.h"
#include "platform/app/AppControl.h"
#include "platform/app/AppManager.h"
#include "platform/app/AppSocketDirectory.h"
#include "platform/app/EventLoop.h"
#include "platform/app/IAppControlResponseListener.h"
#include "platform/base/HashMap.h"

namespace AppTest {

using Vx::Base::String;
using Entries = std::map<std::string, std::string>;

constexpr const char* kProvider = "com.vexmora.test.provider";
constexpr const char* kUiApp = "com.vexmora.test.uiapp";

struct Outcome {
    bool answered = false;
    bool startReported = false;
    Vx::result startResult = Vx::E_FAILURE;
    int result = -1;
    std::optional<Entries> extra;
};

class Recorder : public Vx::App::IAppControlResponseListener {
public:
    explicit Recorder(Outcome& outcome) : outcome_(outcome) {}
    void OnAppControlStartResponseReceived(const Vx::App::AppId&, const String&, Vx::result r) override {
        outcome_.startReported = true;
        outcome_.startResult = r;
    }
    void OnAppControlCompleteResponseReceived(const Vx::App::AppId&, const String&, Vx::App::AppCtrlResult r,
                                              const Vx::Base::Collection::IMap* extra) override {
        outcome_.answered = true;
        outcome_.result = r;
        if (!extra) return;
        outcome_.extra.emplace();
        std::unique_ptr<Vx::Base::Collection::IMapEnumerator> it(extra->GetMapEnumeratorN());
        while (it->MoveNext() == Vx::E_SUCCESS)
            (*outcome_.extra)[static_cast<String*>(it->GetKey())->ToUtf8()] =
                static_cast<String*>(it->GetValue())->ToUtf8();
    }

private:
    Outcome& outcome_;
};

// Starts one request; the outcome fills in as the event loop runs.
struct PendingCall {
    Outcome outcome;
    Recorder recorder{outcome};
    Vx::result startResult = Vx::E_FAILURE;

    PendingCall(const std::string& appId, const std::string& operation, const Entries& extra = {}) {
        std::unique_ptr<Vx::App::AppControl> control(
            Vx::App::AppManager::FindAppControlN(String::FromUtf8(appId), String::FromUtf8(operation)));
        if (!control) {
            startResult = Vx::E_OBJ_NOT_FOUND;
            return;
        }
        Vx::Base::Collection::HashMap map(Vx::Base::Collection::ElementOwnership::Owned);
        for (const auto& [k, v] : extra)
            map.Add(new String(String::FromUtf8(k)), new String(String::FromUtf8(v)));
        startResult = control->Start(nullptr, nullptr, &map, &recorder);
    }
    bool Wait(int timeoutMs = 20000) {
        return Vx::App::EventLoop::RunUntil([this] { return outcome.answered; }, timeoutMs);
    }
};

// A raw connection to a running application, for feeding it bad bytes.
inline int RawConnect(const std::string& appId) {
    std::string dir, error;
    EXPECT_EQ(Vx::App::AppSocketDirectory::Get(dir, error), Vx::E_SUCCESS) << error;
    std::string path = Vx::App::AppSocketDirectory::GetSocketPath(dir, appId);
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0) << path;
    return fd;
}

// True when the peer closed the connection within the time.
inline bool ClosedByPeer(int fd, int timeoutMs = 5000) {
    char buffer[256];
    timeval tv{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    for (;;) {
        ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n == 0) return true;
        if (n < 0) return errno == ECONNRESET;
    }
}

class AppFixture : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/vx-apptest-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        home_ = pattern;
        ::setenv("IAP_PLATFORM_HOME", home_.c_str(), 1);
        ::setenv("IAP_APPS_DIR", IAP_BIN_DIR "/apps", 1);
        ::setenv("IAP_SERVICE_IDLE_EXIT_MS", "3000", 1);
        ::unsetenv("IAP_APP_ID");
        Vx::App::AppContext::Reset();
        Vx::App::EventLoop::EnsureApplication();
    }
    void TearDown() override {
        for (int pid : pids_)
            ::kill(pid, SIGKILL);
        std::string sockets, error;
        std::error_code ignored;
        if (Vx::App::AppSocketDirectory::Get(sockets, error) == Vx::E_SUCCESS)
            std::filesystem::remove_all(sockets, ignored);
        if (!std::getenv("IAP_KEEP_TEST_HOME")) std::filesystem::remove_all(home_, ignored);
    }

    // A blocking call; remembers the provider's pid (from "_pid") to stop it afterwards.
    Outcome Call(const std::string& appId, const std::string& operation, const Entries& extra = {},
                 int timeoutMs = 20000) {
        PendingCall call(appId, operation, extra);
        EXPECT_EQ(call.startResult, Vx::E_SUCCESS) << Vx::GetResultName(call.startResult);
        if (call.startResult == Vx::E_SUCCESS) {
            EXPECT_TRUE(call.Wait(timeoutMs)) << "no answer to " << operation;
        }
        Remember(call.outcome);
        return call.outcome;
    }
    void Remember(const Outcome& outcome) {
        if (outcome.extra && outcome.extra->count("_pid")) pids_.insert(std::stoi(outcome.extra->at("_pid")));
    }
    static bool ProcessGone(int pid, int timeoutMs = 10000) {
        return Vx::App::EventLoop::RunUntil([pid] { return ::kill(pid, 0) != 0; }, timeoutMs);
    }
    void WriteFile(const std::string& path, const std::string& text) {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        FILE* f = std::fopen(path.c_str(), "w");
        ASSERT_NE(f, nullptr);
        std::fputs(text.c_str(), f);
        std::fclose(f);
    }

    std::string home_;
    std::set<int> pids_;
};

}  // namespace AppTest
