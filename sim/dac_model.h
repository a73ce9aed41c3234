// Analog-output model of the simulated boards.
//
// Every board with DACs keeps the count each channel outputs
// (MIRBAXSIM_GetDACOutput) and answers
//   0xB3  VRQ_DAC_IMMEDIATE  value = count, index = channel, no data; or the
//                            multi-channel record (groups of a mask byte and
//                            eight little-endian counts)
//   0xB7  VRQ_DAC_RANGE      write: value = range code; read: the two bytes
//                            of region "dacrange" (DAC-through-stream boards)
// Waveform-FIFO boards (0x4001, 0x4002) also answer
//   0xB0  VRQ_DAC_CONTROL    0x80 prepare (empties the FIFO, stops the
//                            output), 1 start, 0x20 / 0 interlock on / off
//   0xB1  VRQ_DAC_DATAPTR    resets the data pointer
//   0xB2  VRQ_DAC_DIVISOR    index = divisor of the 12 MHz clock
// and take every word written to pipe 0x02 into the FIFO record, each with the
// divisor, start and interlock state it met (MIRBAXSIM_ReadDACFifo).  Once
// started, the board plays the FIFO: each count goes to the next channel, bit
// 13 ends a point.  Option "dac_fifo_paused" 1 makes the board take nothing
// on pipe 0x02 until it is set back to 0 (the transfers wait).
// Slow-waveform boards (0x8060, 0x8070 to 0x807F) answer
//   0xC7  VRQ_SLOW_WAVE_SETUP  value kept as the set-up
//   0xF0  VRQ_DEBUG_FLASH_1TO1 index = channel: its calibration table in the
//                              flash becomes the identity
// and keep what reaches pipe 0x06 for MIRBAXSIM_ReadBulkOut.  The
// DAC-through-stream boards output the words of the digital stream
// (dio_stream_model.h).
#pragma once

#include <condition_variable>
#include <cstdint>
#include <vector>

#include "sim/dio_stream_model.h"

namespace mirbax::sim {

class Board;

enum class DacKind { None, Immediate, WaveformFifo, DigitalStream, SlowWave };

struct DacFifoEntry {
  uint16_t word;
  uint16_t divisor;
  bool started;
  bool interlock;
};

// The analog-output state of one board; the board's lock guards it.
struct DacState {
  DacKind kind = DacKind::None;
  std::vector<uint16_t> outputs;
  uint16_t rangeCode = 0;
  uint8_t rangeReport[2] = {0, 0};  // region "dacrange"
  // Waveform FIFO.
  uint16_t divisor = 0;
  bool started = false;
  bool interlock = false;
  uint32_t prepares = 0;
  uint32_t dataPointerResets = 0;
  std::vector<DacFifoEntry> fifo;  // not yet read back
  std::vector<uint16_t> unplayed;  // words taken before the output started
  uint32_t playChannel = 0;
  std::condition_variable fifoResumed;  // "dac_fifo_paused" went to 0
  // Slow waveform.
  uint16_t slowWaveSetup = 0;
  // The digital stream (on the boards that have one).
  DigitalStreamState stream;
};

// Registers the analog-output requests, regions and bulk sinks of `board`;
// runs while the board is built.
void RegisterDacRequests(Board &board);

// MIRBAXSIM_GetDACOutput, called with the board's lock held.  Stores the
// channel's count and returns 0, 87 for a channel beyond the board, or 50 on
// a board without DACs.
uint32_t DacGetOutput(Board &board, uint32_t channel, uint16_t &counts);

}  // namespace mirbax::sim
