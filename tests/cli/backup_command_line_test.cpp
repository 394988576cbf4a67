// The unit identified on every link, and its programs backed up, restored and compared, as an
// installer runs the built program against "velaupdate sim".

#include "support/velaupdate_process.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;
using vela::test::has;
using vela::test::Outcome;
using vela::test::run;
using vela::test::shell;
using vela::test::SimProcess;

struct WorkDir {
    fs::path path =
        fs::temp_directory_path() / ("vela-backup-" + std::to_string(::getpid()) + "-" +
                                     ::testing::UnitTest::GetInstance()->current_test_info()->name());
    WorkDir() { fs::create_directories(path); }
    ~WorkDir() { fs::remove_all(path); }
    std::string operator/(const std::string& name) const { return (path / name).string(); }
};

// The sim's first line names its pseudo-terminal, the next its TCP address.
struct Unit {
    explicit Unit(const std::string& options) : sim("--pty --tcp 0 " + options) {
        usb = "--usb=" + sim.line().substr(4);
        const std::string tcp = sim.line();
        ethernet = "--ethernet=" + tcp.substr(tcp.find("127.0.0.1"));
    }
    SimProcess sim;
    std::string usb, ethernet;
};

TEST(Probe, AUnitSilentInTheMiddleOfTheReadIsAFailureThatSaysWhy) {
    Unit unit("--model-code 2 --fault silent-block@1");
    const Outcome r = run(unit.usb + " probe");
    EXPECT_EQ(r.code, 1) << r.out;
    EXPECT_TRUE(has(r, "memory 1 could not be read back")) << r.out;
    EXPECT_TRUE(has(r, "The HALDA40 was closed. You need to Reconnect.")) << r.out;
    EXPECT_FALSE(has(r, "model code 2")) << r.out;
}

TEST(ModelLock, HoldsOverEthernetAsOverUsb) {
    Unit unit("--model-code 3");
    for (const std::string& link : {unit.usb, unit.ethernet}) {
        const Outcome r = run(link + " load-all --force --model M01");
        EXPECT_EQ(r.code, 2) << link << "\n" << r.out;
        EXPECT_TRUE(has(r, "its model list is locked")) << r.out;
        EXPECT_FALSE(has(r, "Turn Off and ON the cabinet.")) << r.out;
    }
    const Outcome probe = run(unit.ethernet + " probe --json", false);
    EXPECT_EQ(probe.code, 0);
    EXPECT_TRUE(has(probe, "\"link\":\"ETHERNET\",\"answered\":true,\"unitEmpty\":false,\"modelCode\":3"))
        << probe.out;
}

TEST(Backup, ThenLoadAllThenRestoreGivesBackEveryMemoryByteForByte) {
    WorkDir dir;
    Unit unit("--memory-dir " + (dir / "unit"));
    const Outcome backup = run(unit.ethernet + " --quiet backup --out " + (dir / "b.HLB"));
    ASSERT_EQ(backup.code, 0) << backup.out;
    EXPECT_TRUE(has(backup, "memory 13: \"MEMORY 13\"")) << backup.out;
    const Outcome show = run("library show " + (dir / "b.HLB"), false);
    EXPECT_TRUE(has(show, "13 programs")) << show.out;
    EXPECT_TRUE(has(show, " 7 - MEMORY 7")) << show.out;

    ASSERT_EQ(run(unit.usb + " --quiet load-all --force --model M09").code, 0);
    const Outcome changed = run(unit.usb + " --quiet compare " + (dir / "b.HLB"), false);
    EXPECT_EQ(changed.code, 1);
    EXPECT_TRUE(has(changed, "memory  1: differs from byte 4 (backup \"MEMORY 1\", memory \"Sub 80 Hz\")"))
        << changed.out;
    EXPECT_TRUE(has(changed, "memory  5: same")) << changed.out;

    const Outcome restore = run(unit.usb + " --yes restore " + (dir / "b.HLB") + " --verify");
    ASSERT_EQ(restore.code, 0) << restore.out;
    EXPECT_TRUE(has(restore, "memory  4: restored \"MEMORY 4\""));
    EXPECT_TRUE(has(restore, "verify memory 13: same"));
    EXPECT_FALSE(has(restore, "DSP Operating System"));
    const Outcome same = run(unit.ethernet + " --quiet compare " + (dir / "b.HLB"), false);
    EXPECT_EQ(same.code, 0) << same.out;
}

TEST(LoadAll, WithBackupSavesFirstAndWithAReadFaultWritesNothing) {
    WorkDir dir;
    const std::string state = "XDG_STATE_HOME=" + (dir / "state") + " ";
    {
        Unit unit("--model-code 15");
        const Outcome r =
            shell(state + VELAUPDATE_BINARY + " " + unit.usb + " load-all --force --backup 2>&1");
        ASSERT_EQ(r.code, 0) << r.out;
        const fs::path folder = dir.path / "state" / "velaupdate" / "backups";
        ASSERT_TRUE(fs::exists(folder));
        const auto file = fs::directory_iterator(folder)->path();
        EXPECT_NE(file.filename().string().find("_M09_USB.HLB"), std::string::npos) << file;
        EXPECT_TRUE(has(r, "backup of the memories overwritten: " + file.string())) << r.out;
        const Outcome show = run("library show " + file.string(), false);
        EXPECT_TRUE(has(show, "4 programs")) << show.out;
    }
    // The connection's read of memory 1 passes; the backup's read of memory 1 falls silent.
    Unit unit("--model-code 15 --memory-dir " + (dir / "unit") + " --fault silent-block@60");
    const Outcome r = shell(state + VELAUPDATE_BINARY + " " + unit.usb + " load-all --force --backup 2>&1");
    EXPECT_EQ(r.code, 1) << r.out;
    EXPECT_TRUE(has(r, "The backup was not made: memory 1 could not be read back")) << r.out;
    EXPECT_TRUE(has(r, "Nothing was written.")) << r.out;
    EXPECT_FALSE(has(r, "Turn Off and ON the cabinet.")) << r.out;
    EXPECT_FALSE(fs::exists(dir.path / "unit" / "memory-01.bin"));
    EXPECT_FALSE(fs::exists(dir.path / "unit" / "dsp-operating-system.bin"));
}

TEST(Restore, RefusesABadBackupBeforeSendingAnything) {
    WorkDir dir;
    Unit unit("--trace " + (dir / "trace"));
    std::ofstream(dir / "text.HLB") << "not a library";
    {
        std::ofstream many(dir / "many.HLB", std::ios::binary);
        const std::string bytes(57121, '\0');
        many.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        many.seekp(0);
        many.put(14);
    }
    for (const char* file : {"text.HLB", "many.HLB", "missing.HLB"}) {
        const Outcome r = run(unit.usb + " --yes restore " + (dir / file));
        EXPECT_EQ(r.code, 3) << file << "\n" << r.out;
    }
    EXPECT_TRUE(has(run(unit.usb + " --yes restore " + (dir / "many.HLB")), "a library holds at most 13"));
    EXPECT_EQ(run(unit.usb + " backup --memories 0-3").code, 2);
    std::ifstream trace(dir / "trace");
    std::string any;
    EXPECT_FALSE(std::getline(trace, any)) << any;
}

} // namespace
