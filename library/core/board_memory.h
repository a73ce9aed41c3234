// The board's memories as the library addresses them: the EEPROM map, the
// flash and its sectors, the defaults table, and the global tick.
//
// EEPROM (request CUR_EEPROM_READWRITE, address = value, index 0):
//   0x1D00  33 bytes   DAC range-limit block
//   0x1DF2   2 bytes   ADC high reference
//   0x1DF8   8 bytes   serial number, little-endian (0 or all ones: none)
//   0x1E00 256 bytes   custom area (custom addresses 0 to 255)
// Flash (models with FlashSectors > 0): 2 MiB in 16-bit words, 64 KiB
// sectors, moved in blocks of at most 4096 bytes; request
// VRQ_FLASH_READWRITE with value = word address mod 65536 and index = word
// address div 65536.
#pragma once

#include <cstdint>

namespace mirbax {

inline constexpr uint16_t kDACRangeLimitAddress = 0x1D00;
inline constexpr uint16_t kADCHighRefAddress = 0x1DF2;
inline constexpr uint16_t kSerialNumberAddress = 0x1DF8;
inline constexpr uint16_t kCustomEEPROMAddress = 0x1E00;
inline constexpr uint32_t kCustomEEPROMSize = 256;
inline constexpr uint32_t kCustomEEPROMBlockSize = 32;

inline constexpr uint32_t kFlashSize = 0x200000;
inline constexpr uint32_t kFlashSectorSize = 0x10000;
inline constexpr uint32_t kFlashBlockSize = 4096;

inline constexpr uint32_t kDefaultsTableMaxSize = 1024;
inline constexpr uint16_t kDefaultsMagic = 0x7E39;
inline constexpr uint16_t kGenRegSaveDefaults = 0x10;
inline constexpr uint16_t kGenRegRestoreDefaults = 0x11;
inline constexpr uint16_t kGenRegReadDefaults = 0x20;
inline constexpr uint16_t kGenRegWriteDefaults = 0x22;
inline constexpr uint16_t kGenRegGlobalTick = 0x8001;

// The USB controller's CPU control register (request CUR_RAM_WRITE, address
// = value): 1 holds the CPU in reset, 0 lets it run.
inline constexpr uint16_t kCpuControlRegister = 0xE600;

// The board's processor clock, which the global tick divides.
inline constexpr double kCPUHz = 12'000'000.0;

// Sets the board's global tick as close to `Hz` as its divisor allows and
// replaces `Hz` by the rate obtained: 0 Hz stops the tick (divisor 65535 is
// sent as 0); rates below 12 MHz / 65535 give that rate, rates above 12 MHz
// give 12 MHz.  A negative, infinite or not-a-number rate is refused with
// ERROR_INVALID_PARAMETER (87) before anything is sent, and `Hz` is left as
// it was.  Takes an open device index; the caller has checked the firmware
// generation.  Otherwise the result of the write.
uint32_t WriteGlobalTick(uint32_t DeviceIndex, double &Hz);

}  // namespace mirbax
