#pragma once
// Events of the download manager, delivered on the main event loop.
#include "platform/base/Result.h"
#include "platform/base/String.h"
#include "platform/content/DownloadRequest.h"

namespace Vx::Content {

class IDownloadListener {
public:
    virtual ~IDownloadListener() = default;

    virtual void OnDownloadCanceled(RequestId requestId) = 0;
    // path: the absolute path of the complete file in the downloads folder.
    virtual void OnDownloadCompleted(RequestId requestId, const Base::String& path) = 0;
    // r: what failed (E_OBJ_NOT_FOUND for HTTP 404, E_CONNECTION_FAILED,
    // E_STORAGE_FULL, ...); errorCode: the HTTP status ("404") when the server
    // answered with an error, otherwise the result's name.
    virtual void OnDownloadFailed(RequestId requestId, result r, const Base::String& errorCode) = 0;
    virtual void OnDownloadPaused(RequestId requestId) = 0;
    // total is 0 when the server did not announce the size.
    virtual void OnDownloadInProgress(RequestId requestId, unsigned long long receivedSize,
                                      unsigned long long totalSize) = 0;
};

}  // namespace Vx::Content
