#pragma once
// Shows notifications for the calling application. Every event becomes one
// line appended to $IAP_PLATFORM_HOME/notifications.log:
//   YYYY-MM-DD HH:MM:SS [pid] notify: <text>
//   YYYY-MM-DD HH:MM:SS [pid] ongoing: <progress>% badge=<n> style=<style> type=<type> text=<text>
//   YYYY-MM-DD HH:MM:SS [pid] ongoing-removed
// An ongoing activity is also drawn as a progress line on standard error when
// that is a terminal. The badge number is kept in $IAP_PLATFORM_HOME/notifications.badge.
#include "platform/base/Object.h"
#include "platform/base/Result.h"
#include "platform/base/String.h"
#include "platform/notification/NotificationRequest.h"

namespace Vx::Shell {

class NotificationManager : public Base::Object {
public:
    NotificationManager() = default;
    ~NotificationManager() override = default;
    NotificationManager(const NotificationManager&) = delete;
    NotificationManager& operator=(const NotificationManager&) = delete;

    // E_INVALID_STATE when already constructed.
    result Construct();

    // The badge number last set through a request; 0 when none was set.
    int GetBadgeNumber() const;

    // A plain text notification. E_INVALID_ARG for an empty text.
    result Notify(const Base::String& text);
    // Shows or updates the ongoing activity of this manager.
    result NotifyOngoingActivity(const NotificationRequest& request);
    // Removes it; does nothing when none is shown.
    result RemoveOngoingActivityNotification();

private:
    result WriteLog(const std::string& line) const;
    result StoreBadgeNumber(int badgeNumber) const;
    void DrawProgressLine(const NotificationRequest& request) const;

    bool constructed_ = false;
    bool ongoingShown_ = false;
};

}  // namespace Vx::Shell
