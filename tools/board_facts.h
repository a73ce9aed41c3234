// What a subcommand needs to know about its board before a call: the entry
// the device option resolves to and the sizes QueryDeviceInfo reports.
#pragma once

#include <cstdint>
#include <string>

namespace mirbax::tool {

struct BoardFacts {
  uint32_t entry = 0;
  uint32_t pid = 0;
  uint32_t dioBytes = 0;
  uint32_t counterBlocks = 0;
};

// 0 and the facts, or the failing library call's code (named in `function`).
uint32_t QueryBoard(uint32_t device, BoardFacts &facts, std::string &function);

}  // namespace mirbax::tool
