#pragma once
// The Ethernet module window's operations: scan for modules of a model, pick one, change its
// IP address or host name, make it blink, and connect the TCP link to it. The window and the
// command line both call these; each ends in a result.

#include "ethernet/ethernet_module_window.h"
#include "ethernet/qt_udp_endpoint.h"
#include "session/operation_result.h"

#include <array>
#include <string>

namespace vela {

class Session;

// The module procedures with the UDP endpoint and the PC's host name they use, tied to the
// session's library window (a model chosen here selects its row there).
class ModuleAccess {
  public:
    ModuleAccess(Session& session, const EthernetModuleSettings& settings);
    // False when no UDP socket could be opened; errorText() says why.
    bool ready() const { return udp_.bound(); }
    std::string errorText() const { return udp_.errorText(); }
    EthernetModuleWindow& window() { return window_; }

  private:
    QtUdpEndpoint udp_;
    QtLocalHost host_;
    EthernetModuleWindow window_;
};

// Choosing a model scans for its modules.
OperationResult scanForModules(Session& session, ModuleAccess& modules, const std::string& model);
// The Scan button: the chosen model again.
OperationResult scanAgain(Session& session, ModuleAccess& modules);
OperationResult chooseFoundModule(Session& session, ModuleAccess& modules, int index);
// Forgets a listed module (after its question); the module itself is not touched.
OperationResult forgetFoundModule(Session& session, ModuleAccess& modules, int index);
// The chosen module gets this address (four numbers) or host name.
ChangeResult changeModuleIp(Session& session, ModuleAccess& modules, const std::array<std::string, 4>& ip);
ChangeResult changeModuleName(Session& session, ModuleAccess& modules, const std::string& name);
// Makes the chosen module's LEDs blink; Failed, after saying so, when it could not be reached.
OperationResult identifyModule(Session& session, ModuleAccess& modules);
// Connects the TCP link to the chosen module and opens the model's library.
OperationResult connectToModule(Session& session, ModuleAccess& modules);

} // namespace vela
