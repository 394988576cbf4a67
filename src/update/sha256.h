#pragma once
// SHA-256 over bytes fed in pieces, for checking a download against the digest its server
// publishes.

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace vela {

class Sha256 {
public:
    Sha256();
    void update(std::span<const std::uint8_t> bytes);
    void update(std::span<const char> bytes);
    // The digest as 64 lower-case hex digits; the object is spent afterwards.
    std::string hexDigest();

private:
    void block(const std::uint8_t* p);

    std::array<std::uint32_t, 8> h_;
    std::array<std::uint8_t, 64> pending_{};
    std::size_t pendingSize_ = 0;
    std::uint64_t length_ = 0;  // bytes
};

}  // namespace vela
