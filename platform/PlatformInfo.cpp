// Keeps the platform library non-empty while areas are added one by one.
namespace Vx {
const char* GetPlatformName() { return "vexmora"; }
}  // namespace Vx
