#include "bench/support/ProcessBench.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "lib/protocol/IapCommonHttpRequest.h"

namespace IapBench {

namespace fs = std::filesystem;

int Fail(const char* tool, const std::string& message) {
    std::fprintf(stderr, "%s: %s\n", tool, message.c_str());
    return 1;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

pid_t Spawn(const std::vector<std::string>& args, const std::string& outputPath) {
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

int RunToEnd(const std::vector<std::string>& args, const std::string& outputPath) {
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

namespace {
pid_t measuredPid = -1;

void ForwardSignal(int sig) {
    if (measuredPid > 0) kill(measuredPid, sig);
}
}  // namespace

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

bool InstallMeasuredApp(const std::string& home, const std::string& self, const std::string& rssFile,
                        const std::string& binDir, const std::string& appId, const std::string& executable) {
    const std::string wrapper = home + "/measured-" + executable;
    std::ofstream(wrapper) << "#!/bin/sh\nexec '" << self << "' --measure '" << rssFile << "' '"
                           << binDir + "/" + executable << "'\n";
    if (chmod(wrapper.c_str(), 0755) != 0) return false;
    std::error_code ec;
    fs::create_directories(home + "/apps", ec);
    std::ofstream manifest(home + "/apps/" + appId + ".manifest");
    manifest << "appId=" << appId << "\npackageId=" << executable << "\nversion=1.0.0\nexecutable=" << wrapper
             << "\nresources=" << binDir << "/res/" << appId << "\n";
    return static_cast<bool>(manifest);
}

std::vector<double> ReadMeasuredKb(const std::string& rssFile, int count, int timeoutMs) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::vector<double> values;
    while (true) {
        values.clear();
        std::istringstream lines(ReadFile(rssFile));
        for (double v; lines >> v;)
            values.push_back(v);
        if (static_cast<int>(values.size()) >= count || std::chrono::steady_clock::now() > deadline) return values;
        usleep(20000);
    }
}

bool WaitProgramGone(const std::string& executable, const std::string& home, int timeoutMs) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        bool running = false;
        for (const auto& entry : fs::directory_iterator("/proc")) {
            std::error_code ec;
            std::string exe = fs::read_symlink(entry.path() / "exe", ec).string();
            if (!ec && fs::path(exe).filename() == executable &&
                ReadFile((entry.path() / "environ").string()).find(home) != std::string::npos) {
                running = true;
                break;
            }
        }
        if (!running) return true;
        usleep(2000);
    }
    return false;
}

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

int ParseOptions(int argc, char** argv, const char* tool, const char* help, Options& options) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(help, stdout);
            return 0;
        }
        if (i + 1 >= argc) {
            std::fprintf(stderr, "%s: %s needs a value; see --help\n", tool, arg.c_str());
            return 2;
        }
        std::string value = argv[++i];
        if (arg == "--bin") {
            options.binDir = value;
            continue;
        }
        int number = std::atoi(value.c_str());
        if ((arg != "--runs" && arg != "--memory-runs") || number < 1 || number > 10000) {
            std::fprintf(stderr, "%s: unknown option or bad value '%s %s'; see --help\n", tool, arg.c_str(),
                         value.c_str());
            return 2;
        }
        (arg == "--runs" ? options.runs : options.memoryRuns) = number;
    }
    return -1;
}

Sandbox::~Sandbox() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
}

bool Sandbox::Start(const std::string& binary, std::string& error) {
    int fds[2];
    if (pipe(fds) != 0) return (error = "cannot create a pipe"), false;
    pid_ = fork();
    if (pid_ == 0) {
        int null = open("/dev/null", O_WRONLY);
        dup2(fds[1], STDOUT_FILENO);
        dup2(null, STDERR_FILENO);  // one log line per request would be measured too
        close(fds[0]);
        execl(binary.c_str(), binary.c_str(), "--port", "0", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    char c;
    while (read(fds[0], &c, 1) == 1 && c != '\n')
        url_ += c;
    close(fds[0]);
    if (url_.rfind("http://", 0) != 0) return (error = binary + " did not start (is it built?)"), false;
    return true;
}

std::string PrepareRun(const std::string& binDir, std::initializer_list<const char*> programs, const char* name,
                       bool ui, std::string& home, Sandbox& sandbox) {
    if (RunToEnd({"curl", "--version"}) != 0) return "curl is not on PATH; install it (apt-get install curl)";
    for (const char* program : programs) {
        std::string path = binDir + "/" + program;
        if (access(path.c_str(), X_OK) != 0) return path + " is missing; build it or pass --bin DIR";
    }
    std::string pattern = std::string("/tmp/bench-") + name + "-XXXXXX";
    if (!mkdtemp(pattern.data())) return "cannot create a temporary folder under /tmp";
    home = pattern;
    setenv("IAP_PLATFORM_HOME", home.c_str(), 1);
    if (ui) {
        setenv("IAP_UI_AUTOMATION", "1", 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    std::string error;
    if (!sandbox.Start(binDir + "/iap-sandbox", error)) return error;
    setenv("IAP_COUNTRY_SEARCH_URL", (sandbox.Url() + "/ods.as").c_str(), 1);
    return {};
}

}  // namespace IapBench
