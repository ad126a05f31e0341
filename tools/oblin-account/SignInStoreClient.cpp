#include "tools/oblin-account/SignInStoreClient.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QUrl>
#include <cstdlib>

namespace OblinSignIn {

class SignInStoreClientPrivate {
public:
    using ReplyHandler = std::function<void(bool ok, const StoreReply& reply, const std::string& error)>;

    void Post(const std::string& url, const StoreRequest& request, ReplyHandler handler);
    void OnCountryFound(const StoreReply& reply);
    void OnPasswordChecked(const StoreReply& reply);
    void Finish(SignInOutcome outcome);

    std::string countrySearchUrl;
    DeviceIdentity device;
    int timeoutMs = 30000;
    QNetworkAccessManager network;
    QPointer<QNetworkReply> current;
    SignInStoreClient::Callback done;
    std::string email;
    std::string password;
    std::string serverUrl;
    int nextTransactionId = 1;
};

namespace {

SignInOutcome Outcome(SignInOutcome::Kind kind, std::string detail) {
    SignInOutcome outcome;
    outcome.kind = kind;
    outcome.detail = std::move(detail);
    return outcome;
}

}  // namespace

std::string SignInStoreClient::GetDefaultCountrySearchUrl() {
    const char* configured = std::getenv("IAP_COUNTRY_SEARCH_URL");
    return configured && *configured ? configured : "http://127.0.0.1:8640/ods.as";
}

SignInStoreClient::SignInStoreClient(std::string countrySearchUrl, DeviceIdentity device, int timeoutMs)
    : d_(std::make_unique<SignInStoreClientPrivate>()) {
    d_->countrySearchUrl = std::move(countrySearchUrl);
    d_->device = std::move(device);
    d_->timeoutMs = timeoutMs;
}

SignInStoreClient::~SignInStoreClient() { Cancel(); }

bool SignInStoreClient::IsBusy() const { return static_cast<bool>(d_->done); }

void SignInStoreClient::Cancel() {
    d_->done = nullptr;
    if (d_->current) {
        QNetworkReply* reply = d_->current;
        d_->current = nullptr;
        reply->disconnect();
        reply->abort();
        reply->deleteLater();
    }
}

bool SignInStoreClient::CheckPassword(const std::string& email, const std::string& password, Callback done) {
    if (IsBusy()) return false;
    d_->done = std::move(done);
    d_->email = email;
    d_->password = password;
    StoreRequest request{
        kCountrySearch, "countrySearch", d_->nextTransactionId++, {{"latestCountryCode", d_->device.mcc}}};
    SignInStoreClientPrivate* d = d_.get();
    d_->Post(d_->countrySearchUrl, request, [d](bool ok, const StoreReply& reply, const std::string& error) {
        if (!ok) return d->Finish(Outcome(SignInOutcome::Kind::Unreachable, "country search: " + error));
        d->OnCountryFound(reply);
    });
    return true;
}

void SignInStoreClientPrivate::OnCountryFound(const StoreReply& reply) {
    if (reply.errorCode != 0) {
        return Finish(Outcome(SignInOutcome::Kind::Unreachable,
                              "country search failed with error " + std::to_string(reply.errorCode)));
    }
    if (reply.records.size() != 1 || reply.records[0].count("countryURL") == 0 ||
        reply.records[0].at("countryURL").empty()) {
        return Finish(Outcome(SignInOutcome::Kind::Unreachable, "the country search named no store"));
    }
    serverUrl = reply.records[0].at("countryURL");
    StoreRequest request{
        kCheckPassword, "checkPassword", nextTransactionId++, {{"emailID", email}, {"password", password}}};
    Post(serverUrl, request, [this](bool ok, const StoreReply& checked, const std::string& error) {
        if (!ok) return Finish(Outcome(SignInOutcome::Kind::Unreachable, "store: " + error));
        OnPasswordChecked(checked);
    });
}

void SignInStoreClientPrivate::OnPasswordChecked(const StoreReply& reply) {
    if (reply.errorCode != 0) {
        return Finish(
            Outcome(SignInOutcome::Kind::StoreError,
                    "the store answered error " + std::to_string(reply.errorCode) + " (" + reply.errorMessage + ")"));
    }
    if (reply.records.empty())
        return Finish(Outcome(SignInOutcome::Kind::StoreError, "the store's answer holds no record"));
    const auto& record = reply.records[0];
    auto valid = record.find("isValid");
    if (valid == record.end() || valid->second != "1") return Finish(Outcome(SignInOutcome::Kind::Invalid, {}));
    auto userId = record.find("userID");
    if (userId == record.end() || userId->second.empty()) {
        return Finish(Outcome(SignInOutcome::Kind::StoreError, "the store accepted the password but sent no user id"));
    }
    SignInOutcome outcome = Outcome(SignInOutcome::Kind::Valid, {});
    outcome.userId = userId->second;
    outcome.serverUrl = serverUrl;
    Finish(outcome);
}

void SignInStoreClientPrivate::Finish(SignInOutcome outcome) {
    SignInStoreClient::Callback callback = std::move(done);
    done = nullptr;
    password.clear();
    if (callback) callback(outcome);
}

void SignInStoreClientPrivate::Post(const std::string& url, const StoreRequest& request, ReplyHandler handler) {
    QUrl target(QString::fromStdString(url));
    if (!target.isValid() || (target.scheme() != QLatin1String("http") && target.scheme() != QLatin1String("https"))) {
        handler(false, {}, "not an HTTP URL: " + url);
        return;
    }
    QNetworkRequest http(target);
    http.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("text/plain; charset=utf-8"));
    http.setTransferTimeout(timeoutMs);
    QNetworkReply* reply = network.post(http, QByteArray::fromStdString(BuildRequestDocument(device, request)));
    current = reply;
    QObject::connect(reply, &QNetworkReply::finished, reply, [this, reply, handler] {
        reply->deleteLater();
        if (current == reply) current = nullptr;
        int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (reply->error() != QNetworkReply::NoError && status == 0) {
            return handler(false, {}, reply->errorString().toStdString());
        }
        if (status != 200) return handler(false, {}, "HTTP status " + std::to_string(status));
        StoreReply parsed;
        std::string error;
        std::string body = reply->isOpen() ? reply->readAll().toStdString() : std::string();
        if (!ParseReplyDocument(body, parsed, error)) return handler(false, {}, "unreadable answer: " + error);
        handler(true, parsed, {});
    });
}

}  // namespace OblinSignIn
