// Simulated backend: the CyUSB driver's I/O controls on a file handle.
#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/platform.h"
#include "platform/sim/cyusb_header.h"
#include "platform/sim/handle_table.h"
#include "sim/errors.h"

namespace mirbax::platform {

namespace {

using sim_backend::Fail;

constexpr uint32_t kFullSpeed = 1;
constexpr uint32_t kHighSpeed = 2;

void Report(uint32_t *bytesReturned, uint32_t count) {
  if (bytesReturned) *bytesReturned = count;
}

bool ReturnWord(uint32_t word, void *output, uint32_t outputSize, uint32_t *bytesReturned) {
  if (!output || outputSize < 4) return Fail(sim::kErrorInsufficientBuffer);
  const uint8_t bytes[4] = {static_cast<uint8_t>(word), static_cast<uint8_t>(word >> 8),
                            static_cast<uint8_t>(word >> 16), static_cast<uint8_t>(word >> 24)};
  std::memcpy(output, bytes, sizeof bytes);
  Report(bytesReturned, sizeof bytes);
  return true;
}

// Endpoint 0: the block is the header followed by the data stage, as input
// and (for the answer) as output; the two may be the same memory.
bool ControlTransfer(sim::Board &board, const void *input, uint32_t inputSize, void *output,
                     uint32_t outputSize, uint32_t *bytesReturned) {
  const uint32_t headerSize = sim_backend::kCyUsbHeaderSize;
  if (!input || inputSize < headerSize) return Fail(sim::kErrorInvalidParameter);
  const auto *block = static_cast<const uint8_t *>(input);
  const sim_backend::CyUsbHeader header = sim_backend::ParseCyUsbHeader({block, headerSize});
  const sim::ControlSetup setup{header.requestType, header.request, header.value, header.index,
                                header.length};

  // The data stage travels through a copy: input and output may overlap.
  std::vector<uint8_t> stage;
  if (setup.IsRead()) {
    if (!output || outputSize < headerSize) return Fail(sim::kErrorInvalidParameter);
    stage.resize(std::min<uint32_t>(setup.length, outputSize - headerSize));
  } else {
    const uint32_t size = std::min<uint32_t>(setup.length, inputSize - headerSize);
    stage.assign(block + headerSize, block + headerSize + size);
  }
  const sim::Outcome outcome = board.ControlTransfer(setup, stage);
  if (outcome.error) return Fail(outcome.error);

  if (output && outputSize >= headerSize) {
    auto *answer = static_cast<uint8_t *>(output);
    std::memmove(answer, block, headerSize);
    if (setup.IsRead() && outcome.bytes > 0) std::memcpy(answer + headerSize, stage.data(), outcome.bytes);
  }
  Report(bytesReturned, headerSize + outcome.bytes);
  return true;
}

// Any other endpoint: the header alone as input, endpoint at offset 13; the
// output buffer is the data in both directions.
bool BulkTransfer(sim::Board &board, const void *input, uint32_t inputSize, void *output,
                  uint32_t outputSize, uint32_t *bytesReturned) {
  if (!input || inputSize < sim_backend::kCyUsbHeaderSize || (!output && outputSize > 0)) {
    return Fail(sim::kErrorInvalidParameter);
  }
  const uint8_t endpoint = static_cast<const uint8_t *>(input)[13];
  auto *data = static_cast<uint8_t *>(output);
  const sim::Outcome outcome = (endpoint & 0x80) ? board.BulkRead(endpoint, {data, outputSize})
                                                 : board.BulkWrite(endpoint, {data, outputSize});
  Report(bytesReturned, outcome.bytes);
  return outcome.error ? Fail(outcome.error) : true;
}

bool AbortPipe(sim::Board &board, const void *input, uint32_t inputSize, uint32_t *bytesReturned) {
  if (!input || inputSize < 1) return Fail(sim::kErrorInvalidParameter);
  if (uint32_t error = board.AbortPipe(*static_cast<const uint8_t *>(input))) return Fail(error);
  Report(bytesReturned, 0);
  return true;
}

}  // namespace

bool DeviceIoControl(Handle handle, uint32_t code, const void *input, uint32_t inputSize,
                     void *output, uint32_t outputSize, uint32_t *bytesReturned) {
  std::shared_ptr<sim::Board> board = sim_backend::BoardOf(handle, sim_backend::HandleKind::File);
  if (!board) return false;
  // A board bound to WinUSB has no CyUSB driver to answer.
  if (board->driver() == sim::Driver::WinUsb) return Fail(sim::kErrorInvalidFunction);

  switch (code) {
    case IOCTL_ADAPT_GET_DRIVER_VERSION:
      return ReturnWord(board->DriverVersion(), output, outputSize, bytesReturned);
    case IOCTL_ADAPT_GET_DEVICE_SPEED:
      return ReturnWord(board->IsHighSpeed() ? kHighSpeed : kFullSpeed, output, outputSize,
                        bytesReturned);
    case IOCTL_ADAPT_SEND_EP0_CONTROL_TRANSFER:
      return ControlTransfer(*board, input, inputSize, output, outputSize, bytesReturned);
    case IOCTL_ADAPT_SEND_NON_EP0_DIRECT:
      return BulkTransfer(*board, input, inputSize, output, outputSize, bytesReturned);
    case IOCTL_ADAPT_ABORT_PIPE:
      return AbortPipe(*board, input, inputSize, bytesReturned);
    default:
      return Fail(sim::kErrorInvalidFunction);
  }
}

}  // namespace mirbax::platform
