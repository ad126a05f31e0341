#pragma once
// What the process-level benchmarks share: running programs, timing, medians,
// a peak-memory wrapper, a local iap-sandbox and request documents written by
// the device's own writer. Each sample of those benchmarks is a set of
// processes, so they are plain programs rather than Google Benchmark cases.
#include <sys/types.h>

#include <chrono>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "lib/protocol/IapCommonHttpTypes.h"
#include "platform/base/String.h"

namespace IapBench {

// Prints "TOOL: message" on standard error; returns 1 (could not measure).
int Fail(const char* tool, const std::string& message);

std::string ReadFile(const std::string& path);

// Starts a program with standard output to `outputPath` and standard error to /dev/null.
pid_t Spawn(const std::vector<std::string>& args, const std::string& outputPath = "/dev/null");
// The exit code, -1 if the program did not exit normally.
int WaitFor(pid_t pid);
int RunToEnd(const std::vector<std::string>& args, const std::string& outputPath = "/dev/null");

double Seconds(std::chrono::steady_clock::time_point since);
double Median(std::vector<double> values);

// Internal mode of a benchmark: started by the application registry in an
// application's place, runs `program` and appends its peak resident set (kB)
// to `outPath`. Whoever stops the wrapper stops the application.
int RunMeasured(const std::string& outPath, char** program);

// Has the registry of the platform home `home` launch `appId` through this
// benchmark's --measure mode (`self`), so each launch appends its peak
// resident set to `rssFile`. False when the files could not be written.
bool InstallMeasuredApp(const std::string& home, const std::string& self, const std::string& rssFile,
                        const std::string& binDir, const std::string& appId, const std::string& executable);
// The figures appended to `rssFile`, waiting up to `timeoutMs` for `count` of
// them (a wrapper writes after its application has gone).
std::vector<double> ReadMeasuredKb(const std::string& rssFile, int count, int timeoutMs);
// Waits up to `timeoutMs` until no process of `executable` (its file name)
// runs with `home` in its environment; false if one still does.
bool WaitProgramGone(const std::string& executable, const std::string& home, int timeoutMs);

// A request document exactly as the device's writer produces it.
bool WriteDocument(IapCommonHttp::FunctionId function,
                   std::initializer_list<std::pair<const wchar_t*, Vx::Base::String>> params, const std::string& path);

struct Options {
    int runs = 30;
    int memoryRuns = 5;
    std::string binDir;
};

// --help, --runs N, --memory-runs N, --bin DIR. Returns -1 to go on, else the exit status.
int ParseOptions(int argc, char** argv, const char* tool, const char* help, Options& options);

// An iap-sandbox on a free port, stopped when this object goes.
class Sandbox {
public:
    Sandbox() = default;
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;
    ~Sandbox();
    bool Start(const std::string& binary, std::string& error);
    const std::string& Url() const { return url_; }
    pid_t Pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    std::string url_;
};

// What every process benchmark starts with: curl and `programs` (in `binDir`)
// present, a fresh platform home under /tmp named after `name` (stored in
// `home`; the caller removes it), the environment pointed at it (with UI
// automation offscreen when `ui`), and `sandbox` started with the country
// search pointing at it. Empty on success, else what failed and what to do.
std::string PrepareRun(const std::string& binDir, std::initializer_list<const char*> programs, const char* name,
                       bool ui, std::string& home, Sandbox& sandbox);

}  // namespace IapBench
