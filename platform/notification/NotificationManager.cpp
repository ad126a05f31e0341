#include "platform/notification/NotificationManager.h"

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <string>

#include "platform/base/PlatformHome.h"

namespace Vx::Shell {
namespace {

constexpr const char* kLogName = "notifications.log";
constexpr const char* kBadgeName = "notifications.badge";

result ResultFromErrno(int error) { return (error == ENOSPC || error == EDQUOT) ? E_STORAGE_FULL : E_IO; }

// One event is one line: control characters would break that.
std::string OneLine(const Base::String& text) {
    std::string utf8 = text.ToUtf8();
    for (char& c : utf8) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = ' ';
    }
    return utf8;
}

std::string Timestamp() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S", &local);
    return buffer;
}

const char* StyleName(NotificationStyle style) {
    return style == NOTIFICATION_STYLE_THUMBNAIL ? "thumbnail" : "normal";
}

const char* TypeName(OngoingActivityType type) {
    switch (type) {
    case ONGOING_ACTIVITY_TYPE_PROGRESS_BYTE:
        return "progress-byte";
    case ONGOING_ACTIVITY_TYPE_PROGRESS_PERCENTAGE:
        return "progress-percentage";
    default:
        return "text";
    }
}

result WriteAll(int fd, const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return ResultFromErrno(errno);
        }
        done += static_cast<std::size_t>(n);
    }
    return E_SUCCESS;
}

}  // namespace

result NotificationManager::Construct() {
    if (constructed_) return E_INVALID_STATE;
    constructed_ = true;
    return E_SUCCESS;
}

int NotificationManager::GetBadgeNumber() const {
    std::string path = Base::GetPlatformHome() + "/" + kBadgeName;
    std::FILE* file = std::fopen(path.c_str(), "re");
    if (!file) return 0;
    int value = 0;
    if (std::fscanf(file, "%d", &value) != 1 || value < 0) value = 0;
    std::fclose(file);
    return value;
}

result NotificationManager::Notify(const Base::String& text) {
    if (!constructed_) return E_INVALID_STATE;
    if (text.IsEmpty()) return E_INVALID_ARG;
    return WriteLog("notify: " + OneLine(text));
}

result NotificationManager::NotifyOngoingActivity(const NotificationRequest& request) {
    if (!constructed_) return E_INVALID_STATE;
    if (request.GetBadgeNumber() >= 0) {
        result r = StoreBadgeNumber(request.GetBadgeNumber());
        if (IsFailed(r)) return r;
    }
    std::string line = "ongoing: " + std::to_string(request.GetOngoingActivityProgress()) + "%";
    line += " badge=" + std::to_string(request.GetBadgeNumber() >= 0 ? request.GetBadgeNumber() : GetBadgeNumber());
    line += std::string(" style=") + StyleName(request.GetNotificationStyle());
    line += std::string(" type=") + TypeName(request.GetOngoingActivityType());
    line += " text=" + OneLine(request.GetAlertText());
    result r = WriteLog(line);
    if (IsFailed(r)) return r;
    ongoingShown_ = true;
    DrawProgressLine(request);
    return E_SUCCESS;
}

result NotificationManager::RemoveOngoingActivityNotification() {
    if (!constructed_) return E_INVALID_STATE;
    if (!ongoingShown_) return E_SUCCESS;
    ongoingShown_ = false;
    if (::isatty(STDERR_FILENO)) {
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
    }
    return WriteLog("ongoing-removed");
}

result NotificationManager::WriteLog(const std::string& event) const {
    std::string path = Base::GetPlatformHome() + "/" + kLogName;
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return ResultFromErrno(errno);
    // One write per line keeps lines of concurrent processes whole.
    std::string line = Timestamp() + " [" + std::to_string(::getpid()) + "] " + event + "\n";
    result r = WriteAll(fd, line);
    if (::close(fd) != 0 && !IsFailed(r)) r = ResultFromErrno(errno);
    return r;
}

result NotificationManager::StoreBadgeNumber(int badgeNumber) const {
    std::string path = Base::GetPlatformHome() + "/" + kBadgeName;
    std::string temp = path + ".tmp." + std::to_string(::getpid());
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return ResultFromErrno(errno);
    result r = WriteAll(fd, std::to_string(badgeNumber) + "\n");
    if (::close(fd) != 0 && !IsFailed(r)) r = ResultFromErrno(errno);
    if (!IsFailed(r) && ::rename(temp.c_str(), path.c_str()) != 0) r = ResultFromErrno(errno);
    if (IsFailed(r)) ::unlink(temp.c_str());
    return r;
}

void NotificationManager::DrawProgressLine(const NotificationRequest& request) const {
    if (!::isatty(STDERR_FILENO)) return;
    std::string text = OneLine(request.GetAlertText());
    if (request.GetOngoingActivityType() == ONGOING_ACTIVITY_TYPE_PROGRESS_PERCENTAGE) {
        constexpr int kWidth = 30;
        int progress = request.GetOngoingActivityProgress();
        int filled = progress * kWidth / 100;
        std::string bar(static_cast<std::size_t>(filled), '#');
        bar.append(static_cast<std::size_t>(kWidth - filled), ' ');
        std::fprintf(stderr, "\r\033[K[%s] %3d%% %s", bar.c_str(), progress, text.c_str());
    } else if (request.GetOngoingActivityType() == ONGOING_ACTIVITY_TYPE_PROGRESS_BYTE) {
        std::fprintf(stderr, "\r\033[K%d bytes %s", request.GetOngoingActivityProgress(), text.c_str());
    } else {
        std::fprintf(stderr, "\r\033[K%s", text.c_str());
    }
    std::fflush(stderr);
}

}  // namespace Vx::Shell
