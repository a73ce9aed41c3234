// mirbax scan: one scan of the analog inputs, in volts or counts.
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#include "adc_block.h"
#include "board_facts.h"
#include "cli.h"
#include "library_api.h"

namespace mirbax::tool {

namespace {

constexpr const char *kCommand = "scan";
// Scan results are indexed by channel number, up to 255.
constexpr std::size_t kChannelRoom = 256;

constexpr const char *kHelp =
    "usage: mirbax scan [-d N] [--channels A-B] [--counts]\n\n"
    "Reads one scan of the analog inputs (the channels of the board's scan\n"
    "limits) and prints one line per channel: its number and its reading in\n"
    "volts (or, with --counts, in 16-bit counts).\n\n"
    "options:\n"
    "  --channels A-B    set the scan limits to channels A to B first\n"
    "  --counts          print counts instead of volts\n"
    "%s";

std::optional<std::pair<uint32_t, uint32_t>> ParseRange(const std::string &text) {
  const auto dash = text.find('-');
  const auto first = ParseNumber(text.substr(0, dash), 0, 255);
  const auto last = dash == std::string::npos ? first : ParseNumber(text.substr(dash + 1), 0, 255);
  if (!first || !last) return std::nullopt;
  return std::pair(uint32_t(*first), uint32_t(*last));
}

int Volts(uint32_t entry) {
  // Channels outside the scan are left untouched: NaN marks them.
  std::vector<double> volts(kChannelRoom, std::numeric_limits<double>::quiet_NaN());
  if (const uint32_t result = ADC_GetScanV(entry, volts.data()))
    return LibraryFailure(kCommand, "ADC_GetScanV", result);
  for (std::size_t channel = 0; channel < volts.size(); ++channel)
    if (!std::isnan(volts[channel])) std::printf("%3zu %+.6f V\n", channel, volts[channel]);
  return kExitOk;
}

int Counts(uint32_t entry) {
  ScanLayout layout;
  if (const uint32_t result = ReadScanLayout(entry, layout))
    return LibraryFailure(kCommand, "ADC_GetConfig", result);
  std::vector<uint16_t> counts(kChannelRoom);
  if (const uint32_t result = ADC_GetScan(entry, counts.data()))
    return LibraryFailure(kCommand, "ADC_GetScan", result);
  for (uint32_t channel = layout.startChannel; channel <= layout.endChannel; ++channel)
    std::printf("%3u %5u\n", channel, counts[channel]);
  return kExitOk;
}

}  // namespace

int ScanCommand(const std::vector<std::string> &args) {
  const Arguments arguments(args, {"channels"}, {"counts"});
  char help[2048];
  std::snprintf(help, sizeof help, kHelp, kDeviceHelp);
  uint32_t device = 0;
  if (const auto exit = Prologue(kCommand, arguments, help, device)) return *exit;
  if (!arguments.Words().empty())
    return UsageFailure(kCommand, "unexpected argument '" + arguments.Words()[0] + "'");
  BoardFacts board;
  std::string function;
  if (const uint32_t result = QueryBoard(device, board, function))
    return LibraryFailure(kCommand, function, result);
  if (const auto channels = arguments.Value("channels")) {
    const auto range = ParseRange(*channels);
    if (!range) return UsageFailure(kCommand, "bad --channels '" + *channels + "': want A-B");
    if (const uint32_t result = ADC_SetScanLimits(board.entry, range->first, range->second))
      return LibraryFailure(kCommand, "ADC_SetScanLimits", result);
  }
  return arguments.Has("counts") ? Counts(board.entry) : Volts(board.entry);
}

}  // namespace mirbax::tool
