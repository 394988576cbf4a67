// How close a program write and the operating-system write come to the wire time of their
// bytes, against the simulated unit on a pseudo-terminal emulating 57600 baud. Prints the
// ratio measured / wire time, where wire time = bytes both ways x 10 bits / baud.
#include "bench_support.h"
#include "link/device_link.h"
#include "link/firmware_image.h"
#include "link/send_program.h"
#include "sim/pty_endpoint.h"
#include "sim/simulated_unit.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

constexpr int kBaud = 57600;
constexpr int kRuns = 5;

struct Result {
    double seconds = 0;
    std::size_t wireBytes = 0;
    double ratio() const { return seconds / (double(wireBytes) * 10.0 / kBaud); }
};

Result measure(vela::DeviceLink& link, vela::sim::SimulatedUnit& unit, const vela::ProgramImage& image,
               vela::CommandCode code, std::uint8_t program, std::uint16_t length) {
    const std::size_t before = unit.records().size();
    const auto start = std::chrono::steady_clock::now();
    const auto r = vela::SendProgram(link, image, vela::Channel::Usb, code, program, length, false);
    const auto stop = std::chrono::steady_clock::now();
    vela::closeUsbIfOpen(link);
    unit.waitIdle(std::chrono::seconds(10));
    const auto records = unit.records();
    if (r != vela::ExchangeResult::Success || records.size() != before + 1) {
        std::fprintf(stderr, "the exchange failed\n");
        std::exit(1);
    }
    return {std::chrono::duration<double>(stop - start).count(), records.back().host.size() + records.back().unit.size()};
}

void report(const char* what, std::vector<Result> runs) {
    std::sort(runs.begin(), runs.end(), [](const Result& a, const Result& b) { return a.seconds < b.seconds; });
    const Result& median = runs[runs.size() / 2];
    std::printf("%-34s %6zu wire bytes  wire %.3f s  measured %.3f s (median of %d)  ratio %.3f (best %.3f)\n", what,
                median.wireBytes, double(median.wireBytes) * 10.0 / kBaud, median.seconds, kRuns, median.ratio(),
                runs.front().ratio());
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    vela::sim::SimOptions options;
    options.baud = kBaud;
    vela::sim::SimulatedUnit unit(options);
    vela::sim::PtyEndpoint pty(unit);

    vela::bench::QuietUi ui;
    vela::SessionState state;
    state.UsbActive = true;
    state.Link = vela::LinkKind::USB;
    vela::DeviceLink link(state, ui, vela::bench::usbDevicesAt(pty.path()));
    link.usb.UsbConnect();

    vela::ProgramImage image{};
    image[0] = 0x0D;  // a 3570-byte program: length field 3568
    image[1] = 0xF0;
    for (std::size_t i = 2; i < 3570; ++i) image[i] = static_cast<std::uint8_t>(i);
    std::vector<Result> program;
    for (int i = 0; i < kRuns; ++i)
        program.push_back(measure(link, unit, image, vela::CommandCode::WriteProgramCommand, 1, 3570));
    report("program write (3570 bytes)", program);

    std::string error;
    const auto firmware = vela::firmwareImageFromText(vela::builtInFirmwareText(), error);
    std::copy(firmware->begin(), firmware->end(), image.begin());
    std::vector<Result> os;
    for (int i = 0; i < kRuns; ++i)
        os.push_back(measure(link, unit, image, vela::CommandCode::DspProgramCommand, 15, 7680));
    report("operating system (7680 bytes)", os);
    return 0;
}
