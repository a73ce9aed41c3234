// mirbax dac: the analog outputs, set at once.
#include <cstdio>
#include <string>

#include "board_facts.h"
#include "cli.h"
#include "library_api.h"

namespace mirbax::tool {

namespace {

constexpr const char *kCommand = "dac";

constexpr const char *kHelp =
    "usage: mirbax dac [-d N] set CHANNEL COUNTS [CHANNEL COUNTS]...\n"
    "       mirbax dac [-d N] range CODE\n\n"
    "Sets analog outputs at once.  COUNTS is the 16-bit output code 0-65535\n"
    "(what it means in volts depends on the board's range); several pairs are\n"
    "sent together in one request.  'range' sets the board-wide output range\n"
    "code of boards that have one.\n\n"
    "options:\n"
    "%s";

int Set(const std::vector<std::string> &words, uint32_t entry) {
  if (words.size() < 3 || words.size() % 2 == 0)
    return UsageFailure(kCommand, "want: set CHANNEL COUNTS [CHANNEL COUNTS]...");
  std::vector<TDACEntry> entries;
  for (std::size_t i = 1; i + 1 < words.size(); i += 2) {
    const auto channel = ParseNumber(words[i], 0, 0xFFFF);
    const auto counts = ParseNumber(words[i + 1], 0, 0xFFFF);
    if (!channel || !counts)
      return UsageFailure(kCommand, "bad pair '" + words[i] + " " + words[i + 1] +
                                        "': channel and counts 0-65535");
    entries.push_back({uint16_t(*channel), uint16_t(*counts)});
  }
  if (entries.size() == 1) {
    if (const uint32_t result = DACDirect(entry, entries[0].Channel, entries[0].Value))
      return LibraryFailure(kCommand, "DACDirect", result);
    return kExitOk;
  }
  if (const uint32_t result = DACMultiDirect(entry, entries.data(), uint32_t(entries.size())))
    return LibraryFailure(kCommand, "DACMultiDirect", result);
  return kExitOk;
}

int Range(const std::vector<std::string> &words, uint32_t entry) {
  const auto code = words.size() == 2 ? ParseNumber(words[1], 0, 0xFFFFFFFF) : std::nullopt;
  if (!code) return UsageFailure(kCommand, "want: range CODE");
  if (const uint32_t result = DACSetBoardRange(entry, uint32_t(*code)))
    return LibraryFailure(kCommand, "DACSetBoardRange", result);
  return kExitOk;
}

}  // namespace

int DacCommand(const std::vector<std::string> &args) {
  const Arguments arguments(args, {}, {});
  char help[2048];
  std::snprintf(help, sizeof help, kHelp, kDeviceHelp);
  uint32_t device = 0;
  if (const auto exit = Prologue(kCommand, arguments, help, device)) return *exit;
  const auto &words = arguments.Words();
  if (words.empty()) return UsageFailure(kCommand, "want set or range");
  BoardFacts board;
  std::string function;
  if (const uint32_t result = QueryBoard(device, board, function))
    return LibraryFailure(kCommand, function, result);
  if (words[0] == "set") return Set(words, board.entry);
  if (words[0] == "range") return Range(words, board.entry);
  return UsageFailure(kCommand, "want set or range");
}

}  // namespace mirbax::tool
