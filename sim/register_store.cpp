#include "sim/register_store.h"

#include <cstring>
#include <stdexcept>

#include "protocol/frame.h"
#include "protocol/value_codec.h"

namespace kravent::sim {

RegisterStore::RegisterStore() {
    FillDefaultRegisters(values_);
    user_ = values_;
    factory_ = values_;
}

std::size_t RegisterStore::IndexOf(std::string_view name) {
    const int index = RegisterIndex(name);
    if (index == kNoIndex) throw std::invalid_argument("unknown register name");
    return static_cast<std::size_t>(index);
}

int RegisterStore::Read(std::uint8_t address, std::uint8_t* out) const {
    const int index = RegisterIndex(address);
    if (index == kNoIndex) return -1;
    const int size = WireSize(kRegisters[static_cast<std::size_t>(index)].encoding);
    std::lock_guard lock(mutex_);
    std::memcpy(out, values_[static_cast<std::size_t>(index)].data(), static_cast<std::size_t>(size));
    return size;
}

bool RegisterStore::Write(std::uint8_t address, const std::uint8_t* in, std::size_t size) {
    const int index = RegisterIndex(address);
    if (index == kNoIndex) return false;
    if (static_cast<std::size_t>(WireSize(kRegisters[static_cast<std::size_t>(index)].encoding)) != size) return false;
    std::lock_guard lock(mutex_);
    std::memcpy(values_[static_cast<std::size_t>(index)].data(), in, size);
    return true;
}

std::int32_t RegisterStore::GetInt(std::string_view name) const {
    const std::size_t i = IndexOf(name);
    std::int32_t value = 0;
    std::lock_guard lock(mutex_);
    wire::DecodeValue(kRegisters[i].encoding, values_[i].data(), &value);
    return value;
}

void RegisterStore::SetInt(std::string_view name, std::int32_t value) {
    const std::size_t i = IndexOf(name);
    std::lock_guard lock(mutex_);
    wire::EncodeValue(kRegisters[i].encoding, &value, values_[i].data());
}

float RegisterStore::GetFloat(std::string_view name) const {
    const std::size_t i = IndexOf(name);
    float value = 0;
    std::lock_guard lock(mutex_);
    wire::DecodeValue(Encoding::Fixed16_16, values_[i].data(), &value);
    return value;
}

void RegisterStore::SetFloat(std::string_view name, float value) {
    const std::size_t i = IndexOf(name);
    std::lock_guard lock(mutex_);
    wire::EncodeValue(Encoding::Fixed16_16, &value, values_[i].data());
}

std::uint32_t RegisterStore::GetWord(std::string_view name) const {
    const std::size_t i = IndexOf(name);
    std::lock_guard lock(mutex_);
    return wire::GetU32(values_[i].data());
}

void RegisterStore::SetWord(std::string_view name, std::uint32_t value) {
    const std::size_t i = IndexOf(name);
    std::lock_guard lock(mutex_);
    wire::PutU32(values_[i].data(), value);
}

WireValue RegisterStore::GetRaw(std::string_view name) const {
    const std::size_t i = IndexOf(name);
    std::lock_guard lock(mutex_);
    return values_[i];
}

void RegisterStore::SetRaw(std::string_view name, const WireValue& value) {
    const std::size_t i = IndexOf(name);
    std::lock_guard lock(mutex_);
    values_[i] = value;
}

void RegisterStore::RaiseWarnings(std::uint32_t bits) {
    static const std::size_t i = IndexOf("WARNINGS");
    std::lock_guard lock(mutex_);
    wire::PutU32(values_[i].data(), wire::GetU32(values_[i].data()) | bits);
}

bool RegisterStore::IsParameter(const RegisterInfo& reg) {
    if (reg.write != Write::Value) return false;
    static constexpr std::string_view kState[] = {"WARNINGS", "IPADDRESS", "SUBNETMASK", "REGULATIONMODE",
                                                  "INPUT", "POSITION", "INTEGRALDELTA"};
    for (std::string_view name : kState)
        if (reg.name == name) return false;
    return true;
}

void RegisterStore::CopyParameters(const Values& from, Values& to) {
    for (std::size_t i = 0; i < kRegisters.size(); ++i)
        if (IsParameter(kRegisters[i])) to[i] = from[i];
}

void RegisterStore::SaveUserParameters() {
    std::lock_guard lock(mutex_);
    CopyParameters(values_, user_);
}
void RegisterStore::RestoreUserParameters() {
    std::lock_guard lock(mutex_);
    CopyParameters(user_, values_);
}
void RegisterStore::SaveFactoryParameters() {
    std::lock_guard lock(mutex_);
    CopyParameters(values_, factory_);
}
void RegisterStore::RestoreFactoryParameters() {
    std::lock_guard lock(mutex_);
    CopyParameters(factory_, values_);
}

}  // namespace kravent::sim
