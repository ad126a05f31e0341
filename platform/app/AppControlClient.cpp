#include "platform/app/AppControlClientPrivate.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QSocketNotifier>
#include <QTimer>

#include <map>
#include <memory>

#include "platform/app/AppContextPrivate.h"
#include "platform/app/AppControlChannelPrivate.h"
#include "platform/app/AppControlSyncClient.h"
#include "platform/app/AppLauncher.h"
#include "platform/app/AppLog.h"
#include "platform/app/AppSocketDirectory.h"
#include "platform/app/AppTypes.h"
#include "platform/base/PlatformHome.h"

namespace Vx::App {
namespace {

// A launched application says when it listens; looking for its socket now
// and then only covers one that cannot say so (its word was lost, or another
// instance, started by a concurrent caller, is coming up instead).
constexpr int kRetryIntervalMs = 5;
constexpr int kRetryWhileSignalledIntervalMs = 50;
// After the launched process has died, another instance (started by a
// concurrent caller) may still be coming up.
constexpr int kGraceAfterDeathMs = 2000;
constexpr int kMaxRedeliveries = 3;

// Launched applications are this process's children: each is collected as
// soon as it ends, so that none lingers as a zombie (which would also still
// look alive to anyone probing its id).
void CollectWhenEnded(pid_t pid) {
    int fd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    if (fd < 0) return;  // collected at the next launch or answer instead
    auto* notifier = new QSocketNotifier(static_cast<qintptr>(fd), QSocketNotifier::Read);
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [notifier, fd, pid] {
        AppLauncher::HasEnded(pid);
        notifier->setEnabled(false);
        notifier->deleteLater();
        ::close(fd);
    });
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
        StopWatchingReadiness();
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
    void WatchReadiness();
    void StopWatchingReadiness();

    std::uint64_t id_;
    AppManifest provider_;
    std::string socketPath_;
    Ipc::RequestMessage request_;
    AppControlCallEvents events_;
    std::unique_ptr<AppControlChannel> channel_;
    QTimer* retry_ = nullptr;
    QSocketNotifier* readiness_ = nullptr;
    QElapsedTimer waited_;
    AppLauncher::Launched launched_;
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
    StopWatchingReadiness();
    if (result r = AppLauncher::Launch(provider_, launched_); r != E_SUCCESS) return r;
    CollectWhenEnded(launched_.pid);
    WatchReadiness();
    return E_SUCCESS;
}

void OutgoingCall::WatchReadiness() {
    readiness_ = new QSocketNotifier(static_cast<qintptr>(launched_.readyFd), QSocketNotifier::Read);
    QObject::connect(readiness_, &QSocketNotifier::activated, readiness_, [this] {
        AppLauncher::Readiness said = AppLauncher::ReadReadiness(launched_.readyFd);
        if (said == AppLauncher::Readiness::Waiting) return;
        if (said == AppLauncher::Readiness::Ended && diedAtMs_ < 0) diedAtMs_ = waited_.elapsed();
        StopWatchingReadiness();
        if (retry_ && retry_->isActive()) {
            retry_->setInterval(kRetryIntervalMs);
            OnRetry();
        }
    });
}

void OutgoingCall::StopWatchingReadiness() {
    if (readiness_) {
        readiness_->setEnabled(false);
        readiness_->disconnect();
        // It may be the sender of the signal that led here.
        readiness_->deleteLater();
        readiness_ = nullptr;
    }
    if (launched_.readyFd >= 0) {
        ::close(launched_.readyFd);
        launched_.readyFd = -1;
    }
}

void OutgoingCall::StartRetrying() {
    waited_.start();
    retry_ = new QTimer();
    retry_->setInterval(readiness_ ? kRetryWhileSignalledIntervalMs : kRetryIntervalMs);
    QObject::connect(retry_, &QTimer::timeout, retry_, [this] { OnRetry(); });
    retry_->start();
}

void OutgoingCall::OnRetry() {
    if (TryConnect()) {
        retry_->stop();
        StopWatchingReadiness();
        return;
    }
    qint64 now = waited_.elapsed();
    if (diedAtMs_ < 0 && AppLauncher::HasEnded(launched_.pid)) diedAtMs_ = now;
    bool gaveUp = now >= AppLauncher::GetLaunchTimeoutMs() || (diedAtMs_ >= 0 && now - diedAtMs_ >= kGraceAfterDeathMs);
    if (!gaveUp) return;
    retry_->stop();
    StopWatchingReadiness();
    if (diedAtMs_ < 0) AppLauncher::EndNeverListened(launched_, provider_.appId);
    LogAppWarning("application " + provider_.appId +
                  (diedAtMs_ >= 0
                       ? " exited before it listened"
                       : " did not listen within " + std::to_string(AppLauncher::GetLaunchTimeoutMs()) + " ms") +
                  "; see " + Vx::Base::GetPlatformHome() + "/logs/" + provider_.appId + ".log");
    Started(E_CONNECTION_FAILED);
    Complete(APP_CTRL_RESULT_ABORTED, std::nullopt);
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
                retry_->setInterval(readiness_ ? kRetryWhileSignalledIntervalMs : kRetryIntervalMs);
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
    AppLauncher::CollectEnded();
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
    return AppControlSyncClient::Broadcast(message, exceptAppId);
}

int AppControlClient::GetOpenCallCount() { return static_cast<int>(Calls().size()); }

}  // namespace Vx::App
