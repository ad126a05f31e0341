#include "sandbox/FunctionDispatcher.h"

#include "sandbox/FunctionTable.h"

namespace Sandbox {

void FunctionDispatcher::Register(int functionId, Handler handler, unsigned endpoints) {
    table_[functionId] = Entry{std::move(handler), endpoints};
}

bool FunctionDispatcher::IsRegistered(int functionId) const { return table_.count(functionId) > 0; }

StoreReply FunctionDispatcher::Dispatch(Endpoint endpoint, const StoreRequest& request) const {
    const auto it = table_.find(request.functionId);
    const std::string_view name = FunctionTable::NameOf(request.functionId);
    const std::string label = name.empty() ? "function " + std::to_string(request.functionId)
                                           : std::string(name) + " (" + std::to_string(request.functionId) + ")";
    if (it == table_.end()) {
        return StoreReply::Error(StoreError::UnknownFunction, name.empty() ? label + " is not a store function"
                                                                           : label + " is not offered by this server");
    }
    if ((it->second.endpoints & static_cast<unsigned>(endpoint)) == 0) {
        return StoreReply::Error(
            StoreError::UnknownFunction,
            label + " is not served at " +
                (endpoint == Endpoint::CountrySearch ? "/ods.as; post it to /store" : "/store; post it to /ods.as"));
    }
    return it->second.handler(request);
}

}  // namespace Sandbox
