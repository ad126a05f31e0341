#pragma once
// Whole-system tests of buyclient: appctl plays the calling application,
// iap-ui reads and drives buyclient's offscreen window.
#include <dirent.h>
#include <signal.h>

#include "tests/e2e/E2eSupport.h"

namespace E2e {

inline const char* const kBuyClient = "buyclient.BuyClient";
inline const char* const kPurchase = "/appcontrol/operation/iap/purchase";
inline const char* const kLockScreen = "com.vexmora.lockscreen";

class BuyClientE2eTest : public BuyServiceE2eTest {
protected:
    void SetUp() override {
        BuyServiceE2eTest::SetUp();
        // buyclient inherits the caller's environment through appctl.
        setenv("IAP_UI_AUTOMATION", "1", 1);
        setenv("IAP_CLIENT_TEST_HOOKS", "1", 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    void TearDown() override {
        unsetenv("IAP_CLIENT_TEST_HOOKS");
        // Nothing of this test may outlive it.
        if (pid_t pid = ClientPid(); pid > 0) kill(pid, SIGKILL);
    }

    static std::vector<std::string> PurchaseArgs(const std::vector<std::string>& extra) {
        std::vector<std::string> args{Bin("appctl"), "--json", "--timeout", "80", kBuyClient, kPurchase};
        args.insert(args.end(), extra.begin(), extra.end());
        return args;
    }
    // Gem pack 1: a credit card is offered for it in every country.
    static std::vector<std::string> NewPurchase(const std::string& transactionId,
                                                const std::string& itemId = "000000001001",
                                                const std::string& groupId = kGemGroup) {
        return {"_transactionId=" + transactionId, "_itemId=" + itemId, "_itemGroupId=" + groupId};
    }
    static std::vector<std::string> Resume(const std::string& transactionId) {
        return {"_transactionId=" + transactionId, "_purchaseResume=1"};
    }
    // A caller that waits in the background for its answer.
    std::unique_ptr<Process> StartCaller(const std::vector<std::string>& extra) {
        return std::make_unique<Process>(PurchaseArgs(extra));
    }
    AppctlAnswer AnswerOf(Process& caller) {
        int exitCode = caller.Wait(kAnswerTimeoutMs);
        return ParseAppctl(exitCode, caller.Output());
    }
    AppctlAnswer Purchase(const std::vector<std::string>& extra) {
        RunResult run = RunProgram(PurchaseArgs(extra), kAnswerTimeoutMs);
        return ParseAppctl(run.exitCode, run.output);
    }

    // iap-ui against buyclient; its exit code (0 done, 3 not reachable).
    int Ui(const std::vector<std::string>& command, int timeoutMs = 60000, std::string* output = nullptr) {
        std::vector<std::string> args{Bin("iap-ui"), "--app", kBuyClient, "--connect-timeout", "30"};
        args.insert(args.end(), command.begin(), command.end());
        RunResult run = RunProgram(args, timeoutMs);
        if (output) *output = run.output;
        return run.exitCode;
    }
    bool WaitShown(const std::string& control) { return Ui({"wait", control, "--timeout", "40"}) == 0; }
    bool Press(const std::string& control) { return Ui({"press", control}) == 0; }
    bool Type(const std::string& control, const std::string& text) { return Ui({"type", control, text}) == 0; }
    std::string List() {
        std::string list;
        Ui({"list"}, 60000, &list);
        return list;
    }
    // The purchase scene is current, also under a popup.
    bool WaitPurchaseScene(int timeoutMs = 40000) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (std::chrono::steady_clock::now() < deadline) {
            if (List().find("# scene IDS_SCENE_PURCHASE\n") != std::string::npos) return true;
        }
        return false;
    }

    // The device's account, signed in before buyclient starts: buyclient asks
    // for its password.
    void AddDemoAccount() {
        RunResult added =
            RunProgram({Bin("appctl"), "account", "add", "--user-name", "demo@vexmora.com", "--user-id", "U1000001"});
        ASSERT_EQ(added.exitCode, 0) << added.output;
    }
    // The SIM's country code in the device profile.
    void SetDeviceMcc(const std::string& mcc) {
        std::filesystem::create_directories(home_.Path() + "/device");
        std::ofstream(home_.Path() + "/device/profile.ini") << "[sim]\nmcc = " << mcc << "\n";
    }
    bool ConfirmPassword(const std::string& password) {
        return WaitShown("password") && Type("password", password) && Press("ok");
    }
    // Signed in before: the password, then the methods on screen.
    bool ReachMethods() { return ConfirmPassword("demo1234") && WaitShown("methods/0/0"); }
    // Chooses the first method and presses Purchase.
    bool BuyWithFirstMethod() { return Press("methods/0/0") && Press("footerItem0"); }

    // buyclient's process of this test's platform home; 0 when none runs.
    pid_t ClientPid() const {
        const std::string exe = std::filesystem::canonical(Bin("buyclient")).string();
        const std::string home = "IAP_PLATFORM_HOME=" + home_.Path();
        DIR* proc = opendir("/proc");
        if (!proc) return 0;
        pid_t found = 0;
        while (dirent* entry = readdir(proc)) {
            pid_t pid = static_cast<pid_t>(std::atoi(entry->d_name));
            if (pid <= 0) continue;
            std::error_code ec;
            std::string target = std::filesystem::read_symlink("/proc/" + std::to_string(pid) + "/exe", ec).string();
            if (ec || target != exe) continue;
            std::string environ = ReadFile("/proc/" + std::to_string(pid) + "/environ");
            if (environ.find(home + '\0') != std::string::npos || environ.find('\0' + home) != std::string::npos ||
                environ.rfind(home, 0) == 0) {
                found = pid;
                break;
            }
        }
        closedir(proc);
        return found;
    }
    bool WaitClientGone(int timeoutMs = 30000) const {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (ClientPid() != 0) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return true;
    }
    std::string ClientLog() const { return home_.Log(kBuyClient); }
    std::string Explain(const AppctlAnswer& answer) const {
        return "appctl exit " + std::to_string(answer.exitCode) + ", output:\n" + answer.output + "\nbuyclient log:\n" +
               ClientLog();
    }
    void ExpectRefused(const AppctlAnswer& answer) {
        ASSERT_EQ(answer.exitCode, 0) << Explain(answer);
        ASSERT_TRUE(answer.parsed) << Explain(answer);
        EXPECT_EQ(answer.result, 1) << Explain(answer);
        EXPECT_FALSE(answer.hasExtra) << Explain(answer);
    }
    // The answer a caller gets when buyclient ends without a purchase.
    void ExpectEndedWithoutPurchase(const AppctlAnswer& answer, const std::string& transactionId,
                                    const std::string& status = "100") {
        ASSERT_EQ(answer.exitCode, 0) << Explain(answer);
        ASSERT_TRUE(answer.parsed) << Explain(answer);
        EXPECT_EQ(answer.result, 0) << Explain(answer);
        EXPECT_EQ(answer.Get("_method"), "OnPurchaseItemFinished") << Explain(answer);
        EXPECT_EQ(answer.Get("_result"), status) << Explain(answer);
        EXPECT_EQ(answer.Get("_transactionId"), transactionId) << Explain(answer);
        EXPECT_EQ(answer.Get("_paymentId"), "") << Explain(answer);
    }
};

}  // namespace E2e
