#include "platform/net/HttpSession.h"

#include <QCoreApplication>
#include <QNetworkProxy>

#include <algorithm>
#include <new>

#include "platform/app/EventLoop.h"
#include "platform/net/HttpSessionPrivate.h"
#include "platform/net/HttpTransactionPrivate.h"
#include "platform/net/SessionProxyFactoryPrivate.h"

namespace Vx::Net::Http {

namespace {

QPointer<QNetworkAccessManager> g_sharedManager;

// "host:port" or "http://host:port"; false when malformed.
bool ParseProxy(const Base::String& address, QString& host, quint16& port) {
    QString text = QString::fromStdWString(address.ToStdWString()).trimmed();
    if (text.startsWith(QLatin1String("http://"), Qt::CaseInsensitive)) {
        text = text.mid(7);
    }
    if (text.endsWith(QLatin1Char('/'))) {
        text.chop(1);
    }
    qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon <= 0) {
        return false;
    }
    bool ok = false;
    uint value = text.mid(colon + 1).toUInt(&ok);
    host = text.left(colon);
    if (!ok || value == 0 || value > 65535 || host.contains(QLatin1Char(' ')) || host.contains(QLatin1Char('/'))) {
        return false;
    }
    port = static_cast<quint16>(value);
    return true;
}

}  // namespace

QNetworkAccessManager* GetSharedNetworkAccessManager() {
    if (g_sharedManager.isNull()) {
        // Owned by the application object, so it goes with it.
        g_sharedManager = new QNetworkAccessManager(QCoreApplication::instance());
        // The manager owns the factory.
        g_sharedManager->setProxyFactory(new SessionProxyFactoryPrivate());
    }
    return g_sharedManager.data();
}

HttpSessionPrivate::~HttpSessionPrivate() { delete proxyManager_.data(); }

QNetworkAccessManager* HttpSessionPrivate::GetManager() {
    if (proxyHost.isEmpty()) {
        return GetSharedNetworkAccessManager();
    }
    if (proxyManager_.isNull()) {
        proxyManager_ = new QNetworkAccessManager();
        proxyManager_->setProxy(QNetworkProxy(QNetworkProxy::HttpProxy, proxyHost, proxyPort));
    }
    return proxyManager_.data();
}

void HttpSessionPrivate::Forget(HttpTransaction* transaction) { std::erase(transactions, transaction); }

HttpSession::HttpSession() = default;

HttpSession::~HttpSession() {
    if (d_ == nullptr) {
        return;
    }
    for (HttpTransaction* transaction : d_->transactions) {
        transaction->d_->Stop();
        transaction->d_->session = nullptr;
    }
    d_->transactions.clear();
    delete d_;
}

result HttpSession::Construct(NetHttpSessionMode mode, const Base::String* proxyAddress,
                              const Base::String& hostAddress, const HttpHeader* commonHeader, NetHttpCookieFlag flag) {
    if (d_ != nullptr) {
        return E_INVALID_STATE;
    }
    if (mode < NET_HTTP_SESSION_MODE_NORMAL || mode > NET_HTTP_SESSION_MODE_MULTIPLE_HOST ||
        flag < NET_HTTP_COOKIE_FLAG_NONE || flag > NET_HTTP_COOKIE_FLAG_ALWAYS_MANUAL) {
        return E_INVALID_ARG;
    }
    QString proxyHost;
    quint16 proxyPort = 0;
    if (proxyAddress != nullptr && !proxyAddress->IsEmpty() && !ParseProxy(*proxyAddress, proxyHost, proxyPort)) {
        return E_INVALID_ARG;
    }
    auto* d = new (std::nothrow) HttpSessionPrivate();
    if (d == nullptr) {
        return E_OUT_OF_MEMORY;
    }
    App::EventLoop::EnsureApplication();
    d->mode = mode;
    d->cookieFlag = flag;
    d->hostAddress = hostAddress;
    if (commonHeader != nullptr) {
        d->commonHeader = *commonHeader;
    }
    d->proxyHost = proxyHost;
    d->proxyPort = proxyPort;
    d_ = d;
    return E_SUCCESS;
}

HttpTransaction* HttpSession::OpenTransactionN() {
    if (d_ == nullptr) {
        return nullptr;
    }
    auto* transaction = new (std::nothrow) HttpTransaction(*this);
    if (transaction == nullptr || transaction->d_ == nullptr) {
        delete transaction;
        return nullptr;
    }
    d_->transactions.push_back(transaction);
    return transaction;
}

result HttpSession::CancelTransaction(HttpTransaction& transaction) {
    if (d_ == nullptr || transaction.d_->session != this) {
        return E_OBJ_NOT_FOUND;
    }
    transaction.d_->Stop();
    return E_SUCCESS;
}

result HttpSession::CloseTransaction(HttpTransaction& transaction) {
    if (d_ == nullptr || transaction.d_->session != this) {
        return E_OBJ_NOT_FOUND;
    }
    transaction.d_->Stop();
    transaction.d_->session = nullptr;
    d_->Forget(&transaction);
    return E_SUCCESS;
}

int HttpSession::GetActiveTransactionCount() const {
    if (d_ == nullptr) {
        return 0;
    }
    return static_cast<int>(std::count_if(d_->transactions.begin(), d_->transactions.end(),
                                          [](HttpTransaction* t) { return !t->d_->stopped; }));
}

NetHttpSessionMode HttpSession::GetSessionMode() const {
    return d_ != nullptr ? d_->mode : NET_HTTP_SESSION_MODE_NORMAL;
}

}  // namespace Vx::Net::Http
