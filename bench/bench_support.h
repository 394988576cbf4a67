#pragma once
// What the benchmarks share: a user interface that pumps the event queue as the command line
// does, shows nothing and answers Yes; and a USB bridge that leads to a pseudo-terminal.

#include "core/user_interface.h"
#include "library/library_file.h"
#include "link/device_link.h"
#include "link/qt_tcp_socket.h"
#include "link/tty_port.h"
#include "sim/simulated_unit.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vela::bench {

class QuietUi : public GaugeKeeper {
public:
    Answer message(MessageKind, Buttons, std::string_view) override { return Answer::Yes; }
    void status(StatusField, std::string_view) override {}
    void showTransferWindow() override {}
    void closeTransferWindow() override {}
    void beep() override {}
    void pump() override { QCoreApplication::processEvents(); }
};

// The PC's own share of a run: the time from each answer's arrival to the next write, summed
// over every channel that a Turnaround-wrapped device opened.
struct Turnaround {
    std::chrono::steady_clock::duration total{};
    long steps = 0;
    std::optional<std::chrono::steady_clock::time_point> answered;
};

// A channel that notes when reads bring bytes and when the next write starts.
class TimedChannel : public ByteChannel {
public:
    TimedChannel(std::unique_ptr<ByteChannel> inner, Turnaround& t) : inner_(std::move(inner)), t_(t) {}
    bool open() override { return inner_->open(); }
    void close() override { inner_->close(); }
    bool isOpen() const override { return inner_->isOpen(); }
    std::size_t write(std::span<const std::uint8_t> bytes) override {
        if (t_.answered) {
            t_.total += std::chrono::steady_clock::now() - *t_.answered;
            ++t_.steps;
            t_.answered.reset();
        }
        return inner_->write(bytes);
    }
    bool waitForData(Millis timeout) override { return inner_->waitForData(timeout); }
    std::size_t read(std::span<std::uint8_t> out, Millis timeout) override {
        const std::size_t n = inner_->read(out, timeout);
        if (n > 0) t_.answered = std::chrono::steady_clock::now();
        return n;
    }
    bool applySettings(const LineSettings& s) override { return inner_->applySettings(s); }
    bool setDtr(bool on) override { return inner_->setDtr(on); }
    bool setRts(bool on) override { return inner_->setRts(on); }
    std::string errorText() const override { return inner_->errorText(); }
    std::string address() const override { return inner_->address(); }

private:
    std::unique_ptr<ByteChannel> inner_;
    Turnaround& t_;
};

// Devices whose USB bridge is the tty at `path` (the simulated unit's pseudo-terminal),
// optionally timing the PC's turnaround.
inline LinkDevices usbDevicesAt(const std::string& path, Turnaround* timing = nullptr) {
    LinkDevices devices;
    devices.usb = [path, timing](int) -> std::unique_ptr<ByteChannel> {
        auto tty = std::make_unique<TtyPort>(path);
        if (!timing) return tty;
        return std::make_unique<TimedChannel>(std::move(tty), *timing);
    };
    return devices;
}

// Devices whose TCP link is a real socket, timing the PC's turnaround.
inline LinkDevices tcpDevices(Turnaround& timing) {
    LinkDevices devices;
    devices.ethernet = [&timing](const std::string& host, std::uint16_t port) -> std::unique_ptr<ByteChannel> {
        return std::make_unique<TimedChannel>(std::make_unique<QtTcpSocket>(host, port), timing);
    };
    return devices;
}

// The exchanges the unit made since it had made `before`, and the bytes they put on the wire
// both ways.
struct WireCount {
    std::size_t exchanges = 0;
    std::size_t bytes = 0;
};
inline WireCount wireSince(const sim::SimulatedUnit& unit, long before) {
    WireCount count;
    const auto records = unit.records();
    count.exchanges = static_cast<std::size_t>(unit.exchangeCount() - before);
    for (std::size_t i = records.size() - count.exchanges; i < records.size(); ++i)
        count.bytes += records[i].host.size() + records[i].unit.size();
    return count;
}

// The load-all the benchmarks time: thirteen programs of 3570 bytes each.
inline LibraryBuffer thirteenPrograms() {
    LibraryBuffer library{};
    for (int k = 1; k <= 13; ++k) {
        ProgramImage image{};
        image[0] = 0x0D;
        image[1] = 0xF0;
        for (std::size_t i = 2; i < 3570; ++i) image[i] = static_cast<std::uint8_t>(i * static_cast<std::size_t>(k));
        appendLibraryEntry(library, image);
    }
    return library;
}


// The main of a benchmark that times one job over USB and over Ethernet:
//   PROGRAM [usb|ethernet|both] [runs]
// `measure(link name, over Ethernet, runs)` returns the median ratio to the wire time, or a
// negative number when the job failed.
template <class Measure>
int linkBenchmarkMain(int argc, char** argv, const char* program, Measure measure) {
    QCoreApplication app(argc, argv);
    const std::string which = argc > 1 ? argv[1] : "both";
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    if (which != "usb" && which != "ethernet" && which != "both") {
        std::fprintf(stderr, "usage: %s [usb|ethernet|both] [runs]\n", program);
        return 2;
    }
    int failed = 0;
    if (which != "ethernet") {
        const double r = measure("USB", false, runs);
        failed += r < 0;
        if (r >= 0) std::printf("USB      median ratio %.3f (goal: at most 1.05)\n", r);
    }
    if (which != "usb") {
        const double r = measure("Ethernet", true, runs);
        failed += r < 0;
        if (r >= 0) std::printf("Ethernet median ratio %.3f (goal: at most 1.15)\n", r);
    }
    return failed ? 1 : 0;
}

}  // namespace vela::bench
