#pragma once
// A session whose channels all lead to a simulated unit inside the test process.

#include "session/session.h"
#include "sim/in_process_unit.h"
#include "support/scripted_ui.h"

#include <memory>

namespace vela::test {

struct SessionHarness {
    explicit SessionHarness(sim::SimOptions options = {})
        : unit(std::make_shared<sim::InProcessUnit>(std::move(options))), session(ui, sim::inProcessDevices(unit)) {}

    // The unit's records once it has finished the exchange under way.
    std::vector<sim::SimRecord> records() {
        unit->unit().waitIdle(std::chrono::seconds(5));
        return unit->unit().records();
    }
    std::vector<int> commands() {
        std::vector<int> codes;
        for (const auto& r : records())
            if (r.kind == "exchange") codes.push_back(r.command);
        return codes;
    }
    bool said(std::string_view text) const {
        for (const auto& m : ui.messages)
            if (m.text == text) return true;
        return false;
    }
    void useUsb() {
        session.state.Link = LinkKind::USB;
        session.state.UsbActive = true;
        session.link.EnableUnitCommands();
    }
    void useEthernet() {
        session.link.ethernet.setAddress("127.0.0.1", 1001);
        session.state.Link = LinkKind::Ethernet;
        session.state.EthernetActive = true;
        session.link.EnableUnitCommands();
    }

    ScriptedUi ui;
    std::shared_ptr<sim::InProcessUnit> unit;
    Session session;
};

}  // namespace vela::test
