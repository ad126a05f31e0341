#pragma once
#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <string>
#include <vector>

#include "platform/net/HttpTransaction.h"

namespace Vx::Net::Http {

class HttpTransactionPrivate : public QObject {
public:
    HttpTransactionPrivate(HttpTransaction& owner, HttpSession& session);

    result Submit();
    // Ends the exchange for good: cancel, close, or the session went away.
    void Stop();
    // The owner is being deleted. While a listener call is on the stack this
    // object has to outlive it, so it is then freed by the event loop.
    void Release();

    HttpTransaction* owner = nullptr;
    HttpSession* session = nullptr;
    HttpRequest request;
    HttpResponse response;
    std::vector<IHttpTransactionEventListener*> listeners;
    int timeoutSeconds = 0;
    bool submitted = false;
    bool running = false;
    bool stopped = false;

private:
    bool IsCurrent(const QObject* sender) const;
    int GetEffectiveTimeoutMs() const;
    QNetworkRequest BuildNetworkRequest(const QUrl& url) const;
    QNetworkReply* Send(QNetworkAccessManager& manager, const QNetworkRequest& networkRequest);

    void OnMetaDataChanged();
    void OnReadyRead();
    void OnFinished();
    void OnDeadline();
    void OnCertificateRejected();

    // Each returns false when the transaction was stopped or deleted meanwhile.
    bool SendHeaderEventOnce();
    bool PullBody(bool& gotBytes);
    // The header event, then any new body bytes with a ReadyToRead event.
    bool DeliverArrivals();
    template <class Call>
    bool Notify(Call call);

    void Abort(result r);
    void FinishReply();

    QPointer<QNetworkReply> reply_;
    QTimer deadline_;
    bool headerSent_ = false;
    bool certRejected_ = false;
    std::string certificatePem_;
    int dispatching_ = 0;
};

}  // namespace Vx::Net::Http
