#include "platform/base/SharedLibrary.h"
#include "platform/package/CryptoLibraryPrivate.h"

namespace Vx::App::Package {
namespace {

bool BindAll(Base::SharedLibrary& library, CryptoLibrary& functions) {
    bool all = true;
#define VX_CRYPTO_BIND(name) all = library.Bind(functions.name, #name) && all;
    VX_CRYPTO_FUNCTIONS(VX_CRYPTO_BIND)
#undef VX_CRYPTO_BIND
    return all;
}

}  // namespace

const CryptoLibrary* CryptoLibrary::Get(std::string* error) {
    // Kept to the end of the process: libcrypto cleans up at exit itself.
    static const auto* loaded = new Base::SharedLibraryFunctions<CryptoLibrary>("libcrypto.so.3", BindAll);
    return loaded->Get(error);
}

}  // namespace Vx::App::Package
