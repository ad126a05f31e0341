#include "platform/content/DownloadManager.h"

#include <sys/stat.h>
#include <QCoreApplication>
#include <QNetworkRequest>
#include <QTimer>
#include <cerrno>

#include "platform/base/PlatformHome.h"
#include "platform/content/DownloadManagerPrivate.h"

namespace Vx::Content {
namespace {

constexpr int kTransferTimeoutMs = 30000;
constexpr int kMaxNameAttempts = 1000;

result ResultFromNetworkError(QNetworkReply::NetworkError error) {
    switch (error) {
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::RemoteHostClosedError:
    case QNetworkReply::SslHandshakeFailedError:
    case QNetworkReply::ProxyConnectionRefusedError:
    case QNetworkReply::ProxyConnectionClosedError:
        return E_CONNECTION_FAILED;
    case QNetworkReply::HostNotFoundError:
    case QNetworkReply::ProxyNotFoundError:
        return E_HOST_NOT_FOUND;
    case QNetworkReply::TimeoutError:
    case QNetworkReply::ProxyTimeoutError:
    case QNetworkReply::OperationCanceledError:  // only the transfer timeout aborts a reply we keep
        return E_TIMEOUT;
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::UnknownNetworkError:
        return E_NETWORK_UNAVAILABLE;
    case QNetworkReply::ContentNotFoundError:
    case QNetworkReply::ContentGoneError:
        return E_OBJ_NOT_FOUND;
    case QNetworkReply::ContentAccessDenied:
    case QNetworkReply::AuthenticationRequiredError:
    case QNetworkReply::ProxyAuthenticationRequiredError:
        return E_PERMISSION_DENIED;
    default:
        return E_FAILURE;
    }
}

result ResultFromHttpStatus(int status) {
    switch (status) {
    case 404:
    case 410:
        return E_OBJ_NOT_FOUND;
    case 401:
    case 403:
        return E_PERMISSION_DENIED;
    case 408:
    case 504:
        return E_TIMEOUT;
    default:
        return E_FAILURE;
    }
}

// A name that stays inside the downloads folder and is not hidden.
std::string SafeFileName(const std::string& wanted) {
    std::string name;
    for (char c : wanted) {
        bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
                     c == '-' || c == '_' || c == '+';
        name += plain ? c : '_';
    }
    std::size_t firstVisible = name.find_first_not_of('.');
    name = firstVisible == std::string::npos ? std::string() : name.substr(firstVisible);
    if (name.size() > 120) name.resize(120);
    return name.empty() ? "download" : name;
}

// "name.ext", then "name-1.ext", "name-2.ext", ...
std::string CandidateName(const std::string& name, int attempt) {
    if (attempt == 0) return name;
    std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0) return name + "-" + std::to_string(attempt);
    return name.substr(0, dot) + "-" + std::to_string(attempt) + name.substr(dot);
}

std::string DownloadDirectory() { return Base::GetPlatformHome() + "/downloads"; }

}  // namespace

DownloadManager::DownloadManager() : d_(std::make_unique<DownloadManagerPrivate>()) {}
DownloadManager::~DownloadManager() = default;

DownloadManager* DownloadManager::GetInstance() {
    if (IsPlatformFaultSet("no-download-manager")) return nullptr;
    // Never destroyed: replies still running at exit die with the application.
    static DownloadManager* instance = new DownloadManager();
    return instance;
}

Base::String DownloadManager::GetDownloadDirectory() { return Base::String::FromUtf8(DownloadDirectory()); }

DownloadState DownloadManager::GetState(RequestId requestId) const {
    const Download* download = d_->Find(requestId);
    return download ? download->state : DOWNLOAD_STATE_NONE;
}

void DownloadManager::SetDownloadListener(IDownloadListener* listener) { d_->listener = listener; }

IDownloadListener* DownloadManager::GetDownloadListener() const { return d_->listener; }

result DownloadManager::Start(const DownloadRequest& request, RequestId& requestId) {
    QUrl url(QString::fromStdWString(request.GetUrl().ToStdWString()), QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty() || (url.scheme() != "http" && url.scheme() != "https")) {
        return E_INVALID_ARG;
    }
    if (!QCoreApplication::instance()) return E_INVALID_STATE;

    std::string directory = DownloadDirectory();
    if (!Base::CreatePrivateFolders(directory)) return ResultFromErrno(errno);

    auto download = std::make_unique<Download>();
    // Downloads are the device's own, like the rest of its state.
    result r = download->sink.Open(directory, 0600);
    if (IsFailed(r)) return r;
    download->id = d_->nextId++;
    download->url = url;
    download->fileName =
        SafeFileName(request.GetFileName().IsEmpty() ? url.fileName().toStdString() : request.GetFileName().ToUtf8());
    Download& started = *download;
    d_->downloads[download->id] = std::move(download);
    d_->StartTransfer(started);
    requestId = started.id;
    return E_SUCCESS;
}

result DownloadManager::Cancel(RequestId requestId) {
    Download* download = d_->Find(requestId);
    if (!download || (download->state != DOWNLOAD_STATE_DOWNLOADING && download->state != DOWNLOAD_STATE_PAUSED)) {
        return E_OBJ_NOT_FOUND;
    }
    d_->DetachReply(*download);
    download->sink.Discard();
    download->state = DOWNLOAD_STATE_CANCELLED;
    d_->PostTerminal(requestId, DOWNLOAD_STATE_CANCELLED);
    return E_SUCCESS;
}

result DownloadManager::Pause(RequestId requestId) {
    Download* download = d_->Find(requestId);
    if (!download) return E_OBJ_NOT_FOUND;
    if (download->state != DOWNLOAD_STATE_DOWNLOADING) return E_INVALID_STATE;
    d_->DetachReply(*download);
    download->state = DOWNLOAD_STATE_PAUSED;
    QTimer::singleShot(0, d_->Network(), [d = d_.get(), requestId] {
        Download* paused = d->Find(requestId);
        if (paused && paused->state == DOWNLOAD_STATE_PAUSED && d->listener) d->listener->OnDownloadPaused(requestId);
    });
    return E_SUCCESS;
}

result DownloadManager::Resume(RequestId requestId) {
    Download* download = d_->Find(requestId);
    if (!download) return E_OBJ_NOT_FOUND;
    if (download->state != DOWNLOAD_STATE_PAUSED) return E_INVALID_STATE;
    if (!QCoreApplication::instance()) return E_INVALID_STATE;
    download->state = DOWNLOAD_STATE_DOWNLOADING;
    download->resumeOffset = download->sink.GetSize();
    d_->StartTransfer(*download);
    return E_SUCCESS;
}

QNetworkAccessManager* DownloadManagerPrivate::Network() {
    // Owned by the application object, so it goes away before Qt does.
    if (!network) network = new QNetworkAccessManager(QCoreApplication::instance());
    return network;
}

Download* DownloadManagerPrivate::Find(RequestId id) const {
    auto it = downloads.find(id);
    return it == downloads.end() ? nullptr : it->second.get();
}

void DownloadManagerPrivate::StartTransfer(Download& download) {
    QNetworkRequest request(download.url);
    request.setTransferTimeout(kTransferTimeoutMs);
    if (download.resumeOffset > 0) {
        request.setRawHeader("Range",
                             "bytes=" + QByteArray::number(static_cast<qulonglong>(download.resumeOffset)) + "-");
    }
    download.statusChecked = false;
    download.writeError = E_SUCCESS;
    QNetworkReply* reply = Network()->get(request);
    download.reply = reply;
    RequestId id = download.id;
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [this, id, reply] { OnReadyRead(id, reply); });
    QObject::connect(reply, &QNetworkReply::finished, reply, [this, id, reply] { OnFinished(id, reply); });
}

void DownloadManagerPrivate::DetachReply(Download& download) {
    if (QNetworkReply* reply = download.reply) {
        QObject::disconnect(reply, nullptr, reply, nullptr);
        reply->abort();
        reply->deleteLater();
    }
    download.reply = nullptr;
}

// Decides, once per transfer, whether the body is the file: an error page is
// not written, and a server that ignored the range sends the whole file again.
bool DownloadManagerPrivate::CheckStatus(Download& download, QNetworkReply& reply) {
    if (download.statusChecked) return true;
    download.statusChecked = true;
    int status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status >= 400) return false;
    if (download.resumeOffset > 0 && status != 206) {
        download.writeError = download.sink.Reset();
        download.resumeOffset = 0;
    }
    bool knownLength = false;
    qulonglong length = reply.header(QNetworkRequest::ContentLengthHeader).toULongLong(&knownLength);
    download.total = knownLength ? download.resumeOffset + length : 0;
    return true;
}

void DownloadManagerPrivate::OnReadyRead(RequestId id, QNetworkReply* reply) {
    Download* download = Find(id);
    if (!download || download->reply != reply || IsFailed(download->writeError)) return;
    if (!CheckStatus(*download, *reply)) return;
    if (!IsFailed(download->writeError)) {
        QByteArray data = reply->readAll();
        download->writeError = download->sink.Write(data.constData(), static_cast<std::size_t>(data.size()));
    }
    if (IsFailed(download->writeError)) {
        // Aborting from inside readyRead would finish the reply under our feet.
        QMetaObject::invokeMethod(reply, &QNetworkReply::abort, Qt::QueuedConnection);
        return;
    }
    if (listener) listener->OnDownloadInProgress(id, download->sink.GetSize(), download->total);
}

void DownloadManagerPrivate::OnFinished(RequestId id, QNetworkReply* reply) {
    reply->deleteLater();
    Download* download = Find(id);
    if (!download || download->reply != reply) return;
    download->reply = nullptr;

    int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (IsFailed(download->writeError)) {
        Fail(id, download->writeError, GetResultName(download->writeError));
        return;
    }
    if (status >= 400) {
        Fail(id, ResultFromHttpStatus(status), Base::String::FromUtf8(std::to_string(status)));
        return;
    }
    if (reply->error() != QNetworkReply::NoError) {
        result r = ResultFromNetworkError(reply->error());
        Fail(id, r, GetResultName(r));
        return;
    }
    if (CheckStatus(*download, *reply) && reply->isOpen()) {
        QByteArray rest = reply->readAll();
        download->writeError = download->sink.Write(rest.constData(), static_cast<std::size_t>(rest.size()));
        if (IsFailed(download->writeError)) {
            Fail(id, download->writeError, GetResultName(download->writeError));
            return;
        }
    }
    if (download->total > 0 && download->sink.GetSize() != download->total) {
        Fail(id, E_CONNECTION_FAILED, GetResultName(E_CONNECTION_FAILED));
        return;
    }
    std::string path;
    result r = CommitFile(*download, path);
    if (IsFailed(r)) {
        Fail(id, r, GetResultName(r));
        return;
    }
    Complete(id, path);
}

result DownloadManagerPrivate::CommitFile(Download& download, std::string& path) {
    std::string directory = DownloadDirectory();
    for (int attempt = 0; attempt < kMaxNameAttempts; ++attempt) {
        path = directory + "/" + CandidateName(download.fileName, attempt);
        result r = download.sink.Commit(path, CommitMode::NoReplace);
        if (r != E_OBJ_ALREADY_EXIST) return r;
    }
    return E_OBJ_ALREADY_EXIST;
}

void DownloadManagerPrivate::Fail(RequestId id, result r, const Base::String& errorCode) {
    if (Download* download = Find(id)) {
        download->sink.Discard();
        download->state = DOWNLOAD_STATE_FAILED;
    }
    if (listener) listener->OnDownloadFailed(id, r, errorCode);
    Forget(id);
}

void DownloadManagerPrivate::Complete(RequestId id, const std::string& path) {
    if (Download* download = Find(id)) download->state = DOWNLOAD_STATE_COMPLETED;
    if (listener) listener->OnDownloadCompleted(id, Base::String::FromUtf8(path));
    Forget(id);
}

void DownloadManagerPrivate::PostTerminal(RequestId id, DownloadState state) {
    QTimer::singleShot(0, Network(), [this, id, state] {
        Download* download = Find(id);
        if (!download || download->state != state) return;
        if (listener && state == DOWNLOAD_STATE_CANCELLED) listener->OnDownloadCanceled(id);
        Forget(id);
    });
}

void DownloadManagerPrivate::Forget(RequestId id) {
    auto it = downloads.find(id);
    if (it == downloads.end()) return;
    DownloadState state = it->second->state;
    if (state == DOWNLOAD_STATE_COMPLETED || state == DOWNLOAD_STATE_FAILED || state == DOWNLOAD_STATE_CANCELLED) {
        downloads.erase(it);
    }
}

}  // namespace Vx::Content
