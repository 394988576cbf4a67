#pragma once
// What one cabinet of a rig says it is: a session of its own connects to the cabinet's module,
// probes the unit and reads it back as every connection does (identifyUnit). Many run at once,
// one thread each; they share nothing.

#include <cstdint>
#include <string>

namespace vela {

struct CabinetIdentity {
    // Model: a catalogue model; OtherModel: a model code the catalogue lacks; NoModel: a
    // program without a model code; Empty: no program; Unread: see `reason`.
    enum class Kind { Model, OtherModel, NoModel, Empty, Unread };
    Kind kind = Kind::Unread;
    int modelCode = -1;   // byte 4 of the program read back, 0..255; -1 when none was
    std::string model;    // the catalogue name, for Model
    // The unit carries a model code: its model list is locked to it unless the service code
    // frees it.
    bool locked = false;
    std::string reason;   // why the unit could not be read
};

// "M09", "no model of this catalogue", "no model", "empty" or the reason.
std::string describe(const CabinetIdentity& identity);

// Connects to host:port, probes the unit and reads its memory back. Never throws: whatever
// goes wrong ends up in `reason`.
CabinetIdentity identifyCabinet(const std::string& host, std::uint16_t port);

}  // namespace vela
