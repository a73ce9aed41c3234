// The control API of the counter model: counts, gate edges, and waits for
// the host's counter reads and gate reads (so tests wait on the board, never
// on the clock).
#include <chrono>

#include "mirbax_sim.h"
#include "sim/control_api_support.h"

using namespace mirbax::sim;

namespace {

constexpr uint32_t kErrorTimeout = 1460;

// Waits with the board's lock until `done()`; timeoutMs 0 waits without
// limit.
template <typename Done>
uint32_t WaitOnCounters(Board &board, std::unique_lock<std::mutex> &lock, uint32_t timeoutMs,
                        Done done) {
  if (timeoutMs == 0) {
    board.counters.changed.wait(lock, done);
    return kOk;
  }
  return board.counters.changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), done)
             ? kOk
             : kErrorTimeout;
}

}  // namespace

MIRBAXSIM_EXPORT uint32_t MIRBAXSIM_SetCounter(uint32_t board, uint32_t counter, uint16_t count,
                                               int32_t step) {
  return WithBoard(board, [&](Board &found) -> uint32_t {
    auto lock = found.Lock();
    if (counter >= found.counters.counters.size()) return kErrorInvalidParameter;
    found.counters.counters[counter].count = count;
    found.counters.counters[counter].step = step;
    return kOk;
  });
}

MIRBAXSIM_EXPORT uint32_t MIRBAXSIM_TriggerGate(uint32_t board, uint32_t gate) {
  return WithBoard(board, [&](Board &found) {
    auto lock = found.Lock();
    return CounterTriggerGate(found, gate);
  });
}

MIRBAXSIM_EXPORT uint32_t MIRBAXSIM_WaitForCounterReads(uint32_t board, uint32_t reads,
                                                        uint32_t timeoutMs) {
  return WithBoard(board, [&](Board &found) {
    auto lock = found.Lock();
    const uint64_t target = found.counters.readAlls + reads;
    return WaitOnCounters(found, lock, timeoutMs,
                          [&] { return found.counters.readAlls >= target; });
  });
}

MIRBAXSIM_EXPORT uint32_t MIRBAXSIM_WaitForGateReader(uint32_t board, uint32_t gate,
                                                      uint32_t timeoutMs) {
  return WithBoard(board, [&](Board &found) -> uint32_t {
    if (gate > 1) return kErrorInvalidParameter;
    auto lock = found.Lock();
    CounterState &state = found.counters;
    const uint32_t result = WaitOnCounters(found, lock, timeoutMs, [&] {
      return state.gateReaders[gate] > state.gateReadersReported[gate];
    });
    if (result == kOk) state.gateReadersReported[gate] = state.gateReaders[gate];
    return result;
  });
}
