// Per-channel DAC calibration tables in the board's flash.
//
// Channel c's table is 65536 little-endian 16-bit counts at flash address
// c * 131072, filling the two 64 KiB sectors 2c and 2c + 1.
#include <bit>
#include <string>

#include "core/caller_memory.h"
#include "core/frame.h"
#include "core/transport.h"
#include "dac/dac_calibration.h"

namespace mirbax {

namespace {

// Both names select the identity mapping; they are matched exactly.
bool NamesIdentityTable(const std::string &name) { return name == ":1TO1:" || name == ":NONE:"; }

uint32_t EraseChannelTable(uint32_t DeviceIndex, uint32_t Channel) {
  const int32_t first = int32_t(2 * Channel);
  for (const int32_t sector : {first, first + 1})
    if (const uint32_t result = ::MIRBAX_FlashEraseSector(DeviceIndex, sector)) return result;
  return ERROR_SUCCESS;
}

uint32_t LoadTableFromFile(uint32_t DeviceIndex, uint32_t Channel, const std::string &path) {
  TDACCalibrationTable table;
  {
    std::string content;  // released before the flash is touched
    if (const uint32_t result = ReadDACCalibrationFile(path, content)) return result;
    if (const uint32_t result = ParseDACCalibration(content, table)) return result;
  }
  static_assert(std::endian::native == std::endian::little, "the table is stored little-endian");
  if (const uint32_t result = EraseChannelTable(DeviceIndex, Channel)) return result;
  return ::MIRBAX_FlashWrite(DeviceIndex, Channel * kDACCalibrationTableBytes,
                             kDACCalibrationTableBytes, table.data());
}

uint32_t SetChannelCal(uint32_t DeviceIndex, TDeviceData &device, uint32_t Channel,
                       const char *CalFileName) {
  if (device.FlashSectors == 0 || !device.bDACChannelCal) return ERROR_BAD_TOKEN_TYPE;
  if (Channel >= device.ImmDACs) return ERROR_INVALID_ADDRESS;
  const std::string name = ReadCallerString(CalFileName);
  if (!NamesIdentityTable(name)) return LoadTableFromFile(DeviceIndex, Channel, name);
  if (const uint32_t result = EraseChannelTable(DeviceIndex, Channel)) return result;
  return _GenericVendorWrite(DeviceIndex, VRQ_DEBUG_FLASH_1TO1, 0, uint16_t(Channel), 0, nullptr);
}

}  // namespace

}  // namespace mirbax

using namespace mirbax;

MIRBAX_EXPORT uint32_t DACSetChannelCal(uint32_t DeviceIndex, uint32_t Channel,
                                        const char *CalFileName) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) {
    return SetChannelCal(di, device, Channel, CalFileName);
  });
}
