#pragma once
// A system library opened when first needed instead of at process start.
// Every library a program links is mapped, relocated and paged in before
// main(), used or not; a part that most runs never reach (signing, the
// account database) opens its library through this and pays only when used.
#include <string>

#include "platform/base/Result.h"

namespace Vx::Base {

class SharedLibrary {
public:
    SharedLibrary() = default;
    // Closes the library: whatever was resolved from it is gone too.
    ~SharedLibrary();
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    // Opens the library by file name ("libcrypto.so.3"), searched where the
    // dynamic loader searches. E_INVALID_STATE when already constructed,
    // E_OBJ_NOT_FOUND when it cannot be opened (GetError says why).
    result Construct(const std::string& fileName);

    // The address of `symbol`, null when the library has none (GetError says so).
    void* Resolve(const char* symbol);
    // Stores the address of the function `symbol` in `function`; false when missing.
    template <typename Function>
    bool Bind(Function& function, const char* symbol) {
        function = reinterpret_cast<Function>(Resolve(symbol));
        return function != nullptr;
    }

    const std::string& GetError() const { return error_; }

private:
    void* handle_ = nullptr;
    std::string fileName_;
    std::string error_;
};

// A library opened with every function of `Functions` resolved, for a part
// that keeps one such table for the whole process: opening once means a
// failure is remembered rather than retried on every use.
template <class Functions>
class SharedLibraryFunctions {
public:
    using Binder = bool (*)(SharedLibrary& library, Functions& functions);

    SharedLibraryFunctions(const std::string& fileName, Binder bindAll) {
        if (library_.Construct(fileName) == E_SUCCESS) complete_ = bindAll(library_, functions_);
    }

    // Null when the library or one of its functions is missing; `error` then says which.
    const Functions* Get(std::string* error) const {
        if (complete_) return &functions_;
        if (error) *error = library_.GetError();
        return nullptr;
    }

private:
    SharedLibrary library_;
    Functions functions_{};
    bool complete_ = false;
};

}  // namespace Vx::Base
