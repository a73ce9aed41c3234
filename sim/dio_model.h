// Digital I/O model of the simulated boards: the digital lines, their
// set-up and the digital extensions of the newer firmware.
//
// Lines.  A line reads its output latch when it is an output and the
// outputs are not tristated, else its input level (MIRBAXSIM_SetDigitalInputs).
// Directions: one bit per line on boards with at least 8 direction bits per
// byte, else one bit per byte.  Any tristate bit set floats every output.
//
// Requests answered:
//   0x10 write: the output latches (D bytes); with no data stage, the
//        single-bit write (value: 0 clears, else sets; index: the line),
//        which the board takes only when its capability record reports
//        HasDIOWrite1 (the record's 15 bytes valid, last byte non-zero)
//   0x11 read: the line levels
//   0x12 write: outputs, directions and change-of-state mask (value != 0
//        floats the outputs), or with index = D outputs, directions and the
//        tristate mask
//   0x13 read: directions, then the tristate mask
//   0x1F write: the masked set-up (each mask selects the bits to change)
//   0x14 read: the latches (no-latch, low, high bytes), cleared by the read
//   0x15 read: the debounced inputs (the input levels)
//   0x18 write index 0x0100: the debounce count (value); read index 0x0101:
//        per byte the debounced level, then the raw level
//   0x3C general registers 0x51 debounce table, 0x63 latch divisor, 0x71 PWM
//        record, 0x81 automap table, 0x82 automap clear, 0x84 automap entry
//   0xC0/0xC1: SPI register write/read (index = address * 256 + register)
//   0xC4: the synchronization set-up, as sent
//   0x8C: the combined DAC and digital write (sets the output latches; the
//        DAC counts are kept in "dacdio_counts")
// The watchdog (register 0x41, request 0x2E) lives in watchdog_model.cpp.
//
// Regions (MIRBAXSIM_Peek/Poke): "dio_outputs" (D), "dio_inputs" (D),
// "dio_directions" (M), "dio_tristates" (4), "dio_latches" (3 * D: no, low,
// high), "debounce_table" (1024), "automap_table" (64), "pwm_record" (18),
// "spi" (65536), "dacdio_counts" (2 * 16), "watchdog_config" (2 + 1024),
// "watchdog_status" (16).
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace mirbax::sim {

class Board;

inline constexpr uint32_t kMaxTristateBytes = 4;
inline constexpr uint32_t kDebounceTableBytes = 1024;
inline constexpr uint32_t kAutomapTableBytes = 64;
inline constexpr uint32_t kPwmRecordBytes = 18;
inline constexpr uint32_t kWatchdogTableBytes = 1024;
inline constexpr uint32_t kWatchdogStatusBytes = 16;

// The digital state of one board; the board's lock guards it.  Sized when
// the board is built and never resized (regions point into it).
struct DioState {
  uint32_t bytes = 0;       // D
  uint32_t configBits = 0;  // direction-control bits
  std::vector<uint8_t> outputs, inputs, directions, changeOfState;
  std::array<uint8_t, kMaxTristateBytes> tristates{};
  std::vector<uint8_t> latches;  // 3 * D: no-latch, low, high
  uint16_t debounceCounts = 0;
  uint8_t latchDivisor = 0;
  std::array<uint8_t, kDebounceTableBytes> debounceTable{};
  std::array<uint8_t, kAutomapTableBytes> automapTable{};
  uint32_t automapBytes = 0;
  std::array<uint8_t, kPwmRecordBytes> pwmRecord{};
  std::vector<uint8_t> spi = std::vector<uint8_t>(65536);
  std::array<uint8_t, 32> dacdioCounts{};
  // Watchdog: the configuration record as sent; the status reports the
  // timeout (bytes 0-1) and the number of pets (bytes 2-3).
  std::array<uint8_t, 2 + kWatchdogTableBytes> watchdogConfig{};
  std::array<uint8_t, kWatchdogStatusBytes> watchdogStatus{};
};

// Registers the digital requests and regions of `board`; runs while the
// board is built.
void RegisterDioRequests(Board &board);
void RegisterDioExtensionRequests(Board &board);
void RegisterWatchdogRequests(Board &board);

// The levels the lines show now (D bytes).
std::vector<uint8_t> DioLineLevels(const DioState &dio);

// MIRBAXSIM_SetDigitalInputs, called with the board's lock held.  Returns 0,
// or 87 for a size beyond the board's lines.
uint32_t DioSetDigitalInputs(Board &board, std::span<const uint8_t> levels);

}  // namespace mirbax::sim
