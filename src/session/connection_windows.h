#pragma once
// Which windows the connection step shows or hides; the GUI binds to these flags.

namespace vela {

struct ConnectionWindows {
    bool connectFormVisible = true;      // TConnectForm, the main window
    bool ethernetFormVisible = false;    // TEM100Form, where the Ethernet module is chosen
    bool ethernetButtonVisible = false;  // the processor window's EthernetB
    // False when the designer is the program's only window: the connection, library and
    // Ethernet windows then never show, so Update stays out of the tuner's way.
    bool installerWindows = true;
};

}  // namespace vela
