// The simulated module's registers, held as wire bytes (big-endian, in each
// register's encoding) so that answers copy them out and writes copy them in.
// Every access is locked: TCP connections, the UDP service and tests share one store.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string_view>

#include "protocol/register_map.h"

namespace kravent::sim {

inline constexpr std::size_t kMaxValueSize = 16;  // MODULENAME, the widest register
using WireValue = std::array<std::uint8_t, kMaxValueSize>;

class RegisterStore {
public:
    RegisterStore();  // every register at its default (see register_defaults.cpp)

    // Copies the value of the register at `address` to `out`; returns its size, or
    // -1 for an address the map does not hold.
    int Read(std::uint8_t address, std::uint8_t* out) const;
    // Stores `size` wire bytes as the register's value; false for an unknown address
    // or a size that does not match the register.
    bool Write(std::uint8_t address, const std::uint8_t* in, std::size_t size);

    // Typed access by register name (the name must be in the map). Integers serve
    // the byte and signed 32 encodings, floats fixed 16.16, words bit sets and
    // homing options.
    std::int32_t GetInt(std::string_view name) const;
    void SetInt(std::string_view name, std::int32_t value);
    float GetFloat(std::string_view name) const;
    void SetFloat(std::string_view name, float value);
    std::uint32_t GetWord(std::string_view name) const;
    void SetWord(std::string_view name, std::uint32_t value);
    WireValue GetRaw(std::string_view name) const;
    void SetRaw(std::string_view name, const WireValue& value);

    // Warning bits are latched: conditions only set them, a write clears them.
    void RaiseWarnings(std::uint32_t bits);

    // Snapshots of the parameters (the writable registers other than the motion
    // state, the warnings and the network settings).
    void SaveUserParameters();
    void RestoreUserParameters();
    void SaveFactoryParameters();
    void RestoreFactoryParameters();

    static bool IsParameter(const RegisterInfo& reg);

private:
    using Values = std::array<WireValue, kRegisters.size()>;
    static std::size_t IndexOf(std::string_view name);
    static void CopyParameters(const Values& from, Values& to);

    mutable std::mutex mutex_;
    Values values_{};
    Values user_{};
    Values factory_{};
};

// Fills `values` with the defaults of a fresh module.
void FillDefaultRegisters(std::array<WireValue, kRegisters.size()>& values);

}  // namespace kravent::sim
