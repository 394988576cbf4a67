#include "session/ethernet_module_binding.h"

#include "ethernet/ethernet_module_window.h"
#include "library/model_catalogue.h"
#include "session/session.h"

namespace vela {

void bindLibraryWindow(EthernetModuleWindow& window, Session& session) {
    LibraryWindowState& library = session.libraryWindow;
    window.selectLibraryModel = [&library](const std::string& model) {
        const auto row = ModelCatalogue::find(model);
        library.selectedRow = row ? static_cast<int>(*row) : -1;
    };
    window.libraryModelChanged = [&library] {
        if (library.selectedRow >= 0) library.chooseRow(library.selectedRow);
    };
    window.closeWindow = [&session] { session.windows.ethernetFormVisible = false; };
}

}  // namespace vela
