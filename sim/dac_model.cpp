#include "sim/dac_model.h"

#include "sim/board.h"
#include "sim/errors.h"

namespace mirbax::sim {

void RegisterDacRequests(Board &) {}

uint32_t DacGetOutput(Board &, uint32_t, uint16_t &) { return kErrorNotSupported; }

}  // namespace mirbax::sim
