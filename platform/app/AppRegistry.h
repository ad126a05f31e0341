#pragma once

namespace Vx::App {

// Handed to the life-cycle callbacks; this platform keeps no per-application
// registry values, so it carries nothing yet.
class AppRegistry {
public:
    AppRegistry() = default;
};

}  // namespace Vx::App
