// The requests every simulated board answers, whatever its family:
//   0x06  VRQ_GET_DESCRIPTOR (vendor, 0xC0) and the standard GET_DESCRIPTOR
//         (0x80): device descriptor (value 0x0100), strings (0x0300 + i)
//   0xA0  CUR_RAM_WRITE: controller memory at address = value (0xE600 is
//         the CPU control register)
//   0xA2  CUR_EEPROM_READWRITE: EEPROM at address = value
//   0xA3  CUR_RAM_READ: controller memory at address = value; at 0x8000
//         with index 1, the firmware identification (generation probe)
//   0x3F  VRQ_PNP_DATA: the capability record
// and the regions "eeprom", "ram" and "pnp".
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace mirbax::sim {

class Board;

inline constexpr uint8_t kRequestGetDescriptor = 0x06;
inline constexpr uint8_t kRequestPnpData = 0x3F;
inline constexpr uint8_t kRequestRamWrite = 0xA0;
inline constexpr uint8_t kRequestEepromReadWrite = 0xA2;
inline constexpr uint8_t kRequestRamRead = 0xA3;

inline constexpr uint32_t kEepromSize = 8192;
inline constexpr uint32_t kRamSize = 65536;
inline constexpr uint32_t kPnpSize = 15;
inline constexpr uint16_t kSerialNumberAddress = 0x1DF8;  // 8 bytes, little-endian
inline constexpr uint16_t kCpuControlAddress = 0xE600;    // 1 holds the CPU in reset
inline constexpr uint16_t kFirmwareIdAddress = 0x8000;    // read with index 1

// The state every board keeps; the board's lock guards it.
struct CoreState {
  std::vector<uint8_t> eeprom = std::vector<uint8_t>(kEepromSize);
  std::vector<uint8_t> ram = std::vector<uint8_t>(kRamSize);
  std::array<uint8_t, kPnpSize> pnp{};
  std::string productName;
};

// Registers the requests and regions above; runs while the board is built,
// before the families.  Also fills the defaults: the capability record from
// the product ID and the serial number from option "serial".
void RegisterCoreRequests(Board &board);

// The capability record a board of this product ID reports unless changed.
std::array<uint8_t, kPnpSize> DefaultCapabilityRecord(uint16_t productId);

// Stores the serial number in the EEPROM (8 bytes, little-endian, at 0x1DF8).
void StoreSerialNumber(CoreState &core, uint64_t serial);

}  // namespace mirbax::sim
