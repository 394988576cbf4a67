// The simulated unit on a pseudo-terminal (Linux only): an exchange the PC abandons, and
// answers it never read, do not greet the next exchange.
#include "sim/pty_endpoint.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace vela::sim {
namespace {

// The PC's side of a pseudo-terminal to the unit, raw bytes both ways.
struct PtyLine {
    explicit PtyLine(const std::string& path) : fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK)) {
        termios t{};
        ::tcgetattr(fd, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(fd, TCSANOW, &t);
    }
    ~PtyLine() { ::close(fd); }
    void send(std::initializer_list<std::uint8_t> bytes) {
        const Bytes b(bytes);
        EXPECT_EQ(::write(fd, b.data(), b.size()), static_cast<ssize_t>(b.size()));
    }
    // What arrives within `ms`, at most `count` bytes.
    Bytes receive(std::size_t count, int ms = 1000) {
        Bytes got;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (got.size() < count && std::chrono::steady_clock::now() < deadline) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 10) <= 0) continue;
            std::uint8_t buf[64];
            const ssize_t n = ::read(fd, buf, std::min(sizeof buf, count - got.size()));
            if (n > 0) got.insert(got.end(), buf, buf + n);
        }
        return got;
    }
    // The probe exchange, one answer a step: START, command 0, program 0, its repetition with
    // LONG 0, END.
    Bytes probe() {
        Bytes answers;
        for (const auto& step : std::vector<Bytes>{{0x65}, {0x00}, {0x00}, {0x00, 0x00, 0x00}, {0x55}}) {
            EXPECT_EQ(::write(fd, step.data(), step.size()), static_cast<ssize_t>(step.size()));
            const Bytes b = receive(1);
            answers.insert(answers.end(), b.begin(), b.end());
        }
        return answers;
    }
    int fd;
};

TEST(AbandonedExchange, TheUnitGivesUpASilentPcAndAnswersTheNextExchange) {
    SimOptions o;
    o.exchangeTimeout = std::chrono::milliseconds(200);
    SimulatedUnit unit(o);
    PtyEndpoint endpoint(unit);
    PtyLine pc(endpoint.path());
    pc.send({0x65, 0x03});  // START and the write command, then nothing more
    EXPECT_EQ(pc.receive(2), (Bytes{0x65, 0x03}));
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    EXPECT_EQ(pc.probe(), (Bytes{0x65, 0x00, 0x00, 0x00, 0x55}));
    EXPECT_EQ(unit.records().front().outcome, "abandoned");
}

TEST(AbandonedExchange, AnswersThePcNeverReadAreGoneWhenItComesBack) {
    SimulatedUnit unit({});
    PtyEndpoint endpoint(unit);
    {
        PtyLine pc(endpoint.path());
        pc.send({0x65, 0x03});  // the unit answers both; the PC goes away without reading them
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ASSERT_TRUE(unit.waitIdle(std::chrono::seconds(2)));
    PtyLine pc(endpoint.path());
    EXPECT_TRUE(pc.receive(1, 200).empty());
    EXPECT_EQ(pc.probe(), (Bytes{0x65, 0x00, 0x00, 0x00, 0x55}));
}

}  // namespace
}  // namespace vela::sim
