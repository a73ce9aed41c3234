// The simulated boards the sweeps run on: one of each family, on both
// driver paths, and the helpers that bring them back to a known state
// between cases.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mirbax::testing {

struct SweepBoard {
  uint32_t pid = 0;
  uint32_t driver = 0;
  std::string label;   // e.g. "0x8001 digital+counters on CyUSB3"
  uint32_t handle = 0;  // the simulated board
  uint32_t entry = 0;   // its device table entry after linking
};

// Attaches the sweep's boards, links them and finds their entries.  Bulk
// reads of every board time out after a short while, so that a gate wait
// or a read the board never answers ends on its own.
std::vector<SweepBoard> AttachSweepBoards();

// Stops whatever a call may have started on the entry (acquisitions,
// streams, waveform output, pulse-width monitoring, gate waits), then
// relinks every board, so that the next case starts from linked, unopened
// entries.
void StopEverything(uint32_t entry);

// Opens the entry (the first call on a linked entry opens it: descriptor,
// capability record) so that the transfers of the next call alone reach
// the log.
void OpenEntry(uint32_t entry);

// Whether the board's log, since it was last cleared, holds a transfer that
// changes or starts something (a control write, a bulk transfer, an abort);
// reads only ask.
bool LogHoldsCommands(uint32_t board);

}  // namespace mirbax::testing
