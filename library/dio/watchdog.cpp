// The watchdog of the newer firmware (register 0x41): a timeout in whole
// seconds with a table of the board's own format, the status the board
// reports, and the pet that keeps it from expiring (reading the status).
#include <cmath>
#include <stdexcept>
#include <vector>

#include "core/caller_memory.h"
#include "core/frame.h"
#include "core/transport.h"
#include "dio/registers.h"

namespace mirbax {
namespace {

constexpr uint32_t kMaxWatchdogBytes = 1024;  // table and status alike
constexpr uint32_t kPetReplyBytes = 2;

// Whole seconds, 0 to 65535, to nearest with ties to even.
uint16_t TimeoutSeconds(double seconds) {
  if (std::isnan(seconds)) throw std::domain_error("watchdog timeout is not a number");
  if (seconds <= 0) return 0;
  if (seconds >= 0xFFFF) return 0xFFFF;
  return uint16_t(std::nearbyint(seconds));
}

uint32_t ReadStatus(uint32_t di, std::vector<uint8_t> &status, uint32_t &received) {
  received = uint32_t(status.size());
  const uint32_t result =
      _GenericVendorRead(di, VRQ_WDG_STATUS, 0, kRegWatchdog, received, status.data());
  if (result != ERROR_SUCCESS) received = 0;  // a failed read delivered nothing
  return result;
}

}  // namespace
}  // namespace mirbax

using namespace mirbax;

MIRBAX_EXPORT uint32_t WDG_SetConfig(uint32_t DeviceIndex, const double *pTimeoutSeconds,
                                     const void *pWDGTable, const uint32_t *pWDGTableBytes) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &) -> uint32_t {
    if (const uint32_t result = CheckFirmware20(di)) return result;
    const uint16_t timeout = TimeoutSeconds(ReadCaller(pTimeoutSeconds));
    const uint32_t tableBytes = ReadCaller(pWDGTableBytes);
    if (tableBytes > kMaxWatchdogBytes) return ERROR_BAD_LENGTH;

    // Timeout (little-endian), then the table as given.
    std::vector<uint8_t> record(2 + tableBytes);
    record[0] = uint8_t(timeout);
    record[1] = uint8_t(timeout >> 8);
    if (const uint32_t fault = CopyFromCaller(record.data() + 2, pWDGTable, tableBytes))
      return fault;
    return WriteRegister(di, kRegWatchdog, record);
  });
}

MIRBAX_EXPORT uint32_t WDG_GetStatus(uint32_t DeviceIndex, void *pStatus,
                                     uint32_t *pStatusBytes) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &) -> uint32_t {
    if (const uint32_t result = CheckFirmware20(di)) return result;
    const uint32_t room = ReadCaller(pStatusBytes);
    if (room > kMaxWatchdogBytes) return ERROR_BAD_LENGTH;
    std::vector<uint8_t> status(room);
    if (const uint32_t fault = CopyFromCaller(status.data(), pStatus, room)) return fault;

    uint32_t received = 0;
    const uint32_t result = ReadStatus(di, status, received);
    if (const uint32_t fault = CopyToCaller(pStatus, status.data(), received)) return fault;
    WriteCaller(pStatusBytes, received);
    return result;
  });
}

MIRBAX_EXPORT uint32_t WDG_Pet(uint32_t DeviceIndex, uint32_t PetFlag) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &) -> uint32_t {
    if (const uint32_t result = CheckFirmware20(di)) return result;
    if (PetFlag != 0) return ERROR_INVALID_FLAG_NUMBER;
    std::vector<uint8_t> discarded(kPetReplyBytes);
    uint32_t received = 0;
    return ReadStatus(di, discarded, received);
  });
}
