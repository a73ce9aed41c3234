// Simulated backend: the WinUSB calls.  An interface handle is made from a
// file handle of a WinUSB-bound board and holds the board's path open until
// it is freed.
#include <algorithm>

#include "platform/platform.h"
#include "platform/sim/handle_table.h"
#include "sim/errors.h"

namespace mirbax::platform {

namespace {

using sim_backend::Fail;
using sim_backend::HandleKind;

constexpr uint8_t kStandardDeviceToHost = 0x80;
constexpr uint8_t kGetDescriptor = 6;
constexpr uint8_t kEndpointCount = 4;
constexpr uint8_t kPipeIds[kEndpointCount] = {0x02, 0x06, 0x82, 0x86};
constexpr uint16_t kHighSpeedPacketSize = 512;
constexpr uint16_t kFullSpeedPacketSize = 64;

std::shared_ptr<sim::Board> InterfaceBoard(Handle interfaceHandle) {
  return sim_backend::BoardOf(interfaceHandle, HandleKind::WinUsbInterface);
}

void Report(uint32_t *lengthTransferred, uint32_t count) {
  if (lengthTransferred) *lengthTransferred = count;
}

bool Control(sim::Board &board, const sim::ControlSetup &setup, uint8_t *buffer,
             uint32_t bufferLength, uint32_t *lengthTransferred) {
  const uint32_t size = std::min<uint32_t>(setup.length, bufferLength);
  if (!buffer && size > 0) return Fail(sim::kErrorInvalidParameter);
  const sim::Outcome outcome = board.ControlTransfer(setup, {buffer, size});
  if (outcome.error) return Fail(outcome.error);
  Report(lengthTransferred, outcome.bytes);
  return true;
}

}  // namespace

bool LoadWinUsb() { return true; }

bool WinUsbInitialize(Handle file, Handle *interfaceHandle) {
  if (!interfaceHandle) return Fail(sim::kErrorInvalidParameter);
  std::optional<sim_backend::OpenHandle> opened = sim_backend::LiveHandle(file, HandleKind::File);
  if (!opened) return false;
  sim::Board &board = *opened->board;
  // A board bound to the CyUSB driver does not speak WinUSB.
  if (board.driver() != sim::Driver::WinUsb) return Fail(sim::kErrorInvalidFunction);
  // The interface holds the path open in the file's mode until it is freed.
  board.HoldPath(opened->shared);
  *interfaceHandle = sim_backend::AddHandle(
      {HandleKind::WinUsbInterface, std::move(opened->board), opened->shared});
  return true;
}

bool WinUsbFree(Handle interfaceHandle) {
  std::optional<sim_backend::OpenHandle> freed =
      sim_backend::RemoveHandle(interfaceHandle, HandleKind::WinUsbInterface);
  if (!freed) return Fail(sim::kErrorInvalidHandle);
  freed->board->ReleasePath(freed->shared);
  return true;
}

bool WinUsbControlTransfer(Handle interfaceHandle, const SetupPacket &setup, uint8_t *buffer,
                           uint32_t bufferLength, uint32_t *lengthTransferred) {
  std::shared_ptr<sim::Board> board = InterfaceBoard(interfaceHandle);
  if (!board) return false;
  const sim::ControlSetup control{setup.requestType, setup.request, setup.value, setup.index,
                                  setup.length};
  return Control(*board, control, buffer, bufferLength, lengthTransferred);
}

// A standard GET_DESCRIPTOR request on endpoint 0, as WinUSB sends it.
bool WinUsbGetDescriptor(Handle interfaceHandle, uint8_t descriptorType, uint8_t index,
                         uint16_t languageId, uint8_t *buffer, uint32_t bufferLength,
                         uint32_t *lengthTransferred) {
  std::shared_ptr<sim::Board> board = InterfaceBoard(interfaceHandle);
  if (!board) return false;
  const sim::ControlSetup control{kStandardDeviceToHost, kGetDescriptor,
                                  static_cast<uint16_t>(descriptorType << 8 | index), languageId,
                                  static_cast<uint16_t>(std::min<uint32_t>(bufferLength, 0xFFFF))};
  return Control(*board, control, buffer, bufferLength, lengthTransferred);
}

bool WinUsbQueryInterfaceSettings(Handle interfaceHandle, uint8_t alternateSetting,
                                  InterfaceDescriptor *descriptor) {
  std::shared_ptr<sim::Board> board = InterfaceBoard(interfaceHandle);
  if (!board) return false;
  if (!descriptor) return Fail(sim::kErrorInvalidParameter);
  if (alternateSetting != 0) return Fail(sim::kErrorNoMoreItems);
  *descriptor = InterfaceDescriptor{0, 0, kEndpointCount};
  return true;
}

bool WinUsbQueryPipe(Handle interfaceHandle, uint8_t alternateSetting, uint8_t pipeIndex,
                     PipeInformation *information) {
  std::shared_ptr<sim::Board> board = InterfaceBoard(interfaceHandle);
  if (!board) return false;
  if (!information) return Fail(sim::kErrorInvalidParameter);
  if (alternateSetting != 0 || pipeIndex >= kEndpointCount) return Fail(sim::kErrorNoMoreItems);
  const uint16_t packetSize = board->IsHighSpeed() ? kHighSpeedPacketSize : kFullSpeedPacketSize;
  *information = PipeInformation{PipeType::Bulk, kPipeIds[pipeIndex], packetSize, 0};
  return true;
}

bool WinUsbReadPipe(Handle interfaceHandle, uint8_t pipeId, uint8_t *buffer, uint32_t bufferLength,
                    uint32_t *lengthTransferred) {
  std::shared_ptr<sim::Board> board = InterfaceBoard(interfaceHandle);
  if (!board) return false;
  if (!(pipeId & 0x80) || (!buffer && bufferLength > 0)) return Fail(sim::kErrorInvalidParameter);
  const sim::Outcome outcome = board->BulkRead(pipeId, {buffer, bufferLength});
  Report(lengthTransferred, outcome.bytes);
  return outcome.error ? Fail(outcome.error) : true;
}

bool WinUsbWritePipe(Handle interfaceHandle, uint8_t pipeId, const uint8_t *buffer,
                     uint32_t bufferLength, uint32_t *lengthTransferred) {
  std::shared_ptr<sim::Board> board = InterfaceBoard(interfaceHandle);
  if (!board) return false;
  if ((pipeId & 0x80) || (!buffer && bufferLength > 0)) return Fail(sim::kErrorInvalidParameter);
  const sim::Outcome outcome = board->BulkWrite(pipeId, {buffer, bufferLength});
  Report(lengthTransferred, outcome.bytes);
  return outcome.error ? Fail(outcome.error) : true;
}

bool WinUsbAbortPipe(Handle interfaceHandle, uint8_t pipeId) {
  std::shared_ptr<sim::Board> board = InterfaceBoard(interfaceHandle);
  if (!board) return false;
  if (uint32_t error = board->AbortPipe(pipeId)) return Fail(error);
  return true;
}

}  // namespace mirbax::platform
