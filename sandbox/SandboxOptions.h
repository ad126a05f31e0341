#pragma once

#include "sandbox/SandboxConfig.h"

#include <string>
#include <vector>

namespace Sandbox {

// The command line of iap-sandbox.
class SandboxOptions {
public:
    enum class Outcome {
        Run,    // config is complete
        Help,   // print HelpText() and exit 0
        Error,  // print error and exit 2
    };

    // args excludes the program name. Reads the --seed file.
    static Outcome Parse(const std::vector<std::string>& args, SandboxConfig& config, std::string& error);

    // "buyclient=1.2.0:/path/to/file" -> package; the file must exist.
    static bool ParsePackage(const std::string& text, Package& package, std::string& error);

    static std::string HelpText();
};

}  // namespace Sandbox
