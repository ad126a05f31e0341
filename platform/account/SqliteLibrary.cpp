#include "platform/account/SqliteLibraryPrivate.h"
#include "platform/base/SharedLibrary.h"

namespace Vx::Account {
namespace {

struct Loaded {
    Base::SharedLibrary library;
    SqliteLibrary functions;
    bool complete = false;
};

// Loaded once; a failure is remembered rather than retried on every open.
const Loaded& Load() {
    static const Loaded* loaded = [] {
        auto* state = new Loaded();  // kept to the end of the process, like the connections made with it
        if (state->library.Construct("libsqlite3.so.0") != E_SUCCESS) return state;
        bool all = true;
#define VX_SQLITE_BIND(name) all = state->library.Bind(state->functions.name, #name) && all;
        VX_SQLITE_FUNCTIONS(VX_SQLITE_BIND)
#undef VX_SQLITE_BIND
        state->complete = all;
        return state;
    }();
    return *loaded;
}

}  // namespace

const SqliteLibrary* SqliteLibrary::Get(std::string* error) {
    const Loaded& loaded = Load();
    if (loaded.complete) return &loaded.functions;
    if (error) *error = loaded.library.GetError();
    return nullptr;
}

}  // namespace Vx::Account
