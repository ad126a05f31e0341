#pragma once
// One local-socket connection carrying application-control messages in
// either direction. Owns its socket; partial frames are kept until complete;
// a peer that sends anything malformed is disconnected with a logged reason.
#include <functional>
#include <memory>
#include <string>

#include "platform/app/AppControlMessages.h"

class QLocalSocket;
class QTimer;

namespace Vx::App {

// Bytes of partial frames held by a group of connections together, so that
// many connections each sending most of a large frame cannot exhaust memory.
struct BufferBudget {
    std::size_t used = 0;
    std::size_t limit = 0;
};

class AppControlChannel {
public:
    using MessageHandler = std::function<void(Ipc::Message&&)>;
    // Called once when the connection ends; `reason` is empty when the peer simply closed it.
    using ClosedHandler = std::function<void(const std::string& reason)>;

    // Takes a connected socket.
    AppControlChannel(QLocalSocket* socket, std::string peerName);
    AppControlChannel(const AppControlChannel&) = delete;
    AppControlChannel& operator=(const AppControlChannel&) = delete;
    // May run inside one of this channel's own handlers.
    ~AppControlChannel();

    void SetHandlers(MessageHandler onMessage, ClosedHandler onClosed);
    bool Send(const Ipc::Message& message);
    // An encoded frame; refused (false) when larger than the limit.
    bool SendFrame(const std::string& frame);
    // Drops the connection and logs why; the closed handler runs with the reason.
    void Close(const std::string& reason);
    // Waits until everything sent has left this process (or the time is up).
    bool Flush(int timeoutMs);
    bool IsOpen() const { return open_; }
    // Counts this connection's partial frames against `budget` (which must
    // outlive it); a connection that would exceed it is closed.
    void SetBufferBudget(BufferBudget* budget) { budget_ = budget; }
    // Closes the connection unless a whole message arrives within `ms`
    // (counted from now, again after every message). Stop while the peer
    // waits for an answer.
    void StartIdleLimit(int ms);
    void StopIdleLimit();
    const std::string& GetPeerName() const { return peerName_; }

private:
    void OnReadyRead();
    void OnDisconnected();
    void Report(const std::string& reason);
    bool Take(const char* data, std::size_t length);
    void SettleBudget();

    QLocalSocket* socket_;
    std::string peerName_;
    Ipc::FrameDecoder decoder_;
    MessageHandler onMessage_;
    ClosedHandler onClosed_;
    bool open_ = true;
    BufferBudget* budget_ = nullptr;
    std::size_t counted_ = 0;  // of budget_->used
    QTimer* idleTimer_ = nullptr;
    int idleLimitMs_ = 0;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// Connects to a listening application without blocking. Null when nobody
// listens there (yet).
QLocalSocket* ConnectToAppSocket(const std::string& path);

}  // namespace Vx::App
