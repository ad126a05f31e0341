#include "platform/base/SharedLibrary.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Vx::Base::SharedLibrary;

// A library every machine that builds this has (the account store uses it).
constexpr const char* kPresent = "libsqlite3.so.0";

TEST(SharedLibraryTest, OpensALibraryAndCallsWhatItResolves) {
    SharedLibrary library;
    ASSERT_EQ(library.Construct(kPresent), Vx::E_SUCCESS) << library.GetError();
    int (*version)() = nullptr;
    ASSERT_TRUE(library.Bind(version, "sqlite3_libversion_number")) << library.GetError();
    EXPECT_GE(version(), 3000000);
    EXPECT_EQ(library.Construct(kPresent), Vx::E_INVALID_STATE) << "one library per object";
}

TEST(SharedLibraryTest, AMissingLibraryOrSymbolIsReportedByName) {
    SharedLibrary missing;
    EXPECT_EQ(missing.Construct("libvx-no-such-library.so.9"), Vx::E_OBJ_NOT_FOUND);
    EXPECT_NE(missing.GetError().find("libvx-no-such-library.so.9"), std::string::npos) << missing.GetError();
    EXPECT_EQ(missing.Resolve("sqlite3_libversion_number"), nullptr) << "nothing is open";
    EXPECT_FALSE(missing.GetError().empty());

    SharedLibrary library;
    ASSERT_EQ(library.Construct(kPresent), Vx::E_SUCCESS) << library.GetError();
    int (*function)() = nullptr;
    EXPECT_FALSE(library.Bind(function, "vx_no_such_function"));
    EXPECT_EQ(function, nullptr);
    EXPECT_NE(library.GetError().find("vx_no_such_function"), std::string::npos) << library.GetError();
    EXPECT_NE(library.GetError().find(kPresent), std::string::npos) << library.GetError();
    // A failed look-up leaves the library usable.
    EXPECT_NE(library.Resolve("sqlite3_libversion_number"), nullptr);
}

}  // namespace
