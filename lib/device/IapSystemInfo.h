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
    // The twelve hex digits of the Wi-Fi MAC address followed by "1". Without a
    // usable address `out` is kUnknownGuid and the result says why
    // (E_DEVICE_UNAVAILABLE: no adapter or no address; E_INVALID_FORMAT: not a MAC).
    Vx::result GetGuid(Vx::Base::String& out);

    // Forgets every value so that the next GetInstance() reads the device again.
    // For tests, which change the device between cases.
    void ResetForTesting();

    static constexpr const wchar_t* kUnknownGuid = L"0000000000001";

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
