// Ring acquisition: a continuous acquisition whose callback copies every
// block into a per-device ring, ADC_ReadData that takes whole scans out of
// it in volts, and ADC_FullStartRing that sets the whole thing up.
//
// Overrun: when the reader falls more than one ring behind, the samples it
// has not read are partly overwritten.  ADC_ReadData then reports
// ERROR_IO_DEVICE (1117) with no scan delivered, drops what was lost and
// resumes at the oldest whole scan still in the ring, so later reads stay
// aligned on scans.  (A read that has delivered scans before the writer
// laps it returns those; the next read reports the overrun.)
//
// The scans are converted where they lie in the ring, straight into the
// caller's pData (checked writable page by page first): no gathered copy of
// the samples, no second copy of the doubles.
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

// Turns whole scans of samples into the caller's values: volts by the range
// of each channel (oversampled conversions averaged), or, on the DIO-stream
// board, two inputs in volts and the 32-bit digital value.
class TScanConverter {
 public:
  TScanConverter(const TDeviceData &device, std::span<const uint8_t> block,
                 const ScanGeometry &geometry)
      : dioStream_(!device.bADCBulk),
        scanSamples_(geometry.ScanSamples()),
        oversample_(geometry.oversample) {
    if (dioStream_) {
      inputRanges_ = {block[0], block[1]};
      return;
    }
    scales_.reserve(geometry.channels.size());
    for (const uint32_t channel : geometry.channels)
      scales_.emplace_back(block[RangeByteIndex(channel, device.RangeShift)], oversample_);
  }

  uint64_t ScanSamples() const { return scanSamples_; }
  uint64_t ValuesPerScan() const { return dioStream_ ? 3 : scales_.size(); }

  // Converts the whole scans held in `first` and then `second` (the ring's
  // wrap between them; a scan may straddle it) to `out`; returns the end of
  // what was written.
  double *Convert(std::span<const uint16_t> first, std::span<const uint16_t> second,
                  double *out) const {
    const std::size_t straddling = first.size() % scanSamples_;
    out = ConvertWhole(first.first(first.size() - straddling), out);
    if (straddling != 0) {
      const std::size_t rest = scanSamples_ - straddling;
      std::vector<uint16_t> scan(first.end() - straddling, first.end());
      scan.insert(scan.end(), second.begin(), second.begin() + rest);
      out = ConvertWhole(scan, out);
      second = second.subspan(rest);
    }
    return ConvertWhole(second, out);
  }

 private:
  // `samples` holds whole scans.
  double *ConvertWhole(std::span<const uint16_t> samples, double *out) const {
    if (dioStream_) return ConvertDioStream(samples, out);
    if (scales_.size() == 1 && oversample_ == 1) return ConvertSingleChannel(samples, out);
    const uint16_t *sample = samples.data();
    for (std::size_t s = samples.size() / scanSamples_; s > 0; --s) {
      for (const TVoltsScale &scale : scales_) {
        uint32_t sum = 0;
        for (uint32_t k = 0; k < oversample_; ++k) sum += *sample++;
        *out++ = scale(sum);
      }
    }
    return out;
  }

  // The common single-input stream without oversampling: one scale for
  // every sample, a loop the compiler vectorizes.
  double *ConvertSingleChannel(std::span<const uint16_t> samples, double *out) const {
    const double factor = scales_[0].Factor * (1.0 / 65536.0);
    const double offset = scales_[0].Offset * (1.0 / 65536.0);
    const uint16_t *sample = samples.data();
    const std::size_t n = samples.size();
    for (std::size_t i = 0; i < n; ++i) out[i] = factor * double(sample[i]) + offset;
    return out + n;
  }

  double *ConvertDioStream(std::span<const uint16_t> samples, double *out) const {
    for (std::size_t s = 0; s + 4 <= samples.size(); s += 4) {
      *out++ = CountsToVolts(samples[s], 1, inputRanges_[0]);
      *out++ = CountsToVolts(samples[s + 1], 1, inputRanges_[1]);
      *out++ = double(uint32_t(samples[s + 2]) << 16 | samples[s + 3]);
    }
    return out;
  }

  bool dioStream_;
  uint64_t scanSamples_;
  uint32_t oversample_;
  std::vector<TVoltsScale> scales_;
  std::array<uint8_t, 2> inputRanges_{};
};

// The reader's side of one ADC_ReadData call: takes whole scans out of the
// ring and converts them where they lie straight into the caller's pData,
// which is checked writable first (an unwritable pData throws
// CallerMemoryFault).  The ring's mutex is held for one chunk of samples at
// a time, so the writer is never kept waiting for a whole large read.
class RingReader {
 public:
  RingReader(TRingAcqData &ring, const TScanConverter &converter, double *pData,
             Deadline deadline)
      : ring_(ring), converter_(converter), pData_(pData), deadline_(deadline) {}

  // Whole scans waiting now; sets overrun() when the writer lapped the reader.
  uint64_t ScansWaiting() {
    const TRingAcqData::Waiting waiting = ring_.SamplesWaiting();
    overrun_ = overrun_ || waiting.overrun;
    ended_ = waiting.ended;
    return waiting.samples / converter_.ScanSamples();
  }
  // Converts `scans` waiting scans into pData after those taken before.
  // False when the writer overwrote some first: the scans of the chunks
  // converted before that stay taken.
  bool TakeScans(uint64_t scans) {
    const uint64_t values = converter_.ValuesPerScan();
    double *out = WritableCallerArea(pData_ + taken_ * values, scans * values).data();
    const uint64_t chunkScans = std::max<uint64_t>(1, kChunkSamples / converter_.ScanSamples());
    while (scans > 0) {
      const uint64_t n = std::min(scans, chunkScans);
      const bool read = ring_.ReadRingSpans(
          n * converter_.ScanSamples(),
          [&](std::span<const uint16_t> first, std::span<const uint16_t> second) {
            out = converter_.Convert(first, second, out);
          });
      if (!read) {
        overrun_ = true;
        return false;
      }
      taken_ += n;
      scans -= n;
    }
    return true;
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
  uint64_t taken() const { return taken_; }
  bool overrun() const { return overrun_; }

 private:
  static constexpr uint64_t kChunkSamples = uint64_t{1} << 16;  // about 100 us of conversion

  TRingAcqData &ring_;
  const TScanConverter &converter_;
  double *pData_;
  Deadline deadline_;
  uint64_t taken_ = 0;
  bool overrun_ = false;
  bool ended_ = false;
};

// Takes up to `wanted` scans into the caller's pData; returns the scans
// delivered.  Timeout 0: what is waiting now.  Positive: as many as arrive
// in time.  Negative: all of them or none.  An overrun ends the read with
// the scans converted before it (none for an all-or-nothing read).
uint64_t ReadScans(RingReader &reader, uint64_t wanted, double Timeout) {
  if (Timeout == 0) {
    const uint64_t scans = std::min(wanted, reader.ScansWaiting());
    if (scans != 0) reader.TakeScans(scans);
    return reader.taken();
  }
  if (Timeout > 0) {
    for (;;) {
      const uint64_t scans = std::min(wanted - reader.taken(), reader.ScansWaiting());
      if (reader.overrun()) return reader.taken();
      if (scans != 0 && !reader.TakeScans(scans)) return reader.taken();
      if (reader.taken() == wanted || !reader.WaitForData()) return reader.taken();
    }
  }
  while (reader.ScansWaiting() < wanted) {
    if (reader.overrun() || !reader.WaitForData()) return 0;
  }
  return reader.TakeScans(wanted) ? wanted : 0;
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

  const TScanConverter converter(device, block, geometry);
  RingReader reader(*ring, converter, pData,
                    Timeout == 0 ? Deadline{} : DeadlineAfter(std::fabs(Timeout)));
  const uint64_t scans = ReadScans(reader, wanted, Timeout);
  WriteCaller(ScansToRead, uint32_t(scans));
  if (scans != 0) return ERROR_SUCCESS;
  if (reader.overrun()) {
    ring->SkipOverrun(scanSamples);
    return ERROR_IO_DEVICE;
  }
  return ERROR_TIMEOUT;
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
