#include <sys/socket.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QBuffer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QtEndian>

#include "platform/app/AppContextPrivate.h"
#include "platform/app/AppLog.h"
#include "platform/ui/CheckButton.h"
#include "platform/ui/ControlPrivate.h"
#include "platform/ui/EditField.h"
#include "platform/ui/Frame.h"
#include "platform/ui/ItemWidgetPrivate.h"
#include "platform/ui/SnapshotPrivate.h"
#include "platform/ui/UiAutomationProtocol.h"
#include "platform/ui/UiAutomationServerPrivate.h"
#include "platform/ui/scenes/SceneManagerPrivate.h"

namespace Vx::Ui {

namespace {

QPointer<UiAutomationServer>& Instance() {
    static QPointer<UiAutomationServer> instance;
    return instance;
}

bool IsSameUser(const QLocalSocket* socket) {
    struct ucred cred {};
    socklen_t length = sizeof cred;
    if (::getsockopt(static_cast<int>(socket->socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &cred, &length) != 0) {
        return false;
    }
    return cred.uid == ::geteuid();
}

// Controls of a window in tree order, shown ones only.
void CollectVisible(QWidget* widget, std::vector<std::pair<QWidget*, Control*>>& out) {
    if (!widget->isVisible()) return;
    if (Control* control = ControlPrivate::FromWidget(widget)) out.emplace_back(widget, control);
    for (QObject* child : widget->children()) {
        if (auto* w = qobject_cast<QWidget*>(child); w && !w->isWindow()) CollectVisible(w, out);
    }
}

QWidget* FindVisible(const QString& name, Control** control = nullptr) {
    QWidget* window = UiAutomationServer::GetActiveWindow();
    if (!window) return nullptr;
    std::vector<std::pair<QWidget*, Control*>> controls;
    CollectVisible(window, controls);
    for (auto& [widget, c] : controls) {
        if (ToQString(c->GetName()) == name) {
            if (control) *control = c;
            return widget;
        }
    }
    return nullptr;
}

// Check buttons and list or table items tell their state; other controls have none.
void AddState(QJsonObject& entry, Control& control) {
    if (auto* check = dynamic_cast<Controls::CheckButton*>(&control)) {
        entry.insert(QStringLiteral("checked"), check->IsSelected());
    }
    Controls::DescribeItemState(control, entry);
}

QString DisplayText(Control& control) {
    auto* field = dynamic_cast<Controls::EditField*>(&control);
    if (field && (field->IsPasswordMode() || field->IsSensitive()))
        return QString(field->GetTextLength(), QChar(0x2022));
    return ToQString(control.GetText());
}

}  // namespace

void UiAutomationServer::StartIfEnabled() {
    if (Instance() || !Automation::IsEnabledByEnvironment() || !QCoreApplication::instance()) return;
    std::unique_ptr<UiAutomationServer> server(new UiAutomationServer());
    std::string error;
    std::string appId = App::AppContext::GetCurrent().appId;
    if (!server->Listen(appId, error)) {
        App::LogAppWarning("UI automation is not available: " + error);
        return;
    }
    // The application object ends the channel when it goes; a client must not
    // reach an instance that is on its way out.
    server->setParent(QCoreApplication::instance());
    UiAutomationServer* raw = server.get();
    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, raw, [raw] { raw->Stop(); });
    Instance() = server.release();
}

UiAutomationServer* UiAutomationServer::GetInstance() { return Instance().data(); }

UiAutomationServer::~UiAutomationServer() { Stop(); }

void UiAutomationServer::Stop() {
    waitTimer_.stop();
    waits_.clear();
    WatchWidgets(false);
    if (server_.isListening()) server_.close();
    // Aborting tells `disconnected` at once, which edits the map: work on a copy.
    std::map<QLocalSocket*, QByteArray> clients;
    clients.swap(buffers_);
    for (auto& [socket, buffer] : clients)
        socket->abort();
    if (!path_.empty()) ::unlink(path_.c_str());
    path_.clear();
}

bool UiAutomationServer::Listen(const std::string& appId, std::string& error) {
    if (Automation::GetSocketPath(appId, path_, error) != E_SUCCESS) return false;
    QString path = QString::fromStdString(path_);
    // A socket file left by a crashed instance is removed; a live one is left alone.
    QLocalSocket probe;
    probe.connectToServer(path);
    if (probe.waitForConnected(200)) {
        error = path_ + " is served by another running instance";
        path_.clear();
        return false;
    }
    QLocalServer::removeServer(path);
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_.listen(path)) {
        error = "cannot listen on " + path_ + ": " + server_.errorString().toStdString();
        path_.clear();
        return false;
    }
    connect(&server_, &QLocalServer::newConnection, this, [this] { OnNewConnection(); });
    waitTimer_.setInterval(50);
    connect(&waitTimer_, &QTimer::timeout, this, [this] { CheckWaits(); });
    return true;
}

void UiAutomationServer::OnNewConnection() {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        if (!IsSameUser(socket)) {
            App::LogAppWarning("UI automation: refused a connection from another user");
            socket->abort();
            socket->deleteLater();
            continue;
        }
        buffers_[socket] = QByteArray();
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { OnReadyRead(socket); });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
            buffers_.erase(socket);
            socket->deleteLater();
        });
    }
}

void UiAutomationServer::OnReadyRead(QLocalSocket* socket) {
    auto it = buffers_.find(socket);
    if (it == buffers_.end()) return;
    it->second.append(socket->readAll());
    // A message may arrive in pieces: keep what is there until the rest comes.
    while (buffers_.count(socket) && buffers_[socket].size() >= 4) {
        QByteArray& buffer = buffers_[socket];
        quint32 length = qFromBigEndian<quint32>(buffer.constData());
        if (length == 0 || length > Automation::kMaxMessageBytes) {
            Misbehaved(socket, QStringLiteral("message length %1 is out of range").arg(length));
            return;
        }
        if (static_cast<quint64>(buffer.size()) < 4u + length) return;
        QByteArray payload = buffer.mid(4, static_cast<qsizetype>(length));
        buffer.remove(0, static_cast<qsizetype>(4 + length));
        QJsonParseError parseError;
        QJsonDocument document = QJsonDocument::fromJson(payload, &parseError);
        if (parseError.error != QJsonParseError::NoError || !document.isObject()) {
            Misbehaved(socket, QStringLiteral("a message is not a JSON object: ") +
                                   QString::fromUtf8(payload.left(64).toHex()));
            return;
        }
        Handle(socket, document.object());
    }
}

void UiAutomationServer::Misbehaved(QLocalSocket* socket, const QString& reason) {
    App::LogAppWarning("UI automation: dropped a client: " + reason.toStdString());
    Fail(socket, Automation::kCodeBadRequest, reason);
    buffers_.erase(socket);
    socket->disconnectFromServer();
}

void UiAutomationServer::Handle(QLocalSocket* socket, const QJsonObject& request) {
    QString command = request.value(QStringLiteral("command")).toString();
    if (command == QLatin1String("list")) {
        if (!GetActiveWindow()) return Fail(socket, Automation::kCodeNoWindow, QStringLiteral("no window is shown"));
        return Send(socket, List());
    }
    if (command == QLatin1String("type")) return Type(socket, request);
    if (command == QLatin1String("press")) return Press(socket, request);
    if (command == QLatin1String("wait")) return StartWait(socket, request);
    if (command == QLatin1String("close")) return Close(socket);
    if (command == QLatin1String("screenshot")) return Screenshot(socket);
    Fail(socket, Automation::kCodeBadRequest, QStringLiteral("unknown command \"%1\"").arg(command));
}

QJsonObject UiAutomationServer::List() const {
    QWidget* window = GetActiveWindow();
    std::vector<std::pair<QWidget*, Control*>> controls;
    CollectVisible(window, controls);
    QJsonArray array;
    for (auto& [widget, control] : controls) {
        QJsonObject entry{
            {QStringLiteral("name"), ToQString(control->GetName())},
            {QStringLiteral("type"), QString::fromLatin1(control->GetTypeName())},
            {QStringLiteral("text"), DisplayText(*control)},
            {QStringLiteral("enabled"), widget->isEnabled()},
            {QStringLiteral("visible"), widget->isVisible()},
            {QStringLiteral("focused"), widget->hasFocus()},
        };
        AddState(entry, *control);
        array.append(entry);
    }
    Control* windowControl = ControlPrivate::FromWidget(window);
    // The scene of the frame underneath, also while a popup is open over it.
    Controls::Frame* frame = Controls::Frame::GetActiveFrame();
    return QJsonObject{
        {QStringLiteral("ok"), true},
        {QStringLiteral("window"), windowControl ? ToQString(windowControl->GetName()) : window->objectName()},
        {QStringLiteral("scene"), ToQString(Scenes::SceneManagerPrivate::GetCurrentSceneOf(frame))},
        {QStringLiteral("controls"), array}};
}

void UiAutomationServer::Type(QLocalSocket* socket, const QJsonObject& request) {
    QString name = request.value(QStringLiteral("name")).toString();
    QJsonValue text = request.value(QStringLiteral("text"));
    if (name.isEmpty() || !text.isString()) {
        return Fail(socket, Automation::kCodeBadRequest, QStringLiteral("type needs \"name\" and \"text\""));
    }
    QWidget* widget = FindVisible(name);
    if (!widget)
        return Fail(socket, Automation::kCodeNotFound, QStringLiteral("no visible control named \"%1\"").arg(name));
    auto* field = qobject_cast<QLineEdit*>(widget);
    if (!field) return Fail(socket, Automation::kCodeWrongType, QStringLiteral("\"%1\" takes no text").arg(name));
    if (!field->isEnabled() || field->isReadOnly()) {
        return Fail(socket, Automation::kCodeDisabled, QStringLiteral("\"%1\" is disabled").arg(name));
    }
    // As a user would: focus, select everything, type over it.
    field->setFocus(Qt::OtherFocusReason);
    field->selectAll();
    field->insert(text.toString());
    // A field in lower-case mode lowers what is typed, as the keyboard would.
    QString expected = text.toString();
    if (field->inputMethodHints() & Qt::ImhPreferLowercase) expected = expected.toLower();
    if (field->text() != expected) {
        return Fail(
            socket, Automation::kCodeRejected,
            QStringLiteral("\"%1\" did not accept the whole text (length limit or allowed characters)").arg(name));
    }
    Send(socket, QJsonObject{{QStringLiteral("ok"), true}});
}

void UiAutomationServer::Press(QLocalSocket* socket, const QJsonObject& request) {
    QString name = request.value(QStringLiteral("name")).toString();
    if (name.isEmpty()) return Fail(socket, Automation::kCodeBadRequest, QStringLiteral("press needs \"name\""));
    QWidget* widget = FindVisible(name);
    if (!widget)
        return Fail(socket, Automation::kCodeNotFound, QStringLiteral("no visible control named \"%1\"").arg(name));
    auto* button = qobject_cast<QAbstractButton*>(widget);
    if (!button) return Fail(socket, Automation::kCodeWrongType, QStringLiteral("\"%1\" is not a button").arg(name));
    if (!button->isEnabled())
        return Fail(socket, Automation::kCodeDisabled, QStringLiteral("\"%1\" is disabled").arg(name));
    Send(socket, QJsonObject{{QStringLiteral("ok"), true}});
    // Pressed after the reply went out: the button may open a modal popup whose loop would hold the reply back.
    QPointer<QAbstractButton> target(button);
    QTimer::singleShot(0, this, [target] {
        if (target && target->isEnabled() && target->isVisible()) target->click();
    });
}

void UiAutomationServer::StartWait(QLocalSocket* socket, const QJsonObject& request) {
    QString name = request.value(QStringLiteral("name")).toString();
    if (name.isEmpty()) return Fail(socket, Automation::kCodeBadRequest, QStringLiteral("wait needs \"name\""));
    int timeoutMs = request.value(QStringLiteral("timeoutMs")).toInt(Automation::kDefaultWaitMs);
    if (timeoutMs < 0 || timeoutMs > Automation::kMaxWaitMs) {
        return Fail(socket, Automation::kCodeBadRequest,
                    QStringLiteral("timeoutMs must be 0 to %1").arg(Automation::kMaxWaitMs));
    }
    if (FindVisible(name)) return Send(socket, QJsonObject{{QStringLiteral("ok"), true}});
    waits_.push_back(Wait{socket, name, QDeadlineTimer(timeoutMs)});
    if (!waitTimer_.isActive()) waitTimer_.start();
    WatchWidgets(true);
}

void UiAutomationServer::WatchWidgets(bool on) {
    if (on == watching_ || !QCoreApplication::instance()) return;
    if (on) {
        QCoreApplication::instance()->installEventFilter(this);
    } else {
        QCoreApplication::instance()->removeEventFilter(this);
    }
    watching_ = on;
}

bool UiAutomationServer::eventFilter(QObject* watched, QEvent* event) {
    // A control appears when it, a parent, a popup or a form is shown, or when
    // the window over it goes; answering then rather than on the next tick of
    // the timer keeps a waiting client from idling up to a whole interval.
    if (event->type() == QEvent::Show || event->type() == QEvent::Hide) ScheduleCheck();
    return QObject::eventFilter(watched, event);
}

void UiAutomationServer::ScheduleCheck() {
    if (checkScheduled_) return;
    checkScheduled_ = true;
    // After the event is handled: the widget is visible only once its show is done.
    QTimer::singleShot(0, this, [this] {
        checkScheduled_ = false;
        CheckWaits();
    });
}

void UiAutomationServer::CheckWaits() {
    std::vector<Wait> pending;
    pending.swap(waits_);
    for (Wait& wait : pending) {
        if (!wait.socket || wait.socket->state() != QLocalSocket::ConnectedState) continue;
        if (FindVisible(wait.name)) {
            Send(wait.socket, QJsonObject{{QStringLiteral("ok"), true}});
        } else if (wait.deadline.hasExpired()) {
            Fail(wait.socket, Automation::kCodeTimeout,
                 QStringLiteral("no control named \"%1\" appeared").arg(wait.name));
        } else {
            waits_.push_back(wait);
        }
    }
    if (waits_.empty()) {
        waitTimer_.stop();
        WatchWidgets(false);
    }
}

void UiAutomationServer::Close(QLocalSocket* socket) {
    QPointer<QWidget> window = GetActiveWindow();
    if (!window) return Fail(socket, Automation::kCodeNoWindow, QStringLiteral("no window is shown"));
    Send(socket, QJsonObject{{QStringLiteral("ok"), true}});
    QTimer::singleShot(0, this, [window] {
        if (!window) return;
        if (auto* frame = dynamic_cast<Controls::Frame*>(ControlPrivate::FromWidget(window))) {
            frame->Close();
        } else {
            window->close();
        }
    });
}

void UiAutomationServer::Screenshot(QLocalSocket* socket) {
    QWidget* window = GetActiveWindow();
    if (!window) return Fail(socket, Automation::kCodeNoWindow, QStringLiteral("no window is shown"));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!DrawScreen(window).save(&buffer, "PNG")) {
        return Fail(socket, Automation::kCodeRejected, QStringLiteral("the window could not be drawn"));
    }
    QByteArray encoded = png.toBase64();
    if (static_cast<std::size_t>(encoded.size()) + 64 > Automation::kMaxMessageBytes) {
        return Fail(socket, Automation::kCodeRejected, QStringLiteral("the picture is larger than a message may be"));
    }
    Send(socket, QJsonObject{{QStringLiteral("ok"), true}, {QStringLiteral("png"), QString::fromLatin1(encoded)}});
}

void UiAutomationServer::Send(QLocalSocket* socket, const QJsonObject& reply) {
    QByteArray payload = QJsonDocument(reply).toJson(QJsonDocument::Compact);
    char header[4];
    qToBigEndian<quint32>(static_cast<quint32>(payload.size()), header);
    socket->write(header, 4);
    socket->write(payload);
    socket->flush();
}

void UiAutomationServer::Fail(QLocalSocket* socket, const char* code, const QString& error) {
    Send(socket, QJsonObject{{QStringLiteral("ok"), false},
                             {QStringLiteral("code"), QString::fromLatin1(code)},
                             {QStringLiteral("error"), error}});
}

QWidget* UiAutomationServer::GetActiveWindow() {
    // An open menu lies over everything, also over a modal popup that opened it.
    if (QWidget* popup = QApplication::activePopupWidget(); popup && popup->isVisible()) return popup;
    if (QWidget* modal = QApplication::activeModalWidget(); modal && modal->isVisible()) return modal;
    if (Controls::Frame* frame = Controls::Frame::GetActiveFrame()) return frame->GetPrivate().widget;
    QWidget* active = QApplication::activeWindow();
    return active && active->isVisible() ? active : nullptr;
}

}  // namespace Vx::Ui
