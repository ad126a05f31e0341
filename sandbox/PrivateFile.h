#pragma once

#include <string>

namespace Sandbox {

// Files that hold accounts and purchases are for their owner alone.
namespace PrivateFile {

// Makes path an owner-only file (0600) before a database opens it: missing
// folders are created 0700, a missing file is created empty, an existing one
// loses its group and other permissions. False with a reason in error.
bool Prepare(const std::string& path, std::string& error);

}  // namespace PrivateFile
}  // namespace Sandbox
