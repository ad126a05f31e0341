#pragma once
// Qt side of the download manager: one QNetworkReply per running request,
// streamed into a FileSink.
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>
#include <QUrl>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "platform/content/DownloadManager.h"
#include "platform/content/FileSink.h"

namespace Vx::Content {

struct Download {
    RequestId id = 0;
    QUrl url;
    std::string fileName;  // the wanted name in the downloads folder
    DownloadState state = DOWNLOAD_STATE_DOWNLOADING;
    FileSink sink;
    QPointer<QNetworkReply> reply;
    std::uint64_t resumeOffset = 0;  // bytes kept from before a pause
    std::uint64_t total = 0;         // 0: unknown
    bool statusChecked = false;
    result writeError = E_SUCCESS;
};

class DownloadManagerPrivate {
public:
    QNetworkAccessManager* Network();
    Download* Find(RequestId id) const;

    void StartTransfer(Download& download);
    void DetachReply(Download& download);
    void OnReadyRead(RequestId id, QNetworkReply* reply);
    void OnFinished(RequestId id, QNetworkReply* reply);
    bool CheckStatus(Download& download, QNetworkReply& reply);

    result CommitFile(Download& download, std::string& path);
    void Fail(RequestId id, result r, const Base::String& errorCode);
    void Complete(RequestId id, const std::string& path);
    // Delivers a terminal event from a later turn of the event loop.
    void PostTerminal(RequestId id, DownloadState state);
    void Forget(RequestId id);

    std::map<RequestId, std::unique_ptr<Download>> downloads;
    RequestId nextId = 1;
    IDownloadListener* listener = nullptr;
    QPointer<QNetworkAccessManager> network;
};

}  // namespace Vx::Content
