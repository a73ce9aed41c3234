// Load-and-process output: the whole waveform in one call.
#include "dac/load_process.h"

#include <vector>

#include "core/caller_memory.h"
#include "core/frame.h"
#include "core/transport.h"
#include "dac/dac_kinds.h"
#include "dac/dio_stream.h"
#include "dac/oscillator_clock.h"
#include "dac/waveform.h"

namespace mirbax {

namespace {

constexpr uint32_t kMaxLoadSamples = 131071;  // the waveform memory of a bDACStream board
constexpr uint32_t BlockSamples = 15872;      // samples per bulk transfer (31744 bytes)

uint32_t PlayThroughDigitalStream(uint32_t DeviceIndex, TDeviceData &device, double &ClockHz,
                                  uint32_t Samples, const uint16_t *pSampleData) {
  if (device.bDIOOpen) return ERROR_TOO_MANY_OPEN_FILES;
  const uint16_t WriteOctDac = OctDacFromFreq(ClockHz);  // before anything is sent
  if (const uint32_t result = StreamOpen(DeviceIndex, device, false)) return result;
  if (const uint32_t result = SendStreamClocks(DeviceIndex, 0, WriteOctDac, 0)) {
    StreamClose(device);
    return result;
  }
  if (const uint32_t result = SendThroughDigitalStream(DeviceIndex, device, Samples, pSampleData))
    return result;  // the digital stream is closed already
  return StreamClose(device);
}

// DACsUsed is 1 for the one frame of the load and has its value again after,
// whatever the frame gives.
class SingleChannelFrame {
 public:
  explicit SingleChannelFrame(TDeviceData &device) : device_(device), saved_(device.DACsUsed) {
    device_.DACsUsed = 1;
  }
  ~SingleChannelFrame() { device_.DACsUsed = saved_; }
  SingleChannelFrame(const SingleChannelFrame &) = delete;
  SingleChannelFrame &operator=(const SingleChannelFrame &) = delete;

 private:
  TDeviceData &device_;
  const int32_t saved_;
};

uint32_t PlaySlowWave(uint32_t DeviceIndex, TDeviceData &device, double &ClockHz, uint32_t Samples,
                      const uint16_t *pSampleData) {
  if (const uint32_t result = OutputOpen(DeviceIndex, device, ClockHz)) return result;
  uint32_t frameResult;
  {
    const SingleChannelFrame oneChannel(device);
    frameResult = OutputFrameRaw(DeviceIndex, device, Samples, pSampleData);
  }
  const uint32_t closeResult = OutputClose(DeviceIndex, device, true);
  return frameResult != ERROR_SUCCESS ? frameResult : closeResult;
}

uint32_t LoadWaveformMemory(uint32_t DeviceIndex, TDeviceData &device, double &ClockHz,
                            uint32_t Samples, const uint16_t *pSampleData) {
  if (Samples > kMaxLoadSamples) return ERROR_OUTOFMEMORY;
  std::vector<uint16_t> samples(Samples);
  if (const uint32_t result =
          CopyFromCaller(samples.data(), pSampleData, samples.size() * sizeof(uint16_t)))
    return result;
  if (const uint32_t result = PrepareWaveformFIFO(DeviceIndex, device, ClockHz)) return result;

  uint16_t *position = samples.data();
  uint32_t remaining = Samples;
  uint32_t sent = 0;
  while (remaining > BlockSamples) {
    if (const uint32_t result = ::AWU_GenericBulkOut(DeviceIndex, kWaveformPipe, position,
                                                     BlockSamples * 2, &sent))
      return result;
    position += BlockSamples;
    remaining -= BlockSamples;
  }
  return ::AWU_GenericBulkOut(DeviceIndex, kWaveformPipe, position, remaining * 2, &sent);
}

}  // namespace

uint32_t OutputLoadProcess(uint32_t DeviceIndex, TDeviceData &device, double &ClockHz,
                           uint32_t Samples, const uint16_t *pSampleData) {
  if (!HasDACStreamKind(device)) return ERROR_BAD_TOKEN_TYPE;
  if (DACStreamBusy(device)) return ERROR_TOO_MANY_OPEN_FILES;
  // The frame call of these kinds refuses zero samples; refused here,
  // nothing is sent.
  if (Samples == 0 && DACKind(device) != TDACKind::Waveform) return ERROR_INVALID_PARAMETER;
  // Beyond what one slow-waveform frame can carry (the frame call's 14).
  if (DACKind(device) == TDACKind::SlowWave && uint64_t(Samples) * 2 > UINT32_MAX)
    return ERROR_OUTOFMEMORY;
  switch (DACKind(device)) {
    case TDACKind::DIOStream:
      return PlayThroughDigitalStream(DeviceIndex, device, ClockHz, Samples, pSampleData);
    case TDACKind::SlowWave:
      return PlaySlowWave(DeviceIndex, device, ClockHz, Samples, pSampleData);
    case TDACKind::Waveform:
      return LoadWaveformMemory(DeviceIndex, device, ClockHz, Samples, pSampleData);
    case TDACKind::Immediate: break;
  }
  return ERROR_BAD_TOKEN_TYPE;
}

uint32_t OutputProcess(uint32_t DeviceIndex, TDeviceData &device, double &ClockHz,
                       uint32_t Samples, const uint16_t *pSampleData) {
  if (const uint32_t result = OutputLoadProcess(DeviceIndex, device, ClockHz, Samples, pSampleData))
    return result;
  // The other kinds have played the samples as they were sent.
  if (DACKind(device) != TDACKind::Waveform) return ERROR_SUCCESS;
  return _GenericVendorWrite(DeviceIndex, VRQ_DAC_CONTROL, kDACControlStart, 0, 0, nullptr);
}

}  // namespace mirbax

using namespace mirbax;

namespace {

template <typename Operation>
uint32_t WithRate(uint32_t DeviceIndex, double *ClockHz, uint32_t Samples,
                  const uint16_t *pSampleData, Operation operation) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    if (!HasDACStreamKind(device)) return ERROR_BAD_TOKEN_TYPE;
    if (DACStreamBusy(device)) return ERROR_TOO_MANY_OPEN_FILES;
    double hz = ReadCaller(ClockHz);
    WriteCaller(ClockHz, hz);  // writable, so the rate obtained can be reported
    const uint32_t result = operation(di, device, hz, Samples, pSampleData);
    WriteCaller(ClockHz, hz);
    return result;
  });
}

}  // namespace

MIRBAX_EXPORT uint32_t DACOutputLoadProcess(uint32_t DeviceIndex, double *ClockHz,
                                            uint32_t Samples, const uint16_t *pSampleData) {
  return WithRate(DeviceIndex, ClockHz, Samples, pSampleData, OutputLoadProcess);
}

MIRBAX_EXPORT uint32_t DACOutputProcess(uint32_t DeviceIndex, double *ClockHz, uint32_t Samples,
                                        const uint16_t *pSampleData) {
  return WithRate(DeviceIndex, ClockHz, Samples, pSampleData, OutputProcess);
}
