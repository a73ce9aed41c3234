// Board memory model of the simulated boards, beyond the EEPROM and the
// controller RAM the base keeps.
//
// Will hold: the 2 MiB flash (region "flash", erased bytes 0xFF) with sector
// erase, the defaults table of the newer firmware generation (save, restore,
// read, write) and the global tick, the FIFO and its clear methods, and the
// stream status word; and it will answer VRQ_FLASH_READWRITE,
// VRQ_DEBUG_FLASH_ERASE, VRQ_GEN_REGISTER, the VRQ_GEN_CLEAR_FIFO* requests
// and VRQ_GEN_STREAM_STATUS.  Nothing is modelled yet: the board stalls those
// requests.
#pragma once

namespace mirbax::sim {

class Board;

// The memory state of one board; the board's lock guards it.
struct MemoryState {};

// Registers the memory requests and regions of `board`; runs while the
// board is built.
void RegisterMemoryRequests(Board &board);

}  // namespace mirbax::sim
