#include "platform/app/AppControlClientPrivate.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTimer>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>

#include "platform/app/AppContextPrivate.h"
#include "platform/app/AppControlChannelPrivate.h"
#include "platform/app/AppLog.h"
#include "platform/app/AppSocketDirectory.h"
#include "platform/app/AppTypes.h"
#include "platform/base/PlatformHome.h"

namespace Vx::App {
namespace {

// A launched application usually listens within a few tens of
// milliseconds: look often then, which every cold start waits for, and
// seldom afterwards.
constexpr int kFastRetryIntervalMs = 1;
constexpr int kFastRetryPeriodMs = 200;
constexpr int kRetryIntervalMs = 5;
// After the launched process has died, another instance (started by a
// concurrent caller) may still be coming up.
constexpr int kGraceAfterDeathMs = 2000;
constexpr int kMaxRedeliveries = 3;

int LaunchTimeoutMs() {
    if (const char* text = std::getenv("IAP_APP_LAUNCH_TIMEOUT_MS")) {
        int value = std::atoi(text);
        if (value > 0) return value;
    }
    return 20000;
}

bool ProcessAlive(qint64 pid) { return pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM); }

// When the process started, in clock ticks since boot: tells it from a later
// process that was given the same id. 0 when unknown.
unsigned long long ProcessStartTime(qint64 pid) {
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

// Opens (creating it owner-only) the log that a launched application writes
// to. False with a reason that names the folder that cannot be written.
bool PrepareLog(const std::string& appId, std::string& logPath, std::string& error) {
    std::string home = Vx::Base::GetPlatformHome();
    std::string folder = home + "/logs";
    if (!Vx::Base::CreatePrivateFolders(folder)) {
        error = "the folder " + home + " cannot be written (" + std::strerror(errno) +
                "); make it writable or set IAP_PLATFORM_HOME to another folder";
        return false;
    }
    logPath = folder + "/" + appId + ".log";
    int fd = ::open(logPath.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        error = "the folder " + folder + " cannot be written (" + std::strerror(errno) +
                "); make it writable or set IAP_PLATFORM_HOME to another folder";
        return false;
    }
    ::close(fd);
    return true;
}

class OutgoingCall {
public:
    OutgoingCall(std::uint64_t id, AppManifest provider, std::string socketPath, Ipc::RequestMessage request,
                 AppControlCallEvents events)
        : id_(id),
          provider_(std::move(provider)),
          socketPath_(std::move(socketPath)),
          request_(std::move(request)),
          events_(std::move(events)) {
        request_.callId = id;
    }
    ~OutgoingCall() {
        if (retry_) {
            retry_->stop();
            retry_->deleteLater();
        }
    }

    bool TryConnect();
    result Launch();
    void StartRetrying();

private:
    void Attach(QLocalSocket* socket);
    void OnRetry();
    void OnMessage(Ipc::Message&& message);
    void OnClosed(const std::string& reason);
    void Complete(int appControlResult, const std::optional<Ipc::StringMap>& extra);
    void Started(result r);
    void EndLaunchedProcess();

    std::uint64_t id_;
    AppManifest provider_;
    std::string socketPath_;
    Ipc::RequestMessage request_;
    AppControlCallEvents events_;
    std::unique_ptr<AppControlChannel> channel_;
    QTimer* retry_ = nullptr;
    QElapsedTimer waited_;
    qint64 pid_ = 0;
    unsigned long long pidStartTime_ = 0;
    qint64 diedAtMs_ = -1;
    bool started_ = false;
    int redeliveries_ = 0;
};

std::map<std::uint64_t, std::unique_ptr<OutgoingCall>>& Calls() {
    static auto* calls = new std::map<std::uint64_t, std::unique_ptr<OutgoingCall>>();
    return *calls;
}

std::uint64_t g_nextCallId = 1;

// Removes the call from the table; its deletion waits for the event loop so
// that none of its own handlers is still running.
std::unique_ptr<OutgoingCall> Detach(std::uint64_t id) {
    auto it = Calls().find(id);
    if (it == Calls().end()) return nullptr;
    std::unique_ptr<OutgoingCall> call = std::move(it->second);
    Calls().erase(it);
    return call;
}

void DeleteLater(std::unique_ptr<OutgoingCall> call) {
    OutgoingCall* raw = call.release();
    QTimer::singleShot(0, [raw] { delete raw; });
}

bool OutgoingCall::TryConnect() {
    // The folder comes and goes with the applications of the home: whoever
    // made it since the last look must be this user.
    std::string dir, error;
    if (AppSocketDirectory::Find(dir, error) != E_SUCCESS) return false;
    QLocalSocket* socket = ConnectToAppSocket(socketPath_);
    if (!socket) return false;
    Attach(socket);
    return true;
}

void OutgoingCall::Attach(QLocalSocket* socket) {
    channel_ = std::make_unique<AppControlChannel>(socket, "application " + provider_.appId);
    channel_->SetHandlers([this](Ipc::Message&& m) { OnMessage(std::move(m)); },
                          [this](const std::string& reason) { OnClosed(reason); });
    channel_->Send(request_);
}

result OutgoingCall::Launch() {
    if (::access(provider_.executable.c_str(), X_OK) != 0) {
        LogAppWarning("cannot launch " + provider_.appId + ": " + provider_.executable +
                      " is missing or not executable (manifest " + provider_.manifestPath + ")");
        return E_OBJ_NOT_FOUND;
    }
    std::string log, error;
    if (!PrepareLog(provider_.appId, log, error)) {
        LogAppWarning("cannot launch " + provider_.appId + ": " + error);
        return E_PERMISSION_DENIED;
    }
    QProcess process;
    process.setProgram(QString::fromStdString(provider_.executable));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(kAppIdEnv, QString::fromStdString(provider_.appId));
    env.insert(kLaunchedEnv, "1");
    env.insert("IAP_PLATFORM_HOME", QString::fromStdString(Vx::Base::GetPlatformHome()));
    process.setProcessEnvironment(env);
    // The application outlives its caller: it must not hold the caller's
    // pipes open, or whoever reads the caller's output would wait for it.
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QString::fromStdString(log), QIODevice::Append);
    process.setStandardErrorFile(QString::fromStdString(log), QIODevice::Append);
    if (!process.startDetached(&pid_)) {
        LogAppWarning("cannot launch " + provider_.executable + ": " + process.errorString().toStdString());
        return E_SYSTEM;
    }
    pidStartTime_ = ProcessStartTime(pid_);
    return E_SUCCESS;
}

void OutgoingCall::StartRetrying() {
    waited_.start();
    retry_ = new QTimer();
    retry_->setInterval(kFastRetryIntervalMs);
    QObject::connect(retry_, &QTimer::timeout, retry_, [this] { OnRetry(); });
    retry_->start();
}

void OutgoingCall::OnRetry() {
    if (TryConnect()) {
        retry_->stop();
        return;
    }
    if (retry_->interval() != kRetryIntervalMs && waited_.elapsed() >= kFastRetryPeriodMs) {
        retry_->setInterval(kRetryIntervalMs);
    }
    qint64 now = waited_.elapsed();
    if (diedAtMs_ < 0 && !ProcessAlive(pid_)) diedAtMs_ = now;
    bool gaveUp = now >= LaunchTimeoutMs() || (diedAtMs_ >= 0 && now - diedAtMs_ >= kGraceAfterDeathMs);
    if (!gaveUp) return;
    retry_->stop();
    if (diedAtMs_ < 0) EndLaunchedProcess();
    LogAppWarning("application " + provider_.appId +
                  (diedAtMs_ >= 0 ? " exited before it listened"
                                  : " did not listen within " + std::to_string(LaunchTimeoutMs()) + " ms") +
                  "; see " + Vx::Base::GetPlatformHome() + "/logs/" + provider_.appId + ".log");
    Started(E_CONNECTION_FAILED);
    Complete(APP_CTRL_RESULT_ABORTED, std::nullopt);
}

// A launched program that never listened is of no use to anyone, and would
// otherwise stay behind: it is ended, unless its id now names another process.
void OutgoingCall::EndLaunchedProcess() {
    if (pid_ <= 0 || pidStartTime_ == 0 || ProcessStartTime(pid_) != pidStartTime_) return;
    LogAppWarning("ending " + provider_.appId + " (process " + std::to_string(pid_) + "): it never listened");
    ::kill(static_cast<pid_t>(pid_), SIGKILL);
}

void OutgoingCall::OnMessage(Ipc::Message&& message) {
    if (auto* accepted = std::get_if<Ipc::AcceptedMessage>(&message); accepted && accepted->callId == id_) {
        Started(E_SUCCESS);
    } else if (auto* answer = std::get_if<Ipc::ResultMessage>(&message); answer && answer->callId == id_) {
        Started(E_SUCCESS);
        int value = static_cast<int>(answer->result);
        if (answer->result > APP_CTRL_RESULT_ABORTED) {
            LogAppWarning(provider_.appId + " answered with unknown result " + std::to_string(answer->result));
            value = APP_CTRL_RESULT_FAILED;
        }
        Complete(value, answer->extra);
    } else {
        channel_->Close("unexpected message for call " + std::to_string(id_));
    }
}

void OutgoingCall::OnClosed(const std::string& reason) {
    // Closed before the provider took the request: it was on its way out (its
    // listening socket outlived the rest for a moment). Nothing was delivered,
    // so the request is sent again, to a new instance if need be.
    if (!started_ && reason.empty() && ++redeliveries_ <= kMaxRedeliveries) {
        auto* stale = channel_.release();
        QTimer::singleShot(0, [stale] { delete stale; });
        diedAtMs_ = -1;
        if (TryConnect()) return;
        if (Launch() == E_SUCCESS) {
            if (retry_) {
                waited_.restart();
                retry_->setInterval(kFastRetryIntervalMs);
                retry_->start();
            } else {
                StartRetrying();
            }
            return;
        }
    }
    if (!started_) {
        Started(reason.empty() ? E_CONNECTION_FAILED : E_INVALID_FORMAT);
        Complete(APP_CTRL_RESULT_ABORTED, std::nullopt);
        return;
    }
    // The provider had our request: it ended, or dropped us, without answering.
    // One that broke the protocol cannot be trusted to have handled it.
    Complete(reason.empty() ? APP_CTRL_RESULT_TERMINATED : APP_CTRL_RESULT_ABORTED, std::nullopt);
}

void OutgoingCall::Started(result r) {
    if (started_) return;
    started_ = true;
    if (events_.onStarted) events_.onStarted(r);
}

void OutgoingCall::Complete(int appControlResult, const std::optional<Ipc::StringMap>& extra) {
    std::unique_ptr<OutgoingCall> self = Detach(id_);
    if (!self) return;
    auto onCompleted = std::move(events_.onCompleted);
    std::optional<Ipc::StringMap> copy = extra;
    // The channel goes with the call, once its handlers have returned.
    DeleteLater(std::move(self));
    if (onCompleted) onCompleted(appControlResult, copy);
}

}  // namespace

result AppControlClient::Send(const AppManifest& provider, Ipc::RequestMessage request, AppControlCallEvents events) {
    if (!QCoreApplication::instance()) return E_INVALID_STATE;
    if (Ipc::EncodeFrame(request).size() - Ipc::kFrameHeaderBytes > Ipc::kMaxPayloadBytes) return E_OUT_OF_RANGE;
    std::string dir, error;
    // Not created here: the application that listens creates it, and removes it when it ends.
    if (result r = AppSocketDirectory::Find(dir, error); r != E_SUCCESS) {
        LogAppWarning("application control unavailable: " + error);
        return r;
    }
    std::uint64_t id = g_nextCallId++;
    auto call = std::make_unique<OutgoingCall>(id, provider, AppSocketDirectory::GetSocketPath(dir, provider.appId),
                                               std::move(request), std::move(events));
    OutgoingCall* raw = call.get();
    Calls().emplace(id, std::move(call));
    if (raw->TryConnect()) return E_SUCCESS;
    if (result r = raw->Launch(); r != E_SUCCESS) {
        Detach(id);
        return r;
    }
    raw->StartRetrying();
    return E_SUCCESS;
}

result AppControlClient::Broadcast(const Ipc::Message& message, const std::string& exceptAppId) {
    std::string dir, error;
    if (result r = AppSocketDirectory::Find(dir, error); r != E_SUCCESS) return r;
    std::string frame = Ipc::EncodeFrame(message);
    std::error_code ec;
    std::string except = AppSocketDirectory::GetSocketPath(dir, exceptAppId);
    for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::string path = it->path().string();
        if (path == except || !it->is_socket(ec)) continue;
        std::unique_ptr<QLocalSocket> socket(ConnectToAppSocket(path));
        if (!socket) continue;
        socket->write(frame.data(), static_cast<qint64>(frame.size()));
        socket->waitForBytesWritten(200);
        socket->disconnectFromServer();
    }
    return E_SUCCESS;
}

int AppControlClient::GetOpenCallCount() { return static_cast<int>(Calls().size()); }

}  // namespace Vx::App
