#include "platform/net/HttpTransaction.h"

#include <QNetworkRequest>
#include <QSslCertificate>
#include <QSslError>
#include <QUrl>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <new>

#include "platform/base/StartupTrace.h"
#include "platform/net/HttpSession.h"
#include "platform/net/HttpSessionPrivate.h"
#include "platform/net/HttpTransactionPrivate.h"
#include "platform/net/OneShotBodyPrivate.h"

namespace Vx::Net::Http {

namespace {

QString ToQString(const Base::String& text) { return QString::fromStdWString(text.ToStdWString()); }

Base::String FromQString(const QString& text) { return Base::String(text.toStdWString()); }

bool IsFramingField(const QByteArray& name) {
    // The stack frames the message itself; letting callers set these would
    // allow a body length that disagrees with the body sent.
    return name.compare("Content-Length", Qt::CaseInsensitive) == 0 ||
           name.compare("Transfer-Encoding", Qt::CaseInsensitive) == 0 ||
           name.compare("Host", Qt::CaseInsensitive) == 0;
}

// Errors after which the server's reply is still a complete HTTP message.
bool IsReplyLevel(QNetworkReply::NetworkError error) {
    return error == QNetworkReply::NoError || error == QNetworkReply::ProtocolInvalidOperationError ||
           (error >= QNetworkReply::ContentAccessDenied && error <= QNetworkReply::UnknownContentError) ||
           (error >= QNetworkReply::InternalServerError && error <= QNetworkReply::UnknownServerError);
}

result ToResult(QNetworkReply::NetworkError error) {
    switch (error) {
    case QNetworkReply::HostNotFoundError:
    case QNetworkReply::ProxyNotFoundError:
        return E_HOST_NOT_FOUND;
    case QNetworkReply::TimeoutError:
    case QNetworkReply::ProxyTimeoutError:
        return E_TIMEOUT;
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::RemoteHostClosedError:
    case QNetworkReply::SslHandshakeFailedError:
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::UnknownNetworkError:
    case QNetworkReply::ProxyConnectionRefusedError:
    case QNetworkReply::ProxyConnectionClosedError:
    case QNetworkReply::ProtocolFailure:
        return E_CONNECTION_FAILED;
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::BackgroundRequestNotAllowedError:
        return E_NETWORK_UNAVAILABLE;
    default:
        return E_FAILURE;
    }
}

}  // namespace

// ---- HttpTransactionPrivate ----

HttpTransactionPrivate::HttpTransactionPrivate(HttpTransaction& owner, HttpSession& session)
    : owner(&owner), session(&session) {
    deadline_.setSingleShot(true);
    deadline_.setTimerType(Qt::PreciseTimer);
    connect(&deadline_, &QTimer::timeout, this, [this] { OnDeadline(); });
}

int HttpTransactionPrivate::GetEffectiveTimeoutMs() const {
    if (const char* text = std::getenv("IAP_HTTP_TIMEOUT_MS")) {
        char* end = nullptr;
        long value = std::strtol(text, &end, 10);
        if (end != text && *end == '\0' && value > 0 && value <= INT_MAX) {
            return static_cast<int>(value);
        }
    }
    return static_cast<int>(std::min<long long>(static_cast<long long>(timeoutSeconds) * 1000, INT_MAX));
}

QNetworkRequest HttpTransactionPrivate::BuildNetworkRequest(const QUrl& url) const {
    const HttpSessionPrivate& s = *session->d_;
    QNetworkRequest networkRequest(url);
    networkRequest.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    networkRequest.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    networkRequest.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    networkRequest.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    networkRequest.setAttribute(QNetworkRequest::HttpPipeliningAllowedAttribute,
                                s.mode == NET_HTTP_SESSION_MODE_PIPELINING);
    auto cookies =
        s.cookieFlag == NET_HTTP_COOKIE_FLAG_ALWAYS_AUTOMATIC ? QNetworkRequest::Automatic : QNetworkRequest::Manual;
    networkRequest.setAttribute(QNetworkRequest::CookieLoadControlAttribute, cookies);
    networkRequest.setAttribute(QNetworkRequest::CookieSaveControlAttribute, cookies);

    // Repeated names are folded into one field, as HTTP allows.
    std::vector<std::pair<QByteArray, QByteArray>> fields;
    auto add = [&fields](const HttpHeader& header) {
        for (const HttpHeader::Field& f : header.GetFields()) {
            QByteArray name = QByteArray::fromStdString(f.first.ToUtf8());
            QByteArray value = QByteArray::fromStdString(f.second.ToUtf8());
            if (IsFramingField(name)) {
                continue;
            }
            auto same = std::find_if(fields.begin(), fields.end(),
                                     [&](const auto& p) { return p.first.compare(name, Qt::CaseInsensitive) == 0; });
            if (same == fields.end()) {
                fields.emplace_back(name, value);
            } else {
                same->second += name.compare("Cookie", Qt::CaseInsensitive) == 0 ? "; " : ", ";
                same->second += value;
            }
        }
    };
    add(s.commonHeader);
    add(request.GetHeaderFields());
    bool hasContentType = false;
    bool hasAcceptEncoding = false;
    for (const auto& [name, value] : fields) {
        networkRequest.setRawHeader(name, value);
        hasContentType = hasContentType || name.compare("Content-Type", Qt::CaseInsensitive) == 0;
        hasAcceptEncoding = hasAcceptEncoding || name.compare("Accept-Encoding", Qt::CaseInsensitive) == 0;
    }
    // Store documents are small: compressing them costs the server more time
    // than the transfer saves, so replies are asked for as they are.
    if (!hasAcceptEncoding) {
        networkRequest.setRawHeader("Accept-Encoding", "identity");
    }
    if (!hasContentType) {
        QByteArray type = QByteArray::fromStdString(request.GetContentType().ToUtf8());
        if (type.isEmpty() && (!request.GetBodyBytes().empty() || request.GetMethod() == NET_HTTP_METHOD_POST ||
                               request.GetMethod() == NET_HTTP_METHOD_PUT)) {
            type = "application/octet-stream";
        }
        if (!type.isEmpty()) {
            networkRequest.setRawHeader("Content-Type", type);
        }
    }
    return networkRequest;
}

QNetworkReply* HttpTransactionPrivate::Send(QNetworkAccessManager& manager, const QNetworkRequest& networkRequest) {
    QByteArray body = QByteArray::fromStdString(request.GetBodyBytes());
    switch (request.GetMethod()) {
    case NET_HTTP_METHOD_GET:
        return body.isEmpty() ? manager.get(networkRequest) : manager.sendCustomRequest(networkRequest, "GET", body);
    case NET_HTTP_METHOD_HEAD:
        return manager.head(networkRequest);
    case NET_HTTP_METHOD_POST: {
        // A POST is never sent twice by the stack on its own (see OneShotBodyPrivate).
        auto* device = new (std::nothrow) OneShotBodyPrivate(body);
        if (!device) return nullptr;
        QNetworkRequest once(networkRequest);
        once.setHeader(QNetworkRequest::ContentLengthHeader, body.size());
        once.setAttribute(QNetworkRequest::DoNotBufferUploadDataAttribute, true);
        QNetworkReply* reply = manager.post(once, device);
        if (reply) {
            device->setParent(reply);
        } else {
            delete device;
        }
        return reply;
    }
    case NET_HTTP_METHOD_PUT:
        return manager.put(networkRequest, body);
    case NET_HTTP_METHOD_DELETE:
        return manager.sendCustomRequest(networkRequest, "DELETE", body);
    case NET_HTTP_METHOD_OPTIONS:
        return manager.sendCustomRequest(networkRequest, "OPTIONS", body);
    case NET_HTTP_METHOD_TRACE:
        return manager.sendCustomRequest(networkRequest, "TRACE", body);
    default:
        return nullptr;
    }
}

result HttpTransactionPrivate::Submit() {
    if (submitted || stopped || session == nullptr || request.GetUri().IsEmpty()) {
        return E_INVALID_STATE;
    }
    QUrl url(ToQString(request.GetUri()), QUrl::TolerantMode);
    if (url.isValid() && url.scheme().isEmpty()) {
        QString base = ToQString(session->d_->hostAddress);
        if (!base.contains(QLatin1String("://"))) {
            base.prepend(QLatin1String("http://"));
        }
        url = QUrl(base, QUrl::TolerantMode).resolved(url);
    }
    QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        return E_INVALID_ARG;
    }
    Vx::Base::StartupTrace::Mark("http: submit");
    QNetworkReply* reply = Send(*session->d_->GetManager(), BuildNetworkRequest(url));
    if (reply == nullptr) {
        return E_FAILURE;
    }
    reply_ = reply;
    submitted = true;
    running = true;
    request.frozen_ = true;
    // Queued, so that no event can reach a listener from inside Submit.
    connect(
        reply, &QNetworkReply::metaDataChanged, this,
        [this, reply] {
            if (IsCurrent(reply)) OnMetaDataChanged();
        },
        Qt::QueuedConnection);
    connect(
        reply, &QNetworkReply::readyRead, this,
        [this, reply] {
            if (IsCurrent(reply)) OnReadyRead();
        },
        Qt::QueuedConnection);
    connect(
        reply, &QNetworkReply::finished, this,
        [this, reply] {
            if (IsCurrent(reply)) OnFinished();
        },
        Qt::QueuedConnection);
    // Direct: only records the certificate; the errors are never ignored.
    connect(reply, &QNetworkReply::sslErrors, this, [this, reply](const QList<QSslError>& errors) {
        if (!IsCurrent(reply)) return;
        certRejected_ = true;
        for (const QSslError& e : errors) {
            if (!e.certificate().isNull()) {
                certificatePem_ = e.certificate().toPem().toStdString();
                break;
            }
        }
    });
    int timeoutMs = GetEffectiveTimeoutMs();
    if (timeoutMs > 0) {
        deadline_.start(timeoutMs);
    }
    return E_SUCCESS;
}

bool HttpTransactionPrivate::IsCurrent(const QObject* sender) const {
    return running && !stopped && !reply_.isNull() && reply_.data() == sender;
}

template <class Call>
bool HttpTransactionPrivate::Notify(Call call) {
    auto alive = [this] { return owner != nullptr && session != nullptr && !stopped; };
    std::vector<IHttpTransactionEventListener*> snapshot = listeners;
    ++dispatching_;
    for (IHttpTransactionEventListener* listener : snapshot) {
        if (!alive()) {
            break;
        }
        // A listener removed by an earlier one in this round is skipped.
        if (std::find(listeners.begin(), listeners.end(), listener) != listeners.end()) {
            call(*listener, *session, *owner);
        }
    }
    --dispatching_;
    return alive();
}

bool HttpTransactionPrivate::SendHeaderEventOnce() {
    if (headerSent_ || reply_.isNull()) {
        return true;
    }
    QVariant status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid()) {
        return true;
    }
    headerSent_ = true;
    response.statusCode_ = status.toInt();
    response.statusText_ = FromQString(reply_->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString());
    int headerLen = 0;
    for (const auto& [name, value] : reply_->rawHeaderPairs()) {
        response.header_.AddReceivedField(Base::String::FromUtf8(name.toStdString()),
                                          Base::String::FromUtf8(value.toStdString()));
        headerLen += static_cast<int>(name.size() + value.size() + 4);
    }
    bool authRequired = response.statusCode_ == 401 || response.statusCode_ == 407;
    return Notify([&](IHttpTransactionEventListener& l, HttpSession& s, HttpTransaction& t) {
        l.OnTransactionHeaderCompleted(s, t, headerLen, authRequired);
    });
}

bool HttpTransactionPrivate::PullBody(bool& gotBytes) {
    gotBytes = false;
    if (reply_.isNull() || !reply_->isOpen()) {
        return true;
    }
    QByteArray bytes = reply_->readAll();
    if (bytes.isEmpty()) {
        return true;
    }
    if (response.received_ + bytes.size() > kMaxHttpBodyBytes) {
        return false;
    }
    response.unread_.append(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    response.received_ += bytes.size();
    gotBytes = true;
    return true;
}

void HttpTransactionPrivate::OnMetaDataChanged() { SendHeaderEventOnce(); }

void HttpTransactionPrivate::OnReadyRead() { DeliverArrivals(); }

bool HttpTransactionPrivate::DeliverArrivals() {
    if (!SendHeaderEventOnce()) {
        return false;
    }
    bool gotBytes = false;
    if (!PullBody(gotBytes)) {
        Abort(E_OUT_OF_MEMORY);
        return false;
    }
    if (!gotBytes) {
        return true;
    }
    int available = response.GetAvailableBodyLength();
    return Notify([&](IHttpTransactionEventListener& l, HttpSession& s, HttpTransaction& t) {
        l.OnTransactionReadyToRead(s, t, available);
    });
}

void HttpTransactionPrivate::OnFinished() {
    Vx::Base::StartupTrace::Mark("http: finished");
    deadline_.stop();
    QNetworkReply::NetworkError error = reply_->error();
    bool hasStatus = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();
    if (certRejected_) {
        OnCertificateRejected();
        return;
    }
    if (!hasStatus || !IsReplyLevel(error)) {
        Abort(ToResult(error));
        return;
    }
    if (!DeliverArrivals()) {
        return;
    }
    FinishReply();
    Notify(
        [](IHttpTransactionEventListener& l, HttpSession& s, HttpTransaction& t) { l.OnTransactionCompleted(s, t); });
}

void HttpTransactionPrivate::OnDeadline() {
    if (running && !stopped) {
        Abort(E_TIMEOUT);
    }
}

void HttpTransactionPrivate::OnCertificateRejected() {
    FinishReply();
    Base::String pem = Base::String::FromUtf8(certificatePem_);
    bool open = Notify([&](IHttpTransactionEventListener& l, HttpSession& s, HttpTransaction& t) {
        l.OnTransactionCertVerificationRequiredN(s, t, new Base::String(pem));
    });
    if (open) {
        Notify([](IHttpTransactionEventListener& l, HttpSession& s, HttpTransaction& t) {
            l.OnTransactionAborted(s, t, E_CONNECTION_FAILED);
        });
    }
}

void HttpTransactionPrivate::Abort(result r) {
    FinishReply();
    Notify(
        [r](IHttpTransactionEventListener& l, HttpSession& s, HttpTransaction& t) { l.OnTransactionAborted(s, t, r); });
}

void HttpTransactionPrivate::FinishReply() {
    running = false;
    deadline_.stop();
    if (reply_.isNull()) {
        return;
    }
    QNetworkReply* reply = reply_.data();
    reply_.clear();
    disconnect(reply, nullptr, this, nullptr);
    if (reply->isRunning()) {
        reply->abort();
    }
    reply->deleteLater();
}

void HttpTransactionPrivate::Stop() {
    stopped = true;
    FinishReply();
}

void HttpTransactionPrivate::Release() {
    Stop();
    owner = nullptr;
    if (dispatching_ > 0) {
        deleteLater();
    } else {
        delete this;
    }
}

// ---- HttpTransaction ----

HttpTransaction::HttpTransaction(HttpSession& session)
    : d_(new (std::nothrow) HttpTransactionPrivate(*this, session)) {}

HttpTransaction::~HttpTransaction() {
    if (d_ == nullptr) {
        return;
    }
    if (d_->session != nullptr) {
        d_->session->d_->Forget(this);
    }
    d_->Release();
}

result HttpTransaction::AddHttpTransactionListener(IHttpTransactionEventListener& listener) {
    auto& list = d_->listeners;
    if (std::find(list.begin(), list.end(), &listener) != list.end()) {
        return E_OBJ_ALREADY_EXIST;
    }
    list.push_back(&listener);
    return E_SUCCESS;
}

result HttpTransaction::RemoveHttpTransactionListener(IHttpTransactionEventListener& listener) {
    auto& list = d_->listeners;
    auto found = std::find(list.begin(), list.end(), &listener);
    if (found == list.end()) {
        return E_OBJ_NOT_FOUND;
    }
    list.erase(found);
    return E_SUCCESS;
}

HttpRequest* HttpTransaction::GetRequest() const { return &d_->request; }

HttpResponse* HttpTransaction::GetResponse() const { return &d_->response; }

result HttpTransaction::SetTimeout(int seconds) {
    if (seconds < 0) {
        return E_INVALID_ARG;
    }
    d_->timeoutSeconds = seconds;
    return E_SUCCESS;
}

int HttpTransaction::GetTimeout() const { return d_->timeoutSeconds; }

result HttpTransaction::Submit() { return d_->Submit(); }

bool HttpTransaction::IsSubmitted() const { return d_->submitted; }

bool HttpTransaction::IsRunning() const { return d_->running && !d_->stopped; }

}  // namespace Vx::Net::Http
