#include "platform/app/AppLauncher.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "platform/app/AppContextPrivate.h"
#include "platform/app/AppLog.h"
#include "platform/base/PlatformHome.h"
#include "platform/base/StartupTrace.h"

extern char** environ;

namespace Vx::App {
namespace {

constexpr const char* kReadyFdEnv = "IAP_APP_READY_FD";

std::set<pid_t>& Children() {
    static auto* children = new std::set<pid_t>();
    return *children;
}

unsigned long long ProcessStartTime(pid_t pid) {
    std::FILE* file = std::fopen(("/proc/" + std::to_string(pid) + "/stat").c_str(), "r");
    if (!file) return 0;
    char buffer[1024];
    std::size_t n = std::fread(buffer, 1, sizeof buffer - 1, file);
    std::fclose(file);
    buffer[n] = '\0';
    // The fields after the command name, which is in parentheses and may hold anything.
    const char* rest = std::strrchr(buffer, ')');
    if (!rest) return 0;
    unsigned long long start = 0;
    // state ppid pgrp session tty tpgid flags minflt cminflt majflt cmajflt utime stime cutime cstime priority
    // nice threads itrealvalue starttime
    if (std::sscanf(rest + 1, " %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %*u %*u %*d %*d %*d %*d %*d %*d %llu",
                    &start) != 1) {
        return 0;
    }
    return start;
}

std::string CannotWrite(const std::string& folder) {
    return "the folder " + folder + " cannot be written (" + std::strerror(errno) +
           "); make it writable or set IAP_PLATFORM_HOME to another folder";
}

// Opens (creating it owner-only) the log that a launched application writes
// to. -1 with a reason that names the folder that cannot be written.
int OpenLog(const std::string& appId, std::string& error) {
    std::string home = Vx::Base::GetPlatformHome();
    std::string folder = home + "/logs";
    if (!Vx::Base::CreatePrivateFolders(folder)) {
        error = CannotWrite(home);
        return -1;
    }
    int fd = ::open((folder + "/" + appId + ".log").c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) error = CannotWrite(folder);
    return fd;
}

// This environment with the launch's own entries in place of any inherited ones.
class LaunchEnvironment {
public:
    explicit LaunchEnvironment(const AppManifest& provider) {
        const std::string own[] = {std::string(kAppIdEnv) + "=" + provider.appId, std::string(kLaunchedEnv) + "=1",
                                   "IAP_PLATFORM_HOME=" + Vx::Base::GetPlatformHome(),
                                   std::string(kReadyFdEnv) + "=" + std::to_string(AppLauncher::kReadyFd)};
        for (char** e = environ; e && *e; ++e) {
            bool replaced = false;
            for (const std::string& entry : own)
                replaced = replaced || std::strncmp(*e, entry.c_str(), entry.find('=') + 1) == 0;
            if (!replaced) entries_.emplace_back(*e);
        }
        entries_.insert(entries_.end(), std::begin(own), std::end(own));
        for (std::string& entry : entries_)
            pointers_.push_back(entry.data());
        pointers_.push_back(nullptr);
    }
    char** Get() { return pointers_.data(); }

private:
    std::vector<std::string> entries_;
    std::vector<char*> pointers_;
};

class SpawnSetup {
public:
    SpawnSetup() {
        ::posix_spawn_file_actions_init(&actions_);
        ::posix_spawnattr_init(&attributes_);
    }
    ~SpawnSetup() {
        ::posix_spawn_file_actions_destroy(&actions_);
        ::posix_spawnattr_destroy(&attributes_);
    }
    // Standard input from /dev/null, output to the log, the ready end at kReadyFd.
    // The application outlives its caller: it must not hold the caller's
    // pipes open, or whoever reads the caller's output would wait for it.
    bool Prepare(int logFd, int readyFd) {
        sigset_t none, inherited;
        sigemptyset(&none);
        // Handlers end with exec; only what the caller ignores would be
        // inherited, and an application expects the defaults.
        sigemptyset(&inherited);
        for (int sig :
             {SIGPIPE, SIGCHLD, SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGUSR1, SIGUSR2, SIGTTIN, SIGTTOU, SIGTSTP})
            sigaddset(&inherited, sig);
        // Its own session, as a daemon: a signal to the caller's terminal is not for it.
        return ::posix_spawn_file_actions_addopen(&actions_, STDIN_FILENO, "/dev/null", O_RDONLY, 0) == 0 &&
               ::posix_spawn_file_actions_adddup2(&actions_, logFd, STDOUT_FILENO) == 0 &&
               ::posix_spawn_file_actions_adddup2(&actions_, logFd, STDERR_FILENO) == 0 &&
               ::posix_spawn_file_actions_adddup2(&actions_, readyFd, AppLauncher::kReadyFd) == 0 &&
               ::posix_spawnattr_setflags(&attributes_,
                                          POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF) == 0 &&
               ::posix_spawnattr_setsigmask(&attributes_, &none) == 0 &&
               ::posix_spawnattr_setsigdefault(&attributes_, &inherited) == 0;
    }
    const posix_spawn_file_actions_t* Actions() const { return &actions_; }
    const posix_spawnattr_t* Attributes() const { return &attributes_; }

private:
    posix_spawn_file_actions_t actions_;
    posix_spawnattr_t attributes_;
};

}  // namespace

result AppLauncher::Launch(const AppManifest& provider, Launched& out) {
    CollectEnded();
    if (::access(provider.executable.c_str(), X_OK) != 0) {
        LogAppWarning("cannot launch " + provider.appId + ": " + provider.executable +
                      " is missing or not executable (manifest " + provider.manifestPath + ")");
        return E_OBJ_NOT_FOUND;
    }
    std::string error;
    int logFd = OpenLog(provider.appId, error);
    if (logFd < 0) {
        LogAppWarning("cannot launch " + provider.appId + ": " + error);
        return E_PERMISSION_DENIED;
    }
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
        LogAppWarning("cannot launch " + provider.appId + ": " + std::strerror(errno));
        ::close(logFd);
        return E_SYSTEM;
    }
    SpawnSetup setup;
    LaunchEnvironment environment(provider);
    char* argv[] = {const_cast<char*>(provider.executable.c_str()), nullptr};
    pid_t pid = -1;
    int rc = setup.Prepare(logFd, ends[1]) ? ::posix_spawn(&pid, provider.executable.c_str(), setup.Actions(),
                                                           setup.Attributes(), argv, environment.Get())
                                           : EINVAL;
    ::close(logFd);
    ::close(ends[1]);
    if (rc != 0) {
        LogAppWarning("cannot launch " + provider.executable + ": " + std::strerror(rc));
        ::close(ends[0]);
        return E_SYSTEM;
    }
    Children().insert(pid);
    Vx::Base::StartupTrace::Mark("launcher: started the application");
    ::fcntl(ends[0], F_SETFL, ::fcntl(ends[0], F_GETFL) | O_NONBLOCK);
    out.pid = pid;
    out.readyFd = ends[0];
    out.startTime = ProcessStartTime(pid);
    return E_SUCCESS;
}

AppLauncher::Readiness AppLauncher::ReadReadiness(int readyFd) {
    char byte;
    ssize_t n = ::recv(readyFd, &byte, 1, MSG_DONTWAIT);
    if (n > 0) return Readiness::Listening;
    if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) return Readiness::Ended;
    return Readiness::Waiting;
}

int AppLauncher::GetLaunchTimeoutMs() {
    if (const char* text = std::getenv("IAP_APP_LAUNCH_TIMEOUT_MS")) {
        int value = std::atoi(text);
        if (value > 0) return value;
    }
    return 20000;
}

bool AppLauncher::HasEnded(pid_t pid) {
    if (pid <= 0) return true;
    if (Children().count(pid)) {
        int status = 0;
        pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == 0) return false;
        Children().erase(pid);
        return true;
    }
    return ::kill(pid, 0) != 0 && errno != EPERM;
}

void AppLauncher::CollectEnded() {
    std::vector<pid_t> children(Children().begin(), Children().end());
    for (pid_t pid : children)
        HasEnded(pid);
}

void AppLauncher::EndNeverListened(const Launched& launched, const std::string& appId) {
    // A child not yet collected keeps its id; the start time guards the rest.
    if (launched.pid <= 0 || HasEnded(launched.pid)) return;
    if (launched.startTime == 0 || ProcessStartTime(launched.pid) != launched.startTime) return;
    LogAppWarning("ending " + appId + " (process " + std::to_string(launched.pid) + "): it never listened");
    ::kill(launched.pid, SIGKILL);
}

void AppLauncher::SignalListening() {
    const char* text = std::getenv(kReadyFdEnv);
    if (!text) return;
    std::string value = text;
    // Read once and drop, so that programs this one starts do not inherit it.
    ::unsetenv(kReadyFdEnv);
    if (value != std::to_string(kReadyFd)) return;
    // Only the socket its launcher handed over; anything else at that number is not ours to write.
    struct stat st {};
    if (::fstat(kReadyFd, &st) != 0 || !S_ISSOCK(st.st_mode)) return;
    Vx::Base::StartupTrace::Mark("application: listening");
    char byte = 1;
    // MSG_NOSIGNAL: a caller that has gone away must not end this application.
    [[maybe_unused]] ssize_t ignored = ::send(kReadyFd, &byte, 1, MSG_NOSIGNAL | MSG_DONTWAIT);
    ::close(kReadyFd);
}

}  // namespace Vx::App
