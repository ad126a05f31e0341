#pragma once
// Where running applications listen: /tmp/vx-<uid>/<hash of the platform
// home>/<appId>. The folders are the user's own (mode 0700), so no other user
// can reach an application, and two platform homes never meet. The folder of
// a home exists while an application of that home runs: the last one to end
// removes it.
#include <string>

#include "platform/base/Result.h"

namespace Vx::App {

class AppSocketDirectory {
public:
    // Creates the folders when needed and checks their owner and mode;
    // E_PERMISSION_DENIED when they belong to someone else, E_IO otherwise.
    static result Get(std::string& dir, std::string& error);
    // The same folder without creating it, for callers: E_SUCCESS also when it
    // does not exist (yet); the failures of Get when it exists but is not private.
    static result Find(std::string& dir, std::string& error);
    // Removes the folder when nothing is left in it (an application's last act).
    static void RemoveIfEmpty(const std::string& dir);
    // The socket of an application (a hashed name when the id would not fit
    // the 108-byte limit of a socket path).
    static std::string GetSocketPath(const std::string& dir, const std::string& appId);
    // A connected, non-blocking, close-on-exec socket to an application's
    // socket; -1 when nobody listens there.
    static int Connect(const std::string& socketPath);
    // Held (flock) by the running instance for its whole life.
    static std::string GetLockPath(const std::string& dir, const std::string& appId);
};

}  // namespace Vx::App
