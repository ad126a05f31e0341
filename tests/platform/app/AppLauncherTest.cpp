// Launching an application for a caller, and its word back that it listens.
#include "platform/app/AppLauncher.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/platform/app/AppTestSupport.h"

using namespace AppTest;
using Vx::App::AppLauncher;

namespace {

class AppLauncherTest : public AppFixture {
protected:
    // A manifest for a shell script playing the application.
    Vx::App::AppManifest Script(const std::string& appId, const std::string& body) {
        std::string path = home_ + "/" + appId + ".sh";
        WriteFile(path, "#!/bin/sh\n" + body);
        ::chmod(path.c_str(), 0700);
        Vx::App::AppManifest manifest;
        manifest.appId = appId;
        manifest.executable = path;
        return manifest;
    }
    // What the launched application said, waiting up to five seconds for it.
    static AppLauncher::Readiness Await(int readyFd) {
        pollfd p{readyFd, POLLIN, 0};
        if (::poll(&p, 1, 5000) != 1) return AppLauncher::Readiness::Waiting;
        return AppLauncher::ReadReadiness(readyFd);
    }
    static bool Collected(pid_t pid) {
        return Vx::App::EventLoop::RunUntil([pid] { return AppLauncher::HasEnded(pid); }, 5000);
    }
    std::string Read(const std::string& path) {
        std::ifstream in(path);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
};

TEST_F(AppLauncherTest, TheApplicationGetsItsIdentityALogAndItsOwnSessionAndSaysWhenItListens) {
    // Its session id (field 6 of /proc/self/stat) is its own pid; standard input is empty.
    auto manifest =
        Script("com.example.script",
               R"sh(echo "id=$IAP_APP_ID launched=$IAP_APPCONTROL_LAUNCH home=$IAP_PLATFORM_HOME fd=$IAP_APP_READY_FD"
[ "$(cut -d' ' -f6 /proc/$$/stat)" = "$$" ] && echo "own session"
read line || echo "empty input"
echo "to the log" >&2
printf x >&3
exec sleep 30
)sh");
    AppLauncher::Launched launched;
    ASSERT_EQ(AppLauncher::Launch(manifest, launched), Vx::E_SUCCESS);
    pids_.insert(launched.pid);
    ASSERT_GE(launched.readyFd, 0);
    EXPECT_NE(launched.startTime, 0u);
    EXPECT_EQ(Await(launched.readyFd), AppLauncher::Readiness::Listening);
    ::close(launched.readyFd);
    std::string log = Read(home_ + "/logs/com.example.script.log");
    EXPECT_NE(log.find("id=com.example.script launched=1 home=" + home_ + " fd=3"), std::string::npos) << log;
    EXPECT_NE(log.find("own session\nempty input\nto the log\n"), std::string::npos) << log;
    struct stat st {};
    ASSERT_EQ(::stat((home_ + "/logs/com.example.script.log").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_FALSE(AppLauncher::HasEnded(launched.pid));
    AppLauncher::EndNeverListened(launched, manifest.appId);
    EXPECT_TRUE(Collected(launched.pid));
    EXPECT_NE(::kill(launched.pid, 0), 0) << "left as a zombie";
}

TEST_F(AppLauncherTest, AnApplicationThatEndsBeforeListeningIsSeenAtOnceAndCollected) {
    auto manifest = Script("com.example.quitter", "exit 3\n");
    AppLauncher::Launched launched;
    ASSERT_EQ(AppLauncher::Launch(manifest, launched), Vx::E_SUCCESS);
    EXPECT_EQ(Await(launched.readyFd), AppLauncher::Readiness::Ended);
    ::close(launched.readyFd);
    EXPECT_TRUE(Collected(launched.pid));
    EXPECT_NE(::kill(launched.pid, 0), 0) << "left as a zombie";
}

TEST_F(AppLauncherTest, AMissingExecutableIsRefused) {
    Vx::App::AppManifest missing;
    missing.appId = "com.example.gone";
    missing.executable = "/nonexistent/gone";
    AppLauncher::Launched launched;
    EXPECT_EQ(AppLauncher::Launch(missing, launched), Vx::E_OBJ_NOT_FOUND);
    EXPECT_EQ(launched.pid, -1);
}

TEST_F(AppLauncherTest, ListeningIsSaidOnceAndOnlyOnTheLaunchersSocket) {
    int saved = ::dup(AppLauncher::kReadyFd);
    int ends[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, ends), 0);
    ASSERT_EQ(::dup2(ends[1], AppLauncher::kReadyFd), AppLauncher::kReadyFd);
    ::close(ends[1]);
    ::setenv("IAP_APP_READY_FD", "3", 1);
    AppLauncher::SignalListening();
    EXPECT_EQ(std::getenv("IAP_APP_READY_FD"), nullptr) << "inherited by what the application starts";
    EXPECT_EQ(AppLauncher::ReadReadiness(ends[0]), AppLauncher::Readiness::Listening);
    EXPECT_EQ(AppLauncher::ReadReadiness(ends[0]), AppLauncher::Readiness::Ended) << "descriptor left open";
    AppLauncher::SignalListening();  // a second time: nothing to say, nothing written
    ::close(ends[0]);

    // Whatever else sits at that number (here a pipe) is not written to.
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    ASSERT_EQ(::dup2(pipeEnds[1], AppLauncher::kReadyFd), AppLauncher::kReadyFd);
    ::setenv("IAP_APP_READY_FD", "3", 1);
    AppLauncher::SignalListening();
    ::fcntl(pipeEnds[0], F_SETFL, O_NONBLOCK);
    char byte;
    EXPECT_EQ(::read(pipeEnds[0], &byte, 1), -1);
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
    ::close(AppLauncher::kReadyFd);
    if (saved >= 0) {
        ::dup2(saved, AppLauncher::kReadyFd);
        ::close(saved);
    }
}

}  // namespace
