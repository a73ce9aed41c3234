// The configuration block functions: the two that move it whole and the five
// field setters.  The library keeps no copy of the block: each setter reads
// it, changes its bytes and writes it back.
#include "adc/adc_config.h"

#include <mirbax.h>

#include <algorithm>

#include "adc/config_block.h"
#include "core/caller_memory.h"
#include "core/frame.h"
#include "core/transport.h"

namespace mirbax {

uint32_t ReadConfigBlock(uint32_t DeviceIndex, std::span<uint8_t> block) {
  uint32_t size = uint32_t(block.size());
  return ::GenericVendorRead(DeviceIndex, VRQ_ADC_GET_CONFIG, 0, 0, &size, block.data());
}

uint32_t WriteConfigBlock(uint32_t DeviceIndex, std::span<const uint8_t> block) {
  return ::GenericVendorWrite(DeviceIndex, VRQ_ADC_SET_CONFIG, 0, 0, uint32_t(block.size()),
                              block.data());
}

uint32_t ReadModifyWriteConfig(uint32_t DeviceIndex, const TDeviceData &device,
                               const std::function<void(std::span<uint8_t>)> &change) {
  std::vector<uint8_t> scratch(device.ConfigBytes);
  if (const uint32_t result = ReadConfigBlock(DeviceIndex, scratch)) return result;
  change(scratch);
  return WriteConfigBlock(DeviceIndex, scratch);
}

std::vector<uint8_t> ReadCallerBytes(const void *callerSource, std::size_t size) {
  std::vector<uint8_t> bytes(size);
  if (CopyFromCaller(bytes.data(), callerSource, size) != ERROR_SUCCESS) throw CallerMemoryFault();
  return bytes;
}

namespace {

// The checks ADC_GetConfig and ADC_SetConfig share, in their order.
uint32_t CheckConfigBuffer(const TDeviceData &device, const void *pConfigBuf,
                           uint32_t *ConfigBufSize) {
  if (device.ConfigBytes == 0) return ERROR_BAD_TOKEN_TYPE;
  if (ReadCaller(ConfigBufSize) < device.ConfigBytes) {
    WriteCaller(ConfigBufSize, device.ConfigBytes);
    return ERROR_INSUFFICIENT_BUFFER;
  }
  if (pConfigBuf == nullptr) return ERROR_INVALID_PARAMETER;
  return ERROR_SUCCESS;
}

bool HasBlockInputs(const TDeviceData &device) { return device.bADCBulk || device.bADCDIOStream; }

}  // namespace

}  // namespace mirbax

using namespace mirbax;

MIRBAX_EXPORT uint32_t ADC_GetConfig(uint32_t DeviceIndex, void *pConfigBuf,
                                     uint32_t *ConfigBufSize) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    if (const uint32_t check = CheckConfigBuffer(device, pConfigBuf, ConfigBufSize)) return check;
    uint32_t size = device.ConfigBytes;
    const uint32_t result = ::GenericVendorRead(di, VRQ_ADC_GET_CONFIG, 0, 0, &size, pConfigBuf);
    if (result == ERROR_SUCCESS) WriteCaller(ConfigBufSize, device.ConfigBytes);
    return result;
  });
}

MIRBAX_EXPORT uint32_t ADC_SetConfig(uint32_t DeviceIndex, const void *pConfigBuf,
                                     uint32_t *ConfigBufSize) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    if (const uint32_t check = CheckConfigBuffer(device, pConfigBuf, ConfigBufSize)) return check;
    const uint32_t result =
        ::GenericVendorWrite(di, VRQ_ADC_SET_CONFIG, 0, 0, device.ConfigBytes, pConfigBuf);
    if (result == ERROR_SUCCESS) WriteCaller(ConfigBufSize, device.ConfigBytes);
    return result;
  });
}

MIRBAX_EXPORT uint32_t ADC_RangeAll(uint32_t DeviceIndex, const uint8_t *pGainCodes,
                                    int32_t bDifferential) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    if (device.ADCChannels == 0 || !HasBlockInputs(device)) return ERROR_BAD_TOKEN_TYPE;
    if (pGainCodes == nullptr) return ERROR_INVALID_PARAMETER;
    // The DIO-stream board takes the caller's bytes as its whole block.
    const std::size_t codeBytes =
        device.bADCBulk ? device.ADCChannels : std::max(device.ADCChannels, device.ConfigBytes);
    const std::vector<uint8_t> codes = ReadCallerBytes(pGainCodes, codeBytes);
    for (uint32_t i = 0; i < device.ADCChannels; ++i)
      if (codes[i] & 0xF8) return ERROR_INVALID_DATA;
    if (!device.bADCBulk)  // the DIO-stream board: the codes are the whole block
      return WriteConfigBlock(di, std::span(codes).first(device.ConfigBytes));
    return ReadModifyWriteConfig(di, device, [&](std::span<uint8_t> block) {
      for (uint32_t i = 0; i < device.ADCChannels; ++i)
        block[i] = MakeRangeByte(codes[i], bDifferential);
    });
  });
}

MIRBAX_EXPORT uint32_t ADC_Range1(uint32_t DeviceIndex, uint32_t ADChannel, uint8_t GainCode,
                                  int32_t bDifferential) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    if (!HasBlockInputs(device)) return ERROR_BAD_TOKEN_TYPE;
    if (ADChannel >= device.ADCChannels) return ERROR_INVALID_ADDRESS;
    if (GainCode & 0xF8) return ERROR_INVALID_PARAMETER;
    return ReadModifyWriteConfig(di, device, [&](std::span<uint8_t> block) {
      block[ADChannel] = MakeRangeByte(GainCode, bDifferential);
    });
  });
}

MIRBAX_EXPORT uint32_t ADC_ADMode(uint32_t DeviceIndex, uint8_t TriggerMode, uint8_t CalMode) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    if (!device.bADCBulk) return ERROR_BAD_TOKEN_TYPE;
    if (!IsKnownCalMode(CalMode)) return ERROR_INVALID_PARAMETER;
    return ReadModifyWriteConfig(di, device, [&](std::span<uint8_t> block) {
      block[kCalModeOffset] = CalMode;
      block[kStartModeOffset] = TriggerMode;
    });
  });
}

MIRBAX_EXPORT uint32_t ADC_SetScanLimits(uint32_t DeviceIndex, uint32_t StartChannel,
                                         uint32_t EndChannel) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    if (!device.bADCBulk) return ERROR_BAD_TOKEN_TYPE;
    if (StartChannel > EndChannel || EndChannel >= device.ADCMUXChannels)
      return ERROR_INVALID_PARAMETER;
    const bool wideForm = device.ConfigBytes >= kWideBlockBytes;
    return ReadModifyWriteConfig(di, device, [&](std::span<uint8_t> block) {
      StoreScanLimits(block, StartChannel, EndChannel, wideForm);
    });
  });
}

MIRBAX_EXPORT uint32_t ADC_SetOversample(uint32_t DeviceIndex, uint8_t Oversample) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    if (!device.bADCBulk) return ERROR_BAD_TOKEN_TYPE;
    return ReadModifyWriteConfig(di, device, [&](std::span<uint8_t> block) {
      block[kOversampleOffset] = Oversample;
    });
  });
}
