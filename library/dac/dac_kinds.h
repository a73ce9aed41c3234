// How a board's DACs are fed, as its device entry records it.
#pragma once

#include "core/device_table.h"

namespace mirbax {

enum class TDACKind {
  Immediate,   // no waveform output: immediate writes only (or no DACs at all)
  DIOStream,   // fed through the digital stream (bDACDIOStream)
  SlowWave,    // slow-waveform frames on bulk pipe 0x06 (bDACSlowWaveStream)
  Waveform,    // a waveform FIFO fed by the worker on bulk pipe 0x02 (bDACStream)
};

// The kind that decides the path; the DAC-through-stream flag wins, then the
// slow-waveform flag, as the waveform functions test them in that order.
inline TDACKind DACKind(const TDeviceData &device) {
  if (device.bDACDIOStream) return TDACKind::DIOStream;
  if (device.bDACSlowWaveStream) return TDACKind::SlowWave;
  if (device.bDACStream) return TDACKind::Waveform;
  return TDACKind::Immediate;
}

inline bool HasDACStreamKind(const TDeviceData &device) {
  return DACKind(device) != TDACKind::Immediate;
}

// A waveform stream is open or still closing: immediate writes and
// load-and-process output would mix with it.
inline bool DACStreamBusy(const TDeviceData &device) {
  return device.bDACOpen || device.bDACClosing;
}

}  // namespace mirbax
