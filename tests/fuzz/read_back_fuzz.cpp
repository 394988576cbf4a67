// Fuzzes a read-back over USB: the input is everything the unit answers, from the read
// request's answers through BEGIN, COMMAND, PROGRAM, LONG, DATA and END. The bridge replays
// it and reports the device gone when it runs out, so a short input ends the read at once
// instead of waiting for the time-out.
#include "library/library_window_state.h"
#include "link/receive_program.h"
#include "silent_ui.h"

#include <memory>

using namespace vela;

namespace {

struct Replay {
    std::span<const std::uint8_t> bytes;
    std::size_t at = 0;
    bool left() const { return at < bytes.size(); }
};

class ReplayChannel : public ByteChannel {
public:
    explicit ReplayChannel(Replay& replay) : replay_(replay) {}
    bool open() override { return open_ = replay_.left(); }
    void close() override { open_ = false; }
    bool isOpen() const override { return open_ && replay_.left(); }
    std::size_t write(std::span<const std::uint8_t> bytes) override { return isOpen() ? bytes.size() : 0; }
    bool waitForData(Millis) override { return isOpen(); }
    std::size_t read(std::span<std::uint8_t> out, Millis) override {
        if (!isOpen()) return 0;
        // At most one 64-byte block's worth per read, as the bridge delivers it.
        const std::size_t n = std::min({out.size(), replay_.bytes.size() - replay_.at, std::size_t(64)});
        std::copy_n(replay_.bytes.begin() + static_cast<std::ptrdiff_t>(replay_.at), n, out.begin());
        replay_.at += n;
        return n;
    }

private:
    Replay& replay_;
    bool open_ = false;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Replay replay{{data, size}};
    fuzz::SilentUi ui;
    SessionState state;
    state.UsbActive = true;
    state.Link = LinkKind::USB;
    LinkDevices devices;
    devices.usb = [&replay](int) { return std::make_unique<ReplayChannel>(replay); };
    DeviceLink link{state, ui, std::move(devices)};
    auto image = std::make_unique<ProgramImage>();
    auto received = std::make_unique<ReceivedImage>();
    LibraryWindowState library;
    const ReceiveResult r = ReceiveProgram(link, *image, Channel::Usb, 1, *received);
    if (r.received) ApplyReceivedImage(*received, library);
    if (r.received && r.length > received->size()) std::abort();
    if (library.selectedRow >= kModelListRows) std::abort();
    return 0;
}
