// bench_service: what an item list from buyservice costs the calling
// application, measured against the least any caller could pay for the same
// exchange with the same store.
//
//   (a) appctl asks buyservice for an item list; buyservice is not running,
//       so each run includes its cold start, the country search, the upgrade
//       check and the item-list query.
//   (b) the floor: start one trivial process (/bin/true), then one curl that
//       posts the same three request documents in sequence (--next), written
//       by the device's own request writer with the device's identity. Like
//       the device, curl asks for replies as they are (no compression); a
//       second floor with --compressed shows what compression would cost.
//
// Both run alternately against one iap-sandbox. Printed: the medians, their
// ratio (goal at most 1.5) and buyservice's peak resident memory while it
// serves the request (goal below 20 MB), taken from wait4() by a wrapper
// that the application registry launches in buyservice's place.
// A plain program rather than Google Benchmark: every sample is a set of
// processes, and the figures wanted are medians across them.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bench/support/BenchFigure.h"
#include "bench/support/ProcessBench.h"
#include "lib/device/IapSystemInfo.h"
#include "lib/protocol/IapCommonHttpTypes.h"
#include "platform/base/String.h"

namespace fs = std::filesystem;

namespace {

using namespace IapBench;

const char kHelp[] = R"(Usage: bench_service [--runs N] [--memory-runs N] [--bin DIR]

Measures, against one local iap-sandbox:
  (a) appctl asking buyservice for an item list, cold start included;
  (b) the floor: /bin/true, then one curl posting the same three request
      documents (country search, upgrade check, item list) with --next,
      taking replies uncompressed as the device does; and the same with
      --compressed, to show what the store's compression would cost.
Prints the medians, the ratio of (a) to (b) (goal at most 1.5) and buyservice's
peak resident memory for the request (goal below 20 MB).

  --runs N         samples of each, taken in turn (default 30)
  --memory-runs N  requests measured for memory (default 5)
  --bin DIR        folder of appctl, buyservice and iap-sandbox
                   (default: the build's bin folder)
  -h, --help       this text

Needs curl on PATH. Run it on an optimised build without sanitizers:
  cmake -S . -B build-rel -DCMAKE_BUILD_TYPE=Release -DIAP_SANITIZE=OFF -DIAP_BUILD_TESTS=OFF
  cmake --build build-rel --target bench_service && build-rel/bin/bench_service
To see where the time of one cold request goes, run appctl by hand with
IAP_TRACE_STARTUP=1: it and the service it launches print time stamps of each
step (process start, listening, request delivered, each HTTP exchange, answer),
the service's in $IAP_PLATFORM_HOME/logs/buyservice.BuyService.log.
Exit status: 0 measured (whether or not the goals are met), 1 could not measure, 2 usage.
)";

constexpr double kRatioGoal = 1.5;
constexpr double kMemoryGoalMb = 20.0;
const char kTool[] = "bench_service";
const char kItemGroup[] = "100000000002";

std::string ManifestValue(const std::string& manifest, const std::string& key) {
    std::istringstream lines(manifest);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind(key + "=", 0) == 0) return line.substr(key.size() + 1);
    }
    return {};
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
            PrepareRun(options_.binDir, {"appctl", "buyservice", "iap-sandbox"}, "service", false, home_, sandbox_);
        if (!error.empty()) return Fail(kTool, error);
        if (!WriteDocuments()) return Fail(kTool, "cannot write the request documents");
        if (!CheckOnce(error)) return Fail(kTool, error);

        std::vector<double> service, floor, plainFloor;
        std::fprintf(stderr, "bench_service: %d samples each against %s ", options_.runs, sandbox_.Url().c_str());
        for (int i = 0; i < options_.runs; ++i) {
            double a = 0, b = 0, c = 0;
            if (!TimeService(a)) return Fail(kTool, "appctl did not get the item list; see " + home_ + "/logs");
            if (!TimeFloor(Encoding::Compressed, b) || !TimeFloor(Encoding::Plain, c)) {
                return Fail(kTool, "curl could not post the documents");
            }
            service.push_back(a);
            floor.push_back(b);
            plainFloor.push_back(c);
            std::fputc('.', stderr);
        }
        std::fputc('\n', stderr);
        std::vector<double> memoryKb;
        if (!MeasureMemory(memoryKb, error)) return Fail(kTool, error);
        Report(service, floor, plainFloor, memoryKb);
        return 0;
    }

private:
    std::string Bin(const std::string& name) const { return options_.binDir + "/" + name; }

    std::vector<std::string> AppctlArgs() const {
        return {Bin("appctl"),
                "--json",
                "--timeout",
                "30",
                "buyservice.BuyService",
                "/appcontrol/operation/iap/get_item_list",
                "_transactionId=1",
                std::string("_itemGroupId=") + kItemGroup,
                "_startNumber=1",
                "_endNumber=3"};
    }
    enum class Encoding { Compressed, Plain };

    std::vector<std::string> CurlArgs(Encoding encoding, const std::string& lastOutput) const {
        const std::string store = sandbox_.Url() + "/store";
        const std::string urls[] = {sandbox_.Url() + "/ods.as", store, store};
        std::vector<std::string> args{"curl"};
        for (int i = 0; i < 3; ++i) {
            if (i > 0) args.push_back("--next");
            for (const char* option : {"-sS", "--fail", "-H", "Content-Type: text/plain; charset=utf-8"}) {
                args.push_back(option);
            }
            if (encoding == Encoding::Compressed) args.push_back("--compressed");
            for (const std::string& a : {std::string("--data-binary"), "@" + documents_[i], std::string("-o"),
                                         i == 2 ? lastOutput : std::string("/dev/null"), urls[i]}) {
                args.push_back(a);
            }
        }
        return args;
    }

    bool WriteDocuments() {
        std::string manifest = ReadFile(Bin("apps/buyservice.BuyService.manifest"));
        version_ = ManifestValue(manifest, "version");
        const IapSystemInfo& info = IapSystemInfo::GetInstance();
        using Vx::Base::String;
        for (int i = 0; i < 3; ++i)
            documents_.push_back(home_ + "/request" + std::to_string(i + 1) + ".xml");
        return !version_.empty() &&
               WriteDocument(IapCommonHttp::FUNCTION_COUNTRY_SEARCH, {{L"latestCountryCode", info.mcc}},
                             documents_[0]) &&
               WriteDocument(
                   IapCommonHttp::FUNCTION_CHECK_APP_UPGRADE,
                   {{L"duid", info.deviceId}, {L"preloadApp", String::FromUtf8("buyservice@" + version_ + "@1")}},
                   documents_[1]) &&
               WriteDocument(IapCommonHttp::FUNCTION_GET_APPS_ITEM_LIST,
                             {{L"resultCode", info.mode},
                              {L"startNum", String(L"1")},
                              {L"endNum", String(L"3")},
                              {L"itemGroupID", String::FromUtf8(kItemGroup)},
                              {L"duid", info.deviceId}},
                             documents_[2]);
    }

    // Both sides must really get the three items before anything is timed.
    bool CheckOnce(std::string& error) {
        std::string answer = home_ + "/answer.json";
        if (RunToEnd(AppctlArgs(), answer) != 0 || ReadFile(answer).find("\"3_itemId\"") == std::string::npos) {
            error = "buyservice did not answer the item list: " + ReadFile(answer) + " (logs in " + home_ + "/logs)";
            return false;
        }
        std::string reply = home_ + "/reply.xml";
        if (RunToEnd(CurlArgs(Encoding::Compressed, reply)) != 0 ||
            ReadFile(reply).find("returnCode=\"0\"") == std::string::npos) {
            error = "the store did not accept the documents: " + ReadFile(reply);
            return false;
        }
        return true;
    }

    bool TimeService(double& seconds) {
        auto start = std::chrono::steady_clock::now();
        int code = RunToEnd(AppctlArgs());
        seconds = Seconds(start);
        return code == 0;
    }
    bool TimeFloor(Encoding encoding, double& seconds) {
        auto start = std::chrono::steady_clock::now();
        int trueCode = RunToEnd({"/bin/true"});
        int curlCode = RunToEnd(CurlArgs(encoding, "/dev/null"));
        seconds = Seconds(start);
        return trueCode == 0 && curlCode == 0;
    }

    // Installs a manifest for buyservice whose executable is a wrapper that
    // records the service's peak resident set.
    bool MeasureMemory(std::vector<double>& kb, std::string& error) {
        std::string self = fs::read_symlink("/proc/self/exe").string();
        std::string wrapper = home_ + "/measured-buyservice";
        std::string rssFile = home_ + "/rss.txt";
        std::ofstream(wrapper) << "#!/bin/sh\nexec '" << self << "' --measure '" << rssFile << "' '"
                               << Bin("buyservice") << "'\n";
        chmod(wrapper.c_str(), 0755);
        fs::create_directories(home_ + "/apps");
        std::ofstream(home_ + "/apps/buyservice.BuyService.manifest")
            << "appId=buyservice.BuyService\npackageId=buyservice\nversion=" << version_ << "\nexecutable=" << wrapper
            << "\n";
        for (int i = 0; i < options_.memoryRuns; ++i) {
            if (RunToEnd(AppctlArgs()) != 0) return (error = "the measured buyservice did not answer"), false;
        }
        // The wrapper writes once the service has ended, which may be just after the answer.
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        std::vector<double> values;
        while (std::chrono::steady_clock::now() < deadline) {
            values.clear();
            std::istringstream lines(ReadFile(rssFile));
            for (double v; lines >> v;)
                values.push_back(v);
            if (static_cast<int>(values.size()) >= options_.memoryRuns) break;
            usleep(20000);
        }
        if (values.empty()) return (error = "no memory figure was recorded in " + rssFile), false;
        kb = values;
        return true;
    }

    static void PrintMedian(const char* what, const std::vector<double>& seconds) {
        std::printf("%s: median %.1f ms (min %.1f, max %.1f)\n", what, Median(seconds) * 1000,
                    *std::min_element(seconds.begin(), seconds.end()) * 1000,
                    *std::max_element(seconds.begin(), seconds.end()) * 1000);
    }

    void Report(const std::vector<double>& service, const std::vector<double>& floor,
                const std::vector<double>& plainFloor, const std::vector<double>& kb) {
        PrintMedian("(a) item list through appctl and buyservice, cold start", service);
        PrintMedian("(b) floor: /bin/true, then curl posting the same 3 documents", plainFloor);
        PrintMedian("    the same floor with compressed replies", floor);
        double ratio = Median(service) / Median(plainFloor);
        std::printf("cold item list: ours %.1f ms, floor %.1f ms, ratio (a)/(b) %.2f (goal at most %.1f: %s)\n",
                    Median(service) * 1000, Median(plainFloor) * 1000, ratio, kRatioGoal,
                    ratio <= kRatioGoal ? "met" : "MISSED");
        PrintBenchFigure("cold item list through appctl and buyservice", Median(service) * 1000,
                         Median(plainFloor) * 1000, "ms", kRatioGoal);
        double peakMb = *std::max_element(kb.begin(), kb.end()) / 1024.0;
        std::printf(
            "buyservice peak resident memory: %.1f MB, median %.1f MB of %zu requests (goal below %.0f MB: %s)\n",
            peakMb, Median(kb) / 1024.0, kb.size(), kMemoryGoalMb, peakMb < kMemoryGoalMb ? "met" : "MISSED");
    }

    Options options_;
    std::string home_;
    std::string version_;
    std::vector<std::string> documents_;
    Sandbox sandbox_;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 4 && std::string(argv[1]) == "--measure") return RunMeasured(argv[2], argv + 3);
    Options options;
    options.binDir = IAP_BIN_DIR;
    int parsed = ParseOptions(argc, argv, kTool, kHelp, options);
    if (parsed >= 0) return parsed;
    // Launched services inherit these; keep the user's own settings out of the figures.
    unsetenv("IAP_HTTP_TIMEOUT_MS");
    unsetenv("IAP_PLATFORM_FAULTS");
    unsetenv("IAP_APPS_DIR");
    return Bench(options).Run();
}
