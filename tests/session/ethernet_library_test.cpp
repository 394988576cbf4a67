// The Ethernet module window bound to the session's library window.
#include "ethernet/ethernet_module_window.h"
#include "session/connection.h"
#include "session/ethernet_module_binding.h"
#include "session/session_harness.h"

#include <gtest/gtest.h>

namespace vela::test {
namespace {

using namespace std::chrono_literals;

// No module answers; nothing leaves the process.
class NoModules : public DatagramEndpoint {
public:
    bool send(const std::string&, std::uint16_t, std::span<const std::uint8_t>) override { return true; }
    std::optional<Datagram> receive(std::chrono::milliseconds) override { return std::nullopt; }
};

class Desk : public LocalHost {
public:
    std::string hostName() override { return "DESK"; }
    std::optional<std::string> addressOf(const std::string&) override { return "127.0.0.1"; }
};

TEST(EthernetLibrary, TheModelChosenForTheScanOpensItsOwnLibraryOnceConnected) {
    SessionHarness h;
    NoModules udp;
    Desk desk;
    EthernetModuleSettings settings;
    settings.broadcast = "127.0.0.1";
    settings.scanTime = 0ms;
    EthernetModuleWindow w(h.session.ethernetModule, h.ui, h.session.link, udp, desk, settings);
    bindLibraryWindow(w, h.session);
    switchLink(h.session, LinkKind::Ethernet);
    ASSERT_TRUE(h.session.windows.ethernetFormVisible);

    // "M09" is the first entry of the module list but row 13 of the catalogue.
    w.chooseModel("M09");
    EXPECT_EQ(h.session.libraryWindow.selectedRow, 13);
    EXPECT_TRUE(h.session.libraryForm.libraryFileName.empty());  // selected, not opened yet

    w.chooseModule({"127.0.0.1", "STAGE", "M09", "ID1"});
    ASSERT_TRUE(w.connectToModule());
    EXPECT_EQ(h.session.libraryForm.libraryFileName, "M09.HLB");
    EXPECT_EQ(h.session.libraryForm.send1Caption, "Update M09");
    EXPECT_FALSE(h.session.windows.ethernetFormVisible);

    // A model the catalogue lacks selects no row, and the next connect opens nothing.
    w.chooseModel("X99");
    EXPECT_EQ(h.session.libraryWindow.selectedRow, -1);
    h.session.libraryForm.libraryFileName.clear();
    ASSERT_TRUE(w.connectToModule());
    EXPECT_TRUE(h.session.libraryForm.libraryFileName.empty());
}

TEST(EthernetLibrary, ConnectingReadsTheUnitBackAndItsModelCodeWinsOverTheScannedModel) {
    sim::SimOptions o;
    o.modelCode = 3;  // an M01 Display
    SessionHarness h(o);
    NoModules udp;
    Desk desk;
    EthernetModuleSettings settings;
    settings.broadcast = "127.0.0.1";
    settings.scanTime = 0ms;
    EthernetModuleWindow w(h.session.ethernetModule, h.ui, h.session.link, udp, desk, settings);
    bindLibraryWindow(w, h.session);
    switchLink(h.session, LinkKind::Ethernet);
    w.chooseModel("M09");
    w.chooseModule({"127.0.0.1", "STAGE", "M09", "ID1"});
    ASSERT_TRUE(w.connectToModule());
    EXPECT_EQ(h.commands(), (std::vector<int>{0, 4}));  // the probe, then the read-back
    EXPECT_TRUE(h.session.libraryWindow.lockedByUnit);
    EXPECT_FALSE(h.session.libraryWindow.modelListEnabled);
    EXPECT_EQ(h.session.libraryWindow.selectedRow, 1);
    EXPECT_EQ(h.session.libraryForm.libraryFileName, "M01LCD.HLB");
}

}  // namespace
}  // namespace vela::test
