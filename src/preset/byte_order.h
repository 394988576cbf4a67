#pragma once
// Explicit byte order for the two binary formats of the preset document: the preset file is
// little-endian, the unit's data image big-endian. Values are composed byte by byte, never
// by casting structures onto buffers.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>

namespace vela::bytes {

inline void putLe32(std::span<std::uint8_t> b, std::size_t at, std::uint32_t v) {
    for (std::size_t i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
inline void putLe64(std::span<std::uint8_t> b, std::size_t at, std::uint64_t v) {
    for (std::size_t i = 0; i < 8; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
inline std::uint32_t getLe32(std::span<const std::uint8_t> b, std::size_t at) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(b[at + i]) << (8 * i);
    return v;
}
inline std::uint64_t getLe64(std::span<const std::uint8_t> b, std::size_t at) {
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < 8; ++i) v |= static_cast<std::uint64_t>(b[at + i]) << (8 * i);
    return v;
}

inline void putLeI32(std::span<std::uint8_t> b, std::size_t at, std::int32_t v) {
    putLe32(b, at, static_cast<std::uint32_t>(v));
}
inline std::int32_t getLeI32(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::int32_t>(getLe32(b, at));
}
inline void putLeF32(std::span<std::uint8_t> b, std::size_t at, float v) {
    putLe32(b, at, std::bit_cast<std::uint32_t>(v));
}
inline float getLeF32(std::span<const std::uint8_t> b, std::size_t at) {
    return std::bit_cast<float>(getLe32(b, at));
}
inline void putLeF64(std::span<std::uint8_t> b, std::size_t at, double v) {
    putLe64(b, at, std::bit_cast<std::uint64_t>(v));
}
inline double getLeF64(std::span<const std::uint8_t> b, std::size_t at) {
    return std::bit_cast<double>(getLe64(b, at));
}

inline void putBe16(std::span<std::uint8_t> b, std::size_t at, std::uint16_t v) {
    b[at] = static_cast<std::uint8_t>(v >> 8);
    b[at + 1] = static_cast<std::uint8_t>(v);
}
inline void putBe32(std::span<std::uint8_t> b, std::size_t at, std::uint32_t v) {
    for (std::size_t i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * (3 - i)));
}
inline std::uint16_t getBe16(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint16_t>((b[at] << 8) | b[at + 1]);
}
inline std::uint32_t getBe32(std::span<const std::uint8_t> b, std::size_t at) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i) v = (v << 8) | b[at + i];
    return v;
}

}  // namespace vela::bytes
