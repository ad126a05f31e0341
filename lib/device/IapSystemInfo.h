#pragma once
// The process-wide device identity sent with every store request, read once
// from the device and overridable per request by developer settings.
#include "platform/base/String.h"

class IapLibBogusSystemInfo;

class IapSystemInfo {
public:
    static IapSystemInfo& GetInstance();

    void Construct();
    void SetBogusSystemInfo(const IapLibBogusSystemInfo& bogus);
    Vx::Base::String GetNetworkType() const;
    Vx::result GetGuid(Vx::Base::String& out);

    Vx::Base::String mcc;
    Vx::Base::String mnc;
    Vx::Base::String deviceId;
    Vx::Base::String deviceModel;
    Vx::Base::String language;
    Vx::Base::String protocolVersion;
    Vx::Base::String mode;
    Vx::Base::String phoneNumber;

private:
    IapSystemInfo() = default;
    bool constructed_ = false;
};
