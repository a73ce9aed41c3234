// The transfers a board receives: fault injection, request dispatch, bulk
// pipes and the transfer log.
#include <algorithm>

#include "sim/board.h"
#include "sim/errors.h"

namespace mirbax::sim {

Outcome Board::ControlTransfer(const ControlSetup &setup, std::span<uint8_t> data) {
  if (!IsAttached()) return {kErrorDeviceNotConnected, 0};
  // An injected fault is the driver failing: the board never sees the
  // request, so it is not logged.
  if (std::optional<uint32_t> fault = faults_.NextTransfer()) return {*fault, 0};

  data = data.first(std::min<std::size_t>(data.size(), setup.length));
  ControlRequest request{setup, {}, {}};
  if (setup.IsRead()) {
    request.reply = data;
  } else {
    request.sent = data;
  }

  std::lock_guard lock(mutex_);
  const RequestHandler *handler = requests_.Find(setup.request, setup.index);
  const Reply reply = handler ? (*handler)(*this, request) : kStall;
  if (!reply) {
    log.Add(FormatControlLine(setup, {}));
    return {kErrorGenFailure, 0};
  }
  const auto bytes = static_cast<uint32_t>(
      setup.IsRead() ? std::min<std::size_t>(*reply, data.size()) : data.size());
  log.Add(FormatControlLine(setup, data.first(bytes)));
  return {kOk, bytes};
}

Deadline Board::BulkDeadline() {
  std::lock_guard lock(mutex_);
  const uint64_t timeoutMs = options.Value("bulk_timeout_ms");
  if (timeoutMs == 0) return std::nullopt;
  return Clock::now() + std::chrono::milliseconds(timeoutMs);
}

void Board::LogBulk(uint8_t endpoint, std::size_t requested, const Outcome &outcome) {
  // A board unplugged during the transfer has nothing to log it with.
  if (outcome.error == kErrorDeviceNotConnected) return;
  std::lock_guard lock(mutex_);
  log.Add(FormatBulkLine(endpoint, static_cast<uint32_t>(requested), outcome.bytes));
}

Outcome Board::BulkRead(uint8_t endpoint, std::span<uint8_t> buffer) {
  if (!IsAttached()) return {kErrorDeviceNotConnected, 0};
  BulkInPipe *pipe = InPipe(endpoint);
  if (!pipe) return {kErrorInvalidParameter, 0};
  if (std::optional<uint32_t> fault = faults_.NextTransfer()) return {*fault, 0};
  const Outcome outcome = pipe->Read(buffer, BulkDeadline());
  LogBulk(endpoint, buffer.size(), outcome);
  return outcome;
}

Outcome Board::BulkWrite(uint8_t endpoint, std::span<const uint8_t> data) {
  if (!IsAttached()) return {kErrorDeviceNotConnected, 0};
  BulkOutPipe *pipe = OutPipe(endpoint);
  if (!pipe) return {kErrorInvalidParameter, 0};
  if (std::optional<uint32_t> fault = faults_.NextTransfer()) return {*fault, 0};
  const Outcome outcome = pipe->Write(data, BulkDeadline());
  LogBulk(endpoint, data.size(), outcome);
  return outcome;
}

uint32_t Board::AbortPipe(uint8_t endpoint) {
  if (!IsAttached()) return kErrorDeviceNotConnected;
  BulkInPipe *in = InPipe(endpoint);
  BulkOutPipe *out = OutPipe(endpoint);
  if (!in && !out) return kErrorInvalidParameter;
  if (std::optional<uint32_t> fault = faults_.NextTransfer()) return *fault;

  // Logged before the pipe lets go of its transfers, so the abort line comes
  // before the lines of the transfers it ended.
  std::lock_guard lock(mutex_);
  log.Add(FormatAbortLine(endpoint));
  if (in) {
    in->Abort();
  } else {
    out->Abort();
  }
  return kOk;
}

}  // namespace mirbax::sim
