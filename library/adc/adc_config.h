// Moving the configuration block between the host and the board.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "core/device_table.h"

namespace mirbax {

// VRQ_ADC_GET_CONFIG into `block` (its size is the request length).
uint32_t ReadConfigBlock(uint32_t DeviceIndex, std::span<uint8_t> block);
// VRQ_ADC_SET_CONFIG of `block`.
uint32_t WriteConfigBlock(uint32_t DeviceIndex, std::span<const uint8_t> block);

// Reads the whole block (ConfigBytes), lets `change` edit it and writes it
// back; a failed read writes nothing.
uint32_t ReadModifyWriteConfig(uint32_t DeviceIndex, const TDeviceData &device,
                               const std::function<void(std::span<uint8_t>)> &change);

// Copies `size` bytes of caller memory; an unreadable area throws
// CallerMemoryFault (1359 from the guard).
std::vector<uint8_t> ReadCallerBytes(const void *callerSource, std::size_t size);

}  // namespace mirbax
