#include "platform/ui/UiAutomationClient.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QThread>
#include <QtEndian>

#include "platform/app/AppSocketDirectory.h"
#include "platform/ui/UiAutomationProtocol.h"

namespace Vx::Ui::Automation {

class UiAutomationClientPrivate {
public:
    result Request(const QJsonObject& request, QJsonObject& reply, int timeoutMs);
    result ReadReply(QJsonObject& reply, QDeadlineTimer deadline);
    result Failed(result r, const std::string& error) {
        lastError = error;
        return r;
    }

    std::unique_ptr<QLocalSocket> socket;
    QByteArray buffer;
    std::string appId;
    std::string lastError;
};

namespace {

// Requests answer at once; only "wait" takes its own time-out on top.
constexpr int kReplyTimeoutMs = 10000;

// Where the application's automation server listens (GetSocketPath), found
// without making a folder: only a listening application makes them and the
// last one to end removes them, so a client that only looks leaves nothing.
result FindSocketPath(const std::string& appId, std::string& path, std::string& error) {
    std::string dir;
    result r = App::AppSocketDirectory::Find(dir, error);
    if (r != E_SUCCESS) return r;
    path = App::AppSocketDirectory::GetSocketPath(dir + "/ui", appId);
    return E_SUCCESS;
}

void Pump() {
    // The application may live in this very process (tests): let it work.
    if (QCoreApplication::instance()) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

}  // namespace

UiAutomationClient::UiAutomationClient() : d_(std::make_unique<UiAutomationClientPrivate>()) {}
UiAutomationClient::~UiAutomationClient() = default;

result UiAutomationClient::Connect(const std::string& appId, int timeoutMs) {
    Disconnect();
    std::string path;
    std::string error;
    if (FindSocketPath(appId, path, error) != E_SUCCESS) return d_->Failed(E_CONNECTION_FAILED, error);
    QDeadlineTimer deadline(std::max(0, timeoutMs));
    do {
        auto socket = std::make_unique<QLocalSocket>();
        socket->connectToServer(QString::fromStdString(path));
        if (socket->waitForConnected(100)) {
            d_->socket = std::move(socket);
            d_->appId = appId;
            return E_SUCCESS;
        }
        Pump();
        QThread::msleep(20);
    } while (!deadline.hasExpired());
    return d_->Failed(E_CONNECTION_FAILED, "cannot reach the UI of " + appId + " at " + path +
                                               ": is it running, started with IAP_UI_AUTOMATION=1?");
}

void UiAutomationClient::Disconnect() {
    d_->socket.reset();
    d_->buffer.clear();
}

bool UiAutomationClient::IsConnected() const {
    return d_->socket && d_->socket->state() == QLocalSocket::ConnectedState;
}

result UiAutomationClientPrivate::Request(const QJsonObject& request, QJsonObject& reply, int timeoutMs) {
    if (!socket || socket->state() != QLocalSocket::ConnectedState) {
        return Failed(E_CONNECTION_FAILED, "not connected to the application");
    }
    QByteArray payload = QJsonDocument(request).toJson(QJsonDocument::Compact);
    char header[4];
    qToBigEndian<quint32>(static_cast<quint32>(payload.size()), header);
    socket->write(header, 4);
    socket->write(payload);
    socket->flush();
    result r = ReadReply(reply, QDeadlineTimer(timeoutMs));
    if (r != E_SUCCESS) return r;
    if (reply.value(QStringLiteral("ok")).toBool()) {
        lastError.clear();
        return E_SUCCESS;
    }
    std::string code = reply.value(QStringLiteral("code")).toString().toStdString();
    return Failed(ResultFromCode(code), reply.value(QStringLiteral("error")).toString().toStdString());
}

result UiAutomationClientPrivate::ReadReply(QJsonObject& reply, QDeadlineTimer deadline) {
    for (;;) {
        if (buffer.size() >= 4) {
            quint32 length = qFromBigEndian<quint32>(buffer.constData());
            if (length == 0 || length > kMaxMessageBytes) {
                socket->abort();
                return Failed(E_INVALID_FORMAT, "the application sent a message of impossible length");
            }
            if (static_cast<quint64>(buffer.size()) >= 4u + length) {
                QByteArray payload = buffer.mid(4, static_cast<qsizetype>(length));
                buffer.remove(0, static_cast<qsizetype>(4 + length));
                QJsonDocument document = QJsonDocument::fromJson(payload);
                if (!document.isObject())
                    return Failed(E_INVALID_FORMAT, "the application's reply is not a JSON object");
                reply = document.object();
                return E_SUCCESS;
            }
        }
        if (deadline.hasExpired()) return Failed(E_TIMEOUT, "the application did not answer in time");
        if (socket->state() != QLocalSocket::ConnectedState && socket->bytesAvailable() == 0) {
            return Failed(E_CONNECTION_FAILED, "the application closed the connection");
        }
        Pump();
        socket->waitForReadyRead(5);
        buffer.append(socket->readAll());
    }
}

result UiAutomationClient::List(std::vector<ControlInfo>& controls, std::string* windowName, std::string* sceneId) {
    QJsonObject reply;
    result r = d_->Request(QJsonObject{{QStringLiteral("command"), QStringLiteral("list")}}, reply, kReplyTimeoutMs);
    if (r != E_SUCCESS) return r;
    controls.clear();
    for (const QJsonValue& value : reply.value(QStringLiteral("controls")).toArray()) {
        QJsonObject item = value.toObject();
        ControlInfo info;
        info.name = item.value(QStringLiteral("name")).toString().toStdString();
        info.type = item.value(QStringLiteral("type")).toString().toStdString();
        info.text = item.value(QStringLiteral("text")).toString().toStdString();
        info.enabled = item.value(QStringLiteral("enabled")).toBool();
        info.visible = item.value(QStringLiteral("visible")).toBool();
        info.focused = item.value(QStringLiteral("focused")).toBool();
        info.checkable = item.contains(QStringLiteral("checked"));
        info.checked = item.value(QStringLiteral("checked")).toBool();
        controls.push_back(std::move(info));
    }
    if (windowName) *windowName = reply.value(QStringLiteral("window")).toString().toStdString();
    if (sceneId) *sceneId = reply.value(QStringLiteral("scene")).toString().toStdString();
    return E_SUCCESS;
}

result UiAutomationClient::Type(const std::string& name, const std::string& text) {
    QJsonObject reply;
    return d_->Request(QJsonObject{{QStringLiteral("command"), QStringLiteral("type")},
                                   {QStringLiteral("name"), QString::fromStdString(name)},
                                   {QStringLiteral("text"), QString::fromStdString(text)}},
                       reply, kReplyTimeoutMs);
}

result UiAutomationClient::Press(const std::string& name) {
    QJsonObject reply;
    return d_->Request(QJsonObject{{QStringLiteral("command"), QStringLiteral("press")},
                                   {QStringLiteral("name"), QString::fromStdString(name)}},
                       reply, kReplyTimeoutMs);
}

result UiAutomationClient::Wait(const std::string& name, int timeoutMs) {
    if (timeoutMs < 0 || timeoutMs > kMaxWaitMs) return d_->Failed(E_INVALID_ARG, "the time-out is out of range");
    QJsonObject reply;
    return d_->Request(QJsonObject{{QStringLiteral("command"), QStringLiteral("wait")},
                                   {QStringLiteral("name"), QString::fromStdString(name)},
                                   {QStringLiteral("timeoutMs"), timeoutMs}},
                       reply, timeoutMs + kReplyTimeoutMs);
}

result UiAutomationClient::Close() {
    QJsonObject reply;
    return d_->Request(QJsonObject{{QStringLiteral("command"), QStringLiteral("close")}}, reply, kReplyTimeoutMs);
}

result UiAutomationClient::Screenshot(std::string& png) {
    QJsonObject reply;
    result r =
        d_->Request(QJsonObject{{QStringLiteral("command"), QStringLiteral("screenshot")}}, reply, kReplyTimeoutMs);
    if (r != E_SUCCESS) return r;
    QByteArray bytes = QByteArray::fromBase64(reply.value(QStringLiteral("png")).toString().toLatin1());
    if (!bytes.startsWith("\x89PNG")) return d_->Failed(E_INVALID_FORMAT, "the application sent no PNG picture");
    png = bytes.toStdString();
    return E_SUCCESS;
}

const ControlInfo* UiAutomationClient::Find(const std::vector<ControlInfo>& controls, const std::string& name) {
    for (const ControlInfo& info : controls) {
        if (info.name == name && info.visible) return &info;
    }
    return nullptr;
}

const std::string& UiAutomationClient::GetLastError() const { return d_->lastError; }

}  // namespace Vx::Ui::Automation
