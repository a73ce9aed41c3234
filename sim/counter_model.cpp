#include "sim/counter_model.h"

#include <algorithm>

#include "sim/board.h"
#include "sim/product_info.h"

namespace mirbax::sim {
namespace {

constexpr uint8_t kRead = 0x20, kMode = 0x21, kLoad = 0x22, kModeLoad = 0x23, kSelectGate = 0x24,
                  kReadAll = 0x25, kReadLatched = 0x26, kArmGates = 0x27, kEndGates = 0x29;
constexpr uint8_t kGatePipes[2] = {0x82, 0x86};

// The counter a request's value names: the block in the low byte, the
// counter in the high byte (shifted as an 8254 selector unless `plain`).
SimCounter *Addressed(CounterState &state, uint16_t value, bool plain) {
  const uint32_t block = value & 0xFF;
  const uint32_t counter = plain ? uint32_t(value >> 8) : uint32_t(value >> 14);
  if (block >= state.blocks || counter >= 3) return nullptr;
  return &state.counters[block * 3 + counter];
}

uint16_t TakeCount(SimCounter &counter) {
  const uint16_t count = counter.count;
  counter.count = uint16_t(counter.count + counter.step);
  return count;
}

uint32_t Answer(std::span<const uint8_t> bytes, std::span<uint8_t> reply) {
  const std::size_t count = std::min(bytes.size(), reply.size());
  std::copy_n(bytes.begin(), count, reply.begin());
  return uint32_t(count);
}

void Put16(std::vector<uint8_t> &bytes, uint16_t value) {
  bytes.push_back(uint8_t(value));
  bytes.push_back(uint8_t(value >> 8));
}

Reply ReadOne(Board &board, const ControlRequest &request) {
  SimCounter *counter = Addressed(board.counters, request.setup.value, true);
  if (!counter || !request.setup.IsRead()) return kStall;
  std::vector<uint8_t> reply;
  Put16(reply, TakeCount(*counter));
  reply.push_back(uint8_t(0x30 | counter->mode << 1));
  return Answer(reply, request.reply);
}

Reply SetMode(Board &board, const ControlRequest &request) {
  SimCounter *counter = Addressed(board.counters, request.setup.value, false);
  if (!counter) return kStall;
  counter->mode = uint8_t((request.setup.value >> 9) & 7);
  return 0;
}

Reply Load(Board &board, const ControlRequest &request) {
  SimCounter *counter = Addressed(board.counters, request.setup.value, false);
  if (!counter) return kStall;
  counter->load = counter->count = request.setup.index;
  return 0;
}

Reply ModeLoad(Board &board, const ControlRequest &request) {
  SimCounter *counter = Addressed(board.counters, request.setup.value, false);
  if (!counter) return kStall;
  std::vector<uint8_t> before;
  Put16(before, counter->count);
  counter->mode = uint8_t((request.setup.value >> 9) & 7);
  counter->load = counter->count = request.setup.index;
  return request.setup.IsRead() ? Reply(Answer(before, request.reply)) : Reply(0);
}

std::vector<uint8_t> AllCounts(CounterState &state) {
  std::vector<uint8_t> counts;
  for (SimCounter &counter : state.counters) Put16(counts, TakeCount(counter));
  return counts;
}

Reply ReadAll(Board &board, const ControlRequest &request) {
  CounterState &state = board.counters;
  const uint32_t answered = Answer(AllCounts(state), request.reply);
  ++state.readAlls;
  state.changed.notify_all();
  return answered;
}

Reply ReadLatched(Board &board, const ControlRequest &request) {
  CounterState &state = board.counters;
  std::vector<uint8_t> reply = AllCounts(state);
  reply.push_back(state.latchedReads++);
  return Answer(reply, request.reply);
}

Reply SelectGate(Board &board, const ControlRequest &request) {
  board.counters.selectedGate = request.setup.value;
  return 0;
}

Reply ArmGates(Board &board, const ControlRequest &request) {
  CounterState &state = board.counters;
  state.armed = true;
  state.gateA = uint8_t(request.setup.index);
  state.gateB = uint8_t(request.setup.index >> 8);
  state.eventsA = state.eventsB = 0;
  return 0;
}

Reply EndGates(Board &board, const ControlRequest &) {
  board.counters.armed = false;
  for (const uint8_t pipe : kGatePipes) board.InPipe(pipe)->Abort();
  return 0;
}

// A host read found nothing to take on a gate pipe: note it for
// MIRBAXSIM_WaitForGateReader; the read then waits for an event.
BulkSource GateReaderNotice(Board &board, int gate) {
  return [&board, gate](std::span<uint8_t>, BulkWait &) -> uint32_t {
    auto lock = board.Lock();
    ++board.counters.gateReaders[gate];
    board.counters.changed.notify_all();
    return 0;
  };
}

}  // namespace

void RegisterCounterRequests(Board &board) {
  const ProductInfo product = LookUpProduct(board.productId());
  CounterState &state = board.counters;
  state.blocks = product.counterBlocks;
  state.counters.assign(3 * state.blocks, SimCounter{});
  if (state.blocks == 0) return;

  board.RegisterRequest(kRead, ReadOne);
  board.RegisterRequest(kMode, SetMode);
  board.RegisterRequest(kLoad, Load);
  board.RegisterRequest(kModeLoad, ModeLoad);
  board.RegisterRequest(kSelectGate, SelectGate);
  board.RegisterRequest(kReadAll, ReadAll);
  board.RegisterRequest(kReadLatched, ReadLatched);
  board.RegisterRequest(kArmGates, ArmGates);
  board.RegisterRequest(kEndGates, EndGates);
  // The gate pipes are the board's own only where no stream uses them.
  if (product.adcConfigBytes == 0 && !product.dioStream && !product.dacStream)
    for (int gate = 0; gate < 2; ++gate)
      board.InPipe(kGatePipes[gate])->SetSource(GateReaderNotice(board, gate));
}

uint32_t CounterTriggerGate(Board &board, uint32_t gate) {
  CounterState &state = board.counters;
  if (gate >= 3 * state.blocks) return 87;
  if (!state.armed) return 0;
  const auto send = [&](uint8_t pipe, uint16_t events) {
    const uint8_t message[2] = {uint8_t(events), uint8_t(events >> 8)};
    board.InPipe(pipe)->Queue(message);
  };
  if (gate == state.gateA) send(kGatePipes[0], ++state.eventsA);
  if (gate == state.gateB) send(kGatePipes[1], ++state.eventsB);
  return 0;
}

}  // namespace mirbax::sim
