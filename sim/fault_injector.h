// Fault injection of one board: let `skip` transfers pass, then fail the
// next `count` with a chosen driver error.  Every transfer of any kind
// (control, bulk, pipe abort) counts.  Thread-safe.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>

namespace mirbax::sim {

class FaultInjector {
 public:
  // A count of kForever fails every transfer after the skipped ones until
  // the next Arm; a count of 0 disarms.
  static constexpr uint32_t kForever = 0xFFFFFFFFu;

  void Arm(uint32_t skip, uint32_t count, uint32_t error);

  // Called once per transfer: the error it must fail with, if any.
  std::optional<uint32_t> NextTransfer();

 private:
  std::mutex mutex_;
  uint32_t skip_ = 0;
  uint32_t remaining_ = 0;
  uint32_t error_ = 0;
};

}  // namespace mirbax::sim
