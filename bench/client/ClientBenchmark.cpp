// bench_client: what it costs a calling application until buyclient shows its
// first scene, measured against the least any windowed program could pay.
//
//   (a) appctl sends the purchase request; buyclient is not running, so each
//       run includes its cold start; the sample ends when the automation
//       channel reports the "purchase" form shown (a `wait`).
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

#include "lib/device/IapSystemInfo.h"
#include "lib/protocol/IapCommonHttpRequest.h"
#include "platform/ui/UiAutomationClient.h"

namespace fs = std::filesystem;

namespace {

const char kHelp[] = R"(Usage: bench_client [--runs N] [--memory-runs N] [--bin DIR]

Measures, against one local iap-sandbox:
  (a) appctl sending buyclient a purchase request, cold start included, until
      buyclient's "purchase" form is shown (UI automation `wait`);
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
const char kAppId[] = "buyclient.BuyClient";

int Fail(const std::string& message) {
    std::fprintf(stderr, "bench_client: %s\n", message.c_str());
    return 1;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

pid_t Spawn(const std::vector<std::string>& args, const std::string& outputPath = "/dev/null") {
    pid_t pid = fork();
    if (pid == 0) {
        int out = open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int null = open("/dev/null", O_WRONLY);
        if (out < 0 || null < 0) _exit(126);
        dup2(out, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        std::vector<char*> argv;
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

int WaitFor(pid_t pid) {
    int status = 0;
    if (pid <= 0 || waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int RunToEnd(const std::vector<std::string>& args, const std::string& outputPath = "/dev/null") {
    return WaitFor(Spawn(args, outputPath));
}

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

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

// Started by the registry in buyclient's place: runs it and appends its peak
// resident set (kB) to a file.
pid_t measuredPid = -1;
void ForwardSignal(int sig) {
    if (measuredPid > 0) kill(measuredPid, sig);
}
int RunMeasured(const std::string& outPath, char** program) {
    pid_t pid = fork();
    if (pid == 0) {
        execv(program[0], program);
        _exit(127);
    }
    if (pid < 0) return 1;
    measuredPid = pid;
    signal(SIGTERM, ForwardSignal);
    signal(SIGINT, ForwardSignal);
    int status = 0;
    rusage usage{};
    pid_t done;
    while ((done = wait4(pid, &status, 0, &usage)) < 0 && errno == EINTR) {
    }
    if (done != pid) return 1;
    std::ofstream(outPath, std::ios::app) << usage.ru_maxrss << "\n";
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

class Sandbox {
public:
    ~Sandbox() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    bool Start(const std::string& binary) {
        int fds[2];
        if (pipe(fds) != 0) return false;
        pid_ = fork();
        if (pid_ == 0) {
            int null = open("/dev/null", O_WRONLY);
            dup2(fds[1], STDOUT_FILENO);
            dup2(null, STDERR_FILENO);
            close(fds[0]);
            execl(binary.c_str(), binary.c_str(), "--port", "0", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        char c;
        while (read(fds[0], &c, 1) == 1 && c != '\n')
            url_ += c;
        close(fds[0]);
        return url_.rfind("http://", 0) == 0;
    }
    const std::string& Url() const { return url_; }

private:
    pid_t pid_ = -1;
    std::string url_;
};

bool WriteDocument(IapCommonHttp::FunctionId function,
                   std::initializer_list<std::pair<const wchar_t*, Vx::Base::String>> params, const std::string& path) {
    IapCommonHttp::Params list;
    if (list.Construct(static_cast<int>(params.size())) != Vx::E_SUCCESS) return false;
    for (const auto& [name, value] : params) {
        if (list.Add(Vx::Base::String(name), value) != Vx::E_SUCCESS) return false;
    }
    IapCommonHttpRequest request;
    if (request.Construct(1, function, list) != Vx::E_SUCCESS) return false;
    const Vx::Base::ByteBuffer& bytes = request.GetXmlBuffer();
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.GetPointer()), bytes.GetLimit());
    return static_cast<bool>(out);
}

struct Options {
    int runs = 20;
    int memoryRuns = 3;
    std::string binDir = IAP_BIN_DIR;
};

int ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kHelp, stdout);
            return 0;
        }
        if (i + 1 >= argc) {
            std::fprintf(stderr, "bench_client: %s needs a value; see --help\n", arg.c_str());
            return 2;
        }
        std::string value = argv[++i];
        if (arg == "--bin") {
            options.binDir = value;
            continue;
        }
        int number = std::atoi(value.c_str());
        if ((arg != "--runs" && arg != "--memory-runs") || number < 1 || number > 10000) {
            std::fprintf(stderr, "bench_client: unknown option or bad value '%s %s'; see --help\n", arg.c_str(),
                         value.c_str());
            return 2;
        }
        (arg == "--runs" ? options.runs : options.memoryRuns) = number;
    }
    return -1;
}

class Bench {
public:
    explicit Bench(const Options& options) : options_(options) {}
    ~Bench() {
        std::error_code ignored;
        if (!home_.empty()) fs::remove_all(home_, ignored);
    }

    int Run() {
        if (RunToEnd({"curl", "--version"}) != 0) return Fail("curl is not on PATH; install it (apt-get install curl)");
        for (const char* program : {"appctl", "buyclient", "iap-sandbox"}) {
            if (access(Bin(program).c_str(), X_OK) != 0)
                return Fail(Bin(program) + " is missing; build it or pass --bin DIR");
        }
        char pattern[] = "/tmp/bench-client-XXXXXX";
        if (!mkdtemp(pattern)) return Fail("cannot create a temporary folder");
        home_ = pattern;
        setenv("IAP_PLATFORM_HOME", home_.c_str(), 1);
        setenv("IAP_UI_AUTOMATION", "1", 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        if (!sandbox_.Start(Bin("iap-sandbox"))) return Fail(Bin("iap-sandbox") + " did not start");
        setenv("IAP_COUNTRY_SEARCH_URL", (sandbox_.Url() + "/ods.as").c_str(), 1);
        if (!WriteDocuments()) return Fail("cannot write the request documents");

        std::vector<double> client, floor;
        std::fprintf(stderr, "bench_client: %d samples each ", options_.runs);
        for (int i = 0; i < options_.runs; ++i) {
            double a = 0, b = 0;
            std::string error;
            if (!TimeClient(a, error)) return Fail(error + " (logs in " + home_ + "/logs)");
            if (!TimeFloor(b)) return Fail("the floor did not run (curl or the empty window failed)");
            client.push_back(a);
            floor.push_back(b);
            std::fputc('.', stderr);
        }
        std::fputc('\n', stderr);
        std::vector<double> kb;
        std::string error;
        if (!MeasureMemory(kb, error)) return Fail(error);
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

    // One cold purchase request until the first scene shows; then the window
    // is closed, the caller answered, and buyclient gone before the next run.
    bool TimeClient(double& seconds, std::string& error) {
        auto start = std::chrono::steady_clock::now();
        pid_t caller = Spawn(AppctlArgs());
        Vx::Ui::Automation::UiAutomationClient ui;
        bool shown = ui.Connect(kAppId, 30000) == Vx::E_SUCCESS && ui.Wait("purchase", 30000) == Vx::E_SUCCESS;
        seconds = Seconds(start);
        if (shown) ui.Close();
        int code = WaitFor(caller);
        if (!shown || code != 0) {
            error = shown ? "appctl got no answer" : "buyclient did not show its purchase form";
            return false;
        }
        return WaitClientGone();
    }

    bool WaitClientGone() const {
        const std::string lock = "buyclient";
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < deadline) {
            bool running = false;
            for (const auto& entry : fs::directory_iterator("/proc")) {
                std::error_code ec;
                std::string exe = fs::read_symlink(entry.path() / "exe", ec).string();
                if (!ec && fs::path(exe).filename() == lock &&
                    ReadFile((entry.path() / "environ").string()).find(home_) != std::string::npos) {
                    running = true;
                    break;
                }
            }
            if (!running) return true;
            usleep(2000);
        }
        return false;
    }

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
        std::string self = fs::read_symlink("/proc/self/exe").string();
        std::string wrapper = home_ + "/measured-buyclient";
        std::string rssFile = home_ + "/rss.txt";
        std::ofstream(wrapper) << "#!/bin/sh\nexec '" << self << "' --measure '" << rssFile << "' '" << Bin("buyclient")
                               << "'\n";
        chmod(wrapper.c_str(), 0755);
        fs::create_directories(home_ + "/apps");
        std::ofstream(home_ + "/apps/buyclient.BuyClient.manifest")
            << "appId=buyclient.BuyClient\npackageId=buyclient\nversion=1.0.0\nexecutable=" << wrapper
            << "\nresources=" << Bin("res/buyclient.BuyClient") << "\n";
        for (int i = 0; i < options_.memoryRuns; ++i) {
            double ignored = 0;
            if (!TimeClient(ignored, error)) return false;
        }
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

    void Report(const std::vector<double>& client, const std::vector<double>& floor, const std::vector<double>& kb) {
        PrintMedian("(a) purchase request through appctl until buyclient's first scene is shown, cold", client);
        PrintMedian("(b) floor: empty offscreen Qt Widgets process, then curl posting the first scene's 2 requests",
                    floor);
        double ratio = Median(client) / Median(floor);
        std::printf("ratio (a)/(b): %.2f (goal below %.1f: %s)\n", ratio, kRatioGoal,
                    ratio < kRatioGoal ? "met" : "MISSED");
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
    int parsed = ParseOptions(argc, argv, options);
    if (parsed >= 0) return parsed;
    unsetenv("IAP_HTTP_TIMEOUT_MS");
    unsetenv("IAP_PLATFORM_FAULTS");
    unsetenv("IAP_APPS_DIR");
    unsetenv("IAP_CLIENT_TEST_HOOKS");
    return Bench(options).Run();
}
