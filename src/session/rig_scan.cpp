#include "session/rig_scan.h"

#include "core/text_display.h"
#include "ethernet/qt_udp_endpoint.h"
#include "library/model_catalogue.h"

#include <QHostAddress>

#include <algorithm>
#include <iterator>
#include <thread>

namespace vela {
namespace {

// Orders cabinets by address, so that a rig lists the same way every time.
std::uint32_t addressOrder(const std::string& ip) {
    bool ipv4 = false;
    const quint32 value = QHostAddress(QString::fromStdString(ip)).toIPv4Address(&ipv4);
    return ipv4 ? value : 0xFFFFFFFFu;
}

}  // namespace

std::optional<std::vector<FoundModule>> scanRig(RigScan o, std::string& why) {
    if (o.broadcast) {
        o.settings.targets = {*o.broadcast};
    } else {
        QtLocalHost host;
        o.settings.targets = defaultScanTargets(host, why);
        if (o.settings.targets.empty()) return std::nullopt;
    }
    QtUdpEndpoint udp;
    if (!udp.bound()) {
        why = "Cannot open a UDP socket: " + udp.errorText();
        return std::nullopt;
    }
    auto found = scanModules(udp, o.settings);
    if (!found) {
        why = "The discover datagram could not be sent: " + udp.errorText();
        return std::nullopt;
    }
    if (o.model) std::erase_if(*found, [&](const FoundModule& m) { return m.device.Model != *o.model; });
    std::stable_sort(found->begin(), found->end(), [](const FoundModule& a, const FoundModule& b) {
        return addressOrder(a.device.IP) < addressOrder(b.device.IP);
    });
    return found;
}

std::vector<CabinetIdentity> identifyCabinets(const std::vector<FoundModule>& cabinets) {
    std::vector<CabinetIdentity> identities(cabinets.size());
    {
        // Each thread writes its own element only.
        std::vector<std::jthread> threads;
        for (std::size_t i = 0; i < cabinets.size(); ++i)
            threads.emplace_back([&, i] {
                try {
                    identities[i] = identifyCabinet(cabinets[i].device.IP, cabinets[i].tcpPort);
                } catch (const std::exception& e) {
                    identities[i].reason = e.what();
                } catch (...) {
                    identities[i].reason = "the cabinet's work failed";
                }
            });
    }
    return identities;
}

std::vector<FoundModule> cabinetsOfModel(const std::vector<FoundModule>& found, const std::string& model) {
    const auto wanted = ModelCatalogue::find(model);
    const auto moduleModel = [](const FoundModule& m) { return ModelCatalogue::find(unitText(m.device.Model)); };
    std::vector<FoundModule> unplaced;
    std::copy_if(found.begin(), found.end(), std::back_inserter(unplaced),
                 [&](const FoundModule& m) { return !moduleModel(m); });
    const auto identities = identifyCabinets(unplaced);
    std::vector<FoundModule> out;
    auto identity = identities.begin();
    for (const FoundModule& m : found) {
        if (const auto placed = moduleModel(m)) {
            if (placed == wanted) out.push_back(m);
            continue;
        }
        const CabinetIdentity& id = *identity++;
        if (id.kind == CabinetIdentity::Kind::NoModel || id.kind == CabinetIdentity::Kind::Empty ||
            (id.kind == CabinetIdentity::Kind::Model && ModelCatalogue::find(id.model) == wanted))
            out.push_back(m);
    }
    return out;
}

std::string cabinetName(const FoundModule& cabinet) {
    const std::string host = unitText(cabinet.device.Name);
    const std::string ip = unitText(cabinet.device.IP);
    return host.empty() ? ip : host + " (" + ip + ")";
}

CabinetToLoad cabinetToLoad(const FoundModule& cabinet) {
    CabinetToLoad c;
    c.name = cabinetName(cabinet);
    c.link.kind = LinkKind::Ethernet;
    c.link.host = cabinet.device.IP;
    c.link.tcpPort = cabinet.tcpPort;
    return c;
}

}  // namespace vela
