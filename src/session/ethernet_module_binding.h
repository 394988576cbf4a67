#pragma once
// Ties the Ethernet module window to the session's other windows.

namespace vela {

class EthernetModuleWindow;
class Session;

// A model chosen in the module window selects the library window's catalogue row of the same
// name (the module list offers "M09" and "M06", which sit elsewhere in the catalogue than at
// its first two rows) without opening it; a successful connect opens that row's library and
// closes the module window. A model the catalogue lacks selects no row, so that the connect
// opens no other model's library.
void bindLibraryWindow(EthernetModuleWindow& window, Session& session);

}  // namespace vela
