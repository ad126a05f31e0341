#include "platform/base/SharedLibrary.h"

#include <dlfcn.h>

namespace Vx::Base {

SharedLibrary::~SharedLibrary() {
    if (handle_) ::dlclose(handle_);
}

result SharedLibrary::Construct(const std::string& fileName) {
    if (handle_) return E_INVALID_STATE;
    fileName_ = fileName;
    // Local: its symbols must not stand in for anyone else's.
    handle_ = ::dlopen(fileName.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char* why = ::dlerror();
        error_ = "cannot load " + fileName + ": " + (why ? why : "unknown reason") +
                 " (is its package installed? see scripts/install-deps.sh)";
        return E_OBJ_NOT_FOUND;
    }
    error_.clear();
    return E_SUCCESS;
}

void* SharedLibrary::Resolve(const char* symbol) {
    if (!handle_) {
        error_ = std::string("cannot look up ") + symbol + ": no library is open";
        return nullptr;
    }
    ::dlerror();
    void* address = ::dlsym(handle_, symbol);
    if (!address) error_ = fileName_ + " has no " + symbol + " (an incompatible version?)";
    return address;
}

}  // namespace Vx::Base
