#include "sim/adc_model.h"

#include "sim/board.h"
#include "sim/errors.h"

namespace mirbax::sim {

void RegisterAdcRequests(Board &) {}

uint32_t AdcSetAnalogInput(Board &, uint32_t, uint16_t) { return kErrorNotSupported; }

}  // namespace mirbax::sim
