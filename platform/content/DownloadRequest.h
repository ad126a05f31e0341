#pragma once
// One file to download: its URL and, optionally, the file name to give it in
// the downloads folder (by default the last segment of the URL's path).
#include "platform/base/Object.h"
#include "platform/base/String.h"

namespace Vx::Content {

using RequestId = long;

enum DownloadState {
    DOWNLOAD_STATE_NONE = 0,  // idle, or no such request
    DOWNLOAD_STATE_DOWNLOADING = 1,
    DOWNLOAD_STATE_PAUSED = 2,
    DOWNLOAD_STATE_COMPLETED = 3,
    DOWNLOAD_STATE_FAILED = 4,
    DOWNLOAD_STATE_CANCELLED = 5,
};

class DownloadRequest : public Base::Object {
public:
    explicit DownloadRequest(const Base::String& url) : url_(url) {}

    const Base::String& GetUrl() const { return url_; }
    void SetFileName(const Base::String& fileName) { fileName_ = fileName; }
    const Base::String& GetFileName() const { return fileName_; }

private:
    Base::String url_;
    Base::String fileName_;
};

}  // namespace Vx::Content
