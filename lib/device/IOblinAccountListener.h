#pragma once
#include "lib/device/OblinAccountTypes.h"
#include "platform/base/String.h"

// Receives the answers of the platform account service.
class IOblinAccountListener {
public:
    virtual ~IOblinAccountListener() = default;
    virtual void OnAccessTokenReply(OblinAccountResult::ResultCode result, const Vx::Base::String& userId,
                                    const Vx::Base::String& emailId, const Vx::Base::String& mcc,
                                    const Vx::Base::String& serverUrl) = 0;
    virtual void OnSignInTokenReply(OblinAccountResult::ResultCode result) = 0;
};
