// Immediate digital I/O: one bit, one byte or every byte at a time, and the
// combined write of all DACs and digital outputs.
//
// Writes change the output mirror LastDIOData and send the whole mirror, so
// the bytes not named keep what was last sent.  Boards of the newer
// firmware that report the single-bit write take just the bit instead.
#include <cstddef>
#include <cstring>
#include <vector>

#include "core/caller_memory.h"
#include "core/frame.h"
#include "core/transport.h"
#include "dio/caller_bytes.h"
#include "dio/dio_layout.h"

namespace mirbax {
namespace {

using Bytes = std::vector<uint8_t>;

uint32_t SendMirror(uint32_t di, const TDeviceData &device) {
  return _GenericVendorWrite(di, VRQ_DIO_WRITE, 0, 0, uint32_t(device.LastDIOData.size()),
                             device.LastDIOData.data());
}

bool HasSingleBitWrite(const TDeviceData &device) {
  return device.bFirmware20 && bDevHasPNPByte(device, offsetof(TPNPData, HasDIOWrite1)) &&
         device.PNPData.HasDIOWrite1 != 0;
}

// Reads every digital byte; the reply is D bytes long, zero past what the
// board returned.
uint32_t ReadInputs(uint32_t di, uint32_t D, Bytes &inputs) {
  inputs.assign(D, 0);
  uint32_t size = D;
  return _GenericVendorRead(di, VRQ_DIO_READ, 0, 0, size, inputs.data());
}

}  // namespace
}  // namespace mirbax

using namespace mirbax;

MIRBAX_EXPORT uint32_t DIO_Write1(uint32_t DeviceIndex, uint32_t BitIndex, uint8_t Data) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    const uint32_t D = device.DIOBytes;
    if (D == 0) return ERROR_BAD_TOKEN_TYPE;
    const uint32_t byteIndex = BitIndex / 8;
    if (byteIndex >= D) return ERROR_INVALID_ADDRESS;

    const uint8_t bit = uint8_t(1u << (BitIndex % 8));
    uint8_t &mirrored = device.LastDIOData[byteIndex];
    mirrored = Data ? uint8_t(mirrored | bit) : uint8_t(mirrored & ~bit);
    if (HasSingleBitWrite(device))
      return mirbax::_GenericVendorWrite(di, VRQ_DIO_WRITE, SignedByteValue(Data),
                                         uint16_t(BitIndex), 0, nullptr);
    return SendMirror(di, device);
  });
}

MIRBAX_EXPORT uint32_t DIO_Write8(uint32_t DeviceIndex, uint32_t ByteIndex, uint8_t Data) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    if (device.DIOBytes == 0) return ERROR_BAD_TOKEN_TYPE;
    if (ByteIndex >= device.DIOBytes) return ERROR_INVALID_ADDRESS;
    device.LastDIOData[ByteIndex] = Data;
    return SendMirror(di, device);
  });
}

MIRBAX_EXPORT uint32_t DIO_WriteAll(uint32_t DeviceIndex, const void *pData) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    if (device.DIOBytes == 0) return ERROR_BAD_TOKEN_TYPE;
    device.LastDIOData = ReadCallerBytes(pData, device.DIOBytes);
    return SendMirror(di, device);
  });
}

MIRBAX_EXPORT uint32_t DIO_Read1(uint32_t DeviceIndex, uint32_t BitIndex, uint8_t *Buffer) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    const uint32_t D = device.DIOBytes;
    if (D == 0) return ERROR_BAD_TOKEN_TYPE;
    if (BitIndex / 8 >= D) return ERROR_INVALID_ADDRESS;
    Bytes inputs;
    const uint32_t result = ReadInputs(di, D, inputs);
    if (result == ERROR_SUCCESS)
      WriteCaller(Buffer, uint8_t((inputs[BitIndex / 8] >> (BitIndex % 8)) & 1));
    return result;
  });
}

MIRBAX_EXPORT uint32_t DIO_Read8(uint32_t DeviceIndex, uint32_t ByteIndex, uint8_t *Buffer) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    const uint32_t D = device.DIOBytes;
    if (D == 0) return ERROR_BAD_TOKEN_TYPE;
    if (ByteIndex >= D) return ERROR_INVALID_ADDRESS;
    Bytes inputs;
    const uint32_t result = ReadInputs(di, D, inputs);
    if (result == ERROR_SUCCESS) WriteCaller(Buffer, inputs[ByteIndex]);
    return result;
  });
}

MIRBAX_EXPORT uint32_t DIO_ReadAll(uint32_t DeviceIndex, void *pData) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    if (device.DIOBytes == 0) return ERROR_BAD_TOKEN_TYPE;
    uint32_t size = device.DIOBytes;
    return mirbax::_GenericVendorRead(di, VRQ_DIO_READ, 0, 0, size, pData);
  });
}

MIRBAX_EXPORT uint32_t DACDIO_WriteAll(uint32_t DeviceIndex, const uint16_t *pDACCounts,
                                       const void *pDIOData) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    const uint32_t D = device.DIOBytes;
    if (D == 0) return ERROR_BAD_TOKEN_TYPE;
    if (device.ImmDACs == 0 || device.bDACDIOStream) return ERROR_BAD_TOKEN_TYPE;

    // D, the digital bytes, the DAC block's byte count, then one
    // little-endian word per DAC.  The output mirror is not involved.
    const uint32_t dacBytes = 2 * device.ImmDACs;
    const Bytes digital = ReadCallerBytes(pDIOData, D);
    const Bytes counts = ReadCallerBytes(pDACCounts, dacBytes);
    Bytes record;
    record.push_back(uint8_t(D));
    record.insert(record.end(), digital.begin(), digital.end());
    record.push_back(uint8_t(dacBytes));
    for (uint32_t channel = 0; channel < device.ImmDACs; ++channel) {
      uint16_t count;  // the caller's words are in host order
      std::memcpy(&count, counts.data() + 2 * channel, sizeof count);
      record.push_back(uint8_t(count));
      record.push_back(uint8_t(count >> 8));
    }
    return mirbax::_GenericVendorWrite(di, VRQ_DACDIO_WRITEALL, 0, 0, uint32_t(record.size()),
                                       record.data());
  });
}
