#pragma once
// The application side of the UI automation channel (see UiAutomationProtocol.h).
#include <QByteArray>
#include <QDeadlineTimer>
#include <QEvent>
#include <QJsonObject>
#include <QLocalServer>
#include <QLocalSocket>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <map>
#include <string>
#include <vector>

namespace Vx::Ui {

class UiAutomationServer : public QObject {
public:
    // Starts the channel once per process when IAP_UI_AUTOMATION=1; a failure
    // is logged and leaves the application running without it.
    static void StartIfEnabled();
    // Null when the channel is not running.
    static UiAutomationServer* GetInstance();

    const std::string& GetSocketPath() const { return path_; }
    ~UiAutomationServer() override;
    // Closes the channel and every connection.
    void Stop();

    // The window that commands act on; null when no window is shown.
    static QWidget* GetActiveWindow();

protected:
    // While a `wait` is pending: a widget shown or hidden may be what it waits for.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Wait {
        QPointer<QLocalSocket> socket;
        QString name;
        QDeadlineTimer deadline;
    };

    UiAutomationServer() = default;
    bool Listen(const std::string& appId, std::string& error);
    void OnNewConnection();
    void OnReadyRead(QLocalSocket* socket);
    void Handle(QLocalSocket* socket, const QJsonObject& request);
    void CheckWaits();
    void ScheduleCheck();
    void WatchWidgets(bool on);
    void Send(QLocalSocket* socket, const QJsonObject& reply);
    void Fail(QLocalSocket* socket, const char* code, const QString& error);
    void Misbehaved(QLocalSocket* socket, const QString& reason);

    QJsonObject List() const;
    void Type(QLocalSocket* socket, const QJsonObject& request);
    void Press(QLocalSocket* socket, const QJsonObject& request);
    void StartWait(QLocalSocket* socket, const QJsonObject& request);
    void Close(QLocalSocket* socket);
    void Screenshot(QLocalSocket* socket);

    QLocalServer server_;
    std::map<QLocalSocket*, QByteArray> buffers_;
    std::vector<Wait> waits_;
    QTimer waitTimer_;  // the fallback for changes no show or hide event tells
    bool watching_ = false;
    bool checkScheduled_ = false;
    std::string path_;
};

}  // namespace Vx::Ui
