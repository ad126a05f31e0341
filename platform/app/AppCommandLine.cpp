#include "platform/app/AppCommandLine.h"

#include <cstring>
#include <new>

#include "platform/base/String.h"

namespace Vx::App {

namespace {

const char* ProgramName(int argc, const char* const argv[]) {
    if (argc < 1 || !argv || !argv[0] || !*argv[0]) return "program";
    const char* slash = std::strrchr(argv[0], '/');
    return slash && slash[1] ? slash + 1 : argv[0];
}

}  // namespace

int AppCommandLine::Check(int argc, const char* const argv[], const char* help, std::FILE* out, std::FILE* err) {
    if (argc < 2 || !argv) return kRun;
    for (int i = 1; i < argc; ++i) {
        if (argv[i] && (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0)) {
            if (out && help) {
                std::fputs(help, out);
                std::fflush(out);
            }
            return 0;
        }
    }
    if (err) {
        const char* first = argv[1] ? argv[1] : "";
        const bool option = first[0] == '-';
        std::fprintf(err, "%s: %s '%s'; try --help\n", ProgramName(argc, argv),
                     option ? "unknown option" : "unexpected argument", first);
        std::fflush(err);
    }
    return kUsageError;
}

result AppCommandLine::Collect(int argc, const char* const argv[], Vx::Base::Collection::ArrayList& arguments) {
    if (argc < 0 || (argc > 0 && !argv)) return E_INVALID_ARG;
    result r = arguments.Construct(argc);
    if (r != E_SUCCESS) return r;
    for (int i = 0; i < argc; ++i) {
        auto* argument = new (std::nothrow) Vx::Base::String(argv[i] ? argv[i] : "");
        if (!argument) return E_OUT_OF_MEMORY;
        r = arguments.Add(argument);
        if (r != E_SUCCESS) {
            delete argument;
            return r;
        }
    }
    return E_SUCCESS;
}

}  // namespace Vx::App
