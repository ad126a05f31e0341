#include "platform/base/SharedLibrary.h"
#include "platform/package/CryptoLibraryPrivate.h"

namespace Vx::App::Package {
namespace {

struct Loaded {
    Base::SharedLibrary library;
    CryptoLibrary functions;
    bool complete = false;
};

// Loaded once; a failure is remembered rather than retried on every check.
const Loaded& Load() {
    static const Loaded* loaded = [] {
        auto* state = new Loaded();  // kept to the end of the process: libcrypto cleans up at exit itself
        if (state->library.Construct("libcrypto.so.3") != E_SUCCESS) return state;
        bool all = true;
#define VX_CRYPTO_BIND(name) all = state->library.Bind(state->functions.name, #name) && all;
        VX_CRYPTO_FUNCTIONS(VX_CRYPTO_BIND)
#undef VX_CRYPTO_BIND
        state->complete = all;
        return state;
    }();
    return *loaded;
}

}  // namespace

const CryptoLibrary* CryptoLibrary::Get(std::string* error) {
    const Loaded& loaded = Load();
    if (loaded.complete) return &loaded.functions;
    if (error) *error = loaded.library.GetError();
    return nullptr;
}

}  // namespace Vx::App::Package
