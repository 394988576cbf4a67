// The D2XX-style layer over a channel that is neither a tty nor a socket: what the bridge is
// told reaches the channel whatever the channel is.
#include "link/ftdi.h"

#include <gtest/gtest.h>

namespace vela {
namespace {

struct Seen {
    std::vector<Millis> writeTimeouts;
    int lowLatencyRequests = 0;
};

class RecordingChannel : public ByteChannel {
  public:
    explicit RecordingChannel(Seen& seen) : seen_(seen) {}
    bool open() override { return open_ = true; }
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }
    std::size_t write(std::span<const std::uint8_t> bytes) override { return bytes.size(); }
    bool waitForData(Millis) override { return false; }
    std::size_t read(std::span<std::uint8_t>, Millis) override { return 0; }
    void setWriteTimeout(Millis t) override { seen_.writeTimeouts.push_back(t); }
    bool requestLowLatency() override { return ++seen_.lowLatencyRequests > 0; }

  private:
    Seen& seen_;
    bool open_ = false;
};

TEST(FtdiDriver, TheWriteTimeOutAndLowLatencyReachAnyChannel) {
    Seen seen;
    FtdiDriver driver([&seen](int) { return std::make_unique<RecordingChannel>(seen); });
    FT_HANDLE h = 0;
    ASSERT_EQ(driver.FT_Open(0, &h), FT_OK);
    EXPECT_EQ(seen.lowLatencyRequests, 1);
    ASSERT_EQ(seen.writeTimeouts.size(), 1u);
    EXPECT_EQ(seen.writeTimeouts.back(), Millis(1000)); // the bridge's own until told otherwise
    ASSERT_EQ(driver.FT_SetTimeouts(h, 300, 2500), FT_OK);
    EXPECT_EQ(seen.writeTimeouts.back(), Millis(2500));
    EXPECT_EQ(driver.readTimeout(), Millis(300));
    ASSERT_EQ(driver.FT_Close(h), FT_OK);
    // Kept for the next open, as the bridge keeps it.
    ASSERT_EQ(driver.FT_Open(0, &h), FT_OK);
    EXPECT_EQ(seen.writeTimeouts.back(), Millis(2500));
    EXPECT_EQ(seen.lowLatencyRequests, 2);
}

} // namespace
} // namespace vela
