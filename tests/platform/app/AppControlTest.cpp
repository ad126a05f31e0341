#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/app/AppControlMessages.h"
#include "platform/app/AppSocketDirectory.h"
#include "platform/app/IActiveAppEventListener.h"
#include "tests/platform/app/AppTestSupport.h"

using namespace AppTest;

namespace {

class AppControlTest : public AppFixture {
protected:
    // The provider's last foreground application, once it is `expected` or after
    // two seconds: announcements travel on other connections than requests.
    std::string ForegroundSeenByProvider(const std::string& expected) {
        std::string seen;
        for (int attempt = 0; attempt < 100 && seen != expected; ++attempt) {
            Outcome out = Call(kProvider, "watch");
            seen = out.extra ? out.extra->at("_lastActive") : "";
            if (seen != expected) Vx::App::EventLoop::RunUntil([] { return false; }, 20);
        }
        return seen;
    }
    int StartProvider() {
        Outcome first = Call(kProvider, "echo");
        EXPECT_TRUE(first.extra && first.extra->count("_pid"));
        return first.extra ? std::stoi(first.extra->at("_pid")) : -1;
    }
};

TEST_F(AppControlTest, LaunchesAnAppThatIsNotRunningAndEchoesExtraData) {
    Outcome out = Call(kProvider, "echo", {{"_itemId", "sword"}, {"_name", "Ünïcødé ✓"}});
    ASSERT_EQ(out.result, Vx::App::APP_CTRL_RESULT_SUCCEEDED);
    ASSERT_TRUE(out.extra);
    EXPECT_EQ(out.extra->at("_itemId"), "sword");
    EXPECT_EQ(out.extra->at("_name"), "Ünïcødé ✓");
    // The caller is known by its program name when it has no manifest.
    EXPECT_EQ(out.extra->at("_caller"), "test_platform_app_AppControl");
    EXPECT_EQ(out.extra->count("_uri"), 0u);
}

TEST_F(AppControlTest, StartReportsTheDeliveryBeforeTheAnswer) {
    PendingCall call(kProvider, "delay", {{"_delayMs", "300"}});
    ASSERT_EQ(call.startResult, Vx::E_SUCCESS);
    // Nothing is reported inside Start itself.
    EXPECT_FALSE(call.outcome.startReported);
    ASSERT_TRUE(Vx::App::EventLoop::RunUntil([&] { return call.outcome.startReported; }, 20000));
    EXPECT_EQ(call.outcome.startResult, Vx::E_SUCCESS);
    EXPECT_FALSE(call.outcome.answered);
    ASSERT_TRUE(call.Wait());
    EXPECT_EQ(call.outcome.extra->at("_delayed"), "1");
}

TEST_F(AppControlTest, ALaterRequestReachesTheSameInstance) {
    int pid = StartProvider();
    Outcome second = Call(kProvider, "echo");
    ASSERT_TRUE(second.extra);
    EXPECT_EQ(std::stoi(second.extra->at("_pid")), pid);
    EXPECT_EQ(second.extra->at("_requestId"), "2");
}

TEST_F(AppControlTest, TwoCallersAtOnceToANotRunningAppShareOneInstance) {
    PendingCall a(kProvider, "echo", {{"who", "a"}});
    PendingCall b(kProvider, "delay", {{"_delayMs", "50"}});
    PendingCall c(kProvider, "echo", {{"who", "c"}});
    ASSERT_EQ(a.startResult, Vx::E_SUCCESS);
    ASSERT_EQ(b.startResult, Vx::E_SUCCESS);
    ASSERT_EQ(c.startResult, Vx::E_SUCCESS);
    ASSERT_TRUE(a.Wait());
    ASSERT_TRUE(b.Wait());
    ASSERT_TRUE(c.Wait());
    Remember(a.outcome);
    Remember(c.outcome);
    EXPECT_EQ(a.outcome.extra->at("who"), "a");
    EXPECT_EQ(c.outcome.extra->at("who"), "c");
    EXPECT_EQ(b.outcome.extra->at("_delayed"), "1");
    EXPECT_EQ(a.outcome.extra->at("_pid"), c.outcome.extra->at("_pid"));
}

TEST_F(AppControlTest, AProviderThatCrashesMidRequestIsReportedTerminated) {
    Outcome out = Call(kProvider, "crash");
    EXPECT_EQ(out.result, Vx::App::APP_CTRL_RESULT_TERMINATED);
    EXPECT_FALSE(out.extra);
    // The next request launches a fresh instance.
    EXPECT_EQ(Call(kProvider, "echo").result, Vx::App::APP_CTRL_RESULT_SUCCEEDED);
}

TEST_F(AppControlTest, EndingWithoutAnsweringIsReportedTerminated) {
    EXPECT_EQ(Call(kProvider, "quitSilent").result, Vx::App::APP_CTRL_RESULT_TERMINATED);
}

TEST_F(AppControlTest, AnUnansweredRequestEndsWhenTheProviderIsStopped) {
    int pid = StartProvider();
    PendingCall never(kProvider, "never");
    ASSERT_TRUE(Vx::App::EventLoop::RunUntil([&] { return never.outcome.startReported; }, 20000));
    ::kill(pid, SIGTERM);
    ASSERT_TRUE(never.Wait());
    EXPECT_EQ(never.outcome.result, Vx::App::APP_CTRL_RESULT_TERMINATED);
    EXPECT_TRUE(ProcessGone(pid));
}

TEST_F(AppControlTest, ARequestIsAnsweredAtMostOnce) {
    Outcome first = Call(kProvider, "twice");
    EXPECT_EQ(first.result, Vx::App::APP_CTRL_RESULT_SUCCEEDED);
    Outcome report = Call(kProvider, "report");
    ASSERT_TRUE(report.extra);
    EXPECT_EQ(report.extra->at("_secondAnswer"), "E_OBJ_NOT_FOUND");
}

TEST_F(AppControlTest, AnAnswerAfterTerminateStillReachesTheCaller) {
    int pid = StartProvider();
    Outcome out = Call(kProvider, "quit");
    EXPECT_EQ(out.result, Vx::App::APP_CTRL_RESULT_SUCCEEDED);
    EXPECT_TRUE(ProcessGone(pid));
}

TEST_F(AppControlTest, ARequestArrivingWhileTheProviderEndsIsServedByItsSuccessor) {
    int pid = StartProvider();
    EXPECT_EQ(Call(kProvider, "quitSlowly").result, Vx::App::APP_CTRL_RESULT_SUCCEEDED);
    // The first instance is still ending: it must neither take this request nor lose it.
    Outcome next = Call(kProvider, "echo");
    ASSERT_EQ(next.result, Vx::App::APP_CTRL_RESULT_SUCCEEDED);
    EXPECT_NE(std::stoi(next.extra->at("_pid")), pid);
    EXPECT_TRUE(ProcessGone(pid));
}

TEST_F(AppControlTest, AnAnswerTooLargeToSendIsRefusedAndTheRequestStaysOwed) {
    // 3 x 6 MB of text: over the frame limit once encoded.
    Outcome out = Call(kProvider, "big", {{"_count", "3"}, {"_size", "6000000"}}, 60000);
    EXPECT_EQ(out.result, Vx::App::APP_CTRL_RESULT_FAILED);
    ASSERT_TRUE(out.extra);
    EXPECT_EQ(out.extra->at("_sent"), "E_OUT_OF_RANGE");
}

TEST_F(AppControlTest, BadFramesDisconnectOnlyTheirSenderWithALoggedReason) {
    struct Case {
        std::string bytes;
        std::string logged;
    };
    const Case cases[] = {
        {std::string("\0\0\0\3\x63\1\2", 7), "protocol error: unknown message kind 99"},
        // Refused from its header alone: nothing of the 2 GiB is awaited.
        {std::string("\x7f\xff\xff\xff\1", 5), "protocol error: frame length 2147483647"},
    };
    int pid = StartProvider();
    for (const Case& c : cases) {
        int fd = RawConnect(kProvider);
        ASSERT_EQ(::send(fd, c.bytes.data(), c.bytes.size(), 0), static_cast<ssize_t>(c.bytes.size()));
        EXPECT_TRUE(ClosedByPeer(fd));
        ::close(fd);
        Outcome after = Call(kProvider, "echo");
        ASSERT_TRUE(after.extra) << "result " << after.result;
        EXPECT_EQ(std::stoi(after.extra->at("_pid")), pid);
        std::ifstream log(home_ + "/logs/" + kProvider + ".log");
        std::string text((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
        EXPECT_NE(text.find(c.logged), std::string::npos) << text;
    }
}

TEST_F(AppControlTest, ATruncatedRequestFromACallerThatLeavesIsDropped) {
    int pid = StartProvider();
    int fd = RawConnect(kProvider);
    std::string frame = Vx::App::Ipc::EncodeFrame(Vx::App::Ipc::RequestMessage{7, "x", "echo", {}, {}, {}});
    ASSERT_GT(::send(fd, frame.data(), frame.size() / 2, 0), 0);
    ::close(fd);
    Outcome after = Call(kProvider, "echo");
    ASSERT_TRUE(after.extra) << "result " << after.result;
    EXPECT_EQ(std::stoi(after.extra->at("_pid")), pid);
    // The half request was never delivered: this is the provider's second request.
    EXPECT_EQ(after.extra->at("_requestId"), "2");
}

TEST_F(AppControlTest, AMissingExecutableFailsAtStart) {
    WriteFile(home_ + "/apps/com.example.gone.manifest",
              "appId=com.example.gone\npackageId=com.example\nversion=1\nexecutable=/nonexistent/gone\n");
    PendingCall call("com.example.gone", "echo");
    EXPECT_EQ(call.startResult, Vx::E_OBJ_NOT_FOUND);
}

TEST_F(AppControlTest, AnAppThatExitsBeforeListeningIsReportedAborted) {
    WriteFile(home_ + "/apps/com.example.false.manifest",
              "appId=com.example.false\npackageId=com.example\nversion=1\nexecutable=/bin/false\n");
    PendingCall call("com.example.false", "echo");
    ASSERT_EQ(call.startResult, Vx::E_SUCCESS);
    ASSERT_TRUE(call.Wait());
    EXPECT_EQ(call.outcome.result, Vx::App::APP_CTRL_RESULT_ABORTED);
    EXPECT_TRUE(call.outcome.startReported);
    EXPECT_NE(call.outcome.startResult, Vx::E_SUCCESS);
}

TEST_F(AppControlTest, AnswersForAListenerThatWentAwayAreDropped) {
    auto gone = std::make_unique<PendingCall>(kProvider, "delay", Entries{{"_delayMs", "100"}});
    ASSERT_EQ(gone->startResult, Vx::E_SUCCESS);
    gone.reset();
    PendingCall later(kProvider, "delay", {{"_delayMs", "600"}});
    ASSERT_TRUE(later.Wait());
    Remember(later.outcome);
    EXPECT_EQ(later.outcome.result, Vx::App::APP_CTRL_RESULT_SUCCEEDED);
}

TEST_F(AppControlTest, AForegroundListenerThatWentAwayIsNotCalled) {
    struct Listener : Vx::App::IActiveAppEventListener {
        void OnActiveAppChanged(const Vx::App::AppId&) override { ADD_FAILURE() << "called after destruction"; }
    };
    auto listener = std::make_unique<Listener>();
    auto* manager = Vx::App::AppManager::GetInstance();
    ASSERT_EQ(manager->AddActiveAppEventListener(*listener), Vx::E_SUCCESS);
    EXPECT_EQ(manager->AddActiveAppEventListener(*listener), Vx::E_OBJ_ALREADY_EXIST);
    listener.reset();
    manager->NotifyActiveAppChanged(L"com.example.home");
}

TEST_F(AppControlTest, AProviderThatBreaksTheProtocolIsReportedAborted) {
    // A fake provider: a bare socket where the application would listen.
    WriteFile(home_ + "/apps/com.example.fake.manifest",
              "appId=com.example.fake\npackageId=p\nversion=1\nexecutable=/bin/false\n");
    std::string dir, error;
    ASSERT_EQ(Vx::App::AppSocketDirectory::Get(dir, error), Vx::E_SUCCESS) << error;
    std::string path = Vx::App::AppSocketDirectory::GetSocketPath(dir, "com.example.fake");
    int server = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(server, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(server, 4), 0);

    PendingCall call("com.example.fake", "echo");
    ASSERT_EQ(call.startResult, Vx::E_SUCCESS);
    int peer = -1;
    ASSERT_TRUE(Vx::App::EventLoop::RunUntil([&] { return (peer = ::accept(server, nullptr, nullptr)) >= 0; }, 5000));
    const char garbage[] = {0, 0, 0, 1, 0x63};
    ASSERT_EQ(::send(peer, garbage, sizeof garbage, 0), static_cast<ssize_t>(sizeof garbage));
    ASSERT_TRUE(call.Wait(5000));
    EXPECT_EQ(call.outcome.result, Vx::App::APP_CTRL_RESULT_ABORTED);
    EXPECT_FALSE(call.outcome.extra);
    EXPECT_EQ(call.outcome.startResult, Vx::E_INVALID_FORMAT);
    ::close(peer);
    ::close(server);
}

TEST_F(AppControlTest, ExtraDataMustBeStrings) {
    std::unique_ptr<Vx::App::AppControl> control(Vx::App::AppManager::FindAppControlN(kProvider, L"echo"));
    ASSERT_TRUE(control);
    Vx::Base::Collection::HashMap map(Vx::Base::Collection::ElementOwnership::Owned);
    map.Add(new String(L"key"), new Vx::Base::Collection::HashMap());
    Outcome out;
    Recorder recorder(out);
    EXPECT_EQ(control->Start(nullptr, nullptr, &map, &recorder), Vx::E_INVALID_ARG);
}

TEST_F(AppControlTest, UnknownAppsHaveNoAppControl) {
    EXPECT_EQ(Vx::App::AppManager::FindAppControlN(L"com.example.none", L"echo"), nullptr);
    EXPECT_EQ(Vx::App::AppManager::FindAppControlN(L"../../etc/passwd", L"echo"), nullptr);
    EXPECT_EQ(Vx::App::AppManager::FindAppControlN(L"", L"echo"), nullptr);
}

TEST_F(AppControlTest, ForegroundChangesReachRunningApps) {
    StartProvider();
    ASSERT_EQ(Vx::App::AppManager::AnnounceActiveApp(L"com.example.home"), Vx::E_SUCCESS);
    EXPECT_EQ(ForegroundSeenByProvider("com.example.home"), "com.example.home");
}

TEST_F(AppControlTest, AUiAppShowsItsWindowOffscreenAfterTheLaunchingRequest) {
    StartProvider();
    Outcome out = Call(kUiApp, "show");
    ASSERT_EQ(out.result, Vx::App::APP_CTRL_RESULT_SUCCEEDED);
    ASSERT_TRUE(out.extra);
    EXPECT_EQ(out.extra->at("_visible"), "1");
    EXPECT_EQ(out.extra->at("_title"), "test frame");
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {
        EXPECT_EQ(out.extra->at("_platform"), "offscreen");
    }
    // Starting, it told the running applications that it came to the foreground.
    EXPECT_EQ(ForegroundSeenByProvider(kUiApp), kUiApp);
}

TEST_F(AppControlTest, AppsOfDifferentPlatformHomesNeverMeet) {
    int pid = StartProvider();
    std::string first = home_;
    SetUp();  // a second, fresh home
    Outcome other = Call(kProvider, "echo");
    ASSERT_TRUE(other.extra);
    EXPECT_NE(std::stoi(other.extra->at("_pid")), pid);
    std::error_code ignored;
    std::filesystem::remove_all(first, ignored);
}

}  // namespace
