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
        // A name the module cannot hold is said, never cut or sent.
        if (name.size() > kLongestHostName) {
            s.ui.error("The host name " + name + " is too long: a module's host name has at most " +
                       std::to_string(kLongestHostName) + " characters. Nothing was sent.");
            return ChangeResult::Refused;
        }
        if (!validHostName(name)) {
            s.ui.error("The host name \"" + name + "\" is not 1 to " + std::to_string(kLongestHostName) +
                       " printable ASCII characters. Nothing was sent.");
            return ChangeResult::Refused;
        }
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
    return guarded(s, [&] {
        if (!m.window().connectToModule()) return OperationResult::Failed;
        // The module is the session's link from now on, whatever link was chosen before (the
        // processor window's ETHERNET button opens this window after any of them).
        SessionState& st = s.state;
        st.Link = LinkKind::Ethernet;
        st.EthernetActive = true;
        st.UsbActive = st.SerialActive = false;
        st.LinkLost = false;
        return OperationResult::Done;
    });
}

} // namespace vela
