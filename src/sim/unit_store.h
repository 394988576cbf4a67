#pragma once
// The simulated unit's thirteen program memories and its DSP operating system, kept as
// files when a directory is given so that they outlive the process.

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

namespace vela::sim {

using Bytes = std::vector<std::uint8_t>;

inline constexpr int kMemories = 13;

// What a memory that was never written holds: a 3570-byte program carrying `modelCode` in
// byte 4 and the name "MEMORY k".
Bytes factoryProgram(int memory, int modelCode);

class UnitStore {
public:
    UnitStore(std::filesystem::path dir, int modelCode, bool empty);

    // The program stored in memory k (1..13); nullopt when none was written.
    const std::optional<Bytes>& memory(int k) const { return memories_[static_cast<std::size_t>(k - 1)]; }
    void storeMemory(int k, std::span<const std::uint8_t> data);
    const Bytes& firmware() const { return firmware_; }
    void storeFirmware(std::span<const std::uint8_t> data);
    // What a read of memory k sends; nullopt for "nothing to send" (length 0xFFFF).
    std::optional<Bytes> readBack(int k) const;

private:
    std::filesystem::path file(int k) const;
    void save(const std::filesystem::path& path, const Bytes& data) const;

    std::filesystem::path dir_;
    int modelCode_;
    bool empty_;
    std::array<std::optional<Bytes>, kMemories> memories_;
    Bytes firmware_;
};

}  // namespace vela::sim
