#pragma once
// Checks an e-mail address and password with the store: a country search
// finds the store's URL, then "checkPassword" asks it. One check at a time;
// the outcome arrives on the event loop.
#include <functional>
#include <memory>
#include <string>

#include "tools/oblin-account/StoreExchange.h"

namespace OblinSignIn {

struct SignInOutcome {
    enum class Kind {
        Valid,        // userId and serverUrl are set
        Invalid,      // wrong e-mail or password
        StoreError,   // the store answered with an error; detail says which
        Unreachable,  // no usable answer from the country search or the store
    };
    Kind kind = Kind::Unreachable;
    std::string userId;
    std::string serverUrl;
    std::string detail;
};

class SignInStoreClientPrivate;

class SignInStoreClient {
public:
    using Callback = std::function<void(const SignInOutcome&)>;

    // $IAP_COUNTRY_SEARCH_URL, or http://127.0.0.1:8640/ods.as.
    static std::string GetDefaultCountrySearchUrl();

    SignInStoreClient(std::string countrySearchUrl, DeviceIdentity device, int timeoutMs = 30000);
    ~SignInStoreClient();
    SignInStoreClient(const SignInStoreClient&) = delete;
    SignInStoreClient& operator=(const SignInStoreClient&) = delete;

    // False when a check is already running. The callback must not delete this client.
    bool CheckPassword(const std::string& email, const std::string& password, Callback done);
    bool IsBusy() const;
    // Drops the running check; its callback is not called.
    void Cancel();

private:
    std::unique_ptr<SignInStoreClientPrivate> d_;
};

}  // namespace OblinSignIn
