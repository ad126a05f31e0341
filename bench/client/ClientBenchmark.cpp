// bench_client: what it costs a calling application until buyclient shows its
// first scene, measured against the least any windowed program could pay.
//
//   (a) appctl sends the purchase request; buyclient is not running, so each
//       run includes its cold start; the device has a signed-in account, so
//       the sample ends when the purchase scene asks for its password (the
//       automation channel's `wait` for the password field).
//   (b) the floor: one process that starts an offscreen Qt Widgets
//       application, shows an empty window and ends (this program in its
//       --empty-window mode), then one curl posting the requests the first
//       scene sends (country search, payment method search), written by the
//       device's own request writer.
//
// Both run alternately against one iap-sandbox. Printed: both medians, their
// ratio (goal below 2) and buyclient's peak resident memory (goal below
// 40 MB), taken from wait4() by a wrapper that the registry launches in
// buyclient's place. A plain program rather than Google Benchmark: every
// sample is a set of processes, and the figures wanted are medians.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QApplication>
#include <QLabel>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bench/support/BenchFigure.h"
#include "bench/support/ProcessBench.h"
#include "lib/device/IapSystemInfo.h"
#include "platform/ui/UiAutomationClient.h"

namespace fs = std::filesystem;

namespace {

using namespace IapBench;

const char kHelp[] = R"(Usage: bench_client [--runs N] [--memory-runs N] [--bin DIR]

Measures, against one local iap-sandbox:
  (a) appctl sending buyclient a purchase request, cold start included, until
      buyclient's purchase scene asks the signed-in account's password (UI
      automation `wait`);
  (b) the floor: an empty offscreen Qt Widgets window in a fresh process, then
      one curl posting the first scene's requests (country search, payment
      method search).
Prints both medians, the ratio of (a) to (b) (goal below 2) and buyclient's
peak resident memory (goal below 40 MB).

  --runs N         samples of each, taken in turn (default 20)
  --memory-runs N  launches measured for memory (default 3)
  --bin DIR        folder of appctl, buyclient and iap-sandbox (default: the build's)
  -h, --help       this text

Needs curl on PATH. Run it on an optimised build without sanitizers:
  cmake -S . -B build-rel -DCMAKE_BUILD_TYPE=Release -DIAP_SANITIZE=OFF -DIAP_BUILD_TESTS=OFF
  cmake --build build-rel --target bench_client && build-rel/bin/bench_client
Exit status: 0 measured (whether or not the goals are met), 1 could not measure, 2 usage.
)";

constexpr double kRatioGoal = 2.0;
constexpr double kMemoryGoalMb = 40.0;
const char kTool[] = "bench_client";
const char kAppId[] = "buyclient.BuyClient";

// The floor's windowed process.
int EmptyWindow(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLabel window;
    window.resize(720, 1280);
    window.show();
    QApplication::processEvents();
    return 0;
}

class Bench {
public:
    explicit Bench(const Options& options) : options_(options) {}
    ~Bench() {
        std::error_code ignored;
        if (!home_.empty()) fs::remove_all(home_, ignored);
    }

    int Run() {
        std::string startError =
            PrepareRun(options_.binDir, {"appctl", "buyclient", "iap-sandbox"}, "client", true, home_, sandbox_);
        if (!startError.empty()) return Fail(kTool, startError);
        if (!WriteDocuments()) return Fail(kTool, "cannot write the request documents");
        if (RunToEnd({Bin("appctl"), "account", "add", "--user-name", "demo@vexmora.com", "--user-id", "U1000001"}) !=
            0)
            return Fail(kTool, "appctl could not add the signed-in account");

        std::vector<double> client, floor;
        std::fprintf(stderr, "bench_client: %d samples each ", options_.runs);
        for (int i = 0; i < options_.runs; ++i) {
            double a = 0, b = 0;
            std::string error;
            if (!TimeClient(a, error)) return Fail(kTool, error + " (logs in " + home_ + "/logs)");
            if (!TimeFloor(b)) return Fail(kTool, "the floor did not run (curl or the empty window failed)");
            client.push_back(a);
            floor.push_back(b);
            std::fputc('.', stderr);
        }
        std::fputc('\n', stderr);
        std::vector<double> kb;
        std::string error;
        if (!MeasureMemory(kb, error)) return Fail(kTool, error);
        Report(client, floor, kb);
        return 0;
    }

private:
    std::string Bin(const std::string& name) const { return options_.binDir + "/" + name; }

    std::vector<std::string> AppctlArgs() const {
        return {Bin("appctl"),
                "--json",
                "--timeout",
                "60",
                kAppId,
                "/appcontrol/operation/iap/purchase",
                "_transactionId=1",
                "_itemId=000000000101",
                "_itemGroupId=100000000001"};
    }

    bool WriteDocuments() {
        const IapSystemInfo& info = IapSystemInfo::GetInstance();
        using Vx::Base::String;
        documents_ = {home_ + "/country.xml", home_ + "/methods.xml"};
        return WriteDocument(IapCommonHttp::FUNCTION_COUNTRY_SEARCH, {{L"latestCountryCode", info.mcc}},
                             documents_[0]) &&
               WriteDocument(IapCommonHttp::FUNCTION_GET_PAYMENT_METHOD_SEARCH,
                             {{L"itemID", String(L"000000000101")},
                              {L"itemGroupID", String(L"100000000001")},
                              {L"mode", String(L"0")}},
                             documents_[1]);
    }

    // One cold purchase request until the first scene asks for the password;
    // then Cancel ends buyclient and answers the caller before the next run.
    bool TimeClient(double& seconds, std::string& error) {
        auto start = std::chrono::steady_clock::now();
        pid_t caller = Spawn(AppctlArgs());
        Vx::Ui::Automation::UiAutomationClient ui;
        bool shown = ui.Connect(kAppId, 30000) == Vx::E_SUCCESS && ui.Wait("password", 30000) == Vx::E_SUCCESS;
        seconds = Seconds(start);
        if (shown) ui.Press("cancel");
        int code = WaitFor(caller);
        if (!shown || code != 0) {
            error = shown ? "appctl got no answer" : "buyclient did not show its purchase form";
            return false;
        }
        return WaitClientGone();
    }

    bool WaitClientGone() const { return WaitProgramGone("buyclient", home_, 20000); }

    bool TimeFloor(double& seconds) {
        const std::string urls[] = {sandbox_.Url() + "/ods.as", sandbox_.Url() + "/store"};
        std::vector<std::string> curl{"curl"};
        for (int i = 0; i < 2; ++i) {
            if (i > 0) curl.push_back("--next");
            for (const std::string& a :
                 {std::string("-sS"), std::string("-H"), std::string("Content-Type: text/plain; charset=utf-8"),
                  std::string("--data-binary"), "@" + documents_[i], std::string("-o"), std::string("/dev/null"),
                  urls[i]}) {
                curl.push_back(a);
            }
        }
        std::string self = fs::read_symlink("/proc/self/exe").string();
        auto start = std::chrono::steady_clock::now();
        int windowCode = RunToEnd({self, "--empty-window"});
        int curlCode = RunToEnd(curl);
        seconds = Seconds(start);
        return windowCode == 0 && curlCode == 0;
    }

    bool MeasureMemory(std::vector<double>& kb, std::string& error) {
        const std::string rssFile = home_ + "/rss.txt";
        if (!InstallMeasuredApp(home_, fs::read_symlink("/proc/self/exe").string(), rssFile, options_.binDir, kAppId,
                                "buyclient"))
            return (error = "cannot install the measuring wrapper in " + home_), false;
        for (int i = 0; i < options_.memoryRuns; ++i) {
            double ignored = 0;
            if (!TimeClient(ignored, error)) return false;
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

    void Report(const std::vector<double>& client, const std::vector<double>& floor, const std::vector<double>& kb) {
        PrintMedian("(a) purchase request through appctl until buyclient's purchase scene asks the password, cold",
                    client);
        PrintMedian("(b) floor: empty offscreen Qt Widgets process, then curl posting the first scene's 2 requests",
                    floor);
        double ratio = Median(client) / Median(floor);
        std::printf("ratio (a)/(b): %.2f (goal below %.1f: %s)\n", ratio, kRatioGoal,
                    ratio < kRatioGoal ? "met" : "MISSED");
        PrintBenchFigure("buyclient cold start to the purchase screen", Median(client) * 1000, Median(floor) * 1000,
                         "ms", kRatioGoal);
        double peakMb = *std::max_element(kb.begin(), kb.end()) / 1024.0;
        std::printf(
            "buyclient peak resident memory: %.1f MB, median %.1f MB of %zu launches (goal below %.0f MB: %s)\n",
            peakMb, Median(kb) / 1024.0, kb.size(), kMemoryGoalMb, peakMb < kMemoryGoalMb ? "met" : "MISSED");
    }

    Options options_;
    std::string home_;
    std::vector<std::string> documents_;
    Sandbox sandbox_;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 4 && std::string(argv[1]) == "--measure") return RunMeasured(argv[2], argv + 3);
    if (argc == 2 && std::string(argv[1]) == "--empty-window") return EmptyWindow(argc, argv);
    Options options;
    options.runs = 20;
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
