// The board registers the digital extensions and the watchdog are set
// through: the index of a VRQ_GEN_REGISTER write selects the register, its
// data stage carries the contents.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "core/caller_memory.h"
#include "core/transport.h"

namespace mirbax {

enum : uint16_t {
  kRegWatchdog = 0x41,
  kRegDebounceTable = 0x51,
  kRegLatchDivisor = 0x63,
  kRegPWMTable = 0x71,
  kRegAutomapTable = 0x81,
  kRegAutomapClear = 0x82,
  kRegAutomapEntry = 0x84,
};

inline uint32_t WriteRegister(uint32_t di, uint16_t reg, std::span<const uint8_t> contents) {
  return _GenericVendorWrite(di, VRQ_GEN_REGISTER, 0, reg, uint32_t(contents.size()),
                             contents.data());
}

// The guarded copy of a caller table into `table` (998 when unreadable).
inline uint32_t CopyCallerTable(std::vector<uint8_t> &table, const void *pTable, uint32_t size) {
  table.resize(size);
  return CopyFromCaller(table.data(), pTable, size);
}

}  // namespace mirbax
