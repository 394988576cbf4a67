#pragma once
// What the read-back and the connection step decide about the library window: which
// catalogue row is chosen, whether the model list is locked, whether the send panel shows.
// The library window binds to it; the catalogue itself lives with the library.

#include <functional>

namespace vela {

struct LibraryWindowState {
    bool visible = false;
    int selectedRow = -1;  // the model list's chosen row, -1 for none
    bool modelListEnabled = true;
    bool sendPanelVisible = false;
    // The model list's change action: opens the chosen model's library. Installed by the
    // library window; without it choosing a row only records it.
    std::function<void(int row)> changeAction;

    void chooseRow(int row) {
        selectedRow = row;
        if (changeAction) changeAction(row);
    }
};

}  // namespace vela
