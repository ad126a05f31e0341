#include "platform/app/AppControlChannelPrivate.h"

#include <unistd.h>

#include <QElapsedTimer>
#include <QLocalSocket>
#include <QTimer>

#include "platform/app/AppLog.h"
#include "platform/app/AppSocketDirectory.h"

namespace Vx::App {

AppControlChannel::AppControlChannel(QLocalSocket* socket, std::string peerName)
    : socket_(socket), peerName_(std::move(peerName)) {
    QObject::connect(socket_, &QLocalSocket::readyRead, socket_, [this] { OnReadyRead(); });
    QObject::connect(socket_, &QLocalSocket::disconnected, socket_, [this] { OnDisconnected(); });
    QObject::connect(socket_, &QLocalSocket::errorOccurred, socket_, [this](QLocalSocket::LocalSocketError) {
        if (socket_->state() != QLocalSocket::ConnectedState) OnDisconnected();
    });
}

AppControlChannel::~AppControlChannel() {
    *alive_ = false;
    SettleBudget();
    if (idleTimer_) {
        idleTimer_->stop();
        idleTimer_->disconnect();
        // It may be the sender of the signal that led here.
        idleTimer_->deleteLater();
    }
    socket_->disconnect();
    socket_->abort();
    // The socket may be the sender of the signal that led here.
    socket_->deleteLater();
}

void AppControlChannel::SetHandlers(MessageHandler onMessage, ClosedHandler onClosed) {
    onMessage_ = std::move(onMessage);
    onClosed_ = std::move(onClosed);
    // Bytes may already be waiting from before the handlers were set.
    if (socket_->bytesAvailable() > 0) {
        std::weak_ptr<bool> alive = alive_;
        QMetaObject::invokeMethod(
            socket_,
            [this, alive] {
                if (!alive.expired() && *alive.lock()) OnReadyRead();
            },
            Qt::QueuedConnection);
    }
}

bool AppControlChannel::Send(const Ipc::Message& message) { return SendFrame(Ipc::EncodeFrame(message)); }

bool AppControlChannel::SendFrame(const std::string& frame) {
    if (!open_) return false;
    if (frame.size() - Ipc::kFrameHeaderBytes > Ipc::kMaxPayloadBytes) {
        LogAppWarning("not sending a message of " + std::to_string(frame.size()) + " bytes to " + peerName_ +
                      ": larger than the frame limit");
        return false;
    }
    if (socket_->write(frame.data(), static_cast<qint64>(frame.size())) != static_cast<qint64>(frame.size()))
        return false;
    // Out now rather than on the next pass of the loop: the sender may be about to end.
    socket_->flush();
    return true;
}

void AppControlChannel::OnReadyRead() {
    std::shared_ptr<bool> alive = alive_;
    // Read in pieces, so that the budget is checked before a large frame is held.
    char chunk[32 * 1024];
    while (open_ && socket_->bytesAvailable() > 0) {
        qint64 n = socket_->read(chunk, static_cast<qint64>(sizeof chunk));
        if (n <= 0) break;
        if (!Take(chunk, static_cast<std::size_t>(n)) || !*alive || !open_) return;
    }
}

// Feeds bytes to the decoder and hands out the messages they complete; false
// once the connection was closed.
bool AppControlChannel::Take(const char* data, std::size_t length) {
    std::shared_ptr<bool> alive = alive_;
    if (budget_ && budget_->used + length > budget_->limit) {
        Close("more than " + std::to_string(budget_->limit) +
              " bytes of partial messages are waiting across all connections");
        return false;
    }
    decoder_.Feed(data, length);
    SettleBudget();
    for (;;) {
        Ipc::Message message;
        std::string error;
        auto status = decoder_.Next(message, error);
        if (status == Ipc::FrameDecoder::Status::NeedMore) break;
        if (status == Ipc::FrameDecoder::Status::Error) {
            Close("protocol error: " + error);
            return false;
        }
        SettleBudget();
        if (idleTimer_ && idleTimer_->isActive()) idleTimer_->start(idleLimitMs_);
        // A copy: the handler may replace or destroy this channel's handlers.
        if (MessageHandler handler = onMessage_) handler(std::move(message));
        if (!*alive || !open_) return false;
    }
    SettleBudget();
    return true;
}

void AppControlChannel::SettleBudget() {
    if (!budget_) return;
    std::size_t now = open_ ? decoder_.GetBufferedBytes() : 0;
    budget_->used = budget_->used - counted_ + now;
    counted_ = now;
}

void AppControlChannel::StartIdleLimit(int ms) {
    if (!open_ || ms <= 0) return;
    if (!idleTimer_) {
        idleTimer_ = new QTimer();
        idleTimer_->setSingleShot(true);
        QObject::connect(idleTimer_, &QTimer::timeout, idleTimer_, [this] {
            std::size_t partial = decoder_.GetBufferedBytes();
            Close("no whole message within " + std::to_string(idleLimitMs_) + " ms" +
                  (partial > 0 ? " (" + std::to_string(partial) + " bytes of one waiting)" : std::string()));
        });
    }
    idleLimitMs_ = ms;
    idleTimer_->start(ms);
}

void AppControlChannel::StopIdleLimit() {
    if (idleTimer_) idleTimer_->stop();
}

void AppControlChannel::OnDisconnected() {
    if (!open_) return;
    open_ = false;
    std::size_t partial = decoder_.GetBufferedBytes();
    SettleBudget();
    Report(partial > 0 ? "connection closed inside a message (" + std::to_string(partial) + " bytes)" : std::string());
}

void AppControlChannel::Close(const std::string& reason) {
    if (!open_) return;
    // Closed first: abort() reports the disconnection at once, and it must not count twice.
    open_ = false;
    SettleBudget();
    if (idleTimer_) idleTimer_->stop();
    // Logged before the peer can see the connection end.
    if (!reason.empty()) LogAppWarning("disconnecting " + peerName_ + ": " + reason);
    socket_->abort();
    if (onClosed_) {
        ClosedHandler handler = std::move(onClosed_);
        handler(reason);  // may delete this
    }
}

void AppControlChannel::Report(const std::string& reason) {
    if (!reason.empty()) LogAppWarning("disconnecting " + peerName_ + ": " + reason);
    if (onClosed_) {
        ClosedHandler handler = std::move(onClosed_);
        handler(reason);  // may delete this
    }
}

bool AppControlChannel::Flush(int timeoutMs) {
    if (!open_) return false;
    QElapsedTimer elapsed;
    elapsed.start();
    socket_->flush();
    while (socket_->bytesToWrite() > 0 && socket_->state() == QLocalSocket::ConnectedState) {
        qint64 left = timeoutMs - elapsed.elapsed();
        if (left <= 0 || !socket_->waitForBytesWritten(static_cast<int>(left))) break;
    }
    return socket_->bytesToWrite() == 0;
}

QLocalSocket* ConnectToAppSocket(const std::string& path) {
    int fd = AppSocketDirectory::Connect(path);
    if (fd < 0) return nullptr;
    auto* socket = new QLocalSocket();
    if (!socket->setSocketDescriptor(fd, QLocalSocket::ConnectedState, QIODevice::ReadWrite)) {
        ::close(fd);
        delete socket;
        return nullptr;
    }
    return socket;
}

}  // namespace Vx::App
