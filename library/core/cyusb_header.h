// The CyUSB driver's 38-byte transfer header, placed in front of the data of
// a control transfer or sent alone for a bulk transfer.
#pragma once

#include <array>
#include <cstdint>

namespace mirbax {

inline constexpr uint32_t kCyHeaderSize = 38;
inline constexpr uint32_t CyBaseTimeout = 42;  // seconds

using CyHeader = std::array<uint8_t, kCyHeaderSize>;

// Header of an endpoint-0 control transfer of `length` data bytes.
CyHeader MakeCyControlHeader(uint8_t requestType, uint8_t request, uint16_t value, uint16_t index,
                             uint32_t length);

// Header of a bulk transfer on `pipeId`; the newer driver also takes the
// buffer length.
CyHeader MakeCyBulkHeader(uint8_t pipeId, uint32_t dataSize, bool newerDriver);

}  // namespace mirbax
