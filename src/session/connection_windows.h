#pragma once
// Which windows the connection step shows or hides; the GUI binds to these flags.

namespace vela {

struct ConnectionWindows {
    bool connectFormVisible = true;      // TConnectForm, the main window
    bool ethernetFormVisible = false;    // TEM100Form, where the Ethernet module is chosen
    bool ethernetButtonVisible = false;  // the processor window's EthernetB
};

}  // namespace vela
