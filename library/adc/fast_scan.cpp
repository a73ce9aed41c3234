// Fast scans: an initialisation writes a scan configuration to the board
// and keeps it, with a backup of the board's block, in the device entry;
// each read then runs one bulk acquisition and converts it with the stored
// copy; a reset writes the backup back.  The FastIT family starts each scan
// itself through counter 2 of block 0 and covers the first channels; the
// CSA family keeps the caller's scan limits and relies on the board's
// counter-triggered start.
#include <mirbax.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "adc/adc_codes.h"
#include "adc/bulk_acquire.h"
#include "adc/config_block.h"
#include "adc/counts_to_volts.h"
#include "adc/scan.h"
#include "core/caller_memory.h"
#include "core/frame.h"
#include "core/transport.h"

namespace mirbax {

namespace {

constexpr uint16_t kDebugFastIT = 30;
constexpr auto kScanWait = std::chrono::milliseconds(1000);

bool HasFastScan(const TDeviceData &device) {
  return device.bADCBulk && device.ConfigBytes >= 20;
}

uint32_t SetConfigBytes(uint32_t di, std::vector<uint8_t> &block) {
  uint32_t size = uint32_t(block.size());
  return ::ADC_SetConfig(di, block.data(), &size);
}

uint32_t SendDebugSwitch(uint32_t di, uint8_t on) {
  return ::GenericVendorWrite(di, VRQ_DEBUG_DEBUG, kDebugFastIT, 0, 1, &on);
}

// Reads the board's block into `backup` and derives a scan configuration:
// normal measurement, a counter-triggered scan (bit 4 kept), at least
// `minOversample`.
uint32_t PrepareFastConfig(uint32_t di, const TDeviceData &device, std::vector<uint8_t> &config,
                           std::vector<uint8_t> &backup, uint8_t minOversample) {
  config.assign(device.ConfigBytes, 0);
  backup.assign(device.ConfigBytes, 0);
  uint32_t size = device.ConfigBytes;
  if (const uint32_t result = ::ADC_GetConfig(di, backup.data(), &size)) return result;
  std::copy_n(backup.begin(), kRangeBytes, config.begin());
  config[kStartModeOffset] = uint8_t((backup[kStartModeOffset] & kStartKeptBit) | 0x05);
  config[kOversampleOffset] = std::max(backup[kOversampleOffset], minOversample);
  return ERROR_SUCCESS;
}

// Writes `config`; on failure the backup goes back and the failure is returned.
uint32_t ArmFastConfig(uint32_t di, std::vector<uint8_t> &config, std::vector<uint8_t> &backup) {
  if (const uint32_t result = SetConfigBytes(di, config)) {
    SetConfigBytes(di, backup);
    return result;
  }
  return ERROR_SUCCESS;
}

void StoreChannelCount(std::vector<uint8_t> &config, uint32_t channels, bool wideForm) {
  const uint32_t last = channels - 1;
  config[kScanLimitsOffset] = uint8_t((last << 4) & 0xFF);
  if (wideForm) config[kScanLimitsHighOffset] = uint8_t(last & 0xF0);
}

// One scan by a bulk acquisition under the stored configuration; channel
// Ch's value goes to pBuf[Ch], the mean of its conversions firstOf(Ch)..O.
template <typename FirstConversion>
uint32_t FastScanV(uint32_t di, TDeviceData &device, const std::vector<uint8_t> &config,
                   bool startByCounter, FirstConversion firstOf, double *pBuf) {
  const ScanLimits limits = ScanLimitsOf(config, device.ConfigBytes >= kWideBlockBytes);
  const uint32_t channels = uint8_t(limits.end - limits.start + 1);
  const uint32_t O = config[kOversampleOffset];
  std::vector<uint16_t> samples(std::size_t(channels) * (O + 1));
  if (const uint32_t result =
          ::ADC_BulkAcquire(di, uint32_t(samples.size() * 2), samples.data()))
    return result;
  const std::shared_ptr<TADCWorker> worker = device.ADCWorker;
  if (startByCounter) {
    ::CTR_8254Mode(di, 0, 2, 0);
    ::CTR_8254Mode(di, 0, 2, 1);
  }
  if (!worker->WaitFor(kScanWait)) {
    // The worker still writes into `samples`: stop it and wait for it
    // before the buffer goes.  The caller sees the time-out.
    worker->bAbort.store(true);
    do {
      AbortPipe(di, kTargetPipe);
    } while (!worker->WaitFor(std::chrono::milliseconds(100)));
    worker->Join();
    return ERROR_TIMEOUT;
  }
  uint32_t bytesLeft = 0;
  if (const uint32_t result = ::ADC_BulkPoll(di, &bytesLeft)) return result;
  if (bytesLeft != 0) return ERROR_HANDLE_EOF;
  for (uint32_t i = 0; i < channels; ++i) {
    const uint32_t ch = limits.start + i;
    const uint32_t first = std::min<uint32_t>(firstOf(ch), O);
    double sum = 0;
    for (uint32_t k = first; k <= O; ++k) sum += samples[i * (O + 1) + k];
    const uint8_t range = config[RangeByteIndex(ch, device.RangeShift)];
    WriteCaller(pBuf + ch, CountsToVolts(sum, O - first + 1, range));
  }
  return ERROR_SUCCESS;
}

}  // namespace

}  // namespace mirbax

using namespace mirbax;

MIRBAX_EXPORT uint32_t ADC_InitFastITScanV(uint32_t DeviceIndex) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    if (!HasFastScan(device)) return ERROR_BAD_TOKEN_TYPE;
    if (const uint32_t result =
            PrepareFastConfig(di, device, device.FastITConfig, device.FastITBakConfig, 3))
      return result;
    StoreChannelCount(device.FastITConfig, std::min<uint32_t>(device.ADCMUXChannels, 64),
                      device.ConfigBytes >= kWideBlockBytes);
    if (const uint32_t result = ArmFastConfig(di, device.FastITConfig, device.FastITBakConfig))
      return result;
    if (const uint32_t result = SendDebugSwitch(di, 1)) {
      SetConfigBytes(di, device.FastITBakConfig);
      return result;
    }
    return ERROR_SUCCESS;
  });
}

MIRBAX_EXPORT uint32_t ADC_SetFastITScanVChannels(uint32_t DeviceIndex, uint32_t NewChannels) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    if (!HasFastScan(device)) return ERROR_BAD_TOKEN_TYPE;
    if (device.FastITConfig.size() < 20) return ERROR_NOT_READY;
    const uint32_t channels = std::min(NewChannels, device.ADCMUXChannels);
    StoreChannelCount(device.FastITConfig, channels, device.ConfigBytes >= kWideBlockBytes);
    return SetConfigBytes(di, device.FastITConfig);
  });
}

MIRBAX_EXPORT uint32_t ADC_GetFastITScanV(uint32_t DeviceIndex, double *pBuf) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    if (!HasFastScan(device)) return ERROR_BAD_TOKEN_TYPE;
    if (device.FastITConfig.size() < 20) return ERROR_NOT_READY;
    // Range group 0 settles over its first four conversions.
    auto firstOf = [&](uint32_t ch) { return (ch >> device.RangeShift) == 0 ? 4u : 1u; };
    return FastScanV(di, device, device.FastITConfig, true, firstOf, pBuf);
  });
}

MIRBAX_EXPORT uint32_t ADC_ResetFastITScanV(uint32_t DeviceIndex) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    if (!HasFastScan(device)) return ERROR_BAD_TOKEN_TYPE;
    uint32_t size = uint32_t(device.FastITBakConfig.size());
    if (const uint32_t result = ::ADC_SetConfig(di, device.FastITBakConfig.data(), &size))
      return result;
    return SendDebugSwitch(di, 0);
  });
}

MIRBAX_EXPORT uint32_t ADC_GetITScanV(uint32_t DeviceIndex, double *pBuf) {
  return Guarded([&]() -> uint32_t {
    if (const uint32_t result = ADC_InitFastITScanV(DeviceIndex)) return result;
    const uint32_t result = ADC_GetFastITScanV(DeviceIndex, pBuf);
    const uint32_t reset = ADC_ResetFastITScanV(DeviceIndex);
    return result != ERROR_SUCCESS ? result : reset;
  });
}

MIRBAX_EXPORT uint32_t ADC_CSA_InitFastScanV(uint32_t DeviceIndex) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    if (!HasFastScan(device)) return ERROR_BAD_TOKEN_TYPE;
    if (const uint32_t result =
            PrepareFastConfig(di, device, device.CSA_FastConfig, device.CSA_FastBakConfig, 1))
      return result;
    device.CSA_FastConfig[kScanLimitsOffset] = device.CSA_FastBakConfig[kScanLimitsOffset];
    if (device.ConfigBytes >= kWideBlockBytes)
      device.CSA_FastConfig[kScanLimitsHighOffset] =
          device.CSA_FastBakConfig[kScanLimitsHighOffset];
    return ArmFastConfig(di, device.CSA_FastConfig, device.CSA_FastBakConfig);
  });
}

MIRBAX_EXPORT uint32_t ADC_CSA_GetFastScanV(uint32_t DeviceIndex, double *pBuf) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    if (!HasFastScan(device)) return ERROR_BAD_TOKEN_TYPE;
    if (device.CSA_FastConfig.size() < 20) return ERROR_NOT_READY;
    return FastScanV(di, device, device.CSA_FastConfig, false, [](uint32_t) { return 1u; },
                     pBuf);
  });
}

MIRBAX_EXPORT uint32_t ADC_CSA_ResetFastScanV(uint32_t DeviceIndex) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    if (!HasFastScan(device)) return ERROR_BAD_TOKEN_TYPE;
    uint32_t size = uint32_t(device.CSA_FastBakConfig.size());
    return ::ADC_SetConfig(di, device.CSA_FastBakConfig.data(), &size);
  });
}

MIRBAX_EXPORT uint32_t ADC_CSA_GetScanOversamples(uint32_t DeviceIndex, uint16_t *pBuf) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &) -> uint32_t {
    std::vector<uint8_t> scratch(22, 0);
    std::vector<uint16_t> samples;
    uint8_t start = 0, end = 0;
    if (const uint32_t result = ADC_GetScan_Inner(di, scratch, samples, start, end, 0))
      return result;
    if (CopyToCaller(pBuf, samples.data(), samples.size() * 2) != ERROR_SUCCESS)
      throw CallerMemoryFault();
    return ERROR_SUCCESS;
  });
}
