#include "platform/account/SqliteLibraryPrivate.h"
#include "platform/base/SharedLibrary.h"

namespace Vx::Account {
namespace {

bool BindAll(Base::SharedLibrary& library, SqliteLibrary& functions) {
    bool all = true;
#define VX_SQLITE_BIND(name) all = library.Bind(functions.name, #name) && all;
    VX_SQLITE_FUNCTIONS(VX_SQLITE_BIND)
#undef VX_SQLITE_BIND
    return all;
}

}  // namespace

const SqliteLibrary* SqliteLibrary::Get(std::string* error) {
    // Kept to the end of the process, like the connections made with it.
    static const auto* loaded = new Base::SharedLibraryFunctions<SqliteLibrary>("libsqlite3.so.0", BindAll);
    return loaded->Get(error);
}

}  // namespace Vx::Account
