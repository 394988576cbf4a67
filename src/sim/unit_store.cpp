#include "sim/unit_store.h"
#include "platform/utf8_paths.h"

#include <fstream>
#include <iterator>
#include <string>

namespace vela::sim {
namespace {

std::optional<Bytes> load(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

Bytes factoryProgram(int memory, int modelCode) {
    Bytes p(3570, 0);
    p[0] = 0x0D;  // length 3568
    p[1] = 0xF0;
    p[2] = 0x71;
    p[4] = static_cast<std::uint8_t>(modelCode);
    for (std::size_t i = 5; i < 12; ++i) p[i] = 0x01;
    std::string name = "MEMORY " + std::to_string(memory);
    name.resize(40, ' ');
    std::copy(name.begin(), name.end(), p.begin() + 12);
    for (std::size_t i = 3360; i <= 3568; ++i) p[i] = 0x0D;
    return p;
}

UnitStore::UnitStore(std::filesystem::path dir, int modelCode, bool empty)
    : dir_(std::move(dir)), modelCode_(modelCode), empty_(empty) {
    if (dir_.empty()) return;
    std::filesystem::create_directories(dir_);
    for (int k = 1; k <= kMemories; ++k) memories_[static_cast<std::size_t>(k - 1)] = load(file(k));
    firmware_ = load(dir_ / "dsp-operating-system.bin").value_or(Bytes{});
}

std::filesystem::path UnitStore::file(int k) const {
    return dir_ / ("memory-" + std::string(k < 10 ? "0" : "") + std::to_string(k) + ".bin");
}

void UnitStore::save(const std::filesystem::path& path, const Bytes& data) const {
    if (dir_.empty()) return;
    // Through a temporary file, so that a stopped unit never leaves half a memory behind.
    auto tmp = path;
    tmp += ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
        if (!out) return;
    }
    std::error_code ec;
    std::filesystem::rename(tmp, path, ec);
}

void UnitStore::storeMemory(int k, std::span<const std::uint8_t> data) {
    auto& m = memories_[static_cast<std::size_t>(k - 1)];
    m = Bytes(data.begin(), data.end());
    save(file(k), *m);
}

void UnitStore::storeFirmware(std::span<const std::uint8_t> data) {
    firmware_.assign(data.begin(), data.end());
    save(dir_ / "dsp-operating-system.bin", firmware_);
}

std::optional<Bytes> UnitStore::readBack(int k) const {
    if (k < 1 || k > kMemories) return std::nullopt;
    if (const auto& m = memory(k)) return *m;
    if (empty_) return std::nullopt;
    return factoryProgram(k, modelCode_);
}

}  // namespace vela::sim
