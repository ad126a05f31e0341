// bench_appcontrol_memory: how much memory callers can make a provider hold.
// buyservice runs as a provider; N connections each announce the largest
// frame and send all of it but 1 KiB, at once. Printed: the provider's
// resident memory before, its peak afterwards (goal: below the start plus
// 64 MB, whatever N) and how many connections it closed.
// A plain program rather than Google Benchmark: the figure wanted is one
// process's peak, not a time.
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/app/AppControlMessages.h"
#include "platform/app/AppSocketDirectory.h"

namespace {

const char kHelp[] = R"(Usage: bench_appcontrol_memory [--connections N] [--bin DIR]

Starts buyservice as a provider in a fresh platform home, opens N connections
(default 10) that each send most of a 16 MiB frame, and prints the provider's
resident memory before and its peak after, and how many connections it closed
(goal: a peak below the start plus 64 MB). Run it on an optimised build
without sanitizers (AddressSanitizer keeps freed memory in quarantine):
  cmake -S . -B build-rel -DCMAKE_BUILD_TYPE=Release -DIAP_SANITIZE=OFF -DIAP_BUILD_TESTS=OFF
  cmake --build build-rel --target bench_appcontrol_memory && build-rel/bin/bench_appcontrol_memory
Exit status: 0 measured (whether or not the goal is met), 1 could not measure, 2 usage.
)";

constexpr double kGoalMb = 64.0;

int Fail(const std::string& message) {
    std::fprintf(stderr, "bench_appcontrol_memory: %s\n", message.c_str());
    return 1;
}

// VmRSS or VmHWM of a process, in kB; -1 when unreadable.
long StatusKb(pid_t pid, const std::string& field) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(field + ":", 0) == 0) return std::strtol(line.c_str() + field.size() + 1, nullptr, 10);
    }
    return -1;
}

int Connect(const std::string& path) {
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) return fd;
    ::close(fd);
    return -1;
}

bool ClosedByPeer(int fd) {
    char byte;
    ssize_t n = ::recv(fd, &byte, 1, MSG_DONTWAIT);
    return n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK);
}

}  // namespace

int main(int argc, char** argv) {
    int connections = 10;
    std::string bin = IAP_BIN_DIR;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "-h" || arg == "--help") {
            std::fputs(kHelp, stdout);
            return 0;
        } else if (arg == "--connections" && i + 1 < argc) {
            connections = std::atoi(argv[++i]);
        } else if (arg == "--bin" && i + 1 < argc) {
            bin = argv[++i];
        } else {
            std::fprintf(stderr, "bench_appcontrol_memory: unknown argument %s (see --help)\n", arg.c_str());
            return 2;
        }
    }
    if (connections < 1) return Fail("--connections needs a positive number");

    char pattern[] = "/tmp/bench-appcontrol-XXXXXX";
    if (!::mkdtemp(pattern)) return Fail("cannot make a platform home in /tmp");
    std::string home = pattern;
    ::setenv("IAP_PLATFORM_HOME", home.c_str(), 1);
    ::setenv("IAP_APPCONTROL_IDLE_TIMEOUT_MS", "60000", 1);
    std::string dir, error;
    if (Vx::App::AppSocketDirectory::Find(dir, error) != Vx::E_SUCCESS) return Fail(error);
    std::string socketPath = Vx::App::AppSocketDirectory::GetSocketPath(dir, "buyservice.BuyService");

    std::string program = bin + "/buyservice";
    pid_t pid = ::fork();
    if (pid == 0) {
        std::freopen((home + "/buyservice.log").c_str(), "w", stderr);
        ::execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    auto end = [&](int code) {
        ::kill(pid, SIGTERM);
        ::waitpid(pid, nullptr, 0);
        std::error_code ignored;
        std::filesystem::remove_all(home, ignored);
        return code;
    };
    int probe = -1;
    for (int waited = 0; waited < 10000 && (probe = Connect(socketPath)) < 0; waited += 10)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (probe < 0) return end(Fail(program + " did not listen at " + socketPath));
    ::close(probe);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    long startKb = StatusKb(pid, "VmRSS");

    std::string frame(Vx::App::Ipc::kFrameHeaderBytes, '\0');
    std::size_t length = Vx::App::Ipc::kMaxPayloadBytes;
    for (int i = 3; i >= 0; --i, length >>= 8)
        frame[static_cast<std::size_t>(i)] = static_cast<char>(length & 0xff);
    frame += std::string(Vx::App::Ipc::kMaxPayloadBytes - 1024, '\x01');
    std::vector<int> fds;
    std::vector<std::thread> senders;
    auto started = std::chrono::steady_clock::now();
    for (int i = 0; i < connections; ++i) {
        int fd = Connect(socketPath);
        if (fd < 0) return end(Fail("connection " + std::to_string(i + 1) + " was refused"));
        fds.push_back(fd);
        senders.emplace_back([fd, &frame] {
            std::size_t sent = 0;
            while (sent < frame.size()) {
                ssize_t n = ::send(fd, frame.data() + sent, frame.size() - sent, MSG_NOSIGNAL);
                if (n <= 0) return;
                sent += static_cast<std::size_t>(n);
            }
        });
    }
    for (std::thread& sender : senders)
        sender.join();
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    long peakKb = StatusKb(pid, "VmHWM");
    int closed = 0;
    for (int fd : fds) {
        closed += ClosedByPeer(fd) ? 1 : 0;
        ::close(fd);
    }
    if (startKb < 0 || peakKb < 0) return end(Fail("cannot read the provider's memory from /proc"));
    double growthMb = (peakKb - startKb) / 1024.0;
    std::printf("connections                %d, each sending %zu of a %zu-byte frame (%.2f s)\n", connections,
                frame.size() - Vx::App::Ipc::kFrameHeaderBytes, Vx::App::Ipc::kMaxPayloadBytes, seconds);
    std::printf("provider resident at start %.1f MB\n", startKb / 1024.0);
    std::printf("provider peak afterwards   %.1f MB (+%.1f MB; goal below +%.0f MB: %s)\n", peakKb / 1024.0, growthMb,
                kGoalMb, growthMb < kGoalMb ? "met" : "NOT met");
    std::printf("connections it closed      %d\n", closed);
    return end(0);
}
