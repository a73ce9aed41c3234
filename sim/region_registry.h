// The named memory regions of a board that MIRBAXSIM_Poke and MIRBAXSIM_Peek
// reach ("eeprom", "ram", "pnp", and those the family models add: "flash",
// "adcconfig", "caltable", ...).  A region is a view of storage the board
// owns; its owner registers it while the board is built.  The board's lock
// guards the bytes; nothing registers after construction.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <string_view>

namespace mirbax::sim {

class Board;

// Runs after a Poke changed bytes [address, address + size) of the region,
// with the board's lock held: lets a model react to a memory it mirrors.
using RegionWriteHook = std::function<void(Board &board, uint32_t address, uint32_t size)>;

struct Region {
  std::span<uint8_t> bytes;  // must stay valid for the board's life
  RegionWriteHook afterWrite;
};

class RegionRegistry {
 public:
  // Throws std::logic_error when the name is taken.
  void Register(std::string name, Region region);
  // The region of that name, or null.
  const Region *Find(std::string_view name) const;

 private:
  std::map<std::string, Region, std::less<>> regions_;
};

}  // namespace mirbax::sim
