// Feeds arbitrary bytes to the sandbox's request reader. Every input must end
// in a success or a failure with a reason, without a crash, a leak or a read
// outside the body; a success names a function and a transaction.
// New inputs go to the first folder, so keep the seeds read-only:
//   build-fuzz/bin/fuzz_sandbox_request -max_total_time=120 /tmp/request-corpus fuzz/corpus/sandbox_request
#include <libxml/parser.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "sandbox/RequestParser.h"

namespace {

void Silent(void*, const char*, ...) {}

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    xmlInitParser();
    xmlSetGenericErrorFunc(nullptr, Silent);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 1 << 20) return 0;
    Sandbox::StoreRequest request;
    std::string error;
    const bool ok =
        Sandbox::RequestParser::Parse(std::string_view(reinterpret_cast<const char*>(data), size), request, error);
    if (!ok) {
        Check(!error.empty());
        return 0;
    }
    Check(error.empty());
    // Walk everything read so that a half-built entry would show.
    volatile std::size_t touched = request.functionName.size() + request.networkType.size() +
                                   request.deviceModel.size() + request.mcc.size() + request.mnc.size() +
                                   request.lang.size() + request.version.size();
    for (const auto& [name, value] : request.params)
        touched = touched + name.size() + value.size();
    (void)touched;
    return 0;
}
