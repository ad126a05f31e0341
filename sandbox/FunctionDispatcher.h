#pragma once

#include "sandbox/StoreReply.h"
#include "sandbox/StoreRequest.h"

#include <functional>
#include <map>

namespace Sandbox {

// The two paths that take store requests.
enum class Endpoint : unsigned {
    CountrySearch = 1,  // /ods.as
    Store = 2,          // /store
};

inline constexpr unsigned kBothEndpoints =
    static_cast<unsigned>(Endpoint::CountrySearch) | static_cast<unsigned>(Endpoint::Store);

// Function id -> handler. New server functions register here; register them
// all before the server starts (the table is not locked).
class FunctionDispatcher {
public:
    using Handler = std::function<StoreReply(const StoreRequest&)>;

    // endpoints: a mask of Endpoint values at which the function is served.
    void Register(int functionId, Handler handler, unsigned endpoints);
    bool IsRegistered(int functionId) const;

    // The handler's reply, or an UnknownFunction error for a function that
    // is unknown or not served at this endpoint.
    StoreReply Dispatch(Endpoint endpoint, const StoreRequest& request) const;

private:
    struct Entry {
        Handler handler;
        unsigned endpoints = 0;
    };
    std::map<int, Entry> table_;
};

}  // namespace Sandbox
