#pragma once
// What an application asks the notification manager to show: a badge number,
// an optional text, and for an ongoing activity its kind and progress.
#include "platform/base/Object.h"
#include "platform/base/Result.h"
#include "platform/base/String.h"

namespace Vx::Shell {

enum NotificationStyle {
    NOTIFICATION_STYLE_NORMAL = 1,
    NOTIFICATION_STYLE_THUMBNAIL = 2,
};

enum OngoingActivityType {
    ONGOING_ACTIVITY_TYPE_TEXT = 1,
    ONGOING_ACTIVITY_TYPE_PROGRESS_BYTE = 2,
    ONGOING_ACTIVITY_TYPE_PROGRESS_PERCENTAGE = 3,  // a progress bar from 0 to 100
};

class NotificationRequest : public Base::Object {
public:
    // appBinding: the notification belongs to the calling application and
    // goes away with it.
    explicit NotificationRequest(bool appBinding = true);

    bool IsAppBinding() const { return appBinding_; }

    // E_INVALID_ARG for a negative number.
    result SetBadgeNumber(int badgeNumber);
    int GetBadgeNumber() const { return badgeNumber_; }

    result SetAlertText(const Base::String& text);
    const Base::String& GetAlertText() const { return alertText_; }

    // E_INVALID_ARG for a value outside the enumeration.
    result SetNotificationStyle(NotificationStyle style);
    NotificationStyle GetNotificationStyle() const { return style_; }

    result SetOngoingActivityType(OngoingActivityType type);
    OngoingActivityType GetOngoingActivityType() const { return activityType_; }

    // E_INVALID_ARG below 0, and above 100 for the percentage type.
    result SetOngoingActivityProgress(int progress);
    int GetOngoingActivityProgress() const { return progress_; }

private:
    bool appBinding_;
    int badgeNumber_ = -1;  // -1: leave the badge as it is
    Base::String alertText_;
    NotificationStyle style_ = NOTIFICATION_STYLE_NORMAL;
    OngoingActivityType activityType_ = ONGOING_ACTIVITY_TYPE_TEXT;
    int progress_ = 0;
};

}  // namespace Vx::Shell
