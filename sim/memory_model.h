// Board memory model of the simulated boards, beyond the EEPROM and the
// controller RAM the base keeps:
//
//   0xB5  VRQ_FLASH_READWRITE    the 2 MiB flash (boards with flash sectors):
//                                byte address = (index * 65536 + value) * 2;
//                                a write can only clear bits, as NOR flash
//                                programs, so rewriting needs an erase first
//   0xFC  VRQ_DEBUG_FLASH_ERASE  sets the 64 KiB sector `index` to 0xFF
//   0x3C  VRQ_GEN_REGISTER       general registers, told apart by the index
//                                (boards of the newer firmware generation):
//                                0x10 save state as defaults, 0x11 restore
//                                factory defaults, 0x20 read and 0x22 write
//                                the defaults table (the changing ones need
//                                the magic value 0x7E39), 0x8001 the global
//                                tick; other families add their own indexes
//                                with RegisterGeneralRegister
//   0x34, 0x35, 0x36, 0x38       clear the FIFO: drop the data queued on the
//                                bulk IN pipes
//   0xB4  VRQ_GEN_STREAM_STATUS  the 32-bit stream status word
//
// Regions: "flash" (2 MiB, erased bytes 0xFF; boards with flash only),
// "defaults" (the 1024-byte defaults table), "settings" (the board's current
// settings, which "save state as defaults" copies into the table).
// Options: "stream_status" (the status word reported), "stream_status_bytes"
// (how many of its 4 bytes the board sends, default 4).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include "sim/control_request.h"

namespace mirbax::sim {

class Board;

inline constexpr uint8_t kRequestGenClearFifoNext = 0x34;
inline constexpr uint8_t kRequestGenClearFifo = 0x35;
inline constexpr uint8_t kRequestGenClearFifoWait = 0x36;
inline constexpr uint8_t kRequestGenAbortAndClear = 0x38;
inline constexpr uint8_t kRequestGenRegister = 0x3C;
inline constexpr uint8_t kRequestGenStreamStatus = 0xB4;
inline constexpr uint8_t kRequestFlashReadWrite = 0xB5;
inline constexpr uint8_t kRequestFlashErase = 0xFC;

inline constexpr uint32_t kFlashSize = 0x200000;
inline constexpr uint32_t kFlashSectorSize = 0x10000;
inline constexpr uint32_t kDefaultsTableSize = 1024;
inline constexpr uint16_t kDefaultsMagic = 0x7E39;
inline constexpr uint16_t kGenRegSaveDefaults = 0x10;
inline constexpr uint16_t kGenRegRestoreDefaults = 0x11;
inline constexpr uint16_t kGenRegReadDefaults = 0x20;
inline constexpr uint16_t kGenRegWriteDefaults = 0x22;
inline constexpr uint16_t kGenRegGlobalTick = 0x8001;

// Runs when the host clears the FIFO (request: the clear request's code),
// with the board's lock held: lets a streaming model drop what it holds.
using FifoClearHook = std::function<void(Board &board, uint8_t request)>;

// The memory state of one board; the board's lock guards it.
struct MemoryState {
  uint32_t flashSectors = 0;
  std::vector<uint8_t> flash;  // kFlashSize bytes on boards with flash, else empty
  uint32_t flashErases = 0;    // sector erases so far

  using DefaultsTable = std::array<uint8_t, kDefaultsTableSize>;
  DefaultsTable defaultsTable{};
  DefaultsTable factoryDefaults{};
  DefaultsTable settings{};  // the current settings "save state" stores

  // The global tick: the divisor D of the 12 MHz processor clock the host
  // last set (65535 - the value sent); 65535 until then.
  uint16_t globalTickDivisor = 65535;

  uint32_t fifoClears = 0;
  uint8_t lastFifoClear = 0;  // the request code of the last clear
  std::vector<FifoClearHook> fifoClearHooks;

  // The general registers of the other families, by index.
  std::map<uint16_t, RequestHandler> generalRegisters;
};

// Registers the memory requests, regions and options of `board`; runs while
// the board is built.
void RegisterMemoryRequests(Board &board);

// Adds a general register (VRQ_GEN_REGISTER with that index) answered by
// `handler`; only while the board is built, before or after the memory
// model.  Throws std::logic_error for an index taken already.
void RegisterGeneralRegister(Board &board, uint16_t index, RequestHandler handler);

// Adds a hook run at every FIFO clear; only while the board is built.
void OnFifoClear(Board &board, FifoClearHook hook);

// The global tick rate the host set, in Hz (12 MHz / D); lock held.
double GlobalTickHz(const Board &board);

}  // namespace mirbax::sim
