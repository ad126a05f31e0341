#include "platform/package/PackageFile.h"

#include <gtest/gtest.h>

#include <string>

using namespace Vx;
using namespace Vx::App::Package;

namespace {

PackageContents SamplePackage() {
    PackageContents contents;
    contents.packageId = "buyclient";
    contents.version = "2.1.0";
    contents.applications = {{"buyclient", "bin/buyclient"}, {"buyclient.helper", "bin/helper"}};
    contents.files = {{"bin/buyclient", 0755, "#!/bin/sh\necho client\n"},
                      {"bin/helper", 0700, std::string("\0\x01\x02binary", 9)},
                      {"res/strings/en.txt", 0644, "IDS_ZUMEA_OK=OK\n"}};
    return contents;
}

std::string Serialized(const PackageContents& contents) {
    std::string bytes;
    EXPECT_EQ(PackageFile::Serialize(contents, bytes), E_SUCCESS);
    return bytes;
}

std::string LittleEndian(std::uint64_t value, int size) {
    std::string out;
    for (int i = 0; i < size; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xff);
    return out;
}

// A package written by hand, as a hostile tool could, with a correct digest.
std::string HandMade(const std::string& manifest, const std::string& path, std::uint32_t mode,
                     std::uint32_t fileCount = 1) {
    std::string bytes("VXPKG\x1a\r\n", 8);
    bytes += LittleEndian(1, 2) + LittleEndian(0, 2) + LittleEndian(manifest.size(), 4) + LittleEndian(fileCount, 4);
    bytes += manifest;
    bytes += LittleEndian(path.size(), 4) + path + LittleEndian(mode, 4) + LittleEndian(2, 8) + "hi";
    std::string hex = PackageFile::DigestHex(bytes);
    for (std::size_t i = 0; i < hex.size(); i += 2)
        bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return bytes;
}

TEST(PackageFile, RoundTripKeepsEverything) {
    PackageContents original = SamplePackage();
    PackageContents parsed;
    std::string error;
    ASSERT_EQ(PackageFile::Parse(Serialized(original), parsed, &error), E_SUCCESS) << error;
    EXPECT_EQ(parsed.packageId, "buyclient");
    EXPECT_EQ(parsed.version, "2.1.0");
    ASSERT_EQ(parsed.applications.size(), 2u);
    EXPECT_EQ(parsed.applications[1].appId, "buyclient.helper");
    EXPECT_EQ(parsed.applications[1].executable, "bin/helper");
    ASSERT_EQ(parsed.files.size(), 3u);
    for (std::size_t i = 0; i < parsed.files.size(); ++i) {
        EXPECT_EQ(parsed.files[i].path, original.files[i].path);
        EXPECT_EQ(parsed.files[i].mode, original.files[i].mode);
        EXPECT_EQ(parsed.files[i].data, original.files[i].data);
    }
}

TEST(PackageFile, AnyDamagedOrTruncatedFileIsRejected) {
    std::string bytes = Serialized(SamplePackage());
    PackageContents parsed;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::string damaged = bytes;
        damaged[i] = static_cast<char>(damaged[i] ^ 0x20);
        ASSERT_EQ(PackageFile::Parse(damaged, parsed), E_INVALID_FORMAT) << "byte " << i;
    }
    for (std::size_t length = 0; length < bytes.size(); ++length) {
        ASSERT_EQ(PackageFile::Parse(bytes.substr(0, length), parsed), E_INVALID_FORMAT) << "length " << length;
    }
    std::string error;
    EXPECT_EQ(PackageFile::Parse(bytes + "x", parsed, &error), E_INVALID_FORMAT);
    EXPECT_NE(error.find("digest"), std::string::npos) << error;
}

TEST(PackageFile, IntactButHostileContentIsRejected) {
    const std::string manifest = "packageId=p\nversion=1\napp=p=run\n";
    PackageContents parsed;
    std::string error;
    ASSERT_EQ(PackageFile::Parse(HandMade(manifest, "run", 0755), parsed, &error), E_SUCCESS) << error;

    struct Case {
        std::string manifest, path;
        std::uint32_t mode, count;
        const char* why;
    };
    const Case cases[] = {
        {"packageId=p\nversion=1\napp=p=../run\n", "../run", 0755, 1, "unsafe file path"},
        {"packageId=p\nversion=1\napp=p=/run\n", "/run", 0755, 1, "unsafe file path"},
        {manifest, "run", 04755, 1, "bad mode"},
        {manifest, "run", 0644, 1, "not executable"},
        {"packageId=../p\nversion=1\napp=p=run\n", "run", 0755, 1, "invalid package id"},
        {"packageId=p\nversion=..\napp=p=run\n", "run", 0755, 1, "invalid version"},
        {"packageId=p\nversion=1\napp=x/y=run\n", "run", 0755, 1, "invalid application id"},
        {"packageId=p\nversion=1\n", "run", 0755, 1, "no application"},
        {"packageId=p\napp=p=run\n", "run", 0755, 1, "version missing"},
        {"packageId=p\nversion=1\napp=p=run", "run", 0755, 1, "not terminated"},
        {manifest, "run", 0755, 2, "truncated"},
        {manifest, "run", 0755, 0, "unexpected bytes"},
    };
    for (const Case& c : cases) {
        error.clear();
        EXPECT_EQ(PackageFile::Parse(HandMade(c.manifest, c.path, c.mode, c.count), parsed, &error), E_INVALID_FORMAT)
            << c.why;
        EXPECT_NE(error.find(c.why), std::string::npos) << "expected '" << c.why << "', got '" << error << "'";
    }
}

TEST(PackageFile, SerializeRefusesWhatCouldNotBeInstalled) {
    PackageContents contents = SamplePackage();
    std::string bytes, error;

    contents.applications[0].executable = "bin/missing";
    EXPECT_EQ(PackageFile::Serialize(contents, bytes, &error), E_INVALID_ARG);
    EXPECT_NE(error.find("not in the package"), std::string::npos) << error;

    contents = SamplePackage();
    contents.files.push_back({"bin", 0644, "clash"});
    EXPECT_EQ(PackageFile::Serialize(contents, bytes, &error), E_INVALID_ARG);
    EXPECT_NE(error.find("both a file and a folder"), std::string::npos) << error;

    contents = SamplePackage();
    contents.files.push_back(contents.files[0]);
    EXPECT_EQ(PackageFile::Serialize(contents, bytes, &error), E_INVALID_ARG);

    contents = SamplePackage();
    contents.applications.push_back(contents.applications[0]);
    EXPECT_EQ(PackageFile::Serialize(contents, bytes, &error), E_INVALID_ARG);
    EXPECT_TRUE(bytes.empty());
}

TEST(PackageFile, PathRules) {
    for (const char* ok : {"a", "bin/x", "res/a b/c.txt", ".hidden/x", "a..b"}) {
        EXPECT_TRUE(PackageFile::IsSafeRelativePath(ok)) << ok;
    }
    for (const char* bad : {"", "a/", "a//b", "./a", "a/../b", "..", "a\\b", "a\nb"}) {
        EXPECT_FALSE(PackageFile::IsSafeRelativePath(bad)) << bad;
    }
}

}  // namespace
