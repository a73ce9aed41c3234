// Immediate and scan reads.  ADC_GetScan_Inner serves the three kinds of
// analog boards: bulk boards run a one-block acquisition of their configured
// channel range, the DIO-stream board reads a block of its stream, and
// boards with immediate inputs only read them with one control request.
#include "adc/scan.h"

#include <mirbax.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <limits>
#include <memory>

#include "adc/adc_codes.h"
#include "adc/adc_config.h"
#include "adc/bulk_acquire.h"
#include "adc/config_block.h"
#include "adc/counts_to_volts.h"
#include "core/caller_memory.h"
#include "core/frame.h"
#include "core/transport.h"

namespace mirbax {

namespace {

// Conversions per channel that one DIO-stream read delivers.
constexpr uint32_t ADCDIOOversample = 128;
constexpr uint32_t kDIORecordBytes = 8;
// The exported scan functions' scratch block: room for any block.
constexpr std::size_t kScratchBytes = 22;
// A channel number fits in 8 bits: output arrays of the library's own are
// this long, whatever the board.
constexpr std::size_t kMaxChannels = 256;

// The default quiet NaN with the sign bit set (bits FFF8 0000 0000 0000).
double NegativeQuietNaN() { return -std::numeric_limits<double>::quiet_NaN(); }

}  // namespace

void TTimeoutTriggerThread::Execute() {
  bTimeout.store(false);
  // The limit is measured on the monotonic clock; the wait ends early when
  // the scan's read has finished and the thread is asked to stop.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(TimeoutMS);
  while (!Terminated()) {
    const auto now = std::chrono::steady_clock::now();
    if (now > deadline) break;
    stop_.WaitFor(deadline - now + std::chrono::milliseconds(1));
  }
  if (Terminated()) return;
  ::GenericVendorWrite(uint32_t(DI), VRQ_ADC_IMMEDIATE, 0, 0, 0, nullptr);
  bTimeout.store(true);
}

std::vector<uint32_t> ScanChannelList(uint32_t startChannel, uint32_t endChannel,
                                      uint32_t muxChannels) {
  std::vector<uint32_t> channels;
  if (endChannel >= startChannel) {
    for (uint32_t ch = startChannel; ch <= endChannel; ++ch) channels.push_back(ch);
  } else if (muxChannels > startChannel) {
    for (uint32_t ch = startChannel; ch < muxChannels; ++ch) channels.push_back(ch);
    for (uint32_t ch = 0; ch <= endChannel; ++ch) channels.push_back(ch);
  }
  return channels;
}

std::vector<ChannelReading> ScanReadings(std::span<const uint16_t> samples,
                                         std::span<const uint32_t> channels, uint32_t oversample) {
  std::vector<ChannelReading> readings;
  readings.reserve(channels.size());
  const std::size_t perChannel = oversample + 1;
  for (std::size_t i = 0; i < channels.size(); ++i) {
    const std::size_t first = i * perChannel;
    if (first + perChannel > samples.size()) break;
    if (oversample == 0) {
      readings.push_back({channels[i], double(samples[first]), 1});
      continue;
    }
    double sum = 0;
    for (std::size_t k = 1; k <= oversample; ++k) sum += samples[first + k];
    readings.push_back({channels[i], sum, oversample});
  }
  return readings;
}

uint32_t _BlockingADCDIORead(uint32_t DeviceIndex, uint8_t *pData, uint32_t DataBytes) {
  if (const uint32_t result = _GenericVendorWrite(DeviceIndex, VRQ_BC_CONTROL, 3, 0, 0, nullptr))
    return result;
  uint32_t result = ERROR_SUCCESS;
  const uint32_t blockSize = Dev[DeviceIndex].StreamingBlockSize;
  std::vector<uint8_t> tail;  // takes a read larger than the room left
  while (DataBytes > 0) {
    const uint32_t request = std::max(std::min(DataBytes, blockSize), MinBlock);
    uint8_t *target = pData;
    if (request > DataBytes) {
      tail.resize(request);
      target = tail.data();
    }
    uint32_t transferred = 0;
    result = _GenericBulk(DeviceIndex, kTargetPipe, target, request, transferred);
    if (result != ERROR_SUCCESS) break;
    transferred = std::min(transferred, DataBytes);
    if (target != pData) std::copy_n(tail.data(), transferred, pData);
    pData += transferred;
    DataBytes -= transferred;
  }
  _GenericVendorWrite(DeviceIndex, VRQ_BC_CONTROL, 0, 0, 0, nullptr);
  return result;
}

namespace {

uint32_t BulkScan(uint32_t di, const TDeviceData &device, std::span<uint8_t> Config,
                  std::vector<uint16_t> &ADBuf, uint8_t &StartChannel, uint8_t &EndChannel,
                  int32_t TimeoutMS) {
  uint32_t L = uint32_t(Config.size());
  if (const uint32_t result = ::ADC_GetConfig(di, Config.data(), &L)) return result;
  uint8_t &startMode = Config[kStartModeOffset];
  startMode = TimeoutMS != 0 ? uint8_t(startMode | kStartScan)
                             : uint8_t((startMode & ~(kStartCounter | kStartExternal)) | kStartScan);
  const ScanLimits limits = ScanLimitsOf(Config, L >= kWideBlockBytes);
  StartChannel = uint8_t(limits.start);
  EndChannel = uint8_t(limits.end);
  const uint32_t channels =
      uint32_t(ScanChannelList(limits.start, limits.end, device.ADCMUXChannels).size());
  uint8_t &oversample = Config[kOversampleOffset];
  if (oversample == 0) oversample = 1;
  if (channels * (oversample + 1u) > kMaxScanSamples)
    oversample = uint8_t(kMaxScanSamples / channels - 1);
  const uint32_t samples = channels * (oversample + 1u);
  ADBuf.assign(samples, 0);

  if (const uint32_t result = ::ADC_SetConfig(di, Config.data(), &L)) return result;
  if (const uint32_t result = ::GenericVendorWrite(di, VRQ_BC_CONTROL, 0, uint16_t(samples),
                                                   sizeof kArmBlockRecord, kArmBlockRecord))
    return result;

  std::unique_ptr<TTimeoutTriggerThread> trigger;
  if (TimeoutMS != 0) {
    trigger = std::make_unique<TTimeoutTriggerThread>();
    trigger->DI = int32_t(di);
    trigger->TimeoutMS = TimeoutMS;
    trigger->Start();
  } else {
    uint16_t ignored = 0;  // ADBuf may be empty; the start only needs a target
    ::ADC_GetImmediate(di, 0, &ignored);
  }

  uint32_t result = ERROR_SUCCESS;
  auto *target = reinterpret_cast<uint8_t *>(ADBuf.data());
  uint32_t bytesLeft = 2 * samples;
  while (bytesLeft > 0) {
    uint32_t transferred = 0;
    result = ::AWU_GenericBulkIn(di, kTargetPipe, target, bytesLeft, &transferred);
    if (result != ERROR_SUCCESS) break;
    transferred = std::min(transferred, bytesLeft);
    target += transferred;
    bytesLeft -= transferred;
  }
  if (trigger) {
    trigger->Stop();
    trigger->Join();
    if (result == ERROR_SUCCESS && trigger->bTimeout.load()) result = ERROR_TIMEOUT;
  }
  return result;
}

uint32_t DIOStreamScan(uint32_t di, const TDeviceData &device, std::span<uint8_t> Config,
                       std::vector<uint16_t> &ADBuf, uint8_t &StartChannel, uint8_t &EndChannel) {
  std::array<uint8_t, ADCDIOOversample * kDIORecordBytes> records{};
  if (const uint32_t result = _BlockingADCDIORead(di, records.data(), uint32_t(records.size())))
    return result;
  StartChannel = 0;
  EndChannel = 1;
  std::fill(Config.begin(), Config.end(), 0);
  uint32_t L = device.ConfigBytes;
  ::ADC_GetConfig(di, Config.data(), &L);
  Config[kOversampleOffset] = ADCDIOOversample - 1;
  ADBuf.assign(2 * ADCDIOOversample, 0);
  for (uint32_t i = 0; i < ADCDIOOversample; ++i) {
    const uint8_t *record = &records[i * kDIORecordBytes];
    ADBuf[i] = uint16_t(record[0] | record[1] << 8);
    ADBuf[ADCDIOOversample + i] = uint16_t(record[2] | record[3] << 8);
  }
  return ERROR_SUCCESS;
}

uint32_t ImmediateScan(uint32_t di, const TDeviceData &device, std::span<uint8_t> Config,
                       std::vector<uint16_t> &ADBuf, uint8_t &StartChannel, uint8_t &EndChannel) {
  if (device.ImmADCs == 0) return ERROR_BAD_TOKEN_TYPE;
  ADBuf.assign(device.ImmADCs, 0);
  uint32_t size = device.ImmADCs * 2;
  const uint32_t result = ::GenericVendorRead(di, VRQ_ADC_IMMEDIATE, 0, 0, &size, ADBuf.data());
  StartChannel = 0;
  EndChannel = uint8_t(device.ImmADCs - 1);
  std::fill_n(Config.begin(), std::min<std::size_t>(kRangeBytes, Config.size()),
              kImmediateRangeByte);
  Config[kOversampleOffset] = 0;
  return result;
}

}  // namespace

uint32_t ADC_GetScan_Inner(uint32_t &DeviceIndex, std::span<uint8_t> Config,
                           std::vector<uint16_t> &ADBuf, uint8_t &StartChannel,
                           uint8_t &EndChannel, int32_t TimeoutMS) {
  const TDeviceData &device = Dev[DeviceIndex];
  if (device.bADCBulk)
    return BulkScan(DeviceIndex, device, Config, ADBuf, StartChannel, EndChannel, TimeoutMS);
  if (device.bADCDIOStream)
    return DIOStreamScan(DeviceIndex, device, Config, ADBuf, StartChannel, EndChannel);
  return ImmediateScan(DeviceIndex, device, Config, ADBuf, StartChannel, EndChannel);
}

namespace {

// One scan's readings, with the scratch block the engine left.
struct ScanResult {
  uint32_t code = ERROR_SUCCESS;
  std::array<uint8_t, kScratchBytes> config{};
  std::vector<ChannelReading> readings;
};

ScanResult RunScan(uint32_t di, int32_t TimeoutMS) {
  ScanResult scan;
  std::vector<uint16_t> samples;
  uint8_t start = 0, end = 0;
  scan.code = ADC_GetScan_Inner(di, scan.config, samples, start, end, TimeoutMS);
  if (scan.code != ERROR_SUCCESS && scan.code != ERROR_TIMEOUT) return scan;
  const TDeviceData &device = Dev[di];
  const std::vector<uint32_t> channels = ScanChannelList(start, end, device.ADCMUXChannels);
  scan.readings = ScanReadings(samples, channels, scan.config[kOversampleOffset]);
  return scan;
}

uint32_t StoreCounts(const ScanResult &scan, uint16_t *pBuf) {
  for (const ChannelReading &reading : scan.readings) {
    const double mean = reading.countSum / reading.conversions;
    WriteCaller(pBuf + reading.channel, uint16_t(std::nearbyint(mean)));
  }
  return scan.code;
}

uint32_t StoreVolts(const ScanResult &scan, const TDeviceData &device, double *pBuf,
                    bool postScale) {
  const bool immediate = scan.config[kOversampleOffset] == 0;
  for (const ChannelReading &reading : scan.readings) {
    const uint8_t range = immediate
                              ? kImmediateRangeByte
                              : scan.config[RangeByteIndex(reading.channel, device.RangeShift)];
    double volts = CountsToVolts(reading.countSum, reading.conversions, range);
    if (postScale && device.ImmADCPostScale != 1.0) volts *= device.ImmADCPostScale;
    WriteCaller(pBuf + reading.channel, volts);
  }
  return scan.code;
}

}  // namespace

}  // namespace mirbax

using namespace mirbax;

MIRBAX_EXPORT uint32_t ADC_GetScan(uint32_t DeviceIndex, uint16_t *pBuf) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &) -> uint32_t {
    const ScanResult scan = RunScan(di, 0);
    if (scan.code != ERROR_SUCCESS) return scan.code;
    return StoreCounts(scan, pBuf);
  });
}

MIRBAX_EXPORT uint32_t ADC_GetScanV(uint32_t DeviceIndex, double *pBuf) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    const ScanResult scan = RunScan(di, 0);
    if (scan.code != ERROR_SUCCESS) return scan.code;
    return StoreVolts(scan, device, pBuf, true);
  });
}

MIRBAX_EXPORT uint32_t ADC_GetTrigScan(uint32_t DeviceIndex, uint16_t *pBuf, int32_t TimeoutMS) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &) -> uint32_t {
    const ScanResult scan = RunScan(di, TimeoutMS <= 0 ? 1 : TimeoutMS);
    if (scan.code != ERROR_SUCCESS) return scan.code;
    return StoreCounts(scan, pBuf);
  });
}

MIRBAX_EXPORT uint32_t ADC_GetTrigScanV(uint32_t DeviceIndex, double *pBuf, int32_t TimeoutMS) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    const ScanResult scan = RunScan(di, TimeoutMS <= 0 ? 1 : TimeoutMS);
    if (scan.code != ERROR_SUCCESS && scan.code != ERROR_TIMEOUT) return scan.code;
    return StoreVolts(scan, device, pBuf, false);
  });
}

MIRBAX_EXPORT uint32_t ADC_GetChannelV(uint32_t DeviceIndex, uint32_t ChannelIndex, double *pBuf) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    const uint32_t channels =
        (device.bADCBulk || device.bADCDIOStream) ? device.ADCMUXChannels : device.ImmADCs;
    if (channels == 0) return ERROR_BAD_TOKEN_TYPE;
    if (ChannelIndex >= channels) return ERROR_INVALID_INDEX;
    std::vector<double> volts(std::max<std::size_t>(channels, kMaxChannels), NegativeQuietNaN());
    if (const uint32_t result = ::ADC_GetScanV(di, volts.data())) return result;
    WriteCaller(pBuf, volts[ChannelIndex]);
    return ERROR_SUCCESS;
  });
}

MIRBAX_EXPORT uint32_t ADC_GetCalRefV(uint32_t DeviceIndex, uint32_t CalRefIndex, double *pRef) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    if (!device.bADCBulk || device.ConfigBytes < 20) return ERROR_BAD_TOKEN_TYPE;
    std::vector<uint8_t> oldBlock(device.ConfigBytes);
    if (const uint32_t result = ReadConfigBlock(di, oldBlock)) return result;
    std::vector<uint8_t> block(device.ConfigBytes, 0);
    block[0] = oldBlock[0];
    const bool bipolar = (block[0] & 0x01) != 0;
    if (CalRefIndex == 0) {
      block[kCalModeOffset] = bipolar ? 5 : 1;
    } else if (CalRefIndex == 1) {
      block[kCalModeOffset] = bipolar ? 7 : 3;
    } else {
      return ERROR_INVALID_INDEX;
    }
    block[kOversampleOffset] = 255;
    WriteConfigBlock(di, block);  // scan limits 0-0: channel 0 only
    std::vector<double> volts(std::max<std::size_t>(device.ADCMUXChannels, kMaxChannels), 0.0);
    uint32_t result;
    try {
      result = ::ADC_GetScanV(di, volts.data());
    } catch (...) {
      WriteConfigBlock(di, oldBlock);
      throw;
    }
    WriteConfigBlock(di, oldBlock);
    if (result == ERROR_SUCCESS) WriteCaller(pRef, volts[0]);
    return result;
  });
}

MIRBAX_EXPORT uint32_t ADC_GetImmediate(uint32_t DeviceIndex, uint32_t Channel, uint16_t *pBuf) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    if (!device.bADCBulk) return ERROR_BAD_TOKEN_TYPE;
    if (AcquisitionRunning(device)) return ERROR_TOO_MANY_OPEN_FILES;
    const uint16_t zero = 0;
    if (const uint32_t fault = CopyToCaller(pBuf, &zero, sizeof zero)) return fault;
    return ::GenericVendorWrite(di, VRQ_ADC_IMMEDIATE, 0, uint16_t(Channel), 0, nullptr);
  });
}
