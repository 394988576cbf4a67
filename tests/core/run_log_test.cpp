#include "core/run_log.h"
#include "platform/process.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <thread>
#include <vector>

namespace vela {
namespace {

namespace fs = std::filesystem;

struct TempDir {
    fs::path path = fs::temp_directory_path() /
                    ("vela-runlog-" + std::to_string(platform::processId()) + "-" +
                     ::testing::UnitTest::GetInstance()->current_test_info()->name());
    TempDir() { fs::create_directories(path); }
    ~TempDir() { fs::remove_all(path); }
};

std::string contents(const fs::path& file) {
    std::ifstream in(file);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(RunLog, RecordsWhatTheUserSawWithTimesAndAnswers) {
    TempDir dir;
    const fs::path file = dir.path / "sub" / "run.log";
    {
        RunLog log;
        ASSERT_TRUE(log.open(file)) << log.errorText();
        log.note("command", "velaupdate --sim load-all --model M02");
        // A read repeats its steps for every block; the transfer window repeats the library window.
        for (int block = 0; block < 3; ++block) {
            log.status(StatusField::LibraryInfo, "Receive data...");
            log.status(StatusField::LibraryInfo, "LONG : 3570");
            log.status(StatusField::LibraryInfo, "Reading Configuration 1 from the HALDA40");
        }
        log.status(StatusField::TransferInfo, "Reading Configuration 1 from the HALDA40");
        log.status(StatusField::LibraryInfo, "");
        log.message(MessageKind::Warning, Buttons::YesNoCancel, "Overwrite?", Answer::No);
        log.message(MessageKind::Error, Buttons::Ok, "ETHERNET: Communication Error with HALDA40", Answer::Ok);
        log.note("outcome", "exit code 1");
    }
    const std::string text = contents(file);
    EXPECT_NE(text.find("  command: velaupdate --sim load-all --model M02\n"), std::string::npos);
    EXPECT_NE(text.find("  question: Overwrite?\n"), std::string::npos);
    EXPECT_NE(text.find("  answer: No\n"), std::string::npos);
    EXPECT_NE(text.find("  error: ETHERNET: Communication Error with HALDA40\n"), std::string::npos);
    int lines = 0;
    for (const char c : text) lines += c == '\n';
    EXPECT_EQ(lines, 8) << text;
    // Every line starts with its time: "2026-12-07 10:53:17.123  ".
    EXPECT_EQ(text[4], '-');
    EXPECT_EQ(text[19], '.');
    EXPECT_EQ(text.substr(23, 2), "  ");
}

TEST(RunLog, KeepsOnlyTheLastRuns) {
    TempDir dir;
    for (int i = 0; i < 5; ++i) std::ofstream(dir.path / ("run-2026010" + std::to_string(i) + "-000000-1.log")) << i;
    std::ofstream(dir.path / "notes.txt") << "not a run";
    const fs::path next = RunLog::newRunFile(dir.path, 3);
    EXPECT_EQ(next.parent_path(), dir.path);
    EXPECT_EQ(next.filename().string().rfind("run-", 0), 0u);
    EXPECT_FALSE(fs::exists(dir.path / "run-20260100-000000-1.log"));
    EXPECT_FALSE(fs::exists(dir.path / "run-20260102-000000-1.log"));
    EXPECT_TRUE(fs::exists(dir.path / "run-20260103-000000-1.log"));
    EXPECT_TRUE(fs::exists(dir.path / "run-20260104-000000-1.log"));
    EXPECT_TRUE(fs::exists(dir.path / "notes.txt"));
}

TEST(RunLog, LogsStartedInTheSameSecondGetTheirOwnFiles) {
    TempDir dir;
    std::vector<RunLog> logs(5);
    std::set<fs::path> files;
    for (RunLog& log : logs) {
        ASSERT_TRUE(log.open(RunLog::newRunFile(dir.path))) << log.errorText();
        files.insert(log.path());
    }
    EXPECT_EQ(files.size(), logs.size());
    for (std::size_t i = 0; i < logs.size(); ++i) logs[i].note("log", std::to_string(i));
    for (std::size_t i = 0; i < logs.size(); ++i)
        EXPECT_NE(contents(logs[i].path()).find("  log: " + std::to_string(i) + "\n"), std::string::npos);
}

TEST(RunLog, PruningSparesLogsStillOpen) {
    TempDir dir;
    for (int i = 0; i < 4; ++i) std::ofstream(dir.path / ("run-2026010" + std::to_string(i) + "-000000-1.log")) << i;
    RunLog oldest;
    ASSERT_TRUE(oldest.open(dir.path / "run-20260100-000000-1.log"));
    // Two must go for the new one to make three: the oldest that are closed.
    const fs::path next = RunLog::newRunFile(dir.path, 3);
    EXPECT_TRUE(fs::exists(next));
    EXPECT_TRUE(fs::exists(dir.path / "run-20260100-000000-1.log"));
    EXPECT_FALSE(fs::exists(dir.path / "run-20260101-000000-1.log"));
    EXPECT_FALSE(fs::exists(dir.path / "run-20260102-000000-1.log"));
    EXPECT_TRUE(fs::exists(dir.path / "run-20260103-000000-1.log"));
    oldest.note("still", "written");
    EXPECT_NE(contents(dir.path / "run-20260100-000000-1.log").find("still: written"), std::string::npos);
}

TEST(RunLog, EachUnitWritesItsOwnSectionOfOneFile) {
    TempDir dir;
    RunLog log;
    ASSERT_TRUE(log.open(dir.path / "rig.log"));
    log.note("command", "velaupdate rig load");
    std::vector<RunLog> sections;
    for (const char* name : {"cabinet 1", "cabinet 2", "cabinet 3"}) sections.push_back(log.section(name));
    std::vector<std::thread> units;
    for (RunLog& section : sections)
        units.emplace_back([&section] {
            for (int i = 0; i < 200; ++i) {
                section.status(StatusField::LibraryInfo, "Sending DATA... to Memory " + std::to_string(i));
                section.status(StatusField::TransferInfo, "Sending DATA... to Memory " + std::to_string(i));
            }
        });
    for (std::thread& t : units) t.join();
    EXPECT_EQ(sections[1].path(), log.path());
    sections.clear();
    log.note("outcome", "exit code 0");

    std::istringstream lines(contents(dir.path / "rig.log"));
    std::map<std::string, int> perSection;
    int count = 0;
    for (std::string line; std::getline(lines, line); ++count) {
        ASSERT_GT(line.size(), 25u);
        ASSERT_EQ(line.substr(23, 2), "  ") << line;  // whole lines, never two run together
        const std::string text = line.substr(25);
        if (text.rfind('[', 0) == 0) {
            ++perSection[text.substr(0, text.find(']') + 1)];
            EXPECT_EQ(text.find("Sending DATA... to Memory "), 12u) << text;
        }
    }
    EXPECT_EQ(count, 1 + 3 + 3 * 200 + 1);
    EXPECT_EQ(perSection,
              (std::map<std::string, int>{{"[cabinet 1]", 200}, {"[cabinet 2]", 200}, {"[cabinet 3]", 200}}));
    EXPECT_NE(contents(dir.path / "rig.log").find("  section: cabinet 2\n"), std::string::npos);
}

TEST(RunLog, AFileThatCannotBeWrittenIsSaidSo) {
    TempDir dir;
    std::ofstream(dir.path / "plain") << "a file, not a folder";
    RunLog log;
    EXPECT_FALSE(log.open(dir.path / "plain" / "run.log"));
    EXPECT_FALSE(log.isOpen());
    EXPECT_FALSE(log.errorText().empty());
    log.note("command", "nothing happens");  // and nothing breaks
}

}  // namespace
}  // namespace vela
