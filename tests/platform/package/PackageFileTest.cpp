#include "platform/package/PackageFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "platform/package/PackageSigningKey.h"
#include "platform/package/PackageTrustStore.h"
#include "tests/platform/content/ContentTestSupport.h"

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

const PackageSigningKey& TestKey() {
    static PackageSigningKey key = [] {
        PackageSigningKey made;
        EXPECT_EQ(made.Generate(), E_SUCCESS);
        return made;
    }();
    return key;
}

std::string Serialized(const PackageContents& contents) {
    std::string bytes;
    EXPECT_EQ(PackageFile::Serialize(contents, TestKey(), bytes), E_SUCCESS);
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
        {"packageId=p\nversion=1\napp=a7qd02lm9x.OblinAccount=run\n", "run", 0755, 1,
         "belongs to package 'a7qd02lm9x'"},
        {"packageId=p.q\nversion=1\napp=p.q=run\n", "run", 0755, 1, "belongs to package 'p'"},
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
    EXPECT_EQ(PackageFile::Serialize(contents, TestKey(), bytes, &error), E_INVALID_ARG);
    EXPECT_NE(error.find("not in the package"), std::string::npos) << error;

    contents = SamplePackage();
    contents.files.push_back({"bin", 0644, "clash"});
    EXPECT_EQ(PackageFile::Serialize(contents, TestKey(), bytes, &error), E_INVALID_ARG);
    EXPECT_NE(error.find("both a file and a folder"), std::string::npos) << error;

    contents = SamplePackage();
    contents.files.push_back(contents.files[0]);
    EXPECT_EQ(PackageFile::Serialize(contents, TestKey(), bytes, &error), E_INVALID_ARG);

    contents = SamplePackage();
    contents.applications.push_back(contents.applications[0]);
    EXPECT_EQ(PackageFile::Serialize(contents, TestKey(), bytes, &error), E_INVALID_ARG);

    contents = SamplePackage();
    contents.applications.push_back({"buyservice.BuyService", "bin/buyclient"});
    EXPECT_EQ(PackageFile::Serialize(contents, TestKey(), bytes, &error), E_INVALID_ARG);
    EXPECT_NE(error.find("belongs to package 'buyservice'"), std::string::npos) << error;

    EXPECT_EQ(PackageFile::Serialize(SamplePackage(), PackageSigningKey(), bytes, &error), E_INVALID_ARG);
    EXPECT_TRUE(bytes.empty());
}

TEST(PackageFile, SignatureNamesTheSignerAndCoversEveryByte) {
    PackageContents parsed;
    std::string error;
    ASSERT_EQ(PackageFile::Parse(Serialized(SamplePackage()), parsed, &error), E_SUCCESS) << error;
    EXPECT_EQ(parsed.signerKey, TestKey().GetPublicKey());

    // Changed after signing, with the digest made to match again: only the signature tells.
    std::string bytes = Serialized(SamplePackage());
    std::size_t trailer =
        PackageFile::kDigestSize + PackageSigningKey::kPublicKeySize + PackageSigningKey::kSignatureSize;
    std::string body = bytes.substr(0, bytes.size() - trailer);
    body[body.find("echo client")] = 'E';
    std::string hex = PackageFile::DigestHex(body);
    std::string altered = body;
    for (std::size_t i = 0; i < hex.size(); i += 2)
        altered += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    altered += bytes.substr(bytes.size() - trailer + PackageFile::kDigestSize);
    EXPECT_EQ(PackageFile::Parse(altered, parsed, &error), E_INVALID_FORMAT);
    EXPECT_NE(error.find("signature does not match"), std::string::npos) << error;

    // Format 1 carries no signature; signing it (or re-signing) keeps the contents.
    std::string unsignedBytes;
    ASSERT_EQ(PackageFile::SerializeUnsigned(SamplePackage(), unsignedBytes), E_SUCCESS);
    ASSERT_EQ(PackageFile::Parse(unsignedBytes, parsed), E_SUCCESS);
    EXPECT_TRUE(parsed.signerKey.empty());
    PackageSigningKey other;
    ASSERT_EQ(other.Generate(), E_SUCCESS);
    std::string resigned;
    ASSERT_EQ(PackageFile::Sign(unsignedBytes, other, resigned), E_SUCCESS);
    ASSERT_EQ(PackageFile::Parse(resigned, parsed), E_SUCCESS);
    EXPECT_EQ(parsed.signerKey, other.GetPublicKey());
    EXPECT_EQ(parsed.files[1].data, SamplePackage().files[1].data);
    EXPECT_EQ(PackageFile::Sign(altered, other, resigned, &error), E_INVALID_FORMAT);

    // A later format is refused with what to do.
    std::string future = Serialized(SamplePackage());
    future[8] = 3;
    EXPECT_EQ(PackageFile::Parse(future, parsed, &error), E_INVALID_FORMAT);
    EXPECT_NE(error.find("update the platform"), std::string::npos) << error;
}

TEST(PackageFile, IdentityAndIntegrityAreReadFromTheFile) {
    ContentTest::TempPlatformHome home;
    std::string bytes = Serialized(SamplePackage());
    bytes.resize(bytes.size() - 10);  // the rest is not read
    ContentTest::WriteFile(home / "p.vxp", bytes);
    std::string id, version;
    ASSERT_EQ(PackageFile::ReadIdentity(home / "p.vxp", id, version), E_SUCCESS);
    EXPECT_EQ(id, "buyclient");
    EXPECT_EQ(version, "2.1.0");
    EXPECT_FALSE(PackageFile::IsIntact(home / "p.vxp"));
    ContentTest::WriteFile(home / "whole.vxp", Serialized(SamplePackage()));
    EXPECT_TRUE(PackageFile::IsIntact(home / "whole.vxp"));
    std::string damaged = Serialized(SamplePackage());
    damaged[damaged.size() / 2] ^= 0x01;
    ContentTest::WriteFile(home / "damaged.vxp", damaged);
    EXPECT_FALSE(PackageFile::IsIntact(home / "damaged.vxp"));
    std::string unsignedBytes;
    ASSERT_EQ(PackageFile::SerializeUnsigned(SamplePackage(), unsignedBytes), E_SUCCESS);
    ContentTest::WriteFile(home / "unsigned.vxp", unsignedBytes);
    EXPECT_TRUE(PackageFile::IsIntact(home / "unsigned.vxp")) << "intact, though no device installs it";

    ContentTest::WriteFile(home / "junk.vxp", "junk");
    EXPECT_FALSE(PackageFile::IsIntact(home / "junk.vxp"));
    EXPECT_EQ(PackageFile::ReadIdentity(home / "junk.vxp", id, version), E_INVALID_FORMAT);
    EXPECT_EQ(PackageFile::ReadIdentity(home / "none.vxp", id, version), E_INVALID_FORMAT);
}

TEST(PackageFile, VersionsCompareByNumberPerPart) {
    EXPECT_LT(PackageFile::CompareVersions("1.9.0", "1.10.0"), 0);
    EXPECT_GT(PackageFile::CompareVersions("2.0.0", "1.99"), 0);
    EXPECT_EQ(PackageFile::CompareVersions("1.0", "1.0.0"), 0);
    EXPECT_EQ(PackageFile::CompareVersions("01.2", "1.2"), 0);
    EXPECT_LT(PackageFile::CompareVersions("1.0.0", "1.0.1"), 0);
    EXPECT_LT(PackageFile::CompareVersions("1.0-beta", "1.0-rc"), 0);
    EXPECT_EQ(PackageFile::GetPackagePart("buyclient.BuyClient"), "buyclient");
    EXPECT_EQ(PackageFile::GetPackagePart("buyclient"), "buyclient");
}

TEST(PackageSigningKey, KeysAreKeptOwnerOnlyAndTrustedPerHome) {
    ContentTest::TempPlatformHome home;
    PackageSigningKey key;
    ASSERT_EQ(key.Generate(), E_SUCCESS);
    ASSERT_EQ(key.Save(home / "k.pem", false), E_SUCCESS);
    struct stat info {};
    ASSERT_EQ(::stat((home / "k.pem").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(key.Save(home / "k.pem", false), E_OBJ_ALREADY_EXIST);
    PackageSigningKey loaded;
    ASSERT_EQ(loaded.Load(home / "k.pem"), E_SUCCESS);
    EXPECT_EQ(loaded.GetPublicKey(), key.GetPublicKey());

    std::string signature, error;
    ASSERT_EQ(loaded.Sign("data", signature), E_SUCCESS);
    EXPECT_TRUE(PackageSigningKey::Verify(key.GetPublicKey(), "data", signature));
    EXPECT_FALSE(PackageSigningKey::Verify(key.GetPublicKey(), "date", signature));
    EXPECT_FALSE(PackageSigningKey::Verify(TestKey().GetPublicKey(), "data", signature));

    ASSERT_EQ(PackageSigningKey::WritePublicKey(home / "k.pub", key.GetPublicKey()), E_SUCCESS);
    std::string publicKey;
    ASSERT_EQ(PackageSigningKey::ReadPublicKey(home / "k.pub", publicKey), E_SUCCESS);
    EXPECT_EQ(publicKey, key.GetPublicKey());
    EXPECT_EQ(loaded.Load(home / "k.pub", &error), E_INVALID_FORMAT) << "a public key cannot sign";
    EXPECT_EQ(PackageSigningKey::ReadPublicKey(home / "k.pem", publicKey, &error), E_INVALID_FORMAT);
    EXPECT_EQ(loaded.Load(home / "missing", &error), E_OBJ_NOT_FOUND);

    EXPECT_FALSE(PackageTrustStore::IsTrusted(home.Path(), key.GetPublicKey()));
    ASSERT_EQ(PackageTrustStore::Trust(home.Path(), key.GetPublicKey()), E_SUCCESS);
    EXPECT_TRUE(PackageTrustStore::IsTrusted(home.Path(), key.GetPublicKey()));
    EXPECT_EQ(PackageTrustStore::List(home.Path()).size(), 1u);
    ASSERT_EQ(PackageTrustStore::Distrust(home.Path(), key.GetPublicKey()), E_SUCCESS);
    EXPECT_FALSE(PackageTrustStore::IsTrusted(home.Path(), key.GetPublicKey()));

    // The developer key is made once, and only its own home trusts it.
    PackageSigningKey developer, again;
    ASSERT_EQ(PackageSigningKey::LoadDeveloperKey(home.Path(), developer), E_SUCCESS);
    ASSERT_EQ(PackageSigningKey::LoadDeveloperKey(home.Path(), again), E_SUCCESS);
    EXPECT_EQ(developer.GetPublicKey(), again.GetPublicKey());
    EXPECT_TRUE(PackageTrustStore::IsTrusted(home.Path(), developer.GetPublicKey()));
    ContentTest::TempPlatformHome otherHome;
    EXPECT_FALSE(PackageTrustStore::IsTrusted(otherHome.Path(), developer.GetPublicKey()));
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
