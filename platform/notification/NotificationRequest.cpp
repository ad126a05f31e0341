#include "platform/notification/NotificationRequest.h"

namespace Vx::Shell {

NotificationRequest::NotificationRequest(bool appBinding) : appBinding_(appBinding) {}

result NotificationRequest::SetBadgeNumber(int badgeNumber) {
    if (badgeNumber < 0) return E_INVALID_ARG;
    badgeNumber_ = badgeNumber;
    return E_SUCCESS;
}

result NotificationRequest::SetAlertText(const Base::String& text) {
    alertText_ = text;
    return E_SUCCESS;
}

result NotificationRequest::SetNotificationStyle(NotificationStyle style) {
    if (style != NOTIFICATION_STYLE_NORMAL && style != NOTIFICATION_STYLE_THUMBNAIL) return E_INVALID_ARG;
    style_ = style;
    return E_SUCCESS;
}

result NotificationRequest::SetOngoingActivityType(OngoingActivityType type) {
    if (type < ONGOING_ACTIVITY_TYPE_TEXT || type > ONGOING_ACTIVITY_TYPE_PROGRESS_PERCENTAGE) return E_INVALID_ARG;
    activityType_ = type;
    if (type == ONGOING_ACTIVITY_TYPE_PROGRESS_PERCENTAGE && progress_ > 100) progress_ = 100;
    return E_SUCCESS;
}

result NotificationRequest::SetOngoingActivityProgress(int progress) {
    if (progress < 0) return E_INVALID_ARG;
    if (activityType_ == ONGOING_ACTIVITY_TYPE_PROGRESS_PERCENTAGE && progress > 100) return E_INVALID_ARG;
    progress_ = progress;
    return E_SUCCESS;
}

}  // namespace Vx::Shell
