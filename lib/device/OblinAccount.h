#pragma once
// Sign-in state, sign-in and the signed-in user's data through the platform
// account service's two applications, reached by application control.
#include "lib/device/IOblinAccountListener.h"
#include "platform/app/IAppControlResponseListener.h"
#include "platform/app/ITimerEventListener.h"
#include "platform/app/Timer.h"
#include "platform/base/String.h"

// A request that gets no answer within IAP_SIGN_IN_TIMEOUT_MS (default five
// minutes: a person signs in meanwhile) is reported as RESULT_TIMED_OUT, and a
// late answer to it is ignored.
class OblinAccount : public Vx::App::IAppControlResponseListener, public Vx::Base::Runtime::ITimerEventListener {
public:
    enum RequestType : int { REQUEST_NONE = 0, REQUEST_ACCESS_TOKEN = 1, REQUEST_SIGN_IN = 2 };
    using ResultCode = OblinAccountResult::ResultCode;

    static const Vx::Base::String APP_ID;
    static const Vx::Base::String APP_SECRET;
    static const Vx::Base::String ADDITIONAL;
    static const Vx::Base::String ADDITIONAL_VALUES;
    static const Vx::Base::String RESULT_CODE;
    static const Vx::Base::String ERROR_MESSAGE;
    static const Vx::Base::String SERVICE_CATEGORY;
    static const Vx::Base::String appId;
    static const Vx::Base::String appSecretVal;
    static const Vx::Base::String oblinAccountServiceAppId;
    static const Vx::Base::String oblinAccountAppId;
    static const Vx::Base::String accessTokenAdditionalValues;
    static const Vx::Base::String serviceCategory;
    static const Vx::Base::String oblinAccountOperationView;

    explicit OblinAccount(IOblinAccountListener& listener);
    ~OblinAccount() override = default;

    bool CheckSignInStatus() const;
    Vx::result RequestSignIn();
    Vx::result RequestAccessToken();
    Vx::Base::String GetLastError() const { return lastError_; }
    void SetLastRequest(RequestType request);
    RequestType GetLastRequest() const { return lastRequest_; }

    void OnAppControlCompleteResponseReceived(const Vx::Base::String& appId, const Vx::Base::String& operationId,
                                              Vx::App::AppCtrlResult appControlResult,
                                              const Vx::Base::Collection::IMap* extraData) override;
    void OnTimerExpired(Vx::Base::Runtime::Timer& timer) override;

    // The time limit of one request, in milliseconds.
    static int GetTimeLimitMs();

private:
    void StartTimeLimit();
    Vx::result StartAccountApp(const Vx::Base::String& targetAppId, const Vx::Base::String& thirdKey,
                               const Vx::Base::String& thirdValue, RequestType request);
    bool ReadResultCode(const Vx::Base::Collection::IMap* extraData);
    void ReportAccessToken(const Vx::Base::Collection::IMap* extraData);

    IOblinAccountListener& listener_;
    RequestType lastRequest_ = REQUEST_NONE;
    int resultCode_ = OblinAccountResult::RESULT_NOT_SIGNED_IN;
    Vx::Base::String lastError_;
    Vx::Base::Runtime::Timer timeLimit_;
    bool timeLimitReady_ = false;
};
