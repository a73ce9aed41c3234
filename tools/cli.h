// What every subcommand shares: its arguments, the device it works on, and
// how it reports a failed library call or a bad command line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "commands.h"

namespace mirbax::tool {

// A subcommand's arguments: options (--name VALUE, --flag) anywhere, and the
// other words in order.  Unknown options are errors.
class Arguments {
 public:
  // `valued` and `flags` list the options the subcommand knows (without the
  // dashes); -d is --device and -h is --help for every subcommand.
  Arguments(const std::vector<std::string> &args, std::vector<std::string> valued,
            std::vector<std::string> flags);

  bool Ok() const { return error_.empty(); }
  const std::string &Error() const { return error_; }

  bool Has(const std::string &name) const;
  std::optional<std::string> Value(const std::string &name) const;
  const std::vector<std::string> &Words() const { return words_; }
  bool Help() const { return Has("help"); }

 private:
  std::vector<std::pair<std::string, std::string>> options_;
  std::vector<std::string> words_;
  std::string error_;
};

// A number in decimal, hex (0x...) or octal-free form, within [low, high].
std::optional<uint64_t> ParseNumber(const std::string &text, uint64_t low, uint64_t high);
std::optional<double> ParseReal(const std::string &text);

// --device: "first" (default), "only" or an entry number 0..31.
std::optional<uint32_t> ParseDevice(const Arguments &arguments);

// Prints "mirbax COMMAND: FUNCTION: CODE (text)" to standard error and
// returns kExitLibraryError.
int LibraryFailure(const std::string &command, const std::string &function, uint32_t code);

// Prints "mirbax COMMAND: MESSAGE" and a hint to standard error and returns
// kExitUsage.
int UsageFailure(const std::string &command, const std::string &message);

// The standard beginning of a subcommand: help, argument errors, device.
// Returns an exit code to end with, or nullopt to go on.
std::optional<int> Prologue(const std::string &command, const Arguments &arguments,
                            const char *help, uint32_t &device);

// The help text's lines on --device, for every subcommand that works on one.
inline constexpr const char *kDeviceHelp =
    "  -d, --device N    the board: an entry number 0-31, 'first' (default) or 'only'\n";

}  // namespace mirbax::tool
