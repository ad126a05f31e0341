#pragma once

#include "sandbox/CatalogueTypes.h"
#include "sandbox/ConnectionLimits.h"
#include "sandbox/FaultInjector.h"

#include <string>
#include <vector>

namespace Sandbox {

struct SandboxConfig {
    std::string host = "127.0.0.1";
    int port = 8640;      // 0 picks a free port
    std::string dbPath;   // empty: a fresh in-memory database
    std::string seedSql;  // empty: the demo catalogue
    std::vector<FaultRule> faults;
    std::vector<Package> packages;
    bool logToStderr = true;
    ConnectionLimits limits;
};

}  // namespace Sandbox
