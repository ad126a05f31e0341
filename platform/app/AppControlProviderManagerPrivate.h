#pragma once
// The listening side of application control: the instance lock, the local
// server, the connections of callers and the requests still owed an answer.
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "platform/app/AppControlChannelPrivate.h"
#include "platform/app/AppTypes.h"

class QLocalServer;
class QLocalSocket;

namespace Vx::App {

class IAppControlProviderEventListener;

class AppControlProviderManagerPrivate {
public:
    AppControlProviderManagerPrivate() = default;
    ~AppControlProviderManagerPrivate();

    enum class ListenStatus { Listening, AlreadyRunning, Failed };
    // Takes the instance lock of `appId` and listens on its socket.
    ListenStatus Listen(const std::string& appId, std::string& error);
    // New callers find nobody (and launch a successor, which waits for the lock).
    void StopListening();
    // Stops listening, drops every connection and releases the lock.
    void Shutdown();
    // Sends whatever is still buffered to the callers.
    void FlushAll(int timeoutMs);

    void SetListener(IAppControlProviderEventListener* listener);
    IAppControlProviderEventListener* GetListener() const { return listener_; }
    result SendResult(RequestId reqId, AppCtrlResult appControlResult, const Vx::Base::Collection::IMap* extraData);
    result GetClientAppId(RequestId reqId, std::string& appId) const;

    // Requests received and not yet answered whose callers are still connected.
    int GetOwedCount() const { return static_cast<int>(owed_.size()); }
    int GetConnectionCount() const { return static_cast<int>(channels_.size()); }
    long long GetDeliveredCount() const { return delivered_; }
    // Called whenever nothing is owed any more.
    void SetIdleHandler(std::function<void()> onIdle) { onIdle_ = std::move(onIdle); }

private:
    struct Owed {
        std::uint64_t channelId;
        std::uint64_t callId;
        std::string callerAppId;
    };
    struct Delivery {
        RequestId reqId;
        Ipc::RequestMessage request;
    };

    enum class LockStatus { Taken, HeldElsewhere, Failed };
    LockStatus TakeLockFile(const std::string& appId, std::string& dir, std::string& lockPath, int& fd,
                            std::string& error);
    void OnNewConnection();
    void OnMessage(std::uint64_t channelId, Ipc::Message&& message);
    void OnChannelClosed(std::uint64_t channelId);
    void ScheduleDelivery();
    void DeliverPending();
    void CheckIdle();
    void AbandonRequestsOf(std::uint64_t channelId);
    bool OwesAnswerOn(std::uint64_t channelId) const;

    QLocalServer* server_ = nullptr;
    int lockFd_ = -1;
    std::string lockPath_;
    std::string socketDir_;
    // Removed by this instance while it holds the lock.
    std::string socketPath_;
    std::uint64_t nextChannelId_ = 1;
    RequestId nextRequestId_ = 1;
    BufferBudget budget_;  // before the channels, which count against it
    std::map<std::uint64_t, std::unique_ptr<AppControlChannel>> channels_;
    std::map<RequestId, Owed> owed_;
    // Requests whose callers went away before they were answered.
    std::set<RequestId> abandoned_;
    std::deque<Delivery> pending_;
    bool deliveryScheduled_ = false;
    bool ending_ = false;
    long long delivered_ = 0;
    IAppControlProviderEventListener* listener_ = nullptr;
    std::function<void()> onIdle_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// Conversions between the platform's maps and the wire form. A map holding
// anything but String keys and values gives false.
bool ToStringMap(const Vx::Base::Collection::IMap& map, Ipc::StringMap& out);
// A new map that owns its strings.
Vx::Base::Collection::IMap* ToHashMapN(const Ipc::StringMap& map);

}  // namespace Vx::App
