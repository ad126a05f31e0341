#include "platform/app/AppTypes.h"

namespace Vx::App {

const char* GetAppCtrlResultName(int result) {
    switch (result) {
    case APP_CTRL_RESULT_SUCCEEDED:
        return "SUCCEEDED";
    case APP_CTRL_RESULT_FAILED:
        return "FAILED";
    case APP_CTRL_RESULT_CANCELED:
        return "CANCELED";
    case APP_CTRL_RESULT_TERMINATED:
        return "TERMINATED";
    case APP_CTRL_RESULT_ABORTED:
        return "ABORTED";
    default:
        return "UNKNOWN";
    }
}

}  // namespace Vx::App
