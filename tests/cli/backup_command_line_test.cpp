// The unit identified on every link, and its programs backed up, restored and compared, as an
// installer runs the built program against "velaupdate sim".

#include "support/velaupdate_process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>
#include <string>
#include <vector>

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

// A 3570-byte program as the unit keeps it: its length field, model code 2 (M01), its name.
std::string programBytes(const std::string& name) {
    std::string p(3570, '\x11');
    p[0] = 0x0D;
    p[1] = static_cast<char>(0xF0);
    p[4] = 2;
    p.replace(12, 40, name + std::string(40 - name.size(), ' '));
    return p;
}

// A backup file by hand: memory k as entry k, "" for a memory kept empty.
void writeBackup(const std::string& file, const std::vector<std::string>& programs) {
    std::string bytes(1, static_cast<char>(programs.size()));
    for (const std::string& p : programs)
        bytes += p.empty() ? std::string(2, '\0') : p;
    bytes.resize(57121, '\0');
    std::ofstream(file, std::ios::binary) << bytes;
}

TEST(Probe, AUnitSilentInTheMiddleOfTheReadIsAFailureThatSaysWhy) {
    VELA_LINUX_ONLY("a pseudo-terminal");
    Unit unit("--model-code 2 --fault silent-block@1");
    const Outcome r = run(unit.usb + " probe");
    EXPECT_EQ(r.code, 1) << r.out;
    EXPECT_TRUE(has(r, "memory 1 could not be read back")) << r.out;
    EXPECT_TRUE(has(r, "The HALDA40 was closed. You need to Reconnect.")) << r.out;
    EXPECT_FALSE(has(r, "model code 2")) << r.out;
}

TEST(ModelLock, HoldsOverEthernetAsOverUsb) {
    VELA_LINUX_ONLY("a pseudo-terminal");
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
    VELA_LINUX_ONLY("a pseudo-terminal");
    WorkDir dir;
    // An M09: its own model's programs go back without the service code.
    Unit unit("--model-code 15 --memory-dir " + (dir / "unit"));
    const Outcome backup = run(unit.ethernet + " --quiet backup --out " + (dir / "b.HLB"));
    ASSERT_EQ(backup.code, 0) << backup.out;
    EXPECT_TRUE(has(backup, "memory 13: \"MEMORY 13\"")) << backup.out;
    const Outcome show = run("library show " + (dir / "b.HLB"), false);
    EXPECT_TRUE(has(show, "13 programs")) << show.out;
    EXPECT_TRUE(has(show, " 7 - MEMORY 7")) << show.out;

    ASSERT_EQ(run(unit.usb + " --quiet load-all --force --model M09").code, 0);
    const Outcome changed = run(unit.usb + " --quiet compare " + (dir / "b.HLB"), false);
    EXPECT_EQ(changed.code, 1);
    EXPECT_TRUE(vela::test::hasRow(changed.out, "memory  1: differs from byte ",
                                   {"(backup \"MEMORY 1\", memory \"Sub 80 Hz\")"}))
        << changed.out;
    EXPECT_TRUE(has(changed, "memory  5: same")) << changed.out;

    const Outcome restore = run(unit.usb + " --yes restore " + (dir / "b.HLB") + " --verify");
    ASSERT_EQ(restore.code, 0) << restore.out;
    EXPECT_TRUE(has(restore, "memory  4: restored \"MEMORY 4\""));
    EXPECT_TRUE(has(restore, "verify memory 4: same"));
    // Only the memories load-all changed are written back.
    EXPECT_TRUE(has(restore, "Restore 13 memories from b.HLB? 4 differ from the cabinet, 9 are the same"))
        << restore.out;
    EXPECT_TRUE(has(restore, "already the same, not written: 5, 6, 7, 8, 9, 10, 11, 12, 13\n"))
        << restore.out;
    EXPECT_FALSE(has(restore, "DSP Operating System"));
    const Outcome same = run(unit.ethernet + " --quiet compare " + (dir / "b.HLB"), false);
    EXPECT_EQ(same.code, 0) << same.out;
}

TEST(Compare, AMemoryEmptyOnOneSideOnlyDiffersEitherWay) {
    VELA_LINUX_ONLY("a pseudo-terminal");
    WorkDir dir;
    fs::create_directories(dir.path / "unit");
    std::ofstream(dir / "unit/memory-02.bin", std::ios::binary) << programBytes("IN THE UNIT");
    writeBackup(dir / "b.HLB", {programBytes("IN THE BACKUP"), ""});
    Unit unit("--empty --memory-dir " + (dir / "unit"));
    // The backup lists the memories in order, and library show counts the empty ones.
    const Outcome backup = run(unit.usb + " backup --memories 1-3 --out " + (dir / "unit.HLB"), false);
    ASSERT_EQ(backup.code, 0) << backup.out;
    EXPECT_TRUE(has(backup, "memory  1: empty\nmemory  2: \"IN THE UNIT\"\nmemory  3: empty\n"))
        << backup.out;
    const Outcome show = run("library show " + (dir / "unit.HLB"), false);
    EXPECT_TRUE(has(show, "unit.HLB: 1 program; 2 memories were empty\n")) << show.out;

    const Outcome r = run(unit.usb + " compare " + (dir / "b.HLB"));
    EXPECT_EQ(r.code, 1) << r.out;
    EXPECT_TRUE(has(r, "memory  1: differs: the memory is empty, the backup holds \"IN THE BACKUP\""))
        << r.out;
    EXPECT_TRUE(has(r, "memory  2: differs: the backup holds no program, the memory holds \"IN THE UNIT\""))
        << r.out;
    EXPECT_FALSE(has(r, ": empty")) << r.out;
}

TEST(Backup, NeverReplacesAFileUnlessForcedAndAnEmptyBackupRestoresNothing) {
    VELA_LINUX_ONLY("a pseudo-terminal");
    WorkDir dir;
    Unit unit("--empty --trace " + (dir / "trace"));
    writeBackup(dir / "kept.HLB", {programBytes("VENUE")});
    const Outcome refused = run(unit.usb + " backup --out " + (dir / "kept.HLB"));
    EXPECT_EQ(refused.code, 3) << refused.out;
    EXPECT_TRUE(has(refused, "exists already; give another file, or --force to replace it")) << refused.out;
    EXPECT_TRUE(has(run("library show " + (dir / "kept.HLB")), "1 - VENUE"));

    // Every memory of this unit is empty: the backup holds no program.
    const Outcome forced =
        run(unit.usb + " --quiet backup --force --memories 1-2 --out " + (dir / "kept.HLB"));
    ASSERT_EQ(forced.code, 0) << forced.out;
    EXPECT_TRUE(fs::exists(dir / "kept.HLB.sha256"));
    const Outcome show = run("library show " + (dir / "kept.HLB"), false);
    EXPECT_TRUE(has(show, "kept.HLB: 0 programs; 2 memories were empty")) << show.out;
    const Outcome restore = run(unit.usb + " --yes restore " + (dir / "kept.HLB"));
    EXPECT_EQ(restore.code, 3) << restore.out;
    EXPECT_TRUE(has(restore, "error: the backup holds no program; nothing was restored")) << restore.out;
    std::ifstream trace(dir / "trace");
    const std::string exchanges(std::istreambuf_iterator<char>(trace), {});
    EXPECT_EQ(exchanges.find("\"command\":3"), std::string::npos) << exchanges;
}

TEST(LoadAll, WithBackupSavesFirstAndWithAReadFaultWritesNothing) {
    VELA_LINUX_ONLY("a pseudo-terminal");
    WorkDir dir;
    const std::string state = "XDG_STATE_HOME=" + (dir / "state") + " ";
    {
        Unit unit("--model-code 15");
        const Outcome r =
            shell(state + VELAUPDATE_BINARY + " " + unit.usb + " load-all --force --backup 2>&1");
        ASSERT_EQ(r.code, 0) << r.out;
        const fs::path folder = dir.path / "state" / "velaupdate" / "backups";
        ASSERT_TRUE(fs::exists(folder));
        // The backup, with its checksum beside it.
        std::vector<fs::path> files;
        for (const auto& f : fs::directory_iterator(folder))
            files.push_back(f.path());
        std::sort(files.begin(), files.end());
        ASSERT_EQ(files.size(), 2u);
        const fs::path file = files[0];
        EXPECT_EQ(files[1], file.string() + ".sha256");
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

    // The connection's own read falls silent: the run says that nothing was written.
    Unit silent("--model-code 15 --fault silent-block@2");
    const Outcome c = shell(state + VELAUPDATE_BINARY + " " + silent.usb + " load-all --force --backup 2>&1");
    EXPECT_EQ(c.code, 1) << c.out;
    EXPECT_TRUE(has(c, "error: The HALDA40 could not be connected; nothing was written.")) << c.out;
}

TEST(Restore, RefusesABadBackupBeforeSendingAnything) {
    VELA_LINUX_ONLY("a pseudo-terminal");
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
    // A 60-byte entry of 0xAB, and a program with one byte changed after its checksum was written.
    std::string ab(60, '\xAB');
    ab[0] = 0;
    ab[1] = 58;
    writeBackup(dir / "ab.HLB", {ab});
    std::string flipped = programBytes("VENUE");
    writeBackup(dir / "flipped.HLB", {flipped});
    ASSERT_EQ(shell("cd " + dir.path.string() + " && sha256sum flipped.HLB > flipped.HLB.sha256").code, 0);
    flipped[1000] ^= 1;
    writeBackup(dir / "flipped.HLB", {flipped});
    EXPECT_TRUE(
        has(run(unit.usb + " --yes restore " + (dir / "ab.HLB")), "is 60 bytes long; a program is 3570"));
    EXPECT_TRUE(
        has(run(unit.usb + " --yes restore " + (dir / "flipped.HLB")), "does not match its checksum"));
    for (const char* file : {"text.HLB", "many.HLB", "missing.HLB", "ab.HLB", "flipped.HLB"}) {
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
