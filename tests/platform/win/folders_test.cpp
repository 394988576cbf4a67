#include "platform/folders.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace vela::platform {
namespace {

namespace fs = std::filesystem;

// Sets an environment variable for one scope.
struct Env {
    Env(const wchar_t* name, const wchar_t* value) : name_(name) {
        if (const wchar_t* v = ::_wgetenv(name)) saved_ = v;
        ::_wputenv_s(name, value ? value : L"");
    }
    ~Env() { ::_wputenv_s(name_, saved_.c_str()); }
    const wchar_t* name_;
    std::wstring saved_;
};

TEST(Folders, StateLivesInTheUsersLocalApplicationData) {
    {
        Env local(L"LOCALAPPDATA", L"C:\\Users\\Jos\u00e9 M\u00fcller\\AppData\\Local");
        EXPECT_EQ(stateFolder(), fs::path(L"C:\\Users\\Jos\u00e9 M\u00fcller\\AppData\\Local\\VELAupdate"));
        EXPECT_EQ(backupFolder(), fs::path(L"C:\\Users\\Jos\u00e9 M\u00fcller\\AppData\\Local\\VELAupdate\\backups"));
    }
    Env none(L"LOCALAPPDATA", nullptr);
    EXPECT_TRUE(stateFolder().empty());
    EXPECT_TRUE(backupFolder().empty());
}

// Windows gives the temporary folder with a separator at its end; a name joined to it must not
// get a second one, and a long folder is kept whole.
TEST(Folders, TemporaryFolderFollowsTheEnvironmentWithoutATrailingSeparator) {
    const fs::path base = temporaryFolder();
    ASSERT_FALSE(base.empty());
    EXPECT_TRUE(base.has_filename()) << base.string();
    const fs::path longDir = base / std::wstring(120, L'x');
    fs::create_directories(longDir);
    {
        Env tmp(L"TMP", (longDir.wstring() + L"\\").c_str());
        EXPECT_EQ(temporaryFolder(), longDir);
        EXPECT_EQ((temporaryFolder() / "f").wstring(), longDir.wstring() + L"\\f");
    }
    fs::remove(longDir);
}

}  // namespace
}  // namespace vela::platform
