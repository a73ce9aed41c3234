// mirbax dac: the analog outputs, set at once, or a waveform played from a
// CSV file.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "board_facts.h"
#include "cli.h"
#include "library_api.h"

namespace mirbax::tool {

namespace {

constexpr const char *kCommand = "dac";

constexpr const char *kHelp =
    "usage: mirbax dac [-d N] set CHANNEL COUNTS [CHANNEL COUNTS]...\n"
    "       mirbax dac [-d N] range CODE\n"
    "       mirbax dac [-d N] play FILE.csv [--rate HZ]\n\n"
    "Sets analog outputs at once.  COUNTS is the 16-bit output code 0-65535\n"
    "(what it means in volts depends on the board's range); several pairs are\n"
    "sent together in one request.  'range' sets the board-wide output range\n"
    "code of boards that have one.  'play' outputs a waveform on a board with\n"
    "waveform output: one point per line of the CSV file, one count per column\n"
    "(the column count is the channel count), at HZ points per second\n"
    "(default 1000; the rate the board makes is printed).\n\n"
    "options:\n"
    "%s"
    "  --rate HZ         'play': points per second\n";

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

constexpr uint32_t kNotReady = 21;  // the waveform queue is full for now
constexpr uint32_t kMaxFramePoints = 6400;

// The CSV file as points of `channels` counts, all in one array.
std::optional<std::string> ReadWaveform(const std::string &path, std::vector<uint16_t> &samples,
                                        uint32_t &channels) {
  std::ifstream file(path);
  if (!file) return "cannot read " + path;
  channels = 0;
  std::string line;
  for (uint32_t number = 1; std::getline(file, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    std::istringstream cells(line);
    uint32_t columns = 0;
    for (std::string cell; std::getline(cells, cell, ',');) {
      const auto count = ParseNumber(cell, 0, 0xFFFF);
      if (!count) return path + ":" + std::to_string(number) + ": '" + cell + "' is not a count";
      samples.push_back(uint16_t(*count));
      ++columns;
    }
    if (channels == 0) channels = columns;
    if (columns != channels)
      return path + ":" + std::to_string(number) + ": " + std::to_string(columns) +
             " columns, the first line has " + std::to_string(channels);
  }
  if (samples.empty()) return path + " holds no points";
  return std::nullopt;
}

// Open, channel count, frames of up to 6400 points (waiting while the
// library's queue is full), start, close with the end of the waveform.
int Play(const std::vector<std::string> &words, const Arguments &arguments, uint32_t entry) {
  if (words.size() != 2) return UsageFailure(kCommand, "want: play FILE.csv");
  double hz = 1000;
  if (const auto rate = arguments.Value("rate")) {
    const auto parsed = ParseReal(*rate);
    if (!parsed || !(*parsed > 0)) return UsageFailure(kCommand, "bad rate '" + *rate + "'");
    hz = *parsed;
  }
  std::vector<uint16_t> samples;
  uint32_t channels = 0;
  if (const auto error = ReadWaveform(words[1], samples, channels))
    return UsageFailure(kCommand, *error);
  const auto points = uint32_t(samples.size() / channels);

  if (const uint32_t result = DACOutputOpen(entry, &hz))
    return LibraryFailure(kCommand, "DACOutputOpen", result);
  auto fail = [&](const char *function, uint32_t result) {
    DACOutputCloseNoEnd(entry, 1);
    return LibraryFailure(kCommand, function, result);
  };
  if (const uint32_t result = DACOutputSetCount(entry, channels))
    return fail("DACOutputSetCount", result);
  for (uint32_t done = 0; done < points;) {
    const uint32_t frame = std::min(kMaxFramePoints, points - done);
    const uint32_t result = DACOutputFrame(entry, frame, &samples[std::size_t(done) * channels]);
    if (result == kNotReady) {  // the library is sending; try again
      std::this_thread::yield();
      continue;
    }
    if (result != 0) return fail("DACOutputFrame", result);
    done += frame;
  }
  // A waveform-FIFO board plays once started (a long waveform the library
  // has started already: 183); the other kinds play frames as they go (1349).
  DACOutputStart(entry);
  if (const uint32_t result = DACOutputClose(entry, 1))
    return LibraryFailure(kCommand, "DACOutputClose", result);
  std::printf("played %u points on %u channel%s at %.3f Hz\n", points, channels,
              channels == 1 ? "" : "s", hz);
  return kExitOk;
}

}  // namespace

int DacCommand(const std::vector<std::string> &args) {
  const Arguments arguments(args, {"rate"}, {});
  char help[2048];
  std::snprintf(help, sizeof help, kHelp, kDeviceHelp);
  uint32_t device = 0;
  if (const auto exit = Prologue(kCommand, arguments, help, device)) return *exit;
  const auto &words = arguments.Words();
  if (words.empty()) return UsageFailure(kCommand, "want set, range or play");
  BoardFacts board;
  std::string function;
  if (const uint32_t result = QueryBoard(device, board, function))
    return LibraryFailure(kCommand, function, result);
  if (words[0] == "set") return Set(words, board.entry);
  if (words[0] == "range") return Range(words, board.entry);
  if (words[0] == "play") return Play(words, arguments, board.entry);
  return UsageFailure(kCommand, "want set, range or play");
}

}  // namespace mirbax::tool
