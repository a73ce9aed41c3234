// 8254 counter model of the simulated boards.
//
// Will hold: the counters of every 8254 block (mode, load value, running
// count, output), the gate source selection, the output-frequency set-up, and
// the gate-wait events a bulk IN source delivers; and it will answer the
// VRQ_CTR_* requests.  Nothing is modelled yet: the board stalls those
// requests.
#pragma once

namespace mirbax::sim {

class Board;

// The counter state of one board; the board's lock guards it.
struct CounterState {};

// Registers the counter requests, regions and bulk sources of `board`; runs
// while the board is built.
void RegisterCounterRequests(Board &board);

}  // namespace mirbax::sim
