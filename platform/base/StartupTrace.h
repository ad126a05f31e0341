#pragma once
// Time stamps of the steps of a cold request, for finding where start-up time
// goes: with IAP_TRACE_STARTUP=1 each mark prints one line on standard error,
//   [trace <pid>] <wall-clock microseconds> <what>
// so that the lines of a caller and of the application it launched can be
// merged and subtracted. Without the variable a mark costs one flag test.
namespace Vx::Base {

class StartupTrace {
public:
    static void Mark(const char* what);
};

}  // namespace Vx::Base
