#include "dac/dio_stream.h"

#include <algorithm>
#include <array>
#include <vector>

#include "core/caller_memory.h"
#include "core/frame.h"
#include "core/transport.h"
#include "dac/oscillator_clock.h"

namespace mirbax {

uint32_t StreamOpen(uint32_t DeviceIndex, TDeviceData &device, bool bIsRead) {
  if (!device.bDIOStream) return ERROR_BAD_TOKEN_TYPE;
  if (device.bDIOOpen) return ERROR_TOO_MANY_OPEN_FILES;
  device.bDIORead = bIsRead;
  const uint8_t request = bIsRead ? VRQ_BC_CONTROL : VRQ_BULK_SRAM;
  const uint32_t result = _GenericVendorWrite(DeviceIndex, request, 0, 0, 0, nullptr);
  if (result == ERROR_SUCCESS) device.bDIOOpen = true;
  return result;
}

uint32_t SendStreamClocks(uint32_t DeviceIndex, uint8_t Disables, uint16_t WriteOctDac,
                          uint16_t ReadOctDac) {
  // TDIO16ClockData: the codes are stored little-endian, which puts the
  // oscillator's control word most significant byte first on the wire.
  const std::array<uint8_t, 5> record{Disables, uint8_t(WriteOctDac), uint8_t(WriteOctDac >> 8),
                                      uint8_t(ReadOctDac), uint8_t(ReadOctDac >> 8)};
  return _GenericVendorWrite(DeviceIndex, VRQ_DIO_SETCLOCKS, 0, 0, record.size(), record.data());
}

namespace {

// One bulk transfer of `words` words at word `position` of the caller's
// frame, through a block buffer of the library's own.
uint32_t MoveBlock(uint32_t DeviceIndex, bool bRead, uint8_t *callerFrame, uint64_t position,
                   uint32_t words, std::vector<uint16_t> &block, uint32_t &moved) {
  uint8_t *caller = callerFrame + position * 2;
  const uint32_t bytes = words * 2;
  moved = 0;
  if (!bRead) {
    if (const uint32_t result = CopyFromCaller(block.data(), caller, bytes)) return result;
    return _GenericBulk(DeviceIndex, kStreamOutPipe, block.data(), bytes, moved);
  }
  const uint32_t result = _GenericBulk(DeviceIndex, kStreamInPipe, block.data(), bytes, moved);
  if (result != ERROR_SUCCESS) return result;
  moved = std::min(moved, bytes);
  return CopyToCaller(caller, block.data(), moved);
}

}  // namespace

uint32_t StreamFrame(uint32_t DeviceIndex, TDeviceData &device, uint32_t FramePoints,
                     void *pFrameData, uint32_t &BytesTransferred) {
  if (!device.bDIOStream) return ERROR_BAD_TOKEN_TYPE;
  if (!device.bDIOOpen) return ERROR_FILE_NOT_FOUND;
  if (FramePoints == 0) return ERROR_INVALID_PARAMETER;

  const bool bRead = device.bDIORead;
  // StreamingBlockSize is never 0 on a streaming board; should it be, the
  // frame goes as one block rather than looping without progress.
  const uint32_t B = device.StreamingBlockSize != 0 ? device.StreamingBlockSize : FramePoints;
  std::vector<uint16_t> block(std::min(B, FramePoints));
  auto *frame = static_cast<uint8_t *>(pFrameData);
  uint64_t position = 0;
  uint32_t moved = 0;

  while (B < FramePoints) {
    uint32_t result = MoveBlock(DeviceIndex, bRead, frame, position, B, block, moved);
    if (result == ERROR_SUCCESS && moved < B * 2) result = ERROR_HANDLE_EOF;
    BytesTransferred += moved;
    if (result != ERROR_SUCCESS) return result;
    position += B;
    FramePoints -= B;
  }
  // The last piece may move short: the caller sees it in BytesTransferred.
  const uint32_t result = MoveBlock(DeviceIndex, bRead, frame, position, FramePoints, block, moved);
  if (result == ERROR_SUCCESS) BytesTransferred += moved;
  return result;
}

uint32_t StreamClose(TDeviceData &device) {
  if (!device.bDIOStream) return ERROR_BAD_TOKEN_TYPE;
  if (!device.bDIOOpen) return ERROR_FILE_NOT_FOUND;
  device.bDIOOpen = false;
  return ERROR_SUCCESS;
}

}  // namespace mirbax

using namespace mirbax;

MIRBAX_EXPORT uint32_t DIO_StreamOpen(uint32_t DeviceIndex, uint32_t bIsRead) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) {
    return StreamOpen(di, device, bIsRead != 0);
  });
}

MIRBAX_EXPORT uint32_t DIO_StreamSetClocks(uint32_t DeviceIndex, double *ReadClockHz,
                                           double *WriteClockHz) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    if (!device.bDIOStream) return ERROR_BAD_TOKEN_TYPE;
    double writeHz = ReadCaller(WriteClockHz);
    double readHz = ReadCaller(ReadClockHz);
    const uint8_t Disables = (writeHz == 0 ? kWriteClockOff : 0) | (readHz == 0 ? kReadClockOff : 0);
    // Both codes are made before anything is written back or sent: a rate
    // that is no number fails the call (1359) with nothing changed.
    const uint16_t WriteOctDac = OctDacFromFreq(writeHz);
    const uint16_t ReadOctDac = OctDacFromFreq(readHz);
    WriteCaller(WriteClockHz, writeHz);
    WriteCaller(ReadClockHz, readHz);
    return SendStreamClocks(di, Disables, WriteOctDac, ReadOctDac);
  });
}

MIRBAX_EXPORT uint32_t DIO_StreamFrame(uint32_t DeviceIndex, uint32_t FramePoints,
                                       uint16_t *pFrameData, uint32_t *BytesTransferred) {
  return Guarded([&]() -> uint32_t {
    WriteCaller(BytesTransferred, 0u);
    return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) {
      uint32_t transferred = 0;
      const uint32_t result = StreamFrame(di, device, FramePoints, pFrameData, transferred);
      WriteCaller(BytesTransferred, transferred);
      return result;
    });
  });
}

MIRBAX_EXPORT uint32_t DIO_StreamClose(uint32_t DeviceIndex) {
  return WithOpenDevice(DeviceIndex,
                        [&](uint32_t, TDeviceData &device) { return StreamClose(device); });
}
