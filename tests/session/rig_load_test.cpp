// A rig of simulated cabinets loaded at once, each on its own thread and session.
#include "library/library_file.h"
#include "link/firmware_image.h"
#include "session/rig_load.h"
#include "sim/in_process_unit.h"
#include "platform/process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <set>

namespace vela::test {
namespace {

// Model codes the cabinets report, and the catalogue's libraries they lock to.
constexpr int kM02 = 4, kM03 = 6, kM09 = 15;
const std::map<int, std::string> kLibraryOf = {{kM02, "M02.HLB"}, {kM03, "M03.HLB"}, {kM09, "M09.HLB"}};

// A folder with a library of 13 programs for each of the three models, each model's own bytes.
const std::filesystem::path& libraryFolder() {
    static const std::filesystem::path dir = [] {
        auto d = std::filesystem::temp_directory_path() / ("vela-rig-libraries-" + std::to_string(platform::processId()));
        std::filesystem::create_directories(d);
        for (const auto& [code, file] : kLibraryOf) {
            LibraryBuffer library{};
            for (int k = 1; k <= 13; ++k) {
                ProgramImage image{};
                image[0] = 0x0D;
                image[1] = 0xF0;
                for (std::size_t i = 2; i < 3570; ++i) image[i] = static_cast<std::uint8_t>(i * k + code);
                appendLibraryEntry(library, image);
            }
            EXPECT_EQ(saveLibraryFile(d / file, library), "");
        }
        return d;
    }();
    return dir;
}

// Every event of every cabinet, kept for the checks afterwards.
class EventLog : public CabinetEventSink {
public:
    void cabinetEvent(const CabinetEvent& e) override {
        const std::lock_guard lock(mutex_);
        CabinetEvent copy = e;
        copy.result.reset();
        events.push_back(copy);
        if (e.result) finished.push_back(e.unit);
        // Running from a cabinet's first event to its last.
        if (e.result)
            running_.erase(e.unit);
        else
            running_.insert(e.unit);
        mostAtOnce = std::max(mostAtOnce, running_.size());
        if (onEvent) onEvent(e);
    }
    std::vector<CabinetEvent> of(const std::string& unit) const {
        std::vector<CabinetEvent> out;
        std::copy_if(events.begin(), events.end(), std::back_inserter(out), [&](auto& e) { return e.unit == unit; });
        return out;
    }

    std::vector<CabinetEvent> events;
    std::vector<std::string> finished;
    std::size_t mostAtOnce = 0;
    std::function<void(const CabinetEvent&)> onEvent;

private:
    std::mutex mutex_;
    std::set<std::string> running_;
};

// N simulated cabinets in this process, reached as if over TCP at 127.0.0.2, 127.0.0.3, ...
struct Rig {
    explicit Rig(std::vector<sim::SimOptions> options) {
        for (std::size_t i = 0; i < options.size(); ++i) {
            units.push_back(std::make_shared<sim::InProcessUnit>(options[i]));
            CabinetToLoad c;
            c.name = "CAB" + std::to_string(i + 1);
            c.link.kind = LinkKind::Ethernet;
            c.link.host = "127.0.0.";
            c.link.host += std::to_string(i + 2);
            c.library.kind = LibraryRequest::Kind::UnitsOwn;
            index[c.name] = i;
            request.cabinets.push_back(c);
        }
        request.openSession = [this](UserInterface& ui, const CabinetToLoad& c) {
            auto s = std::make_unique<Session>(ui, sim::inProcessDevices(units[index.at(c.name)]));
            s->libraryForm.dataDirectories = {libraryFolder()};
            return s;
        };
        std::string error;
        firmware.image = firmwareImageFromText(builtInFirmwareText(), error);
    }
    std::vector<RigCabinetResult> load() { return loadRig(request, firmware, events); }
    sim::SimulatedUnit& unit(std::size_t i) { return units[i]->unit(); }

    std::vector<std::shared_ptr<sim::InProcessUnit>> units;
    std::map<std::string, std::size_t> index;
    RigRequest request;
    FirmwareChoice firmware;
    EventLog events;
};

sim::SimOptions cabinet(int modelCode) {
    sim::SimOptions o;
    o.modelCode = modelCode;
    o.exchangeTimeout = std::chrono::milliseconds(500);
    return o;
}

std::vector<LibraryEntry> entriesOf(const std::string& file, LibraryBuffer& buffer) {
    EXPECT_TRUE(readLibraryFile(libraryFolder() / file, buffer).ok) << file;
    return *libraryEntries(buffer);
}

TEST(RigLoad, SixteenCabinetsOfThreeModelsWithThreeFaultsEachEndHonestly) {
    std::vector<sim::SimOptions> options;
    const int models[] = {kM02, kM03, kM09};
    for (int i = 0; i < 16; ++i) options.push_back(cabinet(models[i % 3]));
    const std::size_t silent = 3, hangup = 8, protectedOne = 13;
    options[silent].faults = {{sim::SimFault::Kind::SilentBlock, 400}};
    options[hangup].faults = {{sim::SimFault::Kind::HangupBlock, 400}};
    options[protectedOne].protectedMemories = {5};
    Rig rig(options);
    rig.request.each.verify = true;

    const auto results = rig.load();
    ASSERT_EQ(results.size(), 16u);
    EXPECT_EQ(rig.events.mostAtOnce, 16u);  // all at once without --jobs
    for (std::size_t i = 0; i < 16; ++i) {
        const RigCabinetResult& c = results[i];
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.name, "CAB" + std::to_string(i + 1));
        const CabinetResult& r = c.result;
        LibraryBuffer buffer{};
        const auto entries = entriesOf(kLibraryOf.at(options[i].modelCode), buffer);
        const auto& written = r.report ? r.report->writtenMemories : std::vector<int>{};
        // Every memory written holds its own model's program byte for byte; no other changed.
        for (int k = 1; k <= 13; ++k) {
            const auto memory = rig.unit(i).memory(k);
            if (std::find(written.begin(), written.end(), k) == written.end()) {
                EXPECT_FALSE(memory) << "memory " << k << " was not written";
                continue;
            }
            const LibraryEntry& e = entries[static_cast<std::size_t>(k - 1)];
            ASSERT_TRUE(memory) << k;
            EXPECT_TRUE(std::equal(memory->begin(), memory->end(), buffer.begin() + e.offset,
                                   buffer.begin() + e.offset + e.size()))
                << "memory " << k;
        }
        // One event with the result, the cabinet's last.
        const auto events = rig.events.of(c.name);
        EXPECT_EQ(std::count(rig.events.finished.begin(), rig.events.finished.end(), c.name), 1);
        ASSERT_FALSE(events.empty());
        EXPECT_EQ(events.back().phase, CabinetPhase::Finished);
        if (i == silent || i == hangup || i == protectedOne) {
            EXPECT_FALSE(r.complete());
            // Says what was written and that the operating system was not updated; a refused
            // memory is named as such, not as a lost link.
            const std::string opening = i == protectedOne
                                            ? "Memory 5 is protected: unprotect it on the processor, then run the "
                                              "update again. Memories written: 1, 2"
                                            : "The update did not finish. Memories written: 1, 2";
            EXPECT_EQ(c.problem.rfind(opening, 0), 0u) << c.problem;
            EXPECT_EQ(r.outcome, i == protectedOne ? OperationResult::Failed : OperationResult::LinkLost);
            EXPECT_NE(c.problem.find("the DSP Operating System was not updated"), std::string::npos);
            EXPECT_LT(written.size(), 13u);
            EXPECT_FALSE(r.report && r.report->operatingSystemSent);
            EXPECT_EQ(rig.unit(i).status().firmwareWrites, 0);
            continue;
        }
        EXPECT_TRUE(r.complete()) << c.problem;
        EXPECT_EQ(r.endedIn, CabinetPhase::Finished);
        EXPECT_EQ(written.size(), 13u);
        EXPECT_EQ(r.library, kLibraryOf.at(options[i].modelCode));
        EXPECT_EQ(r.verify.size(), 13u);
        EXPECT_FALSE(r.verifyFailed());
        EXPECT_EQ(rig.unit(i).status().firmwareWrites, 1);
        // The writing phase named every memory, 1 to 13 of 13, in order.
        std::vector<int> named;
        for (const auto& e : events)
            if (e.phase == CabinetPhase::Writing && e.memories == 13 && (named.empty() || named.back() != e.memory))
                named.push_back(e.memory);
        EXPECT_EQ(named.size(), 13u);
        EXPECT_TRUE(std::is_sorted(named.begin(), named.end()));
    }
    // The protected memory stopped its cabinet at memory 5, after writing 1 to 4.
    EXPECT_EQ(results[protectedOne].result.report->writtenMemories, (std::vector<int>{1, 2, 3, 4}));
}

TEST(RigLoad, JobsCapHowManyCabinetsLoadAtOnce) {
    Rig rig(std::vector<sim::SimOptions>(5, cabinet(kM02)));
    rig.request.jobs = 2;
    const auto results = rig.load();
    EXPECT_LE(rig.events.mostAtOnce, 2u);
    for (const auto& c : results) EXPECT_TRUE(c.result.complete()) << c.name << ": " << c.problem;
}

TEST(RigLoad, ACabinetWithoutAModelIsSkippedUnlessOneIsNamedAndALockedOneRefusesAnother) {
    // Model code 1 names no model; the second cabinet is locked to the M03.
    Rig rig({cabinet(1), cabinet(kM03)});
    auto results = rig.load();
    EXPECT_EQ(results[0].result.refusal, LibraryRefusal::NoModel);
    EXPECT_EQ(results[0].result.endedIn, CabinetPhase::Library);
    EXPECT_FALSE(rig.unit(0).memory(1));
    EXPECT_TRUE(results[1].result.complete());

    // --model M02 for all: the free cabinet takes it, the M03 refuses it without the service code.
    Rig named({cabinet(1), cabinet(kM03)});
    for (auto& c : named.request.cabinets) c.library = {LibraryRequest::Kind::Model, 2, {}};
    results = named.load();
    EXPECT_TRUE(results[0].result.complete()) << results[0].problem;
    EXPECT_EQ(results[1].result.refusal, LibraryRefusal::Locked);
    EXPECT_NE(results[1].problem.find("this unit is a M03"), std::string::npos) << results[1].problem;
    EXPECT_FALSE(named.unit(1).memory(1));
}

TEST(RigLoad, AStopReachesEveryCabinetAndTheCabinetsNotBegunAreLeftAlone) {
    std::vector<sim::SimOptions> options(4, cabinet(kM09));
    for (auto& o : options) o.baud = 921600;  // slow enough to be stopped while writing
    Rig rig(options);
    rig.request.jobs = 3;
    std::once_flag once;
    rig.events.onEvent = [&](const CabinetEvent& e) {
        if (e.memory == 2) std::call_once(once, [] { StopSource::process().request(); });
    };
    const auto results = rig.load();
    for (const auto& c : results) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.result.outcome, OperationResult::Stopped);
        EXPECT_FALSE(c.result.complete());
    }
    // The fourth had not begun: nothing was sent to it.
    EXPECT_EQ(results[3].problem, "not begun: the run was stopped");
    EXPECT_TRUE(rig.unit(3).records().empty());
}

} // namespace
} // namespace vela::test
