#pragma once
// A fresh, private IAP_PLATFORM_HOME for one test, removed afterwards.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

class TempPlatformHome {
public:
    TempPlatformHome() {
        std::string pattern = (std::filesystem::temp_directory_path() / "iap-device-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "cannot create a temporary directory";
        path_ = pattern;
        ::setenv("IAP_PLATFORM_HOME", path_.c_str(), 1);
    }
    ~TempPlatformHome() {
        ::unsetenv("IAP_PLATFORM_HOME");
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempPlatformHome(const TempPlatformHome&) = delete;
    TempPlatformHome& operator=(const TempPlatformHome&) = delete;

    const std::string& Path() const { return path_; }
    std::string ProfilePath() const { return path_ + "/device/profile.ini"; }

    // Writes the profile file byte for byte, bypassing DeviceProfile.
    void WriteProfile(const std::string& content) const {
        std::filesystem::create_directories(path_ + "/device");
        std::ofstream(ProfilePath(), std::ios::binary) << content;
    }
    std::string ReadProfile() const {
        std::ifstream in(ProfilePath(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    std::string path_;
};
