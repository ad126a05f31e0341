#pragma once
// The command line of an application's program. Application control starts
// a program with its name alone; a person who starts one by hand with
// --help learns what it is, and anything else is refused, before the
// application takes its instance lock or touches the platform home.
#include <cstdio>

#include "platform/base/ArrayList.h"
#include "platform/base/Result.h"

namespace Vx::App {

class AppCommandLine {
public:
    // Check's answer when the program goes on as the application.
    static constexpr int kRun = -1;
    // The exit status for a command line the program does not take.
    static constexpr int kUsageError = 2;

    // "--help" or "-h" anywhere: `help` on `out`, 0. Otherwise any argument
    // after the program's name: one line on `err` naming it and pointing to
    // --help, kUsageError. No argument: kRun.
    static int Check(int argc, const char* const argv[], const char* help, std::FILE* out, std::FILE* err);

    // The program's name and arguments as owned strings, the form the
    // Execute functions take. E_INVALID_ARG for a negative count or a null
    // vector; E_OUT_OF_MEMORY when a string cannot be made.
    static result Collect(int argc, const char* const argv[], Vx::Base::Collection::ArrayList& arguments);
};

}  // namespace Vx::App
