#pragma once
// What the Ethernet module window keeps for the whole process: the device table, the
// broadcast address and the state of its controls, which a window binds to.

#include "ethernet/device_table.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vela {

struct EthernetModuleView {
    std::vector<std::string> modelItems{"M09", "M06"};  // ModelComboBox
    std::string modelText = "Select your model";
    bool scanButtonShown = false;                        // ScanB
    std::string scanStatus;                              // Label2
    bool deviceListShown = false;                        // Label1, ProcessorBox
    bool moduleControlsShown = false;                    // ConnectB, IdentifyButton1, Label3, Label5
    bool managementShown = false;                        // ManagementGroup
    std::vector<std::string> processorBox;               // Name of each device
    std::vector<std::string> ipList;                     // Name=IP of each device
    std::string chosenIp = "IP";                         // Label5
    std::array<std::string, 4> ip{"192", "168", "0", "1"};  // IP01..IP04
    std::string hostEdit;                                // HostEdit
    std::string statusB = "offline";                     // StatusB
};

struct EthernetModuleState {
    DeviceTable table;
    std::string BroadcastAddress;                 // the first of BroadcastAddresses
    std::vector<std::string> BroadcastAddresses;  // where scans and change-IP requests go
    EthernetModuleView view;
    bool scanning = false;
    bool replyReceived = false;
    std::vector<std::uint8_t> replyDatagram;  // the last datagram, at most 101 bytes
    std::optional<EthernetDevice> chosen;     // the module picked from ProcessorBox
    std::string pcHostName;                   // read when the TCP link connects
};

}  // namespace vela
