#pragma once
// Downloads files over HTTP into $IAP_PLATFORM_HOME/downloads/. A file appears
// under its final name only when it is complete; a failed or canceled download
// leaves nothing behind. Request ids count from 1 in each process. A request
// is forgotten (its state becomes DOWNLOAD_STATE_NONE) once its completed,
// failed or canceled event has been delivered; a paused request is kept.
// Needs a running Qt application event loop.
#include <memory>

#include "platform/base/Result.h"
#include "platform/content/DownloadRequest.h"
#include "platform/content/IDownloadListener.h"

namespace Vx::Content {

class DownloadManagerPrivate;

class DownloadManager {
public:
    // The process's download manager; null when the platform cannot provide one.
    static DownloadManager* GetInstance();

    DownloadManager(const DownloadManager&) = delete;
    DownloadManager& operator=(const DownloadManager&) = delete;

    DownloadState GetState(RequestId requestId) const;
    // One listener receives the events of every request; null removes it.
    void SetDownloadListener(IDownloadListener* listener);
    IDownloadListener* GetDownloadListener() const;

    // E_INVALID_ARG for a URL that is not http or https, E_INVALID_STATE
    // without an application event loop, or the error of creating the file.
    result Start(const DownloadRequest& request, RequestId& requestId);
    // The canceled event follows on the event loop. E_OBJ_NOT_FOUND for an
    // unknown or finished request.
    result Cancel(RequestId requestId);
    // Stops transferring and keeps what arrived; Resume asks the server for
    // the rest. E_INVALID_STATE when the request is not in the right state.
    result Pause(RequestId requestId);
    result Resume(RequestId requestId);

    // The folder downloads are written to.
    static Base::String GetDownloadDirectory();

private:
    DownloadManager();
    ~DownloadManager();
    friend class DownloadManagerPrivate;
    std::unique_ptr<DownloadManagerPrivate> d_;
};

}  // namespace Vx::Content
