// Identifying the unit on every link, and backing its programs up, restoring and comparing
// them, against the simulated unit in this process.
#include "link/send_program.h"
#include "session/backup.h"
#include "session/connection.h"
#include "session/identify.h"
#include "session/session_harness.h"
#include "platform/process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace vela::test {
namespace {

using namespace std::chrono_literals;
using sim::Bytes;

// A 3570-byte program as the image generator makes them: its length field, the model code in
// byte 4, the name in bytes 12 to 51.
Bytes program(std::uint8_t modelCode, std::uint8_t seed, const std::string& name) {
    Bytes p(3570);
    for (std::size_t i = 0; i < p.size(); ++i)
        p[i] = static_cast<std::uint8_t>(i * seed + 7);
    p[0] = 0x0D;
    p[1] = 0xF0;
    p[4] = modelCode;
    std::fill(p.begin() + 12, p.begin() + 52, ' ');
    std::copy(name.begin(), name.end(), p.begin() + 12);
    return p;
}

// Writes a program straight into a memory over USB, as any earlier run would have.
void store(SessionHarness& h, int memory, const Bytes& p) {
    std::copy(p.begin(), p.end(), h.session.programImage.begin());
    const bool usb = h.session.state.UsbActive;
    h.session.state.UsbActive = true;
    h.session.link.usb.UsbConnect();
    ASSERT_EQ(SendProgram(h.session.link, h.session.programImage, Channel::Usb,
                          CommandCode::WriteProgramCommand, static_cast<std::uint8_t>(memory),
                          static_cast<std::uint16_t>(p.size()), false),
              ExchangeResult::Success);
    closeUsbIfOpen(h.session.link);
    h.session.state.UsbActive = usb;
}

TEST(Identify, EachCabinetIsJudgedByItsOwnModelCode) {
    sim::SimOptions o;
    o.empty = true;
    SessionHarness h(o);
    switchLink(h.session, LinkKind::USB);
    EXPECT_FALSE(h.session.state.LibraryLoadLocked);
    EXPECT_TRUE(h.session.libraryWindow.modelListEnabled);

    // The next cabinet carries model code 4: its list is locked to row 2, not left free.
    store(h, 1, program(4, 3, "NEXT"));
    switchLink(h.session, LinkKind::USB);
    EXPECT_TRUE(h.session.state.LibraryLoadLocked);
    EXPECT_TRUE(h.session.libraryWindow.lockedByUnit);
    EXPECT_FALSE(h.session.libraryWindow.modelListEnabled);
    EXPECT_EQ(h.session.libraryWindow.selectedRow, 2);
}

TEST(Identify, AUnitSilentInTheMiddleOfTheReadIsReportedAndCanBeConnectedAgain) {
    sim::SimOptions o;
    o.modelCode = 2;
    o.faults = {{sim::SimFault::Kind::SilentBlock, 1}};
    o.exchangeTimeout = 300ms;
    SessionHarness h(o);
    switchLink(h.session, LinkKind::USB);
    ASSERT_FALSE(h.ui.messages.empty());
    const std::string said = h.ui.messages.back().text;
    EXPECT_NE(said.find("memory 1 could not be read back"), std::string::npos) << said;
    EXPECT_NE(said.find("The HALDA40 was closed. You need to Reconnect."), std::string::npos) << said;
    EXPECT_EQ(h.session.state.Link, LinkKind::Offline);
    EXPECT_FALSE(h.session.state.UsbActive);
    EXPECT_EQ(h.ui.lastStatus(StatusField::InfoLabel), "Status : Offline");
    EXPECT_TRUE(h.session.windows.connectFormVisible);
    EXPECT_FALSE(h.session.link.usb.isOpen());

    // The fault has passed: USB again connects and locks the list to the unit's model.
    h.unit->unit().waitIdle(5s);
    switchLink(h.session, LinkKind::USB);
    EXPECT_TRUE(h.session.state.UsbActive);
    EXPECT_FALSE(h.session.windows.connectFormVisible);
    EXPECT_EQ(h.session.libraryWindow.selectedRow, 0);
    EXPECT_FALSE(h.session.libraryWindow.modelListEnabled);
}

TEST(Identify, OverEthernetTheModelCodeLocksTheListAsOverUsb) {
    sim::SimOptions o;
    o.modelCode = 3;
    SessionHarness h(o);
    h.useEthernet();
    EXPECT_EQ(identifyConnectedUnit(h.session), OperationResult::Done);
    EXPECT_TRUE(h.session.libraryWindow.lockedByUnit);
    EXPECT_FALSE(h.session.libraryWindow.modelListEnabled);
    EXPECT_EQ(h.session.libraryWindow.selectedRow, 1);
    EXPECT_EQ(h.commands(), (std::vector<int>{4}));
}

class EmptyMemory : public ::testing::TestWithParam<bool> {};

TEST_P(EmptyMemory, IsAResultOnEveryLinkAndChangesNothingElse) {
    sim::SimOptions o;
    o.empty = true;
    SessionHarness h(o);
    if (GetParam())
        h.useEthernet();
    else
        h.useUsb();
    h.session.libraryWindow.selectedRow = 5;
    const MemoryRead read = readMemory(h.session, 7);
    EXPECT_EQ(read.content, MemoryContent::Empty);
    EXPECT_TRUE(read.program.empty());
    EXPECT_TRUE(h.session.state.LibraryLoadLocked);
    EXPECT_EQ(h.session.libraryWindow.selectedRow, 5);
    EXPECT_EQ(h.session.state.ProgramNumber, 1);
    EXPECT_TRUE(h.ui.messages.empty());
    EXPECT_NE(h.session.state.Link, LinkKind::Offline);
}

INSTANTIATE_TEST_SUITE_P(UsbAndEthernet, EmptyMemory, ::testing::Bool());

TEST(Backup, RestoreGivesBackTheBytesAnUpdateOverwrote) {
    sim::SimOptions o;
    o.empty = true;
    SessionHarness h(o);
    const Bytes a = program(5, 3, "ROOM A"), b = program(5, 11, "ROOM B"), d = program(5, 17, "ROOM D");
    store(h, 1, a);
    store(h, 2, b);
    store(h, 4, d);
    h.useEthernet();
    const BackupResult backup = backupMemories(h.session, allMemories());
    ASSERT_EQ(backup.result, OperationResult::Done) << backup.failure;
    EXPECT_EQ(backup.programs, (std::vector<int>{1, 2, 4}));
    EXPECT_EQ(backup.empty, (std::vector<int>{3, 5, 6, 7, 8, 9, 10, 11, 12, 13}));
    // An ordinary library: memory k is entry k, an empty memory an entry of length 0.
    const auto entries = libraryEntries(backup.library);
    ASSERT_TRUE(entries);
    ASSERT_EQ(entries->size(), 13u);
    EXPECT_EQ((*entries)[2].length, 0);
    EXPECT_EQ((*entries)[3].size(), d.size());
    EXPECT_EQ((*entries)[1].name.substr(0, 6), "ROOM B");

    // The factory programs go into two memories; the restore puts the room's programs back
    // there, after one question that says what changes, and leaves the same one alone.
    for (int k = 1; k <= 2; ++k)
        store(h, k, program(5, static_cast<std::uint8_t>(20 + k), "FACTORY"));
    h.ui.messages.clear();
    const RestoreReport report = restoreMemories(h.session, backup.library, allMemories(), "room.HLB", "");
    EXPECT_EQ(report.result, OperationResult::Done);
    EXPECT_EQ(report.written, (std::vector<int>{1, 2}));
    EXPECT_EQ(report.same, (std::vector<int>{4}));
    EXPECT_EQ(report.leftEmpty.size(), 10u);
    EXPECT_EQ(h.unit->unit().memory(1), a);
    EXPECT_EQ(h.unit->unit().memory(2), b);
    EXPECT_EQ(h.unit->unit().memory(4), d);
    ASSERT_EQ(h.ui.messages.size(), 1u);
    EXPECT_EQ(h.ui.messages[0].text,
              "Restore 3 memories from room.HLB? 2 differ from the cabinet, 1 is the same");
    EXPECT_EQ(restoreSummary(report),
              "Memories restored: 1, 2. Already the same, not written: 4. Left alone (empty "
              "in the backup): 3, 5, 6, 7, 8, 9, 10, 11, 12, 13.");
    // The write exchange alone, and only for the memories that differed: no change, no reset.
    const auto codes = h.commands();
    EXPECT_EQ(std::count(codes.begin(), codes.end(), 3), 3 + 2 + 2); // stored, factory, restored
    EXPECT_EQ(std::count(codes.begin(), codes.end(), 7), 0);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), 8), 0);
}

TEST(Restore, AnsweredNoWritesNothingAndEverySameMemoryAsksNothing) {
    sim::SimOptions o;
    SessionHarness h(o);
    h.useUsb();
    const BackupResult backup = backupMemories(h.session, {1, 2});
    ASSERT_EQ(backup.result, OperationResult::Done) << backup.failure;
    const RestoreReport same = restoreMemories(h.session, backup.library, {1, 2}, "b.HLB", "");
    EXPECT_EQ(same.result, OperationResult::Done);
    EXPECT_EQ(same.same, (std::vector<int>{1, 2}));
    EXPECT_TRUE(h.ui.messages.empty());

    store(h, 2, program(1, 9, "OTHER"));
    h.ui.answers = {Answer::No};
    const RestoreReport declined = restoreMemories(h.session, backup.library, {1, 2}, "b.HLB", "");
    EXPECT_EQ(declined.result, OperationResult::Declined);
    EXPECT_EQ(declined.declined, (std::vector<int>{2}));
    EXPECT_TRUE(declined.written.empty());
    EXPECT_EQ(h.unit->unit().memory(2), program(1, 9, "OTHER"));
}

TEST(Backup, AMemoryThatCannotBeReadKeepsNothing) {
    sim::SimOptions o;
    o.faults = {{sim::SimFault::Kind::SilentBlock, 60}}; // inside memory 2
    o.exchangeTimeout = 300ms;
    SessionHarness h(o);
    h.useUsb();
    const BackupResult backup = backupMemories(h.session, allMemories());
    EXPECT_EQ(backup.result, OperationResult::Failed);
    EXPECT_NE(backup.failure.find("memory 2"), std::string::npos) << backup.failure;
    EXPECT_EQ(backup.library[0], 0);
}

TEST(Compare, FindsASingleChangedByteAndNamesBothPrograms) {
    SessionHarness h;
    h.useUsb();
    const BackupResult backup = backupMemories(h.session, {1, 2, 3});
    ASSERT_EQ(backup.result, OperationResult::Done);
    // Unwritten memories hold the unit's factory program: take it as the backup read it.
    const auto entries = libraryEntries(backup.library);
    Bytes changed(backup.library.begin() + static_cast<std::ptrdiff_t>((*entries)[1].offset),
                  backup.library.begin() +
                      static_cast<std::ptrdiff_t>((*entries)[1].offset + (*entries)[1].size()));
    changed[1000] ^= 0x01;
    store(h, 2, changed);
    const auto result = compareMemories(h.session, backup.library, {1, 2, 3});
    ASSERT_EQ(result.size(), 3u);
    EXPECT_EQ(result[0].verdict, "same");
    EXPECT_TRUE(result[0].same);
    EXPECT_FALSE(result[1].same);
    EXPECT_EQ(result[1].verdict, "differs from byte 1000 (backup \"MEMORY 2\", memory \"MEMORY 2\")");
    EXPECT_EQ(result[2].verdict, "same");
}

TEST(BackupFile, ThatIsNoLibraryOrHoldsTooManyProgramsIsRefusedBeforeAnythingIsSent) {
    SessionHarness h;
    const auto dir = std::filesystem::temp_directory_path() / "vela_backup_test";
    std::filesystem::create_directories(dir);
    LibraryBuffer lib{};
    lib[0] = 14;
    ASSERT_TRUE(saveLibraryFile(dir / "many.HLB", lib).empty());
    lib.fill(0);
    lib[0] = 1;
    lib[2] = 10; // a 12-byte program: shorter than its own name field
    ASSERT_TRUE(saveLibraryFile(dir / "short.HLB", lib).empty());
    { std::ofstream(dir / "text.HLB") << "not a library"; }
    for (const char* name : {"many.HLB", "short.HLB", "text.HLB", "missing.HLB"}) {
        h.ui.messages.clear();
        EXPECT_FALSE(readBackupFile(h.session, dir / name)) << name;
        ASSERT_EQ(h.ui.messages.size(), 1u) << name;
        EXPECT_EQ(h.ui.messages.back().kind, MessageKind::Error);
    }
    EXPECT_TRUE(h.commands().empty());
    std::filesystem::remove_all(dir);
}

// A library of these programs, memory k as entry k; an empty one as an entry of length 0.
LibraryBuffer libraryOf(const std::vector<Bytes>& programs) {
    LibraryBuffer lib{};
    for (const Bytes& p : programs) {
        ProgramImage image{};
        std::copy(p.begin(), p.end(), image.begin());
        EXPECT_TRUE(appendLibraryEntry(lib, image));
    }
    return lib;
}

struct ScratchDir {
    std::filesystem::path path = std::filesystem::temp_directory_path() /
                                 ("vela-backup-file-" + std::to_string(platform::processId()) + "-" +
                                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
    ScratchDir() { std::filesystem::create_directories(path); }
    ~ScratchDir() { std::filesystem::remove_all(path); }
};

void flipByte(const std::filesystem::path& file, std::streamoff at) {
    std::fstream f(file, std::ios::binary | std::ios::in | std::ios::out);
    f.seekg(at);
    const char c = static_cast<char>(f.get() ^ 0x01);
    f.seekp(at);
    f.put(c);
}

TEST(BackupFile, IsCheckedProgramByProgramAndAgainstItsChecksumBeforeAnythingIsSent) {
    ScratchDir dir;
    SessionHarness h;
    const auto refusal = [&](const std::filesystem::path& file) {
        h.ui.messages.clear();
        const bool read = readBackupFile(h.session, file).has_value();
        return read || h.ui.messages.empty() ? std::string("accepted") : h.ui.messages.back().text;
    };
    const auto good = libraryOf({program(5, 3, "A"), {0, 0}, program(5, 7, "C")});
    ASSERT_TRUE(saveBackupAs(dir.path / "good.HLB", good, false).file);
    EXPECT_EQ(refusal(dir.path / "good.HLB"), "accepted");
    EXPECT_TRUE(h.ui.messages.empty());

    // One byte flipped in a program after the backup was saved.
    std::filesystem::copy_file(dir.path / "good.HLB", dir.path / "flipped.HLB");
    std::filesystem::copy_file(dir.path / "good.HLB.sha256", dir.path / "flipped.HLB.sha256");
    flipByte(dir.path / "flipped.HLB", 2000);
    EXPECT_NE(refusal(dir.path / "flipped.HLB").find("does not match its checksum in flipped.HLB.sha256"),
              std::string::npos);
    // Without its checksum file the same bytes pass the program checks, with a warning.
    std::filesystem::remove(dir.path / "flipped.HLB.sha256");
    EXPECT_EQ(refusal(dir.path / "flipped.HLB"), "accepted");
    ASSERT_EQ(h.ui.messages.size(), 1u);
    EXPECT_EQ(h.ui.messages[0].kind, MessageKind::Warning);
    EXPECT_NE(h.ui.messages[0].text.find("has no checksum file (flipped.HLB.sha256)"), std::string::npos);

    // A 60-byte entry of 0xAB whose length field agrees, and programs of two models.
    Bytes ab(60, 0xAB);
    ab[0] = 0;
    ab[1] = 58;
    ASSERT_TRUE(saveBackupAs(dir.path / "ab.HLB", libraryOf({ab}), false).file);
    ASSERT_TRUE(
        saveBackupAs(dir.path / "mixed.HLB", libraryOf({program(2, 3, "A"), program(15, 5, "B")}), false)
            .file);
    EXPECT_NE(
        refusal(dir.path / "ab.HLB").find("the program of memory 1 is 60 bytes long; a program is 3570"),
        std::string::npos);
    EXPECT_NE(
        refusal(dir.path / "mixed.HLB")
            .find("the program of memory 1 carries model code 2 (M01), that of memory 2 model code 15 (M09)"),
        std::string::npos);
    EXPECT_EQ(h.ui.messages.back().kind, MessageKind::Error);
    EXPECT_TRUE(h.commands().empty());
}

TEST(BackupFile, TwoBackupsUnderOneNameBothSurviveAndSha256sumAgrees) {
    ScratchDir dir;
    const auto first = libraryOf({program(4, 3, "FIRST")});
    const auto second = libraryOf({program(4, 5, "SECOND")});
    const auto name = dir.path / "2026-12-07_170509_M02_ETHERNET_a.HLB";
    const SavedBackup a = saveNewBackup(name, first);
    const SavedBackup b = saveNewBackup(name, second);
    ASSERT_TRUE(a.file && b.file) << a.error << b.error;
    EXPECT_EQ(*a.file, name);
    EXPECT_EQ(b.file->filename(), "2026-12-07_170509_M02_ETHERNET_a-2.HLB");
    LibraryBuffer kept{};
    ASSERT_TRUE(readLibraryFile(*a.file, kept).ok);
    EXPECT_EQ(kept, first);
    ASSERT_TRUE(readLibraryFile(*b.file, kept).ok);
    EXPECT_EQ(kept, second);
    // An existing file is replaced only when asked.
    EXPECT_FALSE(saveBackupAs(name, second, false).file);
    ASSERT_TRUE(readLibraryFile(name, kept).ok);
    EXPECT_EQ(kept, first);
#ifndef _WIN32  // sha256sum is the Linux tool the files are written for
    const std::string check = "cd '" + dir.path.string() + "' && sha256sum --check --status *.sha256";
    EXPECT_EQ(std::system(check.c_str()), 0);
#endif
}

TEST(MemoryList, TakesRangesAndListsAndRefusesTheRest) {
    EXPECT_EQ(parseMemoryList("1-13"), allMemories());
    EXPECT_EQ(parseMemoryList("3"), (MemoryList{3}));
    EXPECT_EQ(parseMemoryList("5,1,4-6"), (MemoryList{1, 4, 5, 6}));
    for (const char* bad : {"", "0", "14", "3-1", "1,", "a", "1-", "-3", "1--2"})
        EXPECT_FALSE(parseMemoryList(bad)) << bad;
}

TEST(BackupFileName, SaysWhenWhichModelAndWhichLink) {
    LibraryBuffer lib{};
    ProgramImage image{};
    const Bytes p = program(4, 3, "X");
    std::copy(p.begin(), p.end(), image.begin());
    ASSERT_TRUE(appendLibraryEntry(lib, image));
    std::tm t{};
    t.tm_year = 126;
    t.tm_mon = 11;
    t.tm_mday = 7;
    t.tm_hour = 17;
    t.tm_min = 5;
    t.tm_sec = 9;
    t.tm_isdst = -1;
    EXPECT_EQ(backupFileName(lib, "USB", std::mktime(&t)), "2026-12-07_170509_M02_USB.HLB");
    // Cabinets of one model loaded together each get their own name.
    EXPECT_EQ(backupFileName(lib, "ETHERNET", std::mktime(&t), "left hang/1:1002"),
              "2026-12-07_170509_M02_ETHERNET_left-hang-1-1002.HLB");
}

} // namespace
} // namespace vela::test
