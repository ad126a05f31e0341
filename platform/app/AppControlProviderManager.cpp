#include "platform/app/AppControlProviderManager.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/app/AppControlProviderManagerPrivate.h"
#include "platform/app/AppLog.h"
#include "platform/app/AppManager.h"
#include "platform/app/AppSocketDirectory.h"
#include "platform/app/IAppControlProviderEventListener.h"
#include "platform/base/HashMap.h"
#include "platform/base/StartupTrace.h"

namespace Vx::App {

using Vx::Base::String;
using Vx::Base::Collection::ElementOwnership;
using Vx::Base::Collection::HashMap;
using Vx::Base::Collection::IMap;

bool ToStringMap(const IMap& map, Ipc::StringMap& out) {
    std::unique_ptr<Vx::Base::Collection::IMapEnumerator> it(map.GetMapEnumeratorN());
    if (!it) return false;
    Ipc::StringMap result;
    while (it->MoveNext() == E_SUCCESS) {
        auto* key = dynamic_cast<const String*>(it->GetKey());
        auto* value = dynamic_cast<const String*>(it->GetValue());
        if (!key || !value) return false;
        result.emplace_back(key->ToUtf8(), value->ToUtf8());
    }
    out = std::move(result);
    return true;
}

IMap* ToHashMapN(const Ipc::StringMap& entries) {
    auto* map = new HashMap(ElementOwnership::Owned);
    map->Construct(static_cast<int>(entries.size()));
    for (const auto& [key, value] : entries) {
        auto* k = new String(String::FromUtf8(key));
        auto* v = new String(String::FromUtf8(value));
        // A repeated key keeps its first value, as a map would.
        if (map->Add(k, v) != E_SUCCESS) {
            delete k;
            delete v;
        }
    }
    return map;
}

// ---- AppControlProviderManagerPrivate

AppControlProviderManagerPrivate::~AppControlProviderManagerPrivate() {
    *alive_ = false;
    Shutdown();
}

namespace {

constexpr int kEndingInstanceWaitMs = 10000;
// Room for two of the largest frames at once, and some for small ones.
constexpr std::size_t kMaxPartialBytesAllConnections = 2 * Ipc::kMaxPayloadBytes + 8 * 1024 * 1024;

// How long a connection may go without a whole message while it waits for nothing.
int ConnectionIdleLimitMs() {
    if (const char* text = std::getenv("IAP_APPCONTROL_IDLE_TIMEOUT_MS")) {
        int value = std::atoi(text);
        if (value > 0) return value;
    }
    return 10000;
}

bool Listening(const std::string& socketPath) {
    std::unique_ptr<QLocalSocket> probe(ConnectToAppSocket(socketPath));
    return probe != nullptr;
}

// An instance that holds the lock but no longer listens is ending: its
// successor waits for it rather than leave the caller with nobody.
bool TakeInstanceLock(int fd, const std::string& socketPath) {
    for (int waited = 0; waited <= kEndingInstanceWaitMs; waited += 10) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
        if (Listening(socketPath)) return false;
        ::usleep(10 * 1000);
    }
    return false;
}

bool SameFile(int fd, const std::string& path) {
    struct stat held {
    }, named{};
    return ::fstat(fd, &held) == 0 && ::stat(path.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
           held.st_ino == named.st_ino;
}

// A listening socket at `path`, -1 with the reason in `error`. Made here
// rather than by QLocalServer::listen(path), which builds the socket in a
// temporary folder of its own (seeding a random generator for the name,
// making and removing the folder): most of the cost of listening, on every
// cold start. The socket folder is the user's own already.
int ListenAt(const std::string& path, std::string& error) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        error = "the socket path " + path + " is too long";
        return -1;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        error = std::string("cannot make a socket: ") + std::strerror(errno);
        return -1;
    }
    // Holding the lock means any socket file left here belongs to a dead instance.
    ::unlink(path.c_str());
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::chmod(path.c_str(), 0600) != 0 || ::listen(fd, SOMAXCONN) != 0) {
        error = "cannot listen on " + path + ": " + std::strerror(errno);
        ::close(fd);
        ::unlink(path.c_str());
        return -1;
    }
    return fd;
}

}  // namespace

AppControlProviderManagerPrivate::LockStatus AppControlProviderManagerPrivate::TakeLockFile(
    const std::string& appId, std::string& dir, std::string& lockPath, int& fd, std::string& error) {
    // The last application of the home to end removes the folder and its own
    // lock file; an attempt that meets either removal starts again.
    constexpr int kAttempts = 50;
    for (int attempt = 1;; ++attempt) {
        if (AppSocketDirectory::Get(dir, error) != E_SUCCESS) return LockStatus::Failed;
        lockPath = AppSocketDirectory::GetLockPath(dir, appId);
        fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == ENOENT && attempt < kAttempts) continue;
            error = "cannot open " + lockPath + ": " + std::strerror(errno);
            return LockStatus::Failed;
        }
        if (!TakeInstanceLock(fd, AppSocketDirectory::GetSocketPath(dir, appId))) {
            ::close(fd);
            error = "another instance of " + appId + " is running";
            return LockStatus::HeldElsewhere;
        }
        if (SameFile(fd, lockPath)) return LockStatus::Taken;
        ::close(fd);
        if (attempt >= kAttempts) {
            error = "cannot keep a lock file at " + lockPath + ": it keeps being removed";
            return LockStatus::Failed;
        }
    }
}

AppControlProviderManagerPrivate::ListenStatus AppControlProviderManagerPrivate::Listen(const std::string& appId,
                                                                                        std::string& error) {
    if (server_) return ListenStatus::Listening;
    ending_ = false;
    std::string dir, lockPath;
    int fd = -1;
    switch (TakeLockFile(appId, dir, lockPath, fd, error)) {
    case LockStatus::Taken:
        break;
    case LockStatus::HeldElsewhere:
        return ListenStatus::AlreadyRunning;
    case LockStatus::Failed:
        return ListenStatus::Failed;
    }
    std::string socketPath = AppSocketDirectory::GetSocketPath(dir, appId);
    int listening = ListenAt(socketPath, error);
    if (listening < 0) {
        ::close(fd);
        return ListenStatus::Failed;
    }
    auto* server = new QLocalServer();
    if (!server->listen(static_cast<qintptr>(listening))) {
        error = "cannot listen on " + socketPath + ": " + server->errorString().toStdString();
        delete server;
        ::close(listening);
        ::unlink(socketPath.c_str());
        ::close(fd);
        return ListenStatus::Failed;
    }
    server_ = server;
    socketPath_ = socketPath;
    lockFd_ = fd;
    lockPath_ = lockPath;
    socketDir_ = dir;
    QObject::connect(server_, &QLocalServer::newConnection, server_, [this] { OnNewConnection(); });
    return ListenStatus::Listening;
}

void AppControlProviderManagerPrivate::StopListening() {
    ending_ = true;
    if (!server_) return;
    server_->close();
    // Still holding the lock: the socket file can only be this instance's.
    if (!socketPath_.empty()) ::unlink(socketPath_.c_str());
    socketPath_.clear();
}

void AppControlProviderManagerPrivate::Shutdown() {
    // Requests never handed to the application are closed unconfirmed, so
    // their callers send them again (to the next instance).
    pending_.clear();
    auto channels = std::move(channels_);
    channels_.clear();
    channels.clear();
    owed_.clear();
    abandoned_.clear();
    pending_.clear();
    if (server_) {
        server_->close();
        delete server_;
        server_ = nullptr;
    }
    if (!socketPath_.empty()) ::unlink(socketPath_.c_str());
    socketPath_.clear();
    if (lockFd_ >= 0) {
        // Removed while still held: a successor that opened it meanwhile sees
        // that it is gone once it gets the lock, and makes a new one.
        ::unlink(lockPath_.c_str());
        ::close(lockFd_);
        lockFd_ = -1;
        AppSocketDirectory::RemoveIfEmpty(socketDir_);
    }
}

void AppControlProviderManagerPrivate::FlushAll(int timeoutMs) {
    for (auto& [id, channel] : channels_)
        channel->Flush(timeoutMs);
}

void AppControlProviderManagerPrivate::OnNewConnection() {
    budget_.limit = kMaxPartialBytesAllConnections;
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        socket->setParent(nullptr);
        std::uint64_t id = nextChannelId_++;
        auto channel = std::make_unique<AppControlChannel>(socket, "caller #" + std::to_string(id));
        channel->SetBufferBudget(&budget_);
        channel->StartIdleLimit(ConnectionIdleLimitMs());
        AppControlChannel* raw = channel.get();
        channels_.emplace(id, std::move(channel));
        // Last: bytes already waiting are read from here on.
        raw->SetHandlers([this, id](Ipc::Message&& m) { OnMessage(id, std::move(m)); },
                         [this, id](const std::string&) { OnChannelClosed(id); });
    }
}

void AppControlProviderManagerPrivate::OnMessage(std::uint64_t channelId, Ipc::Message&& message) {
    auto channel = channels_.find(channelId);
    if (channel == channels_.end()) return;
    if (auto* request = std::get_if<Ipc::RequestMessage>(&message)) {
        if (ending_) {
            // Unconfirmed: the caller sends it again, to the next instance.
            channel->second->Close({});
            return;
        }
        RequestId reqId = nextRequestId_++;
        owed_[reqId] = Owed{channelId, request->callId, request->callerAppId};
        // Waiting for the answer is not idleness, however long it takes.
        channel->second->StopIdleLimit();
        pending_.push_back(Delivery{reqId, std::move(*request)});
        ScheduleDelivery();
    } else if (auto* active = std::get_if<Ipc::ActiveAppChangedMessage>(&message)) {
        if (AppManager* manager = AppManager::GetInstance())
            manager->NotifyActiveAppChanged(String::FromUtf8(active->appId));
    } else {
        channel->second->Close("sent a message that only a provider may send");
    }
}

void AppControlProviderManagerPrivate::OnChannelClosed(std::uint64_t channelId) {
    auto it = channels_.find(channelId);
    if (it == channels_.end()) return;
    // Deleting from inside the channel's own handler is safe: it defers the socket.
    channels_.erase(it);
    std::weak_ptr<bool> alive = alive_;
    AbandonRequestsOf(channelId);
    if (!alive.expired()) CheckIdle();
}

// Nobody is left to receive the answers: the application stops working on them.
void AppControlProviderManagerPrivate::AbandonRequestsOf(std::uint64_t channelId) {
    std::vector<RequestId> delivered;
    for (auto it = owed_.begin(); it != owed_.end();) {
        if (it->second.channelId != channelId) {
            ++it;
            continue;
        }
        bool waiting = std::any_of(pending_.begin(), pending_.end(),
                                   [reqId = it->first](const Delivery& d) { return d.reqId == reqId; });
        if (!waiting) {
            delivered.push_back(it->first);
            abandoned_.insert(it->first);
        }
        it = owed_.erase(it);
    }
    std::weak_ptr<bool> alive = alive_;
    for (RequestId reqId : delivered) {
        LogAppWarning("the caller of request " + std::to_string(reqId) + " went away before its answer");
        if (listener_) listener_->OnAppControlRequestAbandoned(reqId);
        if (alive.expired()) return;
    }
}

bool AppControlProviderManagerPrivate::OwesAnswerOn(std::uint64_t channelId) const {
    return std::any_of(owed_.begin(), owed_.end(),
                       [channelId](const auto& o) { return o.second.channelId == channelId; });
}

void AppControlProviderManagerPrivate::CheckIdle() {
    if (owed_.empty() && onIdle_) onIdle_();
}

void AppControlProviderManagerPrivate::SetListener(IAppControlProviderEventListener* listener) {
    listener_ = listener;
    ScheduleDelivery();
}

void AppControlProviderManagerPrivate::ScheduleDelivery() {
    if (deliveryScheduled_ || !listener_ || pending_.empty()) return;
    deliveryScheduled_ = true;
    std::weak_ptr<bool> alive = alive_;
    QTimer::singleShot(0, [this, alive] {
        if (alive.expired()) return;
        deliveryScheduled_ = false;
        DeliverPending();
    });
}

void AppControlProviderManagerPrivate::DeliverPending() {
    std::weak_ptr<bool> alive = alive_;
    while (listener_ && !ending_ && !pending_.empty()) {
        Delivery d = std::move(pending_.front());
        pending_.pop_front();
        auto owed = owed_.find(d.reqId);
        if (owed == owed_.end()) continue;
        // Confirmed now, just before the application sees it: a caller that
        // has no confirmation can safely send the request again.
        if (auto channel = channels_.find(owed->second.channelId); channel != channels_.end())
            channel->second->Send(Ipc::AcceptedMessage{d.request.callId});
        String operationId = String::FromUtf8(d.request.operationId);
        std::unique_ptr<String> uri, mime;
        if (d.request.uri) uri = std::make_unique<String>(String::FromUtf8(*d.request.uri));
        if (d.request.mimeType) mime = std::make_unique<String>(String::FromUtf8(*d.request.mimeType));
        std::unique_ptr<IMap> extra(d.request.extra ? ToHashMapN(*d.request.extra) : nullptr);
        ++delivered_;
        Vx::Base::StartupTrace::Mark("provider: request delivered");
        listener_->OnAppControlRequestReceived(d.reqId, operationId, uri.get(), mime.get(), extra.get());
        if (alive.expired()) return;
    }
}

result AppControlProviderManagerPrivate::SendResult(RequestId reqId, AppCtrlResult appControlResult,
                                                    const IMap* extraData) {
    auto it = owed_.find(reqId);
    if (it == owed_.end()) {
        if (abandoned_.erase(reqId) == 0) return E_OBJ_NOT_FOUND;
        LogAppWarning("request " + std::to_string(reqId) + " answered after its caller went away");
        return E_CONNECTION_FAILED;
    }
    Ipc::ResultMessage message{it->second.callId, static_cast<std::uint32_t>(appControlResult), std::nullopt};
    if (extraData) {
        message.extra.emplace();
        if (!ToStringMap(*extraData, *message.extra)) return E_INVALID_ARG;
    }
    std::string frame = Ipc::EncodeFrame(message);
    // Too large to send: the request stays owed, so a smaller answer can follow.
    if (frame.size() - Ipc::kFrameHeaderBytes > Ipc::kMaxPayloadBytes) return E_OUT_OF_RANGE;
    std::uint64_t channelId = it->second.channelId;
    owed_.erase(it);
    auto channel = channels_.find(channelId);
    result r = E_CONNECTION_FAILED;
    if (channel == channels_.end()) {
        LogAppWarning("request " + std::to_string(reqId) + " answered after its caller went away");
    } else if (channel->second->SendFrame(frame)) {
        Vx::Base::StartupTrace::Mark("provider: answer sent");
        r = E_SUCCESS;
        // Answered: the caller has nothing more to wait for and should close.
        if (!OwesAnswerOn(channelId)) channel->second->StartIdleLimit(ConnectionIdleLimitMs());
    }
    CheckIdle();
    return r;
}

result AppControlProviderManagerPrivate::GetClientAppId(RequestId reqId, std::string& appId) const {
    auto it = owed_.find(reqId);
    if (it == owed_.end()) return E_OBJ_NOT_FOUND;
    appId = it->second.callerAppId;
    return E_SUCCESS;
}

// ---- AppControlProviderManager

IAppControlProviderEventListener::~IAppControlProviderEventListener() {
    AppControlProviderManagerPrivate& d = AppControlProviderManager::GetInstance()->GetPrivate();
    if (d.GetListener() == this) d.SetListener(nullptr);
}

AppControlProviderManager::AppControlProviderManager() : d_(std::make_unique<AppControlProviderManagerPrivate>()) {}
AppControlProviderManager::~AppControlProviderManager() = default;

AppControlProviderManager* AppControlProviderManager::GetInstance() {
    // Lives as long as the process: callers keep the pointer.
    static AppControlProviderManager* instance = new AppControlProviderManager();
    return instance;
}

result AppControlProviderManager::SetAppControlProviderEventListener(IAppControlProviderEventListener* listener) {
    d_->SetListener(listener);
    return E_SUCCESS;
}

result AppControlProviderManager::SendAppControlResult(RequestId reqId, AppCtrlResult appControlResult,
                                                       const IMap* extraData) {
    return d_->SendResult(reqId, appControlResult, extraData);
}

result AppControlProviderManager::GetClientAppId(RequestId reqId, String& appId) const {
    std::string id;
    result r = d_->GetClientAppId(reqId, id);
    if (r == E_SUCCESS) appId = String::FromUtf8(id);
    return r;
}

int AppControlProviderManager::GetPendingRequestCount() const { return d_->GetOwedCount(); }

}  // namespace Vx::App
