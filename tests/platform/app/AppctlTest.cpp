#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>

#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/platform/app/AppTestSupport.h"

using namespace AppTest;

namespace {

struct ToolRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

class AppctlTest : public AppFixture {
protected:
    ToolRun Appctl(const std::vector<std::string>& args) {
        std::string command = "'" IAP_BIN_DIR "/appctl'";
        for (const std::string& arg : args)
            command += " '" + arg + "'";
        command += " >'" + home_ + "/out' 2>'" + home_ + "/err' </dev/null";
        ToolRun run;
        int status = std::system(command.c_str());
        run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.out = Read(home_ + "/out");
        run.err = Read(home_ + "/err");
        return run;
    }
    static std::string Read(const std::string& path) {
        std::ifstream in(path);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    // Stops the provider left running by a test (it would idle out anyway).
    void StopProvider() {
        ToolRun run = Appctl({"--json", kProvider, "echo"});
        auto at = run.out.find("\"_pid\": \"");
        if (at != std::string::npos) pids_.insert(std::stoi(run.out.substr(at + 9)));
    }
};

TEST_F(AppctlTest, PrintsTheAnswerAsOneJsonObjectWithSortedKeys) {
    ToolRun run = Appctl({"--json", kProvider, "echo", "zeta=1", "alpha=quote\" back\\slash", "tab=a\tb"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out.rfind("{\"result\": 0, \"extra\": {\"_caller\": \"appctl\", ", 0), 0u) << run.out;
    EXPECT_NE(run.out.find("\"alpha\": \"quote\\\" back\\\\slash\", "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\"tab\": \"a\\tb\", \"zeta\": \"1\"}}\n"), std::string::npos) << run.out;
    StopProvider();
}

TEST_F(AppctlTest, AnAnswerWithoutAMapHasNullExtra) {
    ToolRun run = Appctl({"--json", kProvider, "fail"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "{\"result\": 1, \"extra\": null}\n");
    StopProvider();
}

TEST_F(AppctlTest, ReadableOutputShowsNumberedRecordsAsATable) {
    ToolRun run = Appctl({kProvider, "echo", "_startNumber=1", "_endNumber=2", "1_itemId=a", "2_itemId=b",
                          "1_itemName=Sword", "2_itemName=Shield", "10_itemId=j"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out.rfind("Result: SUCCEEDED (0)\n", 0), 0u) << run.out;
    EXPECT_NE(run.out.find("_endNumber = 2\n"), std::string::npos);
    EXPECT_NE(run.out.find("3 records:\n#   itemId  itemName\n1   a       Sword\n2   b       Shield\n10  j\n"),
              std::string::npos)
        << run.out;
    StopProvider();
}

TEST_F(AppctlTest, ExitCodesTellWhatHappened) {
    EXPECT_EQ(Appctl({kProvider, "crash"}).exitCode, 3);
    ToolRun timeout = Appctl({"--timeout", "0.3", kProvider, "never"});
    EXPECT_EQ(timeout.exitCode, 4);
    EXPECT_NE(timeout.err.find("no answer from " + std::string(kProvider) + " within 0.3 s"), std::string::npos)
        << timeout.err;
    StopProvider();
    for (int pid : pids_)
        ::kill(pid, SIGKILL);  // it still owes the "never" answer
}

TEST_F(AppctlTest, UsageErrorsExitWithTwoAndSayWhatIsWrong) {
    ToolRun unknown = Appctl({"com.example.missing", "/appcontrol/operation/x"});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_NE(unknown.err.find("no application 'com.example.missing' is installed"), std::string::npos) << unknown.err;
    EXPECT_EQ(Appctl({}).exitCode, 2);
    EXPECT_EQ(Appctl({kProvider}).exitCode, 2);
    EXPECT_EQ(Appctl({"--timeout", "abc", kProvider, "echo"}).exitCode, 2);
    EXPECT_EQ(Appctl({"--timeout", "-1", kProvider, "echo"}).exitCode, 2);
    EXPECT_EQ(Appctl({"--bogus", kProvider, "echo"}).exitCode, 2);
    EXPECT_EQ(Appctl({kProvider, "echo", "novalue"}).exitCode, 2);
    EXPECT_EQ(Appctl({kProvider, "echo", "=x"}).exitCode, 2);
    ToolRun twice = Appctl({kProvider, "echo", "a=1", "a=2"});
    EXPECT_EQ(twice.exitCode, 2);
    EXPECT_NE(twice.err.find("'a' is given twice"), std::string::npos);
    EXPECT_EQ(Appctl({"../etc", "echo"}).exitCode, 2);
}

TEST_F(AppctlTest, HelpExplainsTheContract) {
    ToolRun help = Appctl({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    for (const char* text : {"--json", "--timeout", "KEY=VALUE", "http://vexmora.com", "Exit codes", "foreground"})
        EXPECT_NE(help.out.find(text), std::string::npos) << text;
}

TEST_F(AppctlTest, TwoCallersAtOnceToANotRunningAppShareOneInstance) {
    ToolRun first, second;
    std::thread other([&] { second = Appctl({"--json", kProvider, "echo"}); });
    first = Appctl({"--json", kProvider, "echo"});
    other.join();
    ASSERT_EQ(first.exitCode, 0) << first.err;
    ASSERT_EQ(second.exitCode, 0) << second.err;
    auto pid = [](const std::string& out) {
        auto at = out.find("\"_pid\": \"");
        return at == std::string::npos ? -1 : std::stoi(out.substr(at + 9));
    };
    EXPECT_EQ(pid(first.out), pid(second.out));
    pids_.insert(pid(first.out));
}

TEST_F(AppctlTest, AnAppThatCannotStartOrExitsBeforeListeningIsNotDelivered) {
    WriteFile(home_ + "/apps/com.example.gone.manifest",
              "appId=com.example.gone\npackageId=com.example\nversion=1\nexecutable=/nonexistent/gone\n");
    ToolRun gone = Appctl({"com.example.gone", "echo"});
    EXPECT_EQ(gone.exitCode, 5);
    EXPECT_NE(gone.err.find("cannot send the request to com.example.gone"), std::string::npos) << gone.err;
    WriteFile(home_ + "/apps/com.example.false.manifest",
              "appId=com.example.false\npackageId=com.example\nversion=1\nexecutable=/bin/false\n");
    ToolRun quitter = Appctl({"com.example.false", "echo"});
    EXPECT_EQ(quitter.exitCode, 5);
    EXPECT_NE(quitter.err.find("com.example.false exited before it listened"), std::string::npos) << quitter.err;
}

TEST_F(AppctlTest, AProviderThatBreaksTheProtocolIsNotDelivered) {
    // A fake provider: a bare socket where the application would listen.
    WriteFile(home_ + "/apps/com.example.fake.manifest",
              "appId=com.example.fake\npackageId=p\nversion=1\nexecutable=/bin/false\n");
    std::string dir, error;
    ASSERT_EQ(Vx::App::AppSocketDirectory::Get(dir, error), Vx::E_SUCCESS) << error;
    std::string path = Vx::App::AppSocketDirectory::GetSocketPath(dir, "com.example.fake");
    int server = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(server, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(server, 4), 0);
    std::thread peer([server] {
        int fd = ::accept(server, nullptr, nullptr);
        const char garbage[] = {0, 0, 0, 1, 0x63};
        if (fd >= 0) [[maybe_unused]]
            auto sent = ::send(fd, garbage, sizeof garbage, MSG_NOSIGNAL);
        char buffer[256];
        while (fd >= 0 && ::recv(fd, buffer, sizeof buffer, 0) > 0) {
        }
        if (fd >= 0) ::close(fd);
    });
    ToolRun run = Appctl({"--timeout", "10", "com.example.fake", "echo"});
    peer.join();
    ::close(server);
    EXPECT_EQ(run.exitCode, 5);
    EXPECT_NE(run.err.find("disconnecting application com.example.fake: protocol error"), std::string::npos) << run.err;
}

TEST_F(AppctlTest, ForegroundReachesRunningApplications) {
    ASSERT_EQ(Appctl({kProvider, "echo"}).exitCode, 0);
    EXPECT_EQ(Appctl({"foreground", "com.example.home"}).exitCode, 0);
    // Announcements travel on other connections than requests.
    std::string seen;
    for (int attempt = 0; attempt < 100 && seen.find("com.example.home") == std::string::npos; ++attempt)
        seen = Appctl({"--json", kProvider, "watch"}).out;
    EXPECT_NE(seen.find("\"_lastActive\": \"com.example.home\""), std::string::npos) << seen;
    StopProvider();
}

TEST_F(AppctlTest, OperationsStartingWithASlashGetThePlatformPrefix) {
    ToolRun run = Appctl({"--json", kProvider, "/appcontrol/echo"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("\"_operation\": \"http://vexmora.com/appcontrol/echo\""), std::string::npos) << run.out;
    StopProvider();
}

}  // namespace
