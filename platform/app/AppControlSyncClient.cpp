#include "platform/app/AppControlSyncClient.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <optional>

#include "platform/app/AppLauncher.h"
#include "platform/app/AppLog.h"
#include "platform/app/AppSocketDirectory.h"
#include "platform/app/AppTypes.h"
#include "platform/base/PlatformHome.h"
#include "platform/base/StartupTrace.h"

namespace Vx::App {
namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::milliseconds;

// Only for a launched application that cannot say when it listens.
constexpr int kRetryIntervalMs = 5;
// After the launched process has died, another instance (started by a
// concurrent caller) may still be coming up.
constexpr int kGraceAfterDeathMs = 2000;
constexpr int kMaxRedeliveries = 3;
constexpr int kWaitingReportMs = 250;
constexpr int kBroadcastWriteMs = 200;

// Waits for `events` on `fd` (or only for the time, with fd -1) until `until`.
bool PollUntil(int fd, short events, Clock::time_point until) {
    for (;;) {
        auto left = std::chrono::duration_cast<Ms>(until - Clock::now()).count();
        if (left <= 0) return false;
        pollfd p{fd, events, 0};
        int n = ::poll(&p, fd >= 0 ? 1 : 0, static_cast<int>(std::min<long long>(left + 1, 60000)));
        if (n > 0) return true;
        if (n < 0 && errno != EINTR) return false;
        if (fd < 0 && Clock::now() >= until) return false;
    }
}

bool WriteAll(int fd, const std::string& bytes, Clock::time_point until) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
            if (!PollUntil(fd, POLLOUT, until)) return false;
        } else {
            return false;
        }
    }
    return true;
}

class SyncCall {
public:
    SyncCall(const AppManifest& provider, Ipc::RequestMessage request, int timeoutMs,
             const AppControlSyncClient::WaitingHandler& onWaiting, std::string socketPath)
        : provider_(provider),
          request_(std::move(request)),
          onWaiting_(onWaiting),
          socketPath_(std::move(socketPath)),
          start_(Clock::now()),
          deadline_(start_ + Ms(timeoutMs)),
          lastReport_(start_) {
        request_.callId = 1;
    }

    result Run(AppControlSyncClient::Answer& answer) {
        for (int redeliveries = 0;; ++redeliveries) {
            int fd = -1;
            if (result r = Reach(fd, answer); r != E_SUCCESS || fd < 0) return r;
            Vx::Base::StartupTrace::Mark("caller: connected");
            Exchange outcome = Send(fd, answer);
            ::close(fd);
            if (outcome == Exchange::TimedOut) return E_TIMEOUT;
            // Closed before the provider took the request: it was on its way
            // out. Nothing was delivered, so the request is sent again, to a
            // new instance if need be.
            if (outcome == Exchange::Unconfirmed && redeliveries < kMaxRedeliveries) continue;
            if (outcome == Exchange::Unconfirmed) answer = {APP_CTRL_RESULT_ABORTED, std::nullopt};
            AppLauncher::CollectEnded();
            return E_SUCCESS;
        }
    }

private:
    enum class Exchange { Answered, Unconfirmed, TimedOut };

    int Connect() const {
        // The folder comes and goes with the applications of the home:
        // whoever made it since the last look must be this user.
        std::string dir, error;
        if (AppSocketDirectory::Find(dir, error) != E_SUCCESS) return -1;
        return AppSocketDirectory::Connect(socketPath_);
    }

    // Waits until `until`, telling the caller now and then that it still waits.
    bool Wait(int fd, short events, Clock::time_point until) {
        for (;;) {
            Clock::time_point slice = std::min(until, lastReport_ + Ms(kWaitingReportMs));
            if (PollUntil(fd, events, slice)) return true;
            Clock::time_point now = Clock::now();
            if (now >= lastReport_ + Ms(kWaitingReportMs)) {
                lastReport_ = now;
                if (onWaiting_) onWaiting_(std::chrono::duration<double>(now - start_).count());
            }
            if (now >= until) return false;
        }
    }

    // A connection to the provider in `fd`, launching it if need be. With fd
    // -1 and E_SUCCESS, `answer` says the request could not be delivered.
    result Reach(int& fd, AppControlSyncClient::Answer& answer) {
        if ((fd = Connect()) >= 0) return E_SUCCESS;
        AppLauncher::Launched launched;
        if (result r = AppLauncher::Launch(provider_, launched); r != E_SUCCESS) return r;
        Clock::time_point launchedAt = Clock::now();
        Clock::time_point giveUpAt = launchedAt + Ms(AppLauncher::GetLaunchTimeoutMs());
        std::optional<Clock::time_point> diedAt;
        auto closeReady = [&launched] {
            if (launched.readyFd >= 0) ::close(launched.readyFd);
            launched.readyFd = -1;
        };
        for (;;) {
            if ((fd = Connect()) >= 0) return closeReady(), E_SUCCESS;
            Clock::time_point now = Clock::now();
            if (!diedAt && launched.readyFd < 0 && AppLauncher::HasEnded(launched.pid)) diedAt = now;
            if (diedAt) giveUpAt = std::min(giveUpAt, *diedAt + Ms(kGraceAfterDeathMs));
            if (now >= giveUpAt) {
                closeReady();
                if (!diedAt) AppLauncher::EndNeverListened(launched, provider_.appId);
                LogAppWarning(
                    "application " + provider_.appId +
                    (diedAt ? " exited before it listened"
                            : " did not listen within " + std::to_string(AppLauncher::GetLaunchTimeoutMs()) + " ms") +
                    "; see " + Vx::Base::GetPlatformHome() + "/logs/" + provider_.appId + ".log");
                answer = {APP_CTRL_RESULT_ABORTED, std::nullopt};
                return E_SUCCESS;
            }
            if (now >= deadline_) return closeReady(), E_TIMEOUT;
            Clock::time_point until = std::min(giveUpAt, deadline_);
            if (launched.readyFd < 0) {
                Wait(-1, 0, std::min(until, now + Ms(kRetryIntervalMs)));
            } else if (Wait(launched.readyFd, POLLIN, until)) {
                AppLauncher::Readiness said = AppLauncher::ReadReadiness(launched.readyFd);
                if (said == AppLauncher::Readiness::Waiting) continue;
                if (said == AppLauncher::Readiness::Ended) diedAt = Clock::now();
                closeReady();
            }
        }
    }

    // Sends the request on `fd` and reads until its answer.
    Exchange Send(int fd, AppControlSyncClient::Answer& answer) {
        if (!WriteAll(fd, Ipc::EncodeFrame(request_), deadline_))
            return Clock::now() >= deadline_ ? Exchange::TimedOut : Exchange::Unconfirmed;
        Ipc::FrameDecoder decoder;
        bool accepted = false;
        char chunk[32 * 1024];
        for (;;) {
            if (!Wait(fd, POLLIN, deadline_)) return Exchange::TimedOut;
            ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) continue;
            if (n <= 0) {
                if (std::size_t partial = decoder.GetBufferedBytes(); partial > 0) {
                    return Broken("connection closed inside a message (" + std::to_string(partial) + " bytes)", answer);
                }
                // The provider had our request: it ended, or dropped us, without answering.
                if (!accepted) return Exchange::Unconfirmed;
                answer = {APP_CTRL_RESULT_TERMINATED, std::nullopt};
                return Exchange::Answered;
            }
            decoder.Feed(chunk, static_cast<std::size_t>(n));
            for (;;) {
                Ipc::Message message;
                std::string error;
                auto status = decoder.Next(message, error);
                if (status == Ipc::FrameDecoder::Status::NeedMore) break;
                if (status == Ipc::FrameDecoder::Status::Error) return Broken("protocol error: " + error, answer);
                if (auto* ok = std::get_if<Ipc::AcceptedMessage>(&message); ok && ok->callId == request_.callId) {
                    accepted = true;
                } else if (auto* result = std::get_if<Ipc::ResultMessage>(&message);
                           result && result->callId == request_.callId) {
                    int value = static_cast<int>(result->result);
                    if (result->result > APP_CTRL_RESULT_ABORTED) {
                        LogAppWarning(provider_.appId + " answered with unknown result " +
                                      std::to_string(result->result));
                        value = APP_CTRL_RESULT_FAILED;
                    }
                    Vx::Base::StartupTrace::Mark("caller: answered");
                    answer = {value, std::move(result->extra)};
                    return Exchange::Answered;
                } else {
                    return Broken("unexpected message for call " + std::to_string(request_.callId), answer);
                }
            }
        }
    }

    // A provider that broke the protocol cannot be trusted to have handled the request.
    Exchange Broken(const std::string& reason, AppControlSyncClient::Answer& answer) {
        LogAppWarning("disconnecting application " + provider_.appId + ": " + reason);
        answer = {APP_CTRL_RESULT_ABORTED, std::nullopt};
        return Exchange::Answered;
    }

    const AppManifest& provider_;
    Ipc::RequestMessage request_;
    const AppControlSyncClient::WaitingHandler& onWaiting_;
    std::string socketPath_;
    Clock::time_point start_;
    Clock::time_point deadline_;
    Clock::time_point lastReport_;
};

}  // namespace

result AppControlSyncClient::Call(const AppManifest& provider, Ipc::RequestMessage request, int timeoutMs,
                                  const WaitingHandler& onWaiting, Answer& answer) {
    if (Ipc::EncodeFrame(request).size() - Ipc::kFrameHeaderBytes > Ipc::kMaxPayloadBytes) return E_OUT_OF_RANGE;
    std::string dir, error;
    // Not created here: the application that listens creates it, and removes it when it ends.
    if (result r = AppSocketDirectory::Find(dir, error); r != E_SUCCESS) {
        LogAppWarning("application control unavailable: " + error);
        return r;
    }
    answer = Answer{};
    SyncCall call(provider, std::move(request), std::max(timeoutMs, 1), onWaiting,
                  AppSocketDirectory::GetSocketPath(dir, provider.appId));
    return call.Run(answer);
}

result AppControlSyncClient::Broadcast(const Ipc::Message& message, const std::string& exceptAppId) {
    std::string dir, error;
    if (result r = AppSocketDirectory::Find(dir, error); r != E_SUCCESS) return r;
    std::string frame = Ipc::EncodeFrame(message);
    std::error_code ec;
    std::string except = AppSocketDirectory::GetSocketPath(dir, exceptAppId);
    for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::string path = it->path().string();
        if (path == except || !it->is_socket(ec)) continue;
        int fd = AppSocketDirectory::Connect(path);
        if (fd < 0) continue;
        WriteAll(fd, frame, Clock::now() + Ms(kBroadcastWriteMs));
        ::close(fd);
    }
    return E_SUCCESS;
}

}  // namespace Vx::App
