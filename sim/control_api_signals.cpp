// The control API: the board's inputs and outputs (analog, digital, DAC) and
// its bulk pipes.
#include <cstring>

#include "mirbax_sim.h"
#include "sim/control_api_support.h"

using namespace mirbax::sim;

MIRBAXSIM_EXPORT uint32_t MIRBAXSIM_SetAnalogInput(uint32_t board, uint32_t channel,
                                                   uint16_t counts) {
  return WithBoard(board, [&](Board &found) {
    auto lock = found.Lock();
    return AdcSetAnalogInput(found, channel, counts);
  });
}

MIRBAXSIM_EXPORT uint32_t MIRBAXSIM_SetDigitalInputs(uint32_t board, const uint8_t *data,
                                                     uint32_t size) {
  return WithBoard(board, [&](Board &found) -> uint32_t {
    if (!data && size > 0) return kErrorInvalidParameter;
    auto lock = found.Lock();
    return DioSetDigitalInputs(found, std::span<const uint8_t>(data, size));
  });
}

MIRBAXSIM_EXPORT uint32_t MIRBAXSIM_GetDACOutput(uint32_t board, uint32_t channel,
                                                 uint16_t *pCounts) {
  return WithBoard(board, [&](Board &found) -> uint32_t {
    if (!pCounts) return kErrorInvalidParameter;
    auto lock = found.Lock();
    return DacGetOutput(found, channel, *pCounts);
  });
}

MIRBAXSIM_EXPORT uint32_t MIRBAXSIM_WriteBulkIn(uint32_t board, uint32_t pipe, const void *data,
                                                uint32_t size) {
  return WithBoard(board, [&](Board &found) -> uint32_t {
    BulkInPipe *in = pipe <= 0xFF ? found.InPipe(static_cast<uint8_t>(pipe)) : nullptr;
    if (!in || (!data && size > 0)) return kErrorInvalidParameter;
    in->Queue(std::span(static_cast<const uint8_t *>(data), size));
    return kOk;
  });
}

MIRBAXSIM_EXPORT uint32_t MIRBAXSIM_ReadBulkOut(uint32_t board, uint32_t pipe, void *data,
                                                uint32_t *pSize) {
  return WithBoard(board, [&](Board &found) -> uint32_t {
    BulkOutPipe *out = pipe <= 0xFF ? found.OutPipe(static_cast<uint8_t>(pipe)) : nullptr;
    if (!out || !pSize || (!data && *pSize > 0)) return kErrorInvalidParameter;
    std::size_t recorded = 0;
    std::optional<std::vector<uint8_t>> taken = out->TakeRecord(*pSize, recorded);
    *pSize = static_cast<uint32_t>(recorded);
    if (!taken) return kErrorInsufficientBuffer;
    if (!taken->empty()) std::memcpy(data, taken->data(), taken->size());
    return kOk;
  });
}
