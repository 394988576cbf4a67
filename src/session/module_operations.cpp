#include "session/module_operations.h"

#include "session/ethernet_module_binding.h"
#include "session/guarded.h"

namespace vela {

ModuleAccess::ModuleAccess(Session& s, const EthernetModuleSettings& settings)
    : window_(s.ethernetModule, s.ui, s.link, udp_, host_, settings) {
    bindLibraryWindow(window_, s);
}

OperationResult scanForModules(Session& s, ModuleAccess& m, const std::string& model) {
    return guardedStep(s, [&] { m.window().chooseModel(model); });
}

OperationResult scanAgain(Session& s, ModuleAccess& m) {
    return guardedStep(s, [&] { m.window().scan(); });
}

OperationResult chooseFoundModule(Session& s, ModuleAccess& m, int index) {
    return guardedStep(s, [&] { m.window().chooseListedModule(index); });
}

OperationResult forgetFoundModule(Session& s, ModuleAccess& m, int index) {
    return guardedStep(s, [&] { m.window().forgetListedModule(index); });
}

ChangeResult changeModuleIp(Session& s, ModuleAccess& m, const std::array<std::string, 4>& ip) {
    return guarded(s, ChangeResult::NoAnswer, ChangeResult::NoAnswer, ChangeResult::NoAnswer, [&] {
        s.ethernetModule.view.ip = ip;
        return m.window().changeIp();
    });
}

ChangeResult changeModuleName(Session& s, ModuleAccess& m, const std::string& name) {
    return guarded(s, ChangeResult::NoAnswer, ChangeResult::NoAnswer, ChangeResult::NoAnswer, [&] {
        s.ethernetModule.view.hostEdit = name;
        return m.window().changeHostName();
    });
}

OperationResult identifyModule(Session& s, ModuleAccess& m) {
    return guarded(s, [&] {
        if (m.window().identify()) return OperationResult::Done;
        const std::string reason = m.errorText();
        s.ui.error("The module could not be reached" + (reason.empty() ? std::string() : ": " + reason));
        return OperationResult::Failed;
    });
}

OperationResult connectToModule(Session& s, ModuleAccess& m) {
    return guarded(
        s, [&] { return m.window().connectToModule() ? OperationResult::Done : OperationResult::Failed; });
}

} // namespace vela
