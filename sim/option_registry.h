// The options of a board (MIRBAXSIM_SetOption): named 64-bit values with a
// default, each with an optional hook that applies a new value to the board
// state (the "serial" option writes the EEPROM, for one).  The board's lock
// guards the values; nothing registers after construction.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace mirbax::sim {

class Board;

// Runs after the option changed, with the board's lock held.
using OptionHook = std::function<void(Board &board, uint64_t value)>;

class OptionRegistry {
 public:
  // Throws std::logic_error when the name is taken.
  void Register(std::string name, uint64_t defaultValue, OptionHook onSet = {});

  // False for an unknown name.  Runs the option's hook.
  bool Set(Board &board, std::string_view name, uint64_t value);
  std::optional<uint64_t> Find(std::string_view name) const;
  // The value of an option the caller registered; throws for an unknown name.
  uint64_t Value(std::string_view name) const;

 private:
  struct Option {
    uint64_t value;
    OptionHook onSet;
  };
  std::map<std::string, Option, std::less<>> options_;
};

}  // namespace mirbax::sim
