#include "session/ethernet_module_binding.h"

#include "ethernet/ethernet_module_window.h"
#include "library/model_catalogue.h"
#include "session/identify.h"
#include "session/session.h"

namespace vela {

void bindLibraryWindow(EthernetModuleWindow& window, Session& session) {
    LibraryWindowState& library = session.libraryWindow;
    window.selectLibraryModel = [&library](const std::string& model) {
        const auto row = ModelCatalogue::find(model);
        library.selectedRow = row ? static_cast<int>(*row) : -1;
    };
    // Connecting identifies the unit, as USB does: a unit whose model code locks the list has
    // had its own model chosen and opened, whatever model the scan was for.
    window.probe = [&session, probe = window.probe] {
        return probe() && identifyUnit(session).content != MemoryContent::Unread;
    };
    window.libraryModelChanged = [&library] {
        if (!library.lockedByUnit && library.selectedRow >= 0) library.chooseRow(library.selectedRow);
    };
    window.closeWindow = [&session] { session.windows.ethernetFormVisible = false; };
}

}  // namespace vela
