#include "platform/app/AppControlChannelPrivate.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QLocalSocket>

#include <cstring>

#include "platform/app/AppLog.h"

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
    while (open_ && socket_->bytesAvailable() > 0) {
        QByteArray bytes = socket_->readAll();
        decoder_.Feed(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        for (;;) {
            Ipc::Message message;
            std::string error;
            auto status = decoder_.Next(message, error);
            if (status == Ipc::FrameDecoder::Status::NeedMore) break;
            if (status == Ipc::FrameDecoder::Status::Error) {
                Close("protocol error: " + error);
                return;
            }
            // A copy: the handler may replace or destroy this channel's handlers.
            if (MessageHandler handler = onMessage_) handler(std::move(message));
            if (!*alive || !open_) return;
        }
    }
}

void AppControlChannel::OnDisconnected() {
    if (!open_) return;
    open_ = false;
    std::size_t partial = decoder_.GetBufferedBytes();
    Report(partial > 0 ? "connection closed inside a message (" + std::to_string(partial) + " bytes)" : std::string());
}

void AppControlChannel::Close(const std::string& reason) {
    if (!open_) return;
    // Closed first: abort() reports the disconnection at once, and it must not count twice.
    open_ = false;
    socket_->abort();
    Report(reason);
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
    sockaddr_un address{};
    if (path.size() >= sizeof address.sun_path) return nullptr;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return nullptr;
    // A local connect either succeeds at once or fails at once (no listener,
    // no socket file, or a full backlog, which the caller retries).
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return nullptr;
    }
    auto* socket = new QLocalSocket();
    if (!socket->setSocketDescriptor(fd, QLocalSocket::ConnectedState, QIODevice::ReadWrite)) {
        ::close(fd);
        delete socket;
        return nullptr;
    }
    return socket;
}

}  // namespace Vx::App
