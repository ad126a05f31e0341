#pragma once
// Drives the windows of a running application through its UI automation
// channel (UiAutomationProtocol.h). Calls block until the reply arrives,
// delivering this process's own events meanwhile. Strings are UTF-8.
#include <memory>
#include <string>
#include <vector>

#include "platform/base/Result.h"

namespace Vx::Ui::Automation {

struct ControlInfo {
    std::string name;
    std::string type;
    std::string text;  // a password field's text is masked
    bool enabled = false;
    bool visible = false;
    bool focused = false;
    bool checkable = false;  // a check button
    bool checked = false;
};

class UiAutomationClientPrivate;

class UiAutomationClient {
public:
    UiAutomationClient();
    ~UiAutomationClient();
    UiAutomationClient(const UiAutomationClient&) = delete;
    UiAutomationClient& operator=(const UiAutomationClient&) = delete;

    // Connects to the application, retrying until it listens or `timeoutMs`
    // pass. E_CONNECTION_FAILED when it never did (not running, or started
    // without IAP_UI_AUTOMATION=1).
    result Connect(const std::string& appId, int timeoutMs = 5000);
    void Disconnect();
    bool IsConnected() const;

    // The failures of the commands: E_OBJ_NOT_FOUND (no such visible control,
    // or no window), E_INVALID_STATE (disabled), E_INVALID_ARG (wrong kind of
    // control, text refused), E_TIMEOUT, E_INVALID_FORMAT (a broken reply),
    // E_CONNECTION_FAILED (the application went away). GetLastError() says more.
    // `sceneId`: the current scene of the application's scene manager (empty when it uses none).
    result List(std::vector<ControlInfo>& controls, std::string* windowName = nullptr, std::string* sceneId = nullptr);
    result Type(const std::string& name, const std::string& text);
    result Press(const std::string& name);
    result Wait(const std::string& name, int timeoutMs);
    result Close();
    // The active window drawn as a PNG file's bytes.
    result Screenshot(std::string& png);

    // The first visible control with this name in the last List() result, or null.
    static const ControlInfo* Find(const std::vector<ControlInfo>& controls, const std::string& name);

    const std::string& GetLastError() const;

private:
    std::unique_ptr<UiAutomationClientPrivate> d_;
};

}  // namespace Vx::Ui::Automation
