#include "board_facts.h"

#include <cerrno>

#include "library_api.h"

namespace mirbax::tool {

uint32_t QueryBoard(uint32_t device, BoardFacts &facts, std::string &function) {
  facts.entry = ResolveDeviceIndex(device);
  if (facts.entry == diNone) {
    function = "ResolveDeviceIndex";
    return uint32_t(errno);
  }
  function = "QueryDeviceInfo";
  return QueryDeviceInfo(facts.entry, &facts.pid, nullptr, nullptr, &facts.dioBytes,
                         &facts.counterBlocks);
}

}  // namespace mirbax::tool
