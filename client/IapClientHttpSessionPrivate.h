#pragma once
#include "lib/protocol/IapCommonHttpTypes.h"
#include "platform/ui/Control.h"
#include "platform/ui/IActionEventListener.h"

class IapClientListener;
class IapClientHttpSession;

// The client session's own state: its gate and where replies go. Also the
// listener of an attached busy dialog's cancel button.
class IapClientHttpSessionPrivate : public Vx::Ui::IActionEventListener {
public:
    // The busy dialog's cancel button.
    static constexpr int kCancelActionId = 10001;
    static constexpr int kFirstTransactionId = 10000;

    IapClientHttpSessionPrivate(IapClientListener* listener, IapClientHttpSession& session);

    void OnActionPerformed(const Vx::Ui::Control& source, int actionId) override;

    int pendingTransactionId = -1;
    int nextTransactionId = kFirstTransactionId;
    IapCommonHttp::FunctionId pendingFunction = IapCommonHttp::FUNCTION_NONE;
    IapClientListener* clientListener;
    // Optional; the client's flows attach none.
    Vx::Ui::Control* waitDialog = nullptr;
    IapClientHttpSession& session;
};
