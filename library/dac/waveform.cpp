// Waveform streaming on the three board kinds, and the exported functions.
#include "dac/waveform.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <memory>
#include <span>
#include <stdexcept>
#include <vector>

#include "core/board_memory.h"
#include "core/caller_memory.h"
#include "core/frame.h"
#include "core/transport.h"
#include "dac/dac_kinds.h"
#include "dac/dac_worker.h"
#include "dac/dio_stream.h"
#include "dac/oscillator_clock.h"

namespace mirbax {

static_assert(std::endian::native == std::endian::little, "samples are queued little-endian");

uint16_t DACDivisorFromRate(double &ClockHz) {
  if (!std::isfinite(ClockHz) || ClockHz <= 0) throw std::domain_error("no divisor for the rate");
  const double divisor = std::nearbyint(kDACBaseClockHz / ClockHz);
  if (divisor < 1) throw std::domain_error("no divisor for the rate");
  const uint16_t D = divisor > 65535 ? uint16_t(65535) : uint16_t(divisor);
  ClockHz = kDACBaseClockHz / D;
  return D;
}

namespace {

uint32_t SetWaveformDivisor(uint32_t DeviceIndex, TDeviceData &device, double &ClockHz) {
  device.CtrDivisor = DACDivisorFromRate(ClockHz);
  return _GenericVendorWrite(DeviceIndex, VRQ_DAC_DIVISOR, 0, device.CtrDivisor, 0, nullptr);
}

uint32_t DACControl(uint32_t DeviceIndex, uint16_t command) {
  return _GenericVendorWrite(DeviceIndex, VRQ_DAC_CONTROL, command, 0, 0, nullptr);
}

// The write clock of a DAC-through-stream board; the read clock is off.
uint32_t SetDigitalStreamClock(uint32_t DeviceIndex, uint16_t WriteOctDac) {
  return SendStreamClocks(DeviceIndex, 0, WriteOctDac, 0);
}

// Ends a worker left over from a stream whose board went away before it was
// closed: it must not send its queue to whatever board the entry holds now.
void EndLeftoverWorker(TDeviceData &device) {
  if (!device.WorkerThread) return;
  device.WorkerThread->RequestStop();
  device.WorkerThread->WaitFor();
  device.WorkerThread.reset();
}

// A fresh queue and semaphore for a new stream.
void ResetWaveformQueue(TDeviceData &device) {
  {
    std::lock_guard lock(device.hDACDataMutex);
    device.DACData.clear();
  }
  while (device.hDACDataSem.TryAcquire()) {
  }
  device.PendingDACData.clear();
  device.bDACStarted = false;
}

uint32_t OpenWaveformFIFO(uint32_t DeviceIndex, TDeviceData &device, double &ClockHz) {
  if (const uint32_t result = PrepareWaveformFIFO(DeviceIndex, device, ClockHz)) return result;
  EndLeftoverWorker(device);
  ResetWaveformQueue(device);
  device.WorkerThread = std::make_shared<TDACWorker>(int32_t(DeviceIndex));
  device.WorkerThread->Start();
  device.bDACOpen = true;
  return ERROR_SUCCESS;
}

uint32_t OpenThroughDigitalStream(uint32_t DeviceIndex, TDeviceData &device, double &ClockHz) {
  if (device.bDIOOpen) return ERROR_TOO_MANY_OPEN_FILES;
  // The code first: a rate that is no number fails before anything is sent.
  const uint16_t WriteOctDac = OctDacFromFreq(ClockHz);
  if (const uint32_t result = StreamOpen(DeviceIndex, device, false)) return result;
  if (const uint32_t result = SetDigitalStreamClock(DeviceIndex, WriteOctDac)) {
    StreamClose(device);
    return result;
  }
  device.bDACOpen = true;
  return ERROR_SUCCESS;
}

uint32_t OpenSlowWave(uint32_t DeviceIndex, TDeviceData &device, double &ClockHz) {
  // The board tick refuses such a rate (87); refused here, the set-up request
  // is not sent either.
  if (!std::isfinite(ClockHz) || ClockHz < 0) return ERROR_INVALID_PARAMETER;
  if (const uint32_t result =
          _GenericVendorWrite(DeviceIndex, VRQ_SLOW_WAVE_SETUP, 1, 0, 0, nullptr))
    return result;
  if (const uint32_t result = WriteGlobalTick(DeviceIndex, ClockHz)) return result;
  device.bDACOpen = true;
  return ERROR_SUCCESS;
}

uint32_t SetClock(uint32_t DeviceIndex, TDeviceData &device, double &ClockHz) {
  switch (DACKind(device)) {
    case TDACKind::DIOStream: return SetDigitalStreamClock(DeviceIndex, OctDacFromFreq(ClockHz));
    case TDACKind::SlowWave: return WriteGlobalTick(DeviceIndex, ClockHz);
    case TDACKind::Waveform: return SetWaveformDivisor(DeviceIndex, device, ClockHz);
    case TDACKind::Immediate: break;
  }
  return ERROR_BAD_TOKEN_TYPE;
}

uint32_t SetCount(TDeviceData &device, uint32_t NewCount) {
  const TDACKind kind = DACKind(device);
  if (kind == TDACKind::Immediate) return ERROR_BAD_TOKEN_TYPE;
  if (!device.bDACOpen) return ERROR_FILE_NOT_FOUND;
  if (NewCount == 0) return ERROR_INVALID_PARAMETER;
  const uint32_t maximum = kind == TDACKind::DIOStream  ? 1
                           : kind == TDACKind::SlowWave ? device.ImmDACs
                                                        : 8;
  if (NewCount > maximum) return ERROR_OUTOFMEMORY;
  device.DACsUsed = int32_t(NewCount);
  return ERROR_SUCCESS;
}

uint32_t ChannelsPerPoint(const TDeviceData &device) {
  return device.DACsUsed > 0 ? uint32_t(device.DACsUsed) : 0;
}

// Keeps the counts and sets the point and frame flags of each sample of a
// frame held as little-endian bytes: the counts of every sample in one pass
// (a loop the compiler vectorizes), then the flag of each point's last
// channel, then the frame's last sample.
void MarkFrame(std::span<char> frame, uint32_t DACsUsed) {
  const std::size_t count = frame.size() / sizeof(uint16_t);
  char *const bytes = frame.data();
  const auto change = [bytes](std::size_t i, auto operation) {
    uint16_t sample;
    std::memcpy(&sample, bytes + i * sizeof sample, sizeof sample);
    sample = operation(sample);
    std::memcpy(bytes + i * sizeof sample, &sample, sizeof sample);
  };
  for (std::size_t i = 0; i < count; ++i)
    change(i, [](uint16_t sample) { return uint16_t(sample & kSampleCountMask); });
  if (DACsUsed != 0)
    for (std::size_t i = DACsUsed - 1; i < count; i += DACsUsed)
      change(i, [](uint16_t sample) { return uint16_t(sample | kLastChannelOfPoint); });
  if (count != 0)
    change(count - 1, [](uint16_t sample) { return uint16_t(sample | kLastSampleOfFrame); });
}

// Queues every whole buffer of the pending bytes for the worker; the rest
// stays pending.  The buffers are filled before the queue's mutex is taken
// (and are the worker's sent ones when it has some spare), so the worker
// never waits for a copy and a running stream allocates nothing.
void QueueWholeBuffers(TDeviceData &device) {
  std::string &pending = device.PendingDACData;
  const std::size_t n = pending.size() / FrameBufferSize;
  if (n == 0) return;
  std::array<std::string, kMaxBuffersPerFrame> buffers;
  for (std::size_t i = 0; i < n; ++i) {
    buffers[i] = device.WorkerThread ? device.WorkerThread->SpareBuffer() : std::string();
    buffers[i].assign(pending, i * FrameBufferSize, FrameBufferSize);
  }
  {
    std::lock_guard lock(device.hDACDataMutex);
    for (std::size_t i = 0; i < n; ++i) device.DACData.push_back(std::move(buffers[i]));
  }
  device.hDACDataSem.Release(uint32_t(n));
  pending.erase(0, n * FrameBufferSize);
}

// Reads a frame (checked whole before anything is queued) into the pending
// bytes, sets its flags and queues the buffers it completes.
uint32_t QueueFrame(TDeviceData &device, uint32_t FramePoints, const uint16_t *FrameData,
                    bool bMark) {
  if (!device.bDACStream) return ERROR_BAD_TOKEN_TYPE;
  if (!device.bDACOpen) return ERROR_FILE_NOT_FOUND;
  if (FramePoints == 0) return ERROR_INVALID_PARAMETER;
  if (FramePoints > kMaxFramePoints) return ERROR_OUTOFMEMORY;
  {
    std::lock_guard lock(device.hDACDataMutex);
    if (device.DACData.size() > kMaxQueuedBuffers) return ERROR_NOT_READY;
  }
  const std::size_t bytes = std::size_t(FramePoints) * ChannelsPerPoint(device) * sizeof(uint16_t);
  std::string &pending = device.PendingDACData;
  const std::size_t before = pending.size();
  pending.resize(before + bytes);
  if (const uint32_t result = CopyFromCaller(pending.data() + before, FrameData, bytes)) {
    pending.resize(before);
    return result;
  }
  if (bMark) MarkFrame(std::span<char>(pending).subspan(before), ChannelsPerPoint(device));
  QueueWholeBuffers(device);
  return ERROR_SUCCESS;
}

uint32_t SendSlowWaveFrame(uint32_t DeviceIndex, TDeviceData &device, uint32_t FramePoints,
                           const uint16_t *FrameData) {
  const uint64_t bytes = uint64_t(FramePoints) * ChannelsPerPoint(device) * sizeof(uint16_t);
  if (bytes > UINT32_MAX) return ERROR_OUTOFMEMORY;  // beyond what one transfer can say
  // Copied as it is read: a count far beyond the caller's memory fails at its
  // first unreadable page, without allocating the whole size first.
  std::vector<uint8_t> frame;
  if (const uint32_t result = CopyCallerBuffer(frame, FrameData, bytes)) return result;
  uint32_t sent = 0;
  while (sent < frame.size()) {
    uint32_t moved = 0;
    if (const uint32_t result = ::AWU_GenericBulkOut(DeviceIndex, kSlowWavePipe, frame.data() + sent,
                                                     uint32_t(frame.size() - sent), &moved))
      return result;
    if (moved == 0) return ERROR_HANDLE_EOF;  // the board takes nothing more
    sent += moved;
  }
  return ERROR_SUCCESS;
}

// The end of the waveform (or, without a mark, only the pending tail) goes
// into the queue; the result is the count of wake-ups the worker needs to
// send what is queued and then find the queue empty while closing.
uint32_t QueueEndOfWaveform(TDeviceData &device, bool bMarkEnd) {
  std::string &pending = device.PendingDACData;
  std::lock_guard lock(device.hDACDataMutex);
  if (!pending.empty()) {
    if (bMarkEnd) pending.back() = char(uint8_t(pending.back()) | (kLastSampleOfWaveform >> 8));
    device.DACData.push_back(pending);
    return 2;
  }
  if (!bMarkEnd) return 1;
  if (device.DACData.empty()) {
    const uint16_t word = kEndOfWaveformWord;
    device.DACData.emplace_back(reinterpret_cast<const char *>(&word), sizeof word);
    return 2;
  }
  std::string &last = device.DACData.back();
  last.back() = char(uint8_t(last.back()) | (kLastSampleOfWaveform >> 8));
  return 1;
}

// The worker sends every buffer still queued, the end of the waveform last,
// and then ends; the close returns once it has.
uint32_t CloseWaveformFIFO(TDeviceData &device, bool bMarkEnd) {
  // Closing is set before open is cleared: the worker's auto-start, which
  // may run at any moment, must always see the stream open or closing.  The
  // worker looks at bDACClosing only once it has sent every buffer it was
  // woken for, so setting it early ends nothing early.
  device.bDACClosing = true;
  device.bDACOpen = false;
  const uint32_t R = QueueEndOfWaveform(device, bMarkEnd);
  device.PendingDACData.clear();
  device.hDACDataSem.Release(R);
  if (device.WorkerThread) {
    device.WorkerThread->WaitFor();
    device.WorkerThread.reset();
  }
  return ERROR_SUCCESS;
}

uint32_t StartOutput(uint32_t DeviceIndex, TDeviceData &device, bool bWhileClosing) {
  if (!device.bDACStream) return ERROR_BAD_TOKEN_TYPE;
  if (!device.bDACOpen && !(bWhileClosing && device.bDACClosing)) return ERROR_FILE_NOT_FOUND;
  // Claimed before the request, so that of the application's start and the
  // worker's, whichever comes second gets 183 and sends nothing.
  if (device.bDACStarted.exchange(true)) return ERROR_ALREADY_EXISTS;
  const uint32_t result = DACControl(DeviceIndex, kDACControlStart);
  if (result != ERROR_SUCCESS) device.bDACStarted = false;
  return result;
}

uint32_t SetInterlock(uint32_t DeviceIndex, TDeviceData &device, bool bInterlock) {
  if (!device.bDACStream) return ERROR_BAD_TOKEN_TYPE;
  if (!device.bDACOpen) return ERROR_FILE_NOT_FOUND;
  return DACControl(DeviceIndex, bInterlock ? kDACControlInterlock : 0);
}

// A rate argument: read, and checked writable before anything is sent, so
// the rate obtained can always be reported.
double ReadRate(double *ClockHz) {
  const double hz = ReadCaller(ClockHz);
  WriteCaller(ClockHz, hz);
  return hz;
}

}  // namespace

uint32_t PrepareWaveformFIFO(uint32_t DeviceIndex, TDeviceData &device, double &ClockHz) {
  if (const uint32_t result = DACControl(DeviceIndex, kDACControlPrepare)) return result;
  if (const uint32_t result = _GenericVendorWrite(DeviceIndex, VRQ_DAC_DATAPTR, 0, 0, 0, nullptr))
    return result;
  return SetWaveformDivisor(DeviceIndex, device, ClockHz);
}

uint32_t SendThroughDigitalStream(uint32_t DeviceIndex, TDeviceData &device, uint32_t FramePoints,
                                  const uint16_t *FrameData) {
  for (;;) {
    uint32_t transferred = 0;
    uint32_t result = StreamFrame(DeviceIndex, device, FramePoints,
                                  const_cast<uint16_t *>(FrameData), transferred);
    const uint32_t samples = transferred / 2;
    if (result == ERROR_SUCCESS && samples == 0) result = ERROR_HANDLE_EOF;  // no progress
    if (result != ERROR_SUCCESS) {
      StreamClose(device);
      return result;
    }
    if (samples >= FramePoints) return ERROR_SUCCESS;
    FrameData += samples;
    FramePoints -= samples;
  }
}

uint32_t OutputOpen(uint32_t DeviceIndex, TDeviceData &device, double &ClockHz) {
  if (!HasDACStreamKind(device)) return ERROR_BAD_TOKEN_TYPE;
  if (DACStreamBusy(device)) return ERROR_TOO_MANY_OPEN_FILES;
  switch (DACKind(device)) {
    case TDACKind::DIOStream: return OpenThroughDigitalStream(DeviceIndex, device, ClockHz);
    case TDACKind::SlowWave: return OpenSlowWave(DeviceIndex, device, ClockHz);
    case TDACKind::Waveform: return OpenWaveformFIFO(DeviceIndex, device, ClockHz);
    case TDACKind::Immediate: break;
  }
  return ERROR_BAD_TOKEN_TYPE;
}

uint32_t OutputFrameRaw(uint32_t DeviceIndex, TDeviceData &device, uint32_t FramePoints,
                        const uint16_t *FrameData) {
  const TDACKind kind = DACKind(device);
  if (kind == TDACKind::Immediate) return ERROR_BAD_TOKEN_TYPE;
  if (!device.bDACOpen) return ERROR_FILE_NOT_FOUND;
  if (FramePoints == 0) return ERROR_INVALID_PARAMETER;
  switch (kind) {
    case TDACKind::DIOStream:
      return SendThroughDigitalStream(DeviceIndex, device, FramePoints, FrameData);
    case TDACKind::SlowWave: return SendSlowWaveFrame(DeviceIndex, device, FramePoints, FrameData);
    case TDACKind::Waveform: return QueueFrame(device, FramePoints, FrameData, false);
    case TDACKind::Immediate: break;
  }
  return ERROR_BAD_TOKEN_TYPE;
}

uint32_t OutputClose(uint32_t, TDeviceData &device, bool bMarkEnd) {
  const TDACKind kind = DACKind(device);
  if (kind == TDACKind::Immediate) return ERROR_BAD_TOKEN_TYPE;
  if (!device.bDACOpen) {
    // A stream whose board went away is closed already; its worker, if one
    // is left, ends now rather than at the next open.
    if (kind == TDACKind::Waveform) EndLeftoverWorker(device);
    return ERROR_FILE_NOT_FOUND;
  }
  switch (kind) {
    case TDACKind::DIOStream:
      // A failed frame has closed the digital stream already; the waveform
      // stream ends all the same, or the board would stay busy for good.
      if (device.bDIOOpen) StreamClose(device);
      device.bDACOpen = false;
      return ERROR_SUCCESS;
    case TDACKind::SlowWave: device.bDACOpen = false; return ERROR_SUCCESS;
    case TDACKind::Waveform: return CloseWaveformFIFO(device, bMarkEnd);
    case TDACKind::Immediate: break;
  }
  return ERROR_BAD_TOKEN_TYPE;
}

void AutoStartOutput(uint32_t DeviceIndex) {
  Guarded([&] {
    uint32_t di = DeviceIndex;
    if (const uint32_t result = ValidateAndEnsureOpen(di)) return result;
    return StartOutput(di, Dev[di], true);
  });
}

}  // namespace mirbax

using namespace mirbax;

MIRBAX_EXPORT uint32_t DACOutputOpen(uint32_t DeviceIndex, double *ClockHz) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    if (!HasDACStreamKind(device)) return ERROR_BAD_TOKEN_TYPE;
    double hz = ReadRate(ClockHz);
    const uint32_t result = OutputOpen(di, device, hz);
    WriteCaller(ClockHz, hz);
    return result;
  });
}

MIRBAX_EXPORT uint32_t DACOutputSetClock(uint32_t DeviceIndex, double *ClockHz) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    if (!HasDACStreamKind(device)) return ERROR_BAD_TOKEN_TYPE;
    double hz = ReadRate(ClockHz);
    const uint32_t result = SetClock(di, device, hz);
    WriteCaller(ClockHz, hz);
    return result;
  });
}

MIRBAX_EXPORT uint32_t DACOutputSetCount(uint32_t DeviceIndex, uint32_t NewCount) {
  return WithOpenDevice(DeviceIndex,
                        [&](uint32_t, TDeviceData &device) { return SetCount(device, NewCount); });
}

MIRBAX_EXPORT uint32_t DACOutputFrame(uint32_t DeviceIndex, uint32_t FramePoints,
                                      const uint16_t *FrameData) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) {
    const TDACKind kind = DACKind(device);
    if (kind == TDACKind::DIOStream || kind == TDACKind::SlowWave)
      return OutputFrameRaw(di, device, FramePoints, FrameData);
    return QueueFrame(device, FramePoints, FrameData, true);
  });
}

MIRBAX_EXPORT uint32_t DACOutputFrameRaw(uint32_t DeviceIndex, uint32_t FramePoints,
                                         const uint16_t *FrameData) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) {
    return OutputFrameRaw(di, device, FramePoints, FrameData);
  });
}

MIRBAX_EXPORT uint32_t DACOutputStart(uint32_t DeviceIndex) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) {
    return StartOutput(di, device, false);
  });
}

MIRBAX_EXPORT uint32_t DACOutputSetInterlock(uint32_t DeviceIndex, uint32_t bInterlock) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) {
    return SetInterlock(di, device, bInterlock != 0);
  });
}

// bWait has no effect: a close always waits until everything queued is sent.
MIRBAX_EXPORT uint32_t DACOutputClose(uint32_t DeviceIndex, uint32_t /*bWait*/) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) {
    return OutputClose(di, device, true);
  });
}

MIRBAX_EXPORT uint32_t DACOutputCloseNoEnd(uint32_t DeviceIndex, uint32_t /*bWait*/) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) {
    return OutputClose(di, device, false);
  });
}

// Neither is supported; the device index is not even looked at.
MIRBAX_EXPORT uint32_t DACOutputAbort(uint32_t) { return ERROR_NOT_SUPPORTED; }
MIRBAX_EXPORT uint32_t DACOutputStatus(uint32_t) { return ERROR_NOT_SUPPORTED; }
