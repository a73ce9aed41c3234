// The control API: direct access to the board memory regions.
#include <cstring>

#include "mirbax_sim.h"
#include "sim/control_api_support.h"

using namespace mirbax::sim;

namespace {

// Finds the region and range a Poke or Peek works on; 0 or the error.
uint32_t Locate(Board &board, const char *name, uint32_t address, uint32_t size, const void *data,
                const Region *&region, std::span<uint8_t> &range) {
  if (!name || (!data && size > 0)) return kErrorInvalidParameter;
  region = board.regions().Find(name);
  if (!region) return kErrorInvalidParameter;
  const std::size_t regionSize = region->bytes.size();
  if (address > regionSize || size > regionSize - address) return kErrorInvalidParameter;
  range = region->bytes.subspan(address, size);
  return kOk;
}

}  // namespace

MIRBAXSIM_EXPORT uint32_t MIRBAXSIM_Poke(uint32_t board, const char *regionName, uint32_t address,
                                         const void *data, uint32_t size) {
  return WithBoard(board, [&](Board &found) -> uint32_t {
    const Region *region = nullptr;
    std::span<uint8_t> range;
    if (uint32_t error = Locate(found, regionName, address, size, data, region, range))
      return error;
    auto lock = found.Lock();
    if (size > 0) std::memcpy(range.data(), data, size);
    if (region->afterWrite) region->afterWrite(found, address, size);
    return kOk;
  });
}

MIRBAXSIM_EXPORT uint32_t MIRBAXSIM_Peek(uint32_t board, const char *regionName, uint32_t address,
                                         void *data, uint32_t size) {
  return WithBoard(board, [&](Board &found) -> uint32_t {
    const Region *region = nullptr;
    std::span<uint8_t> range;
    if (uint32_t error = Locate(found, regionName, address, size, data, region, range))
      return error;
    auto lock = found.Lock();
    if (size > 0) std::memcpy(data, range.data(), size);
    return kOk;
  });
}
