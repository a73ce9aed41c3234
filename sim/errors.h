// The Windows-style codes the simulated boards and their drivers give.
#pragma once

#include <cstdint>

namespace mirbax::sim {

inline constexpr uint32_t kOk = 0;
inline constexpr uint32_t kErrorInvalidFunction = 1;  // the driver has no such call
inline constexpr uint32_t kErrorFileNotFound = 2;     // no such path or board
inline constexpr uint32_t kErrorAccessDenied = 5;     // path already open exclusively
inline constexpr uint32_t kErrorInvalidHandle = 6;    // closed or unknown handle
inline constexpr uint32_t kErrorGenFailure = 31;      // the device stalled the request
inline constexpr uint32_t kErrorNotSupported = 50;    // the board model lacks it
inline constexpr uint32_t kErrorInvalidParameter = 87;
inline constexpr uint32_t kErrorSemTimeout = 121;  // a bulk transfer timed out
inline constexpr uint32_t kErrorInsufficientBuffer = 122;
inline constexpr uint32_t kErrorNoMoreItems = 259;       // pipe or setting index past the end
inline constexpr uint32_t kErrorOperationAborted = 995;  // the pipe was aborted
inline constexpr uint32_t kErrorDeviceNotConnected = 1167;

}  // namespace mirbax::sim
