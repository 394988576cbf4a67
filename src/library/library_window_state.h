#pragma once
// What the read-back and the connection step decide about the library window: which
// catalogue row is chosen, whether the model list is locked, whether the send panel shows.
// The library window binds to it; the catalogue itself lives with the library.

#include <span>
#include <cstdint>
#include <functional>

namespace vela {

// The model list shows the catalogue's rows; a model code past them selects none.
inline constexpr int kModelListRows = 31;

struct LibraryWindowState {
    bool visible = false;
    int selectedRow = -1;  // the model list's chosen row, -1 for none
    bool modelListEnabled = false;  // the model list starts locked
    // The unit read back last carries a model code: only the service code frees the list.
    bool lockedByUnit = false;
    // That unit's model code (byte 4 of its program): what it is locked to.
    int unitModelCode = 0;
    bool sendPanelVisible = false;
    // The model list's change action: opens the chosen model's library. Installed by the
    // library window; without it choosing a row only records it.
    std::function<void(int row)> changeAction;

    // A row the list does not have leaves none chosen; the change action runs either way.
    void chooseRow(int row) {
        selectedRow = row >= 0 && row < kModelListRows ? row : -1;
        if (changeAction) changeAction(selectedRow);
    }
};

// Byte 4 of a program read back from the unit is the loudspeaker model code: 2 or more
// chooses catalogue row code - 2 (none when the catalogue has no such row) and locks the
// model list, anything less frees it.
void ApplyReceivedImage(std::span<const std::uint8_t> received, LibraryWindowState& library);

}  // namespace vela
