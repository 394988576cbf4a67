#pragma once
// The USB bridge through its maker's D2XX library: the n-th bridge the library lists.
// Reads block in the library up to their time-out; a wait for data reads the first byte to
// come into a buffer of our own, so waiting never loses a byte.

#include "link/byte_channel.h"
#include "link/win/d2xx_library.h"

#include <vector>

namespace vela {

class D2xxChannel : public ByteChannel {
  public:
    D2xxChannel(const d2xx::Library& library, int index) : lib_(library), index_(index) {}
    ~D2xxChannel() override { close(); }
    D2xxChannel(const D2xxChannel&) = delete;
    D2xxChannel& operator=(const D2xxChannel&) = delete;

    bool open() override;
    void close() override;
    bool isOpen() const override { return handle_ != nullptr; }
    std::size_t write(std::span<const std::uint8_t> bytes) override;
    bool waitForData(Millis timeout) override;
    std::size_t read(std::span<std::uint8_t> out, Millis timeout) override;
    bool applySettings(const LineSettings& settings) override;
    bool setDtr(bool on) override;
    bool setRts(bool on) override;
    void setWriteTimeout(Millis t) override;
    // The bridge's latency timer down to 2 ms from its 16: each answer of a lock-step
    // exchange would otherwise wait that long in the bridge.
    bool requestLowLatency() override;
    std::string errorText() const override { return error_; }
    std::string address() const override;

  private:
    bool setTimeouts(Millis read);
    // False, with the call's name and status as the error, unless status is FT_OK; a failed
    // transfer means the bridge is gone and closes it.
    bool check(const char* call, d2xx::Status status);

    const d2xx::Library& lib_;
    int index_;
    d2xx::Handle handle_ = nullptr;
    Millis writeTimeout_{6000};
    long long readTimeoutSet_ = -1;
    std::vector<std::uint8_t> pending_;
    std::string error_;
};

} // namespace vela
