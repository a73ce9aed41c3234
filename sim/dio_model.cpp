#include "sim/dio_model.h"

#include "sim/board.h"
#include "sim/errors.h"

namespace mirbax::sim {

void RegisterDioRequests(Board &) {}

uint32_t DioSetDigitalInputs(Board &, std::span<const uint8_t>) { return kErrorNotSupported; }

}  // namespace mirbax::sim
