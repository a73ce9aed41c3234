// The scan engine: one scan of the analog inputs, for the three kinds of
// boards, and the conversions of its samples.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "adc/worker_thread.h"
#include "core/device_table.h"

namespace mirbax {

// Forces a software start when a triggered scan's hardware start does not
// come within TimeoutMS.
class TTimeoutTriggerThread : public WorkerThread {
 public:
  ~TTimeoutTriggerThread() override {
    Terminate();
    Join();
  }
  // Asks the thread to end and wakes it from its wait.
  void Stop() {
    Terminate();
    stop_.Set();
  }

  int32_t DI = 0;
  int32_t TimeoutMS = 0;
  std::atomic<bool> bTimeout{false};

 protected:
  void Execute() override;

 private:
  Event stop_;
};

// One scan.  `Config` is the scratch block (its size is the last index + 1):
// it receives the device's block and keeps the values the scan used (byte 19
// the oversample; the assumed range bytes on boards without a block).
// `ADBuf` gets the samples, channel-major: Oversample + 1 conversions per
// channel.  TimeoutMS 0: a software-started scan; otherwise a triggered scan
// forced after TimeoutMS.
uint32_t ADC_GetScan_Inner(uint32_t &DeviceIndex, std::span<uint8_t> Config,
                           std::vector<uint16_t> &ADBuf, uint8_t &StartChannel,
                           uint8_t &EndChannel, int32_t TimeoutMS);

// Reads DataBytes bytes of the DIO stream into pData (library memory).
uint32_t _BlockingADCDIORead(uint32_t DeviceIndex, uint8_t *pData, uint32_t DataBytes);

// The channels of a scan from StartChannel to EndChannel, in scan order.  A
// scan whose end lies below its start wraps past the last of `muxChannels`
// inputs (as the board converts it).
std::vector<uint32_t> ScanChannelList(uint32_t startChannel, uint32_t endChannel,
                                      uint32_t muxChannels);

// A scan's result for one channel: the mean of conversions 1..O of the
// channel (the first is discarded), or the single count when O is 0.
struct ChannelReading {
  uint32_t channel;
  double countSum;
  uint32_t conversions;
};
std::vector<ChannelReading> ScanReadings(std::span<const uint16_t> samples,
                                         std::span<const uint32_t> channels, uint32_t oversample);

}  // namespace mirbax
