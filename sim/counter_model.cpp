#include "sim/counter_model.h"

#include "sim/board.h"

namespace mirbax::sim {

void RegisterCounterRequests(Board &) {}

}  // namespace mirbax::sim
