#include "sim/memory_model.h"

#include "sim/board.h"

namespace mirbax::sim {

void RegisterMemoryRequests(Board &) {}

}  // namespace mirbax::sim
