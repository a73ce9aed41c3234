// Ring acquisition: a continuous acquisition whose callback copies every
// block into a per-device ring, ADC_ReadData that takes whole scans out of
// it in volts, and ADC_FullStartRing that sets the whole thing up.
//
// Overrun: when the reader falls more than one ring behind, the samples it
// has not read are partly overwritten.  ADC_ReadData then reports
// ERROR_IO_DEVICE (1117) with no scan delivered, drops what was lost and
// resumes at the oldest whole scan still in the ring, so later reads stay
// aligned on scans.
#include "adc/ring.h"

#include <mirbax.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <memory>

#include "adc/adc_codes.h"
#include "adc/adc_config.h"
#include "adc/bulk_acquire.h"
#include "adc/config_block.h"
#include "adc/continuous.h"
#include "adc/counts_to_volts.h"
#include "adc/deadline.h"
#include "adc/scan.h"
#include "core/caller_memory.h"
#include "core/frame.h"

namespace mirbax {

void TRingAcqData::Write(std::span<const uint16_t> samples) {
  {
    std::lock_guard lock(hRingMutex);
    const uint32_t length = uint32_t(RingBuffer.size());
    const uint32_t count = uint32_t(std::min<std::size_t>(samples.size(), length));
    const uint32_t room = length - iNextWrite;
    if (count < room) {
      std::memcpy(&RingBuffer[iNextWrite], samples.data(), count * 2);
      iNextWrite += count;
    } else {
      std::memcpy(&RingBuffer[iNextWrite], samples.data(), room * 2);
      std::memcpy(RingBuffer.data(), samples.data() + room, (count - room) * 2);
      iNextWrite = count - room;
    }
    totalWritten_ += count;
  }
  hSem.Release();
}

void TRingAcqData::MarkEnded() {
  {
    std::lock_guard lock(hRingMutex);
    ended_ = true;
  }
  hSem.Release();
}

TRingAcqData::Waiting TRingAcqData::SamplesWaiting() {
  std::lock_guard lock(hRingMutex);
  const uint64_t waiting = totalWritten_ - totalRead_;
  if (waiting > RingBuffer.size()) return {0, true, ended_};
  return {waiting, false, ended_};
}

bool TRingAcqData::ReadRingSamples(uint16_t *to, uint64_t count) {
  std::lock_guard lock(hRingMutex);
  if (totalWritten_ - totalRead_ > RingBuffer.size()) return false;
  const uint32_t length = uint32_t(RingBuffer.size());
  const uint32_t n = uint32_t(count);
  const uint32_t toEnd = length - iNextRead;
  if (n < toEnd) {
    std::memcpy(to, &RingBuffer[iNextRead], n * 2);
    iNextRead += n;
  } else {
    std::memcpy(to, &RingBuffer[iNextRead], toEnd * 2);
    std::memcpy(to + toEnd, RingBuffer.data(), (n - toEnd) * 2);
    iNextRead = n - toEnd;
  }
  totalRead_ += n;
  return true;
}

void TRingAcqData::SkipOverrun(uint64_t scanSamples) {
  std::lock_guard lock(hRingMutex);
  const uint64_t length = RingBuffer.size();
  if (totalWritten_ - totalRead_ <= length) return;
  const uint64_t oldest = totalWritten_ - length;
  const uint64_t scan = std::max<uint64_t>(scanSamples, 1);
  totalRead_ = (oldest + scan - 1) / scan * scan;  // the stream starts on a scan boundary
  iNextRead = uint32_t(totalRead_ % length);
}

}  // namespace mirbax

// The callback of the ring acquisition; Context is the device index.
// The end-stream call marks the ring ended, so that a reader waiting
// without limit learns that nothing more will come.
extern "C" void BGRingContCallback(uint16_t *pBuf, uint32_t BufSize, uint32_t Flags,
                                   uint32_t Context) {
  using namespace mirbax;
  if (Context >= kDeviceCount) return;
  const std::shared_ptr<TRingAcqData> ring = Dev[Context].pRingAcqData;
  if (!ring) return;
  if (Flags & CallbackFlag_EndStream) {
    ring->MarkEnded();
    return;
  }
  const uint32_t samples = BufSize / 2;
  if (samples == 0) return;
  ring->Write(std::span<const uint16_t>(pBuf, samples));
}

namespace mirbax {

namespace {

bool HasStreamInputs(const TDeviceData &device) { return device.bADCBulk || device.bADCDIOStream; }

// The scans of the caller's block.
struct ScanGeometry {
  std::vector<uint32_t> channels;  // in scan order
  uint32_t oversample = 1;         // conversions per channel
  uint64_t ScanSamples() const { return channels.size() * uint64_t(oversample); }
};

ScanGeometry GeometryOf(const TDeviceData &device, std::span<const uint8_t> block) {
  ScanGeometry geometry;
  if (!device.bADCBulk) {  // the DIO-stream board: two inputs and a 32-bit value
    geometry.channels = {0, 1, 2, 3};
    return geometry;
  }
  const ScanLimits limits = ScanLimitsOf(block, device.ConfigBytes > 20);
  geometry.channels = ScanChannelList(limits.start, limits.end, device.ADCMUXChannels);
  geometry.oversample = block[kOversampleOffset] + 1u;
  return geometry;
}

// Writes converted doubles to the caller's pData in chunks small enough to
// stay in the cache: a chunk is filled by a tight conversion loop, then
// copied out with the fault-safe copy (an unwritable pData throws
// CallerMemoryFault).
class TVoltsWriter {
 public:
  static constexpr std::size_t kChunk = 8192;

  explicit TVoltsWriter(double *pData) : pData_(pData) {}
  // Room for up to `wanted` values in the current chunk.
  std::span<double> Room(std::size_t wanted) {
    return std::span<double>(chunk_).subspan(used_, std::min(wanted, kChunk - used_));
  }
  void Commit(std::size_t count) {
    used_ += count;
    if (used_ == kChunk) Flush();
  }
  void Put(double value) {
    Room(1)[0] = value;
    Commit(1);
  }
  void Flush() {
    if (used_ == 0) return;
    if (CopyToCaller(pData_, chunk_.data(), used_ * sizeof(double)) != ERROR_SUCCESS)
      throw CallerMemoryFault();
    pData_ += used_;
    used_ = 0;
  }

 private:
  double *pData_;
  std::array<double, kChunk> chunk_;
  std::size_t used_ = 0;
};

// The common single-input stream without oversampling: one scale for every
// sample, written as a loop the compiler can vectorize.
void ConvertSingleChannel(const TVoltsScale &scale, const uint16_t *sample, uint64_t count,
                          TVoltsWriter &writer) {
  const double factor = scale.Factor * (1.0 / 65536.0);
  const double offset = scale.Offset * (1.0 / 65536.0);
  while (count > 0) {
    const std::span<double> room = writer.Room(count);
    double *out = room.data();
    const std::size_t n = room.size();
    for (std::size_t i = 0; i < n; ++i) out[i] = factor * double(sample[i]) + offset;
    sample += n;
    count -= n;
    writer.Commit(n);
  }
}

// Converts `scans` scans of samples and writes the doubles to pData.
void PrepareData(const TDeviceData &device, std::span<const uint8_t> block,
                 const ScanGeometry &geometry, const uint16_t *samples, uint64_t scans,
                 double *pData) {
  auto writer = std::make_unique<TVoltsWriter>(pData);
  if (!device.bADCBulk) {
    for (uint64_t s = 0; s < scans; ++s) {
      const uint16_t *scan = &samples[s * 4];
      writer->Put(CountsToVolts(scan[0], 1, block[0]));
      writer->Put(CountsToVolts(scan[1], 1, block[1]));
      writer->Put(double(uint32_t(scan[2]) << 16 | scan[3]));
    }
    writer->Flush();
    return;
  }
  const std::size_t channels = geometry.channels.size();
  const uint32_t oversample = geometry.oversample;
  std::vector<TVoltsScale> scales;
  scales.reserve(channels);
  for (std::size_t c = 0; c < channels; ++c)
    scales.emplace_back(block[RangeByteIndex(geometry.channels[c], device.RangeShift)], oversample);
  const uint16_t *sample = samples;
  if (channels == 1 && oversample == 1) {
    ConvertSingleChannel(scales[0], sample, scans, *writer);
  } else {
    for (uint64_t s = 0; s < scans; ++s) {
      for (std::size_t c = 0; c < channels; ++c) {
        uint32_t sum = 0;
        for (uint32_t k = 0; k < oversample; ++k) sum += *sample++;
        writer->Put(scales[c](sum));
      }
    }
  }
  writer->Flush();
}

// The reader's side of one ADC_ReadData call.
class RingReader {
 public:
  RingReader(TRingAcqData &ring, uint64_t scanSamples, Deadline deadline)
      : ring_(ring), scanSamples_(scanSamples), deadline_(deadline) {}

  // Whole scans waiting now; sets overrun() when the writer lapped the reader.
  uint64_t ScansWaiting() {
    const TRingAcqData::Waiting waiting = ring_.SamplesWaiting();
    overrun_ = overrun_ || waiting.overrun;
    ended_ = waiting.ended;
    return waiting.samples / scanSamples_;
  }
  bool TakeScans(uint16_t *into, uint64_t fromScan, uint64_t scans) {
    if (ring_.ReadRingSamples(into + fromScan * scanSamples_, scans * scanSamples_))
      return true;
    overrun_ = true;
    return false;
  }
  // False at the deadline, or when the stream ended before the samples
  // last counted (so none will follow).
  bool WaitForData() {
    if (ended_) return false;
    if (!deadline_) {
      ring_.hSem.Acquire();
      return true;
    }
    const auto left = *deadline_ - std::chrono::steady_clock::now();
    if (left < std::chrono::steady_clock::duration::zero()) return false;
    return ring_.hSem.AcquireFor(std::chrono::ceil<std::chrono::milliseconds>(left));
  }
  bool overrun() const { return overrun_; }

 private:
  TRingAcqData &ring_;
  uint64_t scanSamples_;
  Deadline deadline_;
  bool overrun_ = false;
  bool ended_ = false;
};

// Takes up to `wanted` scans into `samples`; returns the scans taken.
// Timeout 0: what is waiting now.  Positive: as many as arrive in time.
// Negative: all of them or none.
uint64_t GatherScans(RingReader &reader, uint16_t *samples, uint64_t wanted,
                     double Timeout) {
  if (Timeout == 0) {
    const uint64_t scans = std::min(wanted, reader.ScansWaiting());
    return scans != 0 && reader.TakeScans(samples, 0, scans) ? scans : 0;
  }
  if (Timeout > 0) {
    uint64_t taken = 0;
    for (;;) {
      const uint64_t scans = std::min(wanted - taken, reader.ScansWaiting());
      if (reader.overrun()) return taken;
      if (scans != 0) {
        if (!reader.TakeScans(samples, taken, scans)) return taken;
        taken += scans;
      }
      if (taken == wanted || !reader.WaitForData()) return taken;
    }
  }
  while (reader.ScansWaiting() < wanted) {
    if (reader.overrun() || !reader.WaitForData()) return 0;
  }
  return reader.TakeScans(samples, 0, wanted) ? wanted : 0;
}

uint32_t ReadData(TDeviceData &device, const void *pConfigBuf, uint32_t *ScansToRead,
                  double *pData, double Timeout) {
  if (!HasStreamInputs(device)) return ERROR_BAD_TOKEN_TYPE;
  const std::shared_ptr<TRingAcqData> ring = device.pRingAcqData;
  if (!device.ADCContAcqWorker || !device.ADCContBufWorker || !ring) return ERROR_NOT_SUPPORTED;
  const uint32_t wanted = ReadCaller(ScansToRead);
  if (wanted == 0) return ERROR_SUCCESS;
  if (std::isnan(Timeout)) return ERROR_INVALID_PARAMETER;
  const std::vector<uint8_t> block = ReadCallerBytes(pConfigBuf, device.ConfigBytes);
  const ScanGeometry geometry = GeometryOf(device, block);
  const uint64_t scanSamples = geometry.ScanSamples();
  // A scan must fit in the ring, and so must an all-or-nothing read: more
  // could never be waiting at once.
  if (scanSamples == 0 || scanSamples > ring->RingBuffer.size()) return ERROR_INVALID_PARAMETER;
  if (Timeout < 0 && wanted * scanSamples > ring->RingBuffer.size()) return ERROR_INVALID_PARAMETER;

  // The gathered samples: every one is written before it is read.
  const auto samples = std::make_unique_for_overwrite<uint16_t[]>(wanted * scanSamples);
  RingReader reader(*ring, scanSamples, Timeout == 0 ? Deadline{} : DeadlineAfter(std::fabs(Timeout)));
  const uint64_t scans = GatherScans(reader, samples.get(), wanted, Timeout);
  if (scans == 0) {
    WriteCaller(ScansToRead, 0u);
    if (reader.overrun()) {
      ring->SkipOverrun(scanSamples);
      return ERROR_IO_DEVICE;
    }
    return ERROR_TIMEOUT;
  }
  WriteCaller(ScansToRead, uint32_t(scans));
  PrepareData(device, block, geometry, samples.get(), scans, pData);
  return ERROR_SUCCESS;
}

uint32_t StartRing(uint32_t di, TDeviceData &device, uint32_t RingBufferSize,
                   uint32_t PacketsPerBlock) {
  if (!HasStreamInputs(device)) return ERROR_BAD_TOKEN_TYPE;
  RingBufferSize &= ~511u;
  if (RingBufferSize < 4096 || PacketsPerBlock > RingBufferSize / 512)
    return ERROR_INVALID_USER_BUFFER;
  // The ring is allocated whole at the start: a size beyond what a caller of
  // this 32-bit interface can use is refused instead of taking gigabytes.
  constexpr uint32_t kMaxRingBytes = uint32_t{1} << 30;
  if (RingBufferSize > kMaxRingBytes) return ERROR_NOT_ENOUGH_MEMORY;
  const uint32_t blockBytes =
      PacketsPerBlock != 0 ? PacketsPerBlock * 512 : (RingBufferSize + 4095) / 4096 * 512;
  if (AcquisitionRunning(device)) return ERROR_TOO_MANY_OPEN_FILES;
  std::shared_ptr<TADCWorker> oldWorker = device.ADCWorker;
  device.pRingAcqData = std::make_shared<TRingAcqData>(RingBufferSize / 2);
  TContStart start{blockBytes, 3, &BGRingContCallback, di};
  StartContinuousWorkers(di, device, start);
  if (oldWorker) device.ADCWorker.reset();
  return ERROR_SUCCESS;
}

}  // namespace

}  // namespace mirbax

using namespace mirbax;

MIRBAX_EXPORT uint32_t ADC_BulkContinuousRingStart(uint32_t DeviceIndex, uint32_t RingBufferSize,
                                                   uint32_t PacketsPerBlock) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) {
    return StartRing(di, device, RingBufferSize, PacketsPerBlock);
  });
}

MIRBAX_EXPORT uint32_t ADC_ReadData(uint32_t DeviceIndex, const void *pConfigBuf,
                                    uint32_t *ScansToRead, double *pData, double Timeout) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t, TDeviceData &device) {
    return ReadData(device, pConfigBuf, ScansToRead, pData, Timeout);
  });
}

MIRBAX_EXPORT uint32_t ADC_FullStartRing(uint32_t DeviceIndex, const void *pConfigBuf,
                                         uint32_t *ConfigBufSize, const char *CalFileName,
                                         double *pCounterHz, uint32_t RingBufferSize,
                                         uint32_t PacketsPerBlock) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    if (!HasStreamInputs(device) || device.ConfigBytes == 0) return ERROR_BAD_TOKEN_TYPE;
    if (ReadCaller(ConfigBufSize) < device.ConfigBytes) {
      WriteCaller(ConfigBufSize, device.ConfigBytes);
      return ERROR_INSUFFICIENT_BUFFER;
    }
    if (pConfigBuf == nullptr) return ERROR_INVALID_PARAMETER;
    const std::vector<uint8_t> block = ReadCallerBytes(pConfigBuf, device.ConfigBytes);
    const bool counterTriggered =
        device.bADCBulk && (block[kStartModeOffset] & kStartCounter) != 0;
    if (counterTriggered) {
      double stop = 0.0;
      if (const uint32_t result = ::CTR_StartOutputFreq(di, 0, &stop)) return result;
    }
    if (const uint32_t result = ::ADC_SetConfig(di, pConfigBuf, ConfigBufSize)) return result;
    if (device.bADCBulk && CalFileName != nullptr) {
      const uint32_t result = ::ADC_SetCal(di, CalFileName);
      if (result != ERROR_SUCCESS && result != ERROR_NOT_SUPPORTED) return result;
    }
    if (const uint32_t result = StartRing(di, device, RingBufferSize, PacketsPerBlock))
      return result;
    if (!device.bADCBulk) {
      if (pCounterHz != nullptr) CopyToCaller(pCounterHz, &device.RootClock, sizeof(double));
    } else if (counterTriggered) {
      ::CTR_StartOutputFreq(di, 0, pCounterHz);
    }
    return ERROR_SUCCESS;
  });
}
