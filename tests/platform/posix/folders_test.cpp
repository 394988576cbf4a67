#include "platform/folders.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace vela::platform {
namespace {

namespace fs = std::filesystem;

// Sets an environment variable for one scope.
struct Env {
    Env(const char* name, const char* value) : name_(name) {
        if (const char* v = std::getenv(name)) saved_ = v;
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~Env() { saved_.empty() ? ::unsetenv(name_) : ::setenv(name_, saved_.c_str(), 1); }
    const char* name_;
    std::string saved_;
};

TEST(Folders, StateLivesInTheUsersStateDirectory) {
    Env home("HOME", "/home/installer");
    {
        Env state("XDG_STATE_HOME", "/var/tmp/state");
        EXPECT_EQ(stateFolder(), fs::path("/var/tmp/state/velaupdate"));
        EXPECT_EQ(backupFolder(), fs::path("/var/tmp/state/velaupdate/backups"));
    }
    // Unset or relative (which the convention says to ignore): under the home directory.
    Env relative("XDG_STATE_HOME", "state");
    EXPECT_EQ(stateFolder(), fs::path("/home/installer/.local/state/velaupdate"));
    Env noHome("HOME", nullptr);
    EXPECT_TRUE(stateFolder().empty());
    EXPECT_TRUE(backupFolder().empty());
}

TEST(Folders, TemporaryFolderFollowsTheEnvironmentBeyondOneHundredCharacters) {
    const std::string longDir = "/tmp/" + std::string(120, 'x');
    fs::create_directories(longDir);
    {
        Env tmp("TMPDIR", longDir.c_str());
        EXPECT_EQ(temporaryFolder(), fs::path(longDir));
        EXPECT_EQ(temporaryFolder() / "f", fs::path(longDir + "/f"));
    }
    fs::remove(longDir);
}

}  // namespace
}  // namespace vela::platform
