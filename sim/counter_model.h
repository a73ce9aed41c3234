// 8254 counter model of the simulated boards.
//
// Every counter has a count, a mode and a load value.  A test sets a count
// with MIRBAXSIM_SetCounter, holding it stable or making it change by a step
// after every read (to drive the pulse-width monitor); a load sets the count
// to the load value.
//
// Requests answered:
//   0x20 read: one counter (value: counter << 8 | block): count (2 bytes,
//        least significant first), then the 8254 status byte
//        (0x30 | mode << 1)
//   0x21/0x22/0x23 write: mode, load, mode and load (value: control word or
//        selector << 8 | block; index: the load value); 0x23 read: the same,
//        answering the count held before the load
//   0x24 write: the gate the board watches (value)
//   0x25 read: every count; 0x26 read: every count, then the number of
//        latched reads so far (one byte)
//   0x27 write: arms the gate wait (index: gate B << 8 | gate A); from then
//        on an edge on gate A (MIRBAXSIM_TriggerGate) sends the number of
//        A events since arming (2 bytes) on pipe 0x82, gate B on pipe 0x86
//   0x29 write: ends the gate wait: the board stops reporting and the reads
//        pending on pipes 0x82 and 0x86 end (995)
#pragma once

#include <condition_variable>
#include <cstdint>
#include <vector>

namespace mirbax::sim {

class Board;

struct SimCounter {
  uint16_t count = 0;
  int32_t step = 0;  // added to the count after every read
  uint8_t mode = 0;
  uint16_t load = 0;
};

// The counter state of one board; the board's lock guards it.
struct CounterState {
  uint32_t blocks = 0;
  std::vector<SimCounter> counters;  // 3 per block, block * 3 + counter
  uint16_t selectedGate = 0;
  bool armed = false;
  uint8_t gateA = 0, gateB = 0;
  uint16_t eventsA = 0, eventsB = 0;
  uint8_t latchedReads = 0;
  uint64_t readAlls = 0;  // VRQ_CTR_READALL requests answered
  // Host reads found waiting on the gate pipes (0x82, 0x86), and how many of
  // them MIRBAXSIM_WaitForGateReader has reported.
  uint64_t gateReaders[2] = {0, 0};
  uint64_t gateReadersReported[2] = {0, 0};
  std::condition_variable_any changed;  // waits with the board's lock
};

// Registers the counter requests and the gate-event sources of `board`;
// runs while the board is built.
void RegisterCounterRequests(Board &board);

// MIRBAXSIM_TriggerGate, with the board's lock held: an edge on counter gate
// `gate`; 0, or 87 for a gate beyond the board.
uint32_t CounterTriggerGate(Board &board, uint32_t gate);

}  // namespace mirbax::sim
