#pragma once
// Runs the build tree's programs for end-to-end tests: a fresh platform home
// per test, processes with a time limit, and reading appctl's JSON answers.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace ToolTest {

inline const char* const kClientId = "client_id=zq83pd0w5r";
inline const char* const kClientSecret = "client_secret=3C9F0B6E1D7A4E22B5C8D0F94A6E17B3";
inline const char* const kView = "/appcontrol/operation/view";
inline const char* const kSignInApp = "a7qd02lm9x.OblinAccount";
inline const char* const kServiceApp = "a7qd02lm9x.OblinAccountService";

// A program started in the background; its standard output and error go to a file.
class Process {
public:
    explicit Process(const std::vector<std::string>& args) {
        char pattern[] = "/tmp/tool-output-XXXXXX";
        int fd = mkstemp(pattern);
        outputPath_ = pattern;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(fd, 1);
            dup2(fd, 2);
            std::vector<char*> argv;
            std::vector<std::string> copy = args;
            for (std::string& arg : copy)
                argv.push_back(arg.data());
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        close(fd);
    }
    ~Process() {
        if (pid_ > 0 && exitCode_ == kRunning) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        unlink(outputPath_.c_str());
    }

    // The exit code, or -1 when it did not end in time (it is then killed).
    int Wait(int timeoutMs) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (exitCode_ == kRunning) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
                break;
            }
            if (std::chrono::steady_clock::now() > deadline) {
                kill(pid_, SIGKILL);
                waitpid(pid_, nullptr, 0);
                exitCode_ = -1;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return exitCode_;
    }
    std::string Output() const {
        std::ifstream in(outputPath_);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

private:
    static constexpr int kRunning = -1000;
    pid_t pid_ = -1;
    int exitCode_ = kRunning;
    std::string outputPath_;
};

inline std::string Bin(const std::string& name) { return std::string(IAP_BIN_DIR) + "/" + name; }

struct RunResult {
    int exitCode = -1;
    std::string output;
};

inline RunResult RunProgram(const std::vector<std::string>& args, int timeoutMs = 60000) {
    Process process(args);
    RunResult run;
    run.exitCode = process.Wait(timeoutMs);
    run.output = process.Output();
    return run;
}

// The string value of "key" in appctl's JSON answer; empty when absent.
inline std::string JsonValue(const std::string& json, const std::string& key) {
    std::string marker = "\"" + key + "\": ";
    std::size_t at = json.find(marker);
    if (at == std::string::npos) return {};
    at += marker.size();
    if (json[at] != '"') {
        std::size_t end = json.find_first_of(",}", at);
        return json.substr(at, end - at);
    }
    std::string value;
    for (std::size_t i = at + 1; i < json.size() && json[i] != '"'; ++i) {
        if (json[i] == '\\' && i + 1 < json.size()) ++i;
        value += json[i];
    }
    return value;
}

// A fresh platform home for each test, removed afterwards.
class PlatformHome {
public:
    PlatformHome() {
        char pattern[] = "/tmp/tool-home-XXXXXX";
        if (mkdtemp(pattern)) path_ = pattern;
        setenv("IAP_PLATFORM_HOME", path_.c_str(), 1);
    }
    ~PlatformHome() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::string& Path() const { return path_; }
    std::string Log(const std::string& appId) const {
        std::ifstream in(path_ + "/logs/" + appId + ".log");
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

private:
    std::string path_;
};

}  // namespace ToolTest
