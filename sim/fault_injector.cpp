#include "sim/fault_injector.h"

namespace mirbax::sim {

void FaultInjector::Arm(uint32_t skip, uint32_t count, uint32_t error) {
  std::lock_guard lock(mutex_);
  skip_ = count == 0 ? 0 : skip;
  remaining_ = count;
  error_ = error;
}

std::optional<uint32_t> FaultInjector::NextTransfer() {
  std::lock_guard lock(mutex_);
  if (remaining_ == 0) return std::nullopt;
  if (skip_ > 0) {
    --skip_;
    return std::nullopt;
  }
  if (remaining_ != kForever) --remaining_;
  return error_;
}

}  // namespace mirbax::sim
