// What keeps a provider busy and what it holds: idle and half-open
// connections, callers that leave, partial frames across connections,
// launches that never listen, unwritable homes, the socket folder and the
// provider's socket.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/app/AppControlMessages.h"
#include "tests/platform/app/AppTestSupport.h"

using namespace AppTest;

namespace {

class AppControlLimitsTest : public AppFixture {
protected:
    void TearDown() override {
        for (int fd : fds_)
            ::close(fd);
        ::unsetenv("IAP_APPCONTROL_IDLE_TIMEOUT_MS");
        ::unsetenv("IAP_APP_LAUNCH_TIMEOUT_MS");
        AppFixture::TearDown();
    }
    int StartProvider() {
        Outcome first = Call(kProvider, "echo");
        EXPECT_TRUE(first.extra && first.extra->count("_pid"));
        return first.extra ? std::stoi(first.extra->at("_pid")) : -1;
    }
    int Connect() {
        int fd = RawConnect(kProvider);
        fds_.push_back(fd);
        return fd;
    }
    static bool SendAll(int fd, const std::string& bytes) {
        std::size_t sent = 0;
        while (sent < bytes.size()) {
            ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) return false;
            sent += static_cast<std::size_t>(n);
        }
        return true;
    }
    // Waits a little for the line: the provider writes it as it disconnects.
    bool ProviderLogShows(const std::string& text) const {
        return Vx::App::EventLoop::RunUntil([&] { return ProviderLog().find(text) != std::string::npos; }, 5000);
    }
    std::string ProviderLog() const {
        std::ifstream log(home_ + "/logs/" + kProvider + ".log");
        return std::string((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
    }
    static std::string SocketFolder() {
        std::string dir, error;
        EXPECT_EQ(Vx::App::AppSocketDirectory::Find(dir, error), Vx::E_SUCCESS) << error;
        return dir;
    }
    static bool Exists(const std::string& path) {
        struct stat st {};
        return ::lstat(path.c_str(), &st) == 0;
    }
    static std::string HalfARequest() {
        std::string frame = Vx::App::Ipc::EncodeFrame(Vx::App::Ipc::RequestMessage{7, "x", "echo", {}, {}, {}});
        return frame.substr(0, frame.size() / 2);
    }

    std::vector<int> fds_;
};

TEST_F(AppControlLimitsTest, AConnectionThatSendsNothingOrHalfAFrameIsClosed) {
    ::setenv("IAP_APPCONTROL_IDLE_TIMEOUT_MS", "300", 1);
    int pid = StartProvider();
    int silent = Connect();
    int half = Connect();
    ASSERT_TRUE(SendAll(half, HalfARequest()));
    EXPECT_TRUE(ClosedByPeer(silent));
    EXPECT_TRUE(ClosedByPeer(half));
    EXPECT_TRUE(ProviderLogShows("no whole message within 300 ms")) << ProviderLog();
    // A caller whose request is being worked on is not idle, however long it takes.
    Outcome slow = Call(kProvider, "delay", {{"_delayMs", "900"}});
    EXPECT_EQ(slow.result, Vx::App::APP_CTRL_RESULT_SUCCEEDED);
    ASSERT_TRUE(slow.extra);
    EXPECT_EQ(slow.extra->at("_delayed"), "1");
    Outcome after = Call(kProvider, "echo");
    ASSERT_TRUE(after.extra);
    EXPECT_EQ(std::stoi(after.extra->at("_pid")), pid);
}

TEST_F(AppControlLimitsTest, OnlyARequestInProgressKeepsALaunchedServiceRunning) {
    ::setenv("IAP_APPCONTROL_IDLE_TIMEOUT_MS", "60000", 1);
    ::setenv("IAP_SERVICE_IDLE_EXIT_MS", "500", 1);
    int pid = StartProvider();
    int half = Connect();
    ASSERT_TRUE(SendAll(half, HalfARequest()));
    // Longer than the idle exit: the request keeps the service.
    Outcome slow = Call(kProvider, "delay", {{"_delayMs", "1500"}});
    ASSERT_TRUE(slow.extra);
    EXPECT_EQ(slow.extra->at("_delayed"), "1");
    // The half-open connection does not.
    EXPECT_TRUE(ProcessGone(pid, 10000));
    EXPECT_TRUE(ClosedByPeer(half));
}

TEST_F(AppControlLimitsTest, ACallerThatLeavesAbandonsItsRequest) {
    int pid = StartProvider();
    int fd = Connect();
    ASSERT_TRUE(SendAll(fd, Vx::App::Ipc::EncodeFrame(Vx::App::Ipc::RequestMessage{9, "x", "never", {}, {}, {}})));
    // Gone once the provider has confirmed it has the request.
    char accepted[64];
    ASSERT_GT(::recv(fd, accepted, sizeof accepted, 0), 0);
    ::close(fd);
    fds_.pop_back();
    std::string abandoned;
    for (int attempt = 0; attempt < 100 && abandoned.empty(); ++attempt) {
        Outcome report = Call(kProvider, "abandoned");
        ASSERT_TRUE(report.extra);
        EXPECT_EQ(std::stoi(report.extra->at("_pid")), pid);
        abandoned = report.extra->at("_abandoned");
        if (abandoned.empty()) Vx::App::EventLoop::RunUntil([] { return false; }, 20);
    }
    // The application was told, and an answer sent afterwards reaches nobody.
    EXPECT_EQ(abandoned, "2:E_CONNECTION_FAILED");
}

TEST_F(AppControlLimitsTest, PartialFramesAreBoundedAcrossConnections) {
    int pid = StartProvider();
    // Each announces the largest frame and sends all of it but a little.
    std::string header("\x01\x00\x00\x00", 4);
    std::string body(Vx::App::Ipc::kMaxPayloadBytes - 1024, 'x');
    int refused = -1;
    for (int i = 0; i < 4 && refused < 0; ++i) {
        int fd = Connect();
        if (!SendAll(fd, header + body) || ClosedByPeer(fd, 200)) refused = i;
    }
    EXPECT_EQ(refused, 2) << ProviderLog();
    EXPECT_TRUE(ProviderLogShows("partial messages are waiting across all connections")) << ProviderLog();
    Outcome after = Call(kProvider, "echo");
    ASSERT_TRUE(after.extra);
    EXPECT_EQ(std::stoi(after.extra->at("_pid")), pid);
}

TEST_F(AppControlLimitsTest, ALaunchThatNeverListensIsEnded) {
    ::setenv("IAP_APP_LAUNCH_TIMEOUT_MS", "800", 1);
    std::string script = home_ + "/never-listens.sh";
    WriteFile(script, "#!/bin/sh\necho $$ > \"$IAP_PLATFORM_HOME/never-listens.pid\"\nexec sleep 600\n");
    ::chmod(script.c_str(), 0700);
    WriteFile(home_ + "/apps/com.example.mute.manifest",
              "appId=com.example.mute\npackageId=com.example\nversion=1\nexecutable=" + script + "\n");
    PendingCall call("com.example.mute", "echo");
    ASSERT_EQ(call.startResult, Vx::E_SUCCESS);
    ASSERT_TRUE(call.Wait());
    EXPECT_EQ(call.outcome.result, Vx::App::APP_CTRL_RESULT_ABORTED);
    std::ifstream pidFile(home_ + "/never-listens.pid");
    int pid = -1;
    pidFile >> pid;
    ASSERT_GT(pid, 0);
    pids_.insert(pid);
    EXPECT_TRUE(ProcessGone(pid, 5000)) << "the launched program was left running";
}

TEST_F(AppControlLimitsTest, AnUnwritablePlatformHomeIsNamedWhenLaunching) {
    // Launched as another user when the tests run as root, who can write anywhere.
    std::string command;
    if (::geteuid() == 0) {
        if (!Exists("/usr/bin/setpriv")) GTEST_SKIP() << "setpriv is needed to test as root";
        command = "/usr/bin/setpriv --reuid=65534 --regid=65534 --clear-groups ";
        ASSERT_EQ(::chmod(home_.c_str(), 0755), 0);
    } else {
        ASSERT_EQ(::chmod(home_.c_str(), 0500), 0);
    }
    std::string output = home_ + ".out";
    command += "'" IAP_BIN_DIR "/appctl' " + std::string(kProvider) + " echo >'" + output + "' 2>&1 </dev/null";
    int status = std::system(command.c_str());
    ::chmod(home_.c_str(), 0700);
    std::ifstream in(output);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ::unlink(output.c_str());
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 5) << text;
    EXPECT_NE(text.find("the folder " + home_ + " cannot be written"), std::string::npos) << text;
    EXPECT_EQ(text.find("input redirection"), std::string::npos) << text;
}

TEST_F(AppControlLimitsTest, TheSocketFolderGoesWithTheLastApplicationOfTheHome) {
    WriteFile(home_ + "/apps/com.example.second.manifest",
              "appId=com.example.second\npackageId=com.example\nversion=1\nexecutable=" IAP_BIN_DIR
              "/vx_test_provider\n");
    std::string folder = SocketFolder();
    EXPECT_FALSE(Exists(folder)) << "made before any application listened";
    int first = StartProvider();
    Outcome second = Call("com.example.second", "echo");
    ASSERT_TRUE(second.extra);
    int secondPid = std::stoi(second.extra->at("_pid"));
    ASSERT_TRUE(Exists(folder));

    EXPECT_EQ(Call(kProvider, "quit").result, Vx::App::APP_CTRL_RESULT_SUCCEEDED);
    ASSERT_TRUE(ProcessGone(first));
    EXPECT_TRUE(Exists(folder)) << "removed while another application of the home runs";
    EXPECT_EQ(Call("com.example.second", "quit").result, Vx::App::APP_CTRL_RESULT_SUCCEEDED);
    ASSERT_TRUE(ProcessGone(secondPid));
    EXPECT_FALSE(Exists(folder));
    // The next application makes it again.
    EXPECT_GT(StartProvider(), 0);
    EXPECT_TRUE(Exists(folder));
}

TEST_F(AppControlLimitsTest, TheSocketIsTheOwnersAloneAndGoesWithItsApplication) {
    int pid = StartProvider();
    ASSERT_GT(pid, 0);
    std::string socket = Vx::App::AppSocketDirectory::GetSocketPath(SocketFolder(), kProvider);
    struct stat st {};
    ASSERT_EQ(::lstat(socket.c_str(), &st), 0) << socket;
    EXPECT_TRUE(S_ISSOCK(st.st_mode));
    EXPECT_EQ(st.st_uid, ::geteuid());
    EXPECT_EQ(st.st_mode & 077, 0u) << "open to others: " << std::oct << (st.st_mode & 0777);

    // A killed instance leaves its socket file behind; the next one replaces it.
    ::kill(pid, SIGKILL);
    ASSERT_TRUE(ProcessGone(pid));
    EXPECT_TRUE(Exists(socket));
    int next = StartProvider();
    ASSERT_GT(next, 0);
    EXPECT_NE(next, pid);

    // One that ends normally removes it (the folder stays while another application of the home runs).
    WriteFile(home_ + "/apps/com.example.second.manifest",
              "appId=com.example.second\npackageId=com.example\nversion=1\nexecutable=" IAP_BIN_DIR
              "/vx_test_provider\n");
    Outcome second = Call("com.example.second", "echo");
    ASSERT_TRUE(second.extra);
    EXPECT_EQ(Call(kProvider, "quit").result, Vx::App::APP_CTRL_RESULT_SUCCEEDED);
    ASSERT_TRUE(ProcessGone(next));
    EXPECT_FALSE(Exists(socket));
    EXPECT_EQ(Call("com.example.second", "quit").result, Vx::App::APP_CTRL_RESULT_SUCCEEDED);
}

}  // namespace
