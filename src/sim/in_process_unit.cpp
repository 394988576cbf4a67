#include "sim/in_process_unit.h"

namespace vela::sim {

InProcessUnit::InProcessUnit(SimOptions options) : unit_(std::move(options)) {
    thread_ = std::jthread([this](std::stop_token stop) {
        while (!stop.stop_requested()) {
            unit_.serve(link_->unitPort(), stop);
            link_->waitForConnection(Millis(50));
        }
    });
}

InProcessUnit::~InProcessUnit() {
    thread_.request_stop();
    link_->shutdown();
    if (thread_.joinable()) thread_.join();
}

LinkDevices inProcessDevices(std::shared_ptr<InProcessUnit> unit) {
    LinkDevices d;
    d.usb = [unit](int index) -> std::unique_ptr<ByteChannel> {
        if (index != 0) return nullptr;
        return unit->channel("simulated HALDA40 (USB)");
    };
    d.serial = unit->channel("simulated HALDA40 (serial)");
    d.ethernet = [unit](const std::string& host, std::uint16_t port) {
        return unit->channel(host + ":" + std::to_string(port) + " (simulated HALDA40)");
    };
    return d;
}

}  // namespace vela::sim
