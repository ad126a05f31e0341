#include "sandbox/CatalogueTypes.h"

namespace Sandbox {

std::string Package::FileName() const {
    const size_t slash = path.find_last_of('/');
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = base.find_last_of('.');
    const std::string extension = dot == std::string::npos || dot == 0 ? "" : base.substr(dot);
    return id + "-" + version + extension;
}

}  // namespace Sandbox
