#include "platform/system/DeviceProfile.h"

#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "TempPlatformHome.h"

using Vx::Base::String;
using Vx::System::DeviceProfile;

namespace {

class DeviceProfileTest : public ::testing::Test {
protected:
    TempPlatformHome home_;
};

TEST_F(DeviceProfileTest, MissingFileLoadsEmptyAndSaveCreatesIt) {
    DeviceProfile profile;
    EXPECT_EQ(profile.Load(), Vx::E_OBJ_NOT_FOUND);
    EXPECT_TRUE(profile.IsEmpty());
    EXPECT_EQ(profile.GetPath(), home_.ProfilePath());

    ASSERT_EQ(profile.Set(L"sim.mcc", L"450"), Vx::E_SUCCESS);
    ASSERT_EQ(profile.Set(L"wifi.mac", L"00:11:22:AA:BB:CC"), Vx::E_SUCCESS);
    ASSERT_EQ(profile.Set(L"sim.mnc", L"5"), Vx::E_SUCCESS);
    ASSERT_EQ(profile.Save(), Vx::E_SUCCESS);
    EXPECT_EQ(home_.ReadProfile(), "[sim]\nmcc = 450\nmnc = 5\n\n[wifi]\nmac = 00:11:22:AA:BB:CC\n");

    DeviceProfile reread;
    ASSERT_EQ(reread.Load(), Vx::E_SUCCESS);
    String value;
    ASSERT_EQ(reread.GetValue(L"sim.mnc", value), Vx::E_SUCCESS);
    EXPECT_EQ(value, L"5");
    EXPECT_TRUE(reread.HasSection(L"wifi"));
    EXPECT_FALSE(reread.HasSection(L"system"));
}

TEST_F(DeviceProfileTest, TheProfileIsReadableByItsOwnerOnly) {
    mode_t previous = ::umask(022);
    DeviceProfile profile;
    ASSERT_EQ(profile.Set(L"sim.mcc", L"450"), Vx::E_SUCCESS);
    Vx::result saved = profile.Save();
    ::umask(previous);
    ASSERT_EQ(saved, Vx::E_SUCCESS);
    struct stat file {
    }, folder{};
    ASSERT_EQ(::stat(home_.ProfilePath().c_str(), &file), 0);
    ASSERT_EQ(::stat((home_.Path() + "/device").c_str(), &folder), 0);
    EXPECT_EQ(file.st_mode & 0777, 0600u);
    EXPECT_EQ(folder.st_mode & 0777, 0700u);
}

TEST_F(DeviceProfileTest, HandWrittenFileKeepsCommentsAndUnknownLines) {
    home_.WriteProfile(
        "\xEF\xBB\xBF# my phone\r\n"
        "[SIM]\r\n"
        "  MCC =  310  \r\n"
        "this line means nothing\r\n"
        "; old value\r\n"
        "\r\n"
        "[system]\n"
        "model_name = Vexmora X1 = pro\n");
    DeviceProfile profile;
    ASSERT_EQ(profile.Load(), Vx::E_SUCCESS);
    String value;
    ASSERT_EQ(profile.GetValue(L"sim.mcc", value), Vx::E_SUCCESS);
    EXPECT_EQ(value, L"310");
    ASSERT_EQ(profile.GetValue(L"System.Model_Name", value), Vx::E_SUCCESS);
    EXPECT_EQ(value, L"Vexmora X1 = pro");

    ASSERT_EQ(profile.Set(L"sim.mnc", L"260"), Vx::E_SUCCESS);
    ASSERT_EQ(profile.Save(), Vx::E_SUCCESS);
    // The new entry joins its section before the blank line; nothing else is lost.
    EXPECT_EQ(home_.ReadProfile(),
              "# my phone\n[SIM]\n  MCC =  310  \nthis line means nothing\n; old value\nmnc = 260\n\n"
              "[system]\nmodel_name = Vexmora X1 = pro\n");
}

TEST_F(DeviceProfileTest, LastDuplicateWinsAndSetLeavesOne) {
    home_.WriteProfile("[sim]\nmcc = 1\n[sim]\nmcc = 2\n");
    DeviceProfile profile;
    ASSERT_EQ(profile.Load(), Vx::E_SUCCESS);
    String value;
    ASSERT_EQ(profile.GetValue(L"sim.mcc", value), Vx::E_SUCCESS);
    EXPECT_EQ(value, L"2");
    ASSERT_EQ(profile.GetEntries().size(), 1u);

    ASSERT_EQ(profile.Set(L"sim.mcc", L"3"), Vx::E_SUCCESS);
    ASSERT_EQ(profile.Save(), Vx::E_SUCCESS);
    EXPECT_EQ(home_.ReadProfile(), "[sim]\n[sim]\nmcc = 3\n");
}

TEST_F(DeviceProfileTest, EntriesOutsideAValidSectionAreUnreachable) {
    home_.WriteProfile("mcc = 1\n[sim]\nmnc = 2\n[bad section!]\nmcc = 3\n");
    DeviceProfile profile;
    ASSERT_EQ(profile.Load(), Vx::E_SUCCESS);
    String value;
    EXPECT_EQ(profile.GetValue(L"sim.mcc", value), Vx::E_OBJ_NOT_FOUND);
    auto entries = profile.GetEntries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].first, L"sim.mnc");
}

TEST_F(DeviceProfileTest, MalformedKeysAndValuesAreRefused) {
    DeviceProfile profile;
    String value = L"untouched";
    for (const wchar_t* key : {L"", L"sim", L".mcc", L"sim.", L"sim.m c", L"s]m.mcc", L"a.b.c"}) {
        EXPECT_EQ(profile.Set(key, L"1"), Vx::E_INVALID_ARG) << String(key).ToUtf8();
        EXPECT_EQ(profile.GetValue(key, value), Vx::E_INVALID_ARG) << String(key).ToUtf8();
    }
    EXPECT_EQ(value, L"untouched");
    // A line break would smuggle a second entry into the file.
    EXPECT_EQ(profile.Set(L"sim.mcc", L"450\n[wifi]\nmac = x"), Vx::E_INVALID_ARG);
    EXPECT_EQ(profile.Set(L"sim.mcc", L"450\r"), Vx::E_INVALID_ARG);
    EXPECT_TRUE(profile.IsEmpty());
}

TEST_F(DeviceProfileTest, RemoveDropsOneKeyOrAWholeSection) {
    home_.WriteProfile("[sim]\nmcc = 1\n# sim comment\nmnc = 2\n\n[wifi]\nmac = x\n");
    DeviceProfile profile;
    ASSERT_EQ(profile.Load(), Vx::E_SUCCESS);
    EXPECT_EQ(profile.Remove(L"sim.mcc"), Vx::E_SUCCESS);
    EXPECT_EQ(profile.Remove(L"sim.mcc"), Vx::E_OBJ_NOT_FOUND);
    EXPECT_EQ(profile.Remove(L"sim"), Vx::E_SUCCESS);
    EXPECT_FALSE(profile.HasSection(L"sim"));
    EXPECT_EQ(profile.Remove(L"no such!"), Vx::E_INVALID_ARG);
    ASSERT_EQ(profile.Save(), Vx::E_SUCCESS);
    EXPECT_EQ(home_.ReadProfile(), "[wifi]\nmac = x\n");
}

TEST_F(DeviceProfileTest, OversizedOrUnreadableFilesAreRefused) {
    home_.WriteProfile("[sim]\nmcc = 1\n# " + std::string(DeviceProfile::kMaxFileSize, 'x') + "\n");
    DeviceProfile profile;
    EXPECT_EQ(profile.Load(), Vx::E_OUT_OF_RANGE);
    EXPECT_TRUE(profile.IsEmpty());

    std::filesystem::remove(home_.ProfilePath());
    std::filesystem::create_directories(home_.ProfilePath());  // a directory where the file should be
    EXPECT_EQ(profile.Load(), Vx::E_IO);
    EXPECT_TRUE(profile.IsEmpty());
}

TEST_F(DeviceProfileTest, FailedSaveKeepsThePreviousFile) {
    home_.WriteProfile("[sim]\nmcc = 1\n");
    DeviceProfile profile;
    ASSERT_EQ(profile.Load(), Vx::E_SUCCESS);
    ASSERT_EQ(profile.Set(L"sim.mcc", L"2"), Vx::E_SUCCESS);
    // The parent of the target is a plain file, so no temporary file can be made there.
    std::string blocked = home_.Path() + "/plain-file";
    std::ofstream(blocked) << "x";
    EXPECT_NE(profile.Save(blocked + "/profile.ini"), Vx::E_SUCCESS);
    EXPECT_EQ(home_.ReadProfile(), "[sim]\nmcc = 1\n");
}

TEST_F(DeviceProfileTest, SaveOnAFullDiskReportsStorageFull) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full on this machine";
    DeviceProfile profile;
    ASSERT_EQ(profile.Set(L"sim.mcc", L"1"), Vx::E_SUCCESS);
    // /dev/full accepts the open and fails the write with ENOSPC; the rename then never happens.
    std::string link = home_.Path() + "/full";
    std::filesystem::create_directories(link);
    std::filesystem::create_symlink("/dev/full", link + "/profile.ini.tmp-" + std::to_string(::getpid()));
    EXPECT_EQ(profile.Save(link + "/profile.ini"), Vx::E_STORAGE_FULL);
    EXPECT_FALSE(std::filesystem::exists(link + "/profile.ini"));
}

}  // namespace
