// The control API of the analog output and the digital stream.
#include <algorithm>

#include "mirbax_sim.h"
#include "sim/control_api_support.h"

using namespace mirbax::sim;

namespace {

// Moves all of `items` to `out` when there is room for them (they are then
// taken from the board), else stores the count needed with 122.
template <typename Item, typename Convert>
uint32_t TakeAll(std::vector<Item> &items, uint32_t *pCount, Convert convert) {
  if (pCount == nullptr) return kErrorInvalidParameter;
  const auto needed = uint32_t(items.size());
  if (*pCount < needed) {
    *pCount = needed;
    return kErrorInsufficientBuffer;
  }
  for (uint32_t i = 0; i < needed; ++i) convert(i, items[i]);
  items.clear();
  *pCount = needed;
  return kOk;
}

}  // namespace

MIRBAXSIM_EXPORT uint32_t MIRBAXSIM_ReadDACFifo(uint32_t board, MIRBAXSIM_DACFifoEntry *entries,
                                                uint32_t *pCount) {
  return WithBoard(board, [&](Board &found) -> uint32_t {
    auto lock = found.Lock();
    if (found.dac.kind != DacKind::WaveformFifo) return kErrorNotSupported;
    if (pCount && *pCount > 0 && !entries) return kErrorInvalidParameter;
    return TakeAll(found.dac.fifo, pCount, [&](uint32_t i, const DacFifoEntry &entry) {
      entries[i] = {entry.word, entry.divisor, uint8_t(entry.started), uint8_t(entry.interlock), 0};
    });
  });
}

MIRBAXSIM_EXPORT uint32_t MIRBAXSIM_GetDACState(uint32_t board, MIRBAXSIM_DACState *pState) {
  return WithBoard(board, [&](Board &found) -> uint32_t {
    if (!pState) return kErrorInvalidParameter;
    auto lock = found.Lock();
    const DacState &dac = found.dac;
    if (dac.kind == DacKind::None) return kErrorNotSupported;
    *pState = {dac.rangeCode, dac.divisor,  uint32_t(dac.started), uint32_t(dac.interlock),
               dac.prepares,  dac.dataPointerResets, dac.slowWaveSetup};
    return kOk;
  });
}

MIRBAXSIM_EXPORT uint32_t MIRBAXSIM_GetDigitalStreamState(uint32_t board,
                                                          MIRBAXSIM_DigitalStreamState *pState) {
  return WithBoard(board, [&](Board &found) -> uint32_t {
    if (!pState) return kErrorInvalidParameter;
    auto lock = found.Lock();
    const DigitalStreamState &stream = found.dac.stream;
    if (!stream.present) return kErrorNotSupported;
    *pState = {uint32_t(stream.direction), stream.disables, StreamWriteHz(stream),
               StreamReadHz(stream)};
    return kOk;
  });
}

MIRBAXSIM_EXPORT uint32_t MIRBAXSIM_ReadDigitalStream(uint32_t board, uint16_t *words,
                                                      uint32_t *pCount) {
  return WithBoard(board, [&](Board &found) -> uint32_t {
    auto lock = found.Lock();
    if (!found.dac.stream.present) return kErrorNotSupported;
    if (pCount && *pCount > 0 && !words) return kErrorInvalidParameter;
    return TakeAll(found.dac.stream.received, pCount,
                   [&](uint32_t i, uint16_t word) { words[i] = word; });
  });
}
