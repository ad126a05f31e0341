// bench_purchase: what a whole credit-card purchase through buyclient costs,
// and its last step against the least the store itself could take.
//
//   (a) the resume: appctl sends "_purchaseResume" 1 to the buyclient that
//       has just issued the ticket (running, its screen shown) and waits for
//       "OnPurchaseItemFinished"; buyclient sends the charge meanwhile.
//   (b) its floor: one curl posting the same "easybuyPurchaseItem" document,
//       written by the device's own request writer, for a purchase id the
//       store has just issued, so the store does the same work.
//   (c) the whole purchase cold: appctl's request starts buyclient, the UI
//       is driven through the automation channel (password, first method,
//       Purchase), the ticket comes back, the resume finishes it.
//   (d) buyclient's peak resident memory during a whole purchase.
//
// Each sample is a new purchase against one iap-sandbox, so (a) and (c)
// come from the same runs; (b) is taken in turn with them.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/support/BenchFigure.h"
#include "bench/support/ProcessBench.h"
#include "lib/device/IapSystemInfo.h"
#include "platform/ui/UiAutomationClient.h"

namespace fs = std::filesystem;

namespace {

using namespace IapBench;

const char kHelp[] = R"(Usage: bench_purchase [--runs N] [--memory-runs N] [--bin DIR]

Measures whole credit-card purchases through buyclient against one local
iap-sandbox (appctl plays the game, the UI automation channel the user):
  (a) the resume: appctl sending "_purchaseResume" 1 to the waiting buyclient
      until "OnPurchaseItemFinished" comes back;
  (b) the floor of (a): one curl posting the same "easybuyPurchaseItem"
      document, written by the device's own request writer, to the sandbox;
  (c) the whole purchase, buyclient not running at the start: request,
      password, first method, Purchase, ticket, resume, finished;
  (d) buyclient's peak resident memory during a whole purchase.
Prints the medians, the ratio (a)/(b) (goal below 1.5) and the memory peak.

  --runs N         purchases timed, each followed by one floor sample (default 15)
  --memory-runs N  purchases measured for memory (default 3)
  --bin DIR        folder of appctl, buyclient and iap-sandbox (default: the build's)
  -h, --help       this text

Needs curl on PATH. Run it on an optimised build without sanitizers:
  cmake -S . -B build-rel -DCMAKE_BUILD_TYPE=Release -DIAP_SANITIZE=OFF -DIAP_BUILD_TESTS=OFF
  cmake --build build-rel --target bench_purchase && build-rel/bin/bench_purchase
Exit status: 0 measured (whether or not the goals are met), 1 could not measure, 2 usage.
)";

constexpr double kRatioGoal = 1.5;
constexpr int kUiTimeoutMs = 30000;
const char kTool[] = "bench_purchase";
const char kAppId[] = "buyclient.BuyClient";
const char kItemId[] = "000000001001";  // gem pack 1: a credit card is offered for it everywhere
const char kGroupId[] = "100000000001";
const char kUserId[] = "U1000001";
const char kPassword[] = "demo1234";

// The value of `key` in appctl's --json answer, empty when absent.
std::string AnswerValue(const std::string& json, const std::string& key) {
    const std::string pattern = "\"" + key + "\": \"";
    std::size_t at = json.find(pattern);
    if (at == std::string::npos) return {};
    at += pattern.size();
    return json.substr(at, json.find('"', at) - at);
}

// The first value called `name` in a store reply, empty when absent.
std::string ReplyValue(const std::string& xml, const std::string& name) {
    const std::string open = "<value name=\"" + name + "\">";
    std::size_t at = xml.find(open);
    if (at == std::string::npos) return {};
    at += open.size();
    std::size_t end = xml.find("</value>", at);
    return end == std::string::npos ? std::string() : xml.substr(at, end - at);
}

class Bench {
public:
    explicit Bench(const Options& options) : options_(options) {}
    ~Bench() {
        std::error_code ignored;
        if (!home_.empty()) fs::remove_all(home_, ignored);
    }

    int Run() {
        std::string error =
            PrepareRun(options_.binDir, {"appctl", "buyclient", "iap-sandbox"}, "purchase", true, home_, sandbox_);
        if (!error.empty()) return Fail(kTool, error);
        if (RunToEnd({Bin("appctl"), "account", "add", "--user-name", "demo@vexmora.com", "--user-id", kUserId}) != 0)
            return Fail(kTool, "appctl could not add the signed-in account");

        std::vector<double> resume, floor, whole;
        std::fprintf(stderr, "bench_purchase: purchases timed (%d) ", options_.runs);
        for (int i = 0; i < options_.runs; ++i) {
            double a = 0, b = 0, c = 0;
            if (!Purchase(a, c, error)) return Fail(kTool, error + " (logs in " + home_ + "/logs)");
            if (!TimeFloor(b, error)) return Fail(kTool, error);
            resume.push_back(a);
            floor.push_back(b);
            whole.push_back(c);
            std::fputc('.', stderr);
        }
        std::fputc('\n', stderr);
        std::vector<double> kb;
        if (!MeasureMemory(kb, error)) return Fail(kTool, error);
        Report(resume, floor, whole, kb);
        return 0;
    }

private:
    std::string Bin(const std::string& name) const { return options_.binDir + "/" + name; }
    std::string Output(const char* name) const { return home_ + "/" + name; }

    std::vector<std::string> Appctl(std::vector<std::string> params) const {
        std::vector<std::string> args{Bin("appctl"), "--json", "--timeout",
                                      "60",          kAppId,   "/appcontrol/operation/iap/purchase"};
        args.insert(args.end(), params.begin(), params.end());
        return args;
    }

    // The user's part: the signed-in account's password, the first payment
    // method, Purchase.
    bool BuyOnScreen(std::string& error) {
        Vx::Ui::Automation::UiAutomationClient ui;
        const bool done = ui.Connect(kAppId, kUiTimeoutMs) == Vx::E_SUCCESS &&
                          ui.Wait("password", kUiTimeoutMs) == Vx::E_SUCCESS &&
                          ui.Type("password", kPassword) == Vx::E_SUCCESS && ui.Press("ok") == Vx::E_SUCCESS &&
                          ui.Wait("methods/0/0", kUiTimeoutMs) == Vx::E_SUCCESS &&
                          ui.Press("methods/0/0") == Vx::E_SUCCESS && ui.Press("footerItem0") == Vx::E_SUCCESS;
        if (!done) error = "buyclient's purchase screen could not be driven: " + ui.GetLastError();
        return done;
    }

    // One purchase from a cold start; `resume` is its last step, `whole` all of it.
    bool Purchase(double& resume, double& whole, std::string& error) {
        const std::string ticketId = std::to_string(++transaction_);
        const std::string resumeId = std::to_string(++transaction_);
        auto start = std::chrono::steady_clock::now();
        pid_t caller = Spawn(Appctl({"_transactionId=" + ticketId, std::string("_itemId=") + kItemId,
                                     std::string("_itemGroupId=") + kGroupId}),
                             Output("ticket.json"));
        const bool bought = BuyOnScreen(error);
        const int ticketCode = WaitFor(caller);
        if (!bought) return false;
        const std::string ticket = ReadFile(Output("ticket.json"));
        if (ticketCode != 0 || AnswerValue(ticket, "_method") != "OnPurchaseItemInitialized" ||
            AnswerValue(ticket, "_result") != "0")
            return (error = "no purchase ticket came back: " + ticket), false;

        auto resumed = std::chrono::steady_clock::now();
        const int code = RunToEnd(Appctl({"_transactionId=" + resumeId, "_purchaseResume=1"}), Output("finished.json"));
        auto finished = std::chrono::steady_clock::now();
        const std::string answer = ReadFile(Output("finished.json"));
        if (code != 0 || AnswerValue(answer, "_method") != "OnPurchaseItemFinished" ||
            AnswerValue(answer, "_result") != "0" || AnswerValue(answer, "_paymentId").empty())
            return (error = "the resumed purchase did not finish with a payment: " + answer), false;
        resume = std::chrono::duration<double>(finished - resumed).count();
        whole = std::chrono::duration<double>(finished - start).count();
        // The next cold start must not meet this buyclient on its way out.
        if (!WaitProgramGone("buyclient", home_, 20000))
            return (error = "buyclient did not end after the purchase"), false;
        return true;
    }

    std::vector<std::string> Curl(const std::string& document, const std::string& output) const {
        return {"curl",
                "-sS",
                "-H",
                "Content-Type: text/plain; charset=utf-8",
                "--data-binary",
                "@" + document,
                "-o",
                output,
                sandbox_.Url() + "/store"};
    }

    // A purchase id is issued first (not timed), so the timed charge is a real one.
    bool TimeFloor(double& seconds, std::string& error) {
        const IapSystemInfo& info = IapSystemInfo::GetInstance();
        using Vx::Base::String;
        const std::string idRequest = Output("purchase-id.xml"), idReply = Output("purchase-id-reply.xml");
        const auto ticks =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
                .count();
        if (!WriteDocument(IapCommonHttp::FUNCTION_GET_PURCHASE_ID,
                           {{L"duid", info.deviceId},
                            {L"itemID", String(kItemId)},
                            {L"timeStamp", String(std::to_string(ticks).c_str())}},
                           idRequest) ||
            RunToEnd(Curl(idRequest, idReply)) != 0)
            return (error = "curl could not ask the sandbox for a purchase id"), false;
        const std::string purchaseId = ReplyValue(ReadFile(idReply), "purchaseID");
        if (purchaseId.empty()) return (error = "the sandbox issued no purchase id: " + ReadFile(idReply)), false;

        const std::string charge = Output("charge.xml"), chargeReply = Output("charge-reply.xml");
        if (!WriteDocument(IapCommonHttp::FUNCTION_EASYBUY_PURCHASE_ITEM,
                           {{L"itemID", String(kItemId)},
                            {L"itemGroupID", String(kGroupId)},
                            {L"duid", info.deviceId},
                            {L"userID", String(kUserId)},
                            {L"mode", info.mode},
                            {L"transID", String(purchaseId.c_str())}},
                           charge))
            return (error = "cannot write the charge document"), false;
        auto start = std::chrono::steady_clock::now();
        const int code = RunToEnd(Curl(charge, chargeReply));
        seconds = Seconds(start);
        if (code != 0 || ReplyValue(ReadFile(chargeReply), "paymentID").empty())
            return (error = "the floor's charge was not accepted: " + ReadFile(chargeReply)), false;
        return true;
    }

    bool MeasureMemory(std::vector<double>& kb, std::string& error) {
        const std::string rssFile = home_ + "/rss.txt";
        if (!InstallMeasuredApp(home_, fs::read_symlink("/proc/self/exe").string(), rssFile, options_.binDir, kAppId,
                                "buyclient"))
            return (error = "cannot install the measuring wrapper in " + home_), false;
        for (int i = 0; i < options_.memoryRuns; ++i) {
            double ignored = 0, alsoIgnored = 0;
            if (!Purchase(ignored, alsoIgnored, error)) return false;
        }
        kb = ReadMeasuredKb(rssFile, options_.memoryRuns, 10000);
        if (kb.empty()) return (error = "no memory figure was recorded in " + rssFile), false;
        return true;
    }

    static void PrintMedian(const char* what, const std::vector<double>& seconds) {
        std::printf("%s: median %.1f ms (min %.1f, max %.1f)\n", what, Median(seconds) * 1000,
                    *std::min_element(seconds.begin(), seconds.end()) * 1000,
                    *std::max_element(seconds.begin(), seconds.end()) * 1000);
    }

    void Report(const std::vector<double>& resume, const std::vector<double>& floor, const std::vector<double>& whole,
                const std::vector<double>& kb) {
        PrintMedian("(a) resume through appctl until OnPurchaseItemFinished, buyclient waiting", resume);
        PrintMedian("(b) floor: one curl posting the same easybuyPurchaseItem document", floor);
        const double ratio = Median(resume) / Median(floor);
        std::printf("ratio (a)/(b): %.2f (goal below %.1f: %s)\n", ratio, kRatioGoal,
                    ratio < kRatioGoal ? "met" : "MISSED");
        PrintBenchFigure("purchase resume to OnPurchaseItemFinished", Median(resume) * 1000, Median(floor) * 1000, "ms",
                         kRatioGoal);
        PrintMedian("(c) whole purchase, buyclient cold: request, password, method, Purchase, ticket, resume", whole);
        std::printf("(d) buyclient peak resident memory during a purchase: %.1f MB, median %.1f MB of %zu\n",
                    *std::max_element(kb.begin(), kb.end()) / 1024.0, Median(kb) / 1024.0, kb.size());
    }

    Options options_;
    std::string home_;
    Sandbox sandbox_;
    int transaction_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 4 && std::string(argv[1]) == "--measure") return RunMeasured(argv[2], argv + 3);
    Options options;
    options.runs = 15;
    options.memoryRuns = 3;
    options.binDir = IAP_BIN_DIR;
    int parsed = ParseOptions(argc, argv, kTool, kHelp, options);
    if (parsed >= 0) return parsed;
    unsetenv("IAP_HTTP_TIMEOUT_MS");
    unsetenv("IAP_PLATFORM_FAULTS");
    unsetenv("IAP_APPS_DIR");
    unsetenv("IAP_CLIENT_TEST_HOOKS");
    return Bench(options).Run();
}
