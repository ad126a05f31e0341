#pragma once
// Where the user's secrets (account password, card number, card security
// code) may be sent: only to a store reached over https, or to one on this
// device (loopback, as in development and tests). A plain-http store on
// another host would put them on the network in clear.
#include "lib/protocol/IapCommonHttpTypes.h"
#include "platform/base/String.h"

class IapSecretDestination {
public:
    IapSecretDestination() = delete;

    // The parameter names whose values are secrets.
    static constexpr const wchar_t* kSecretParams[] = {L"password", L"cardNum", L"cvc"};

    // True when a parameter with a secret name carries a value.
    static bool CarriesSecret(const IapCommonHttp::Params& params);
    // True for an https URL, or an http URL whose host is "localhost", an
    // IPv4 address in 127.0.0.0/8 or "[::1]". User names before an "@" do
    // not count as the host. Anything unreadable is false.
    static bool MayReceiveSecrets(const Vx::Base::String& url);
};
