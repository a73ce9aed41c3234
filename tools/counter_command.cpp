// mirbax counter: the 8254 counters, three to a block.
#include <cstdio>
#include <string>

#include "board_facts.h"
#include "cli.h"
#include "library_api.h"

namespace mirbax::tool {

namespace {

constexpr const char *kCommand = "counter";

constexpr const char *kHelp =
    "usage: mirbax counter [-d N] read [BLOCK COUNTER]\n"
    "       mirbax counter [-d N] mode BLOCK COUNTER MODE [LOAD]\n"
    "       mirbax counter [-d N] load BLOCK COUNTER VALUE\n"
    "       mirbax counter [-d N] freq BLOCK HZ\n\n"
    "Programs and reads the 8254 counters.  Each block has counters 0, 1 and 2;\n"
    "MODE is the 8254 mode 0-5, LOAD and VALUE 0-65535.  'read' without a\n"
    "counter reads all of them.  'freq' makes counters 1 and 2 of the block\n"
    "output the nearest frequency they can and prints it (0 stops the output).\n\n"
    "options:\n"
    "%s";

struct CounterAddress {
  uint32_t block, counter;
};

std::optional<CounterAddress> ParseAddress(const std::vector<std::string> &words, std::size_t at) {
  if (words.size() < at + 2) return std::nullopt;
  const auto block = ParseNumber(words[at], 0, 0xFFFFFFFF);
  const auto counter = ParseNumber(words[at + 1], 0, 0xFFFFFFFF);
  if (!block || !counter) return std::nullopt;
  return CounterAddress{uint32_t(*block), uint32_t(*counter)};
}

int Read(const std::vector<std::string> &words, const BoardFacts &board) {
  if (words.size() == 3) {
    const auto address = ParseAddress(words, 1);
    if (!address) return UsageFailure(kCommand, "want: read [BLOCK COUNTER]");
    uint16_t value = 0;
    if (const uint32_t result = CTR_8254Read(board.entry, address->block, address->counter, &value))
      return LibraryFailure(kCommand, "CTR_8254Read", result);
    std::printf("%u\n", value);
    return kExitOk;
  }
  if (words.size() != 1) return UsageFailure(kCommand, "want: read [BLOCK COUNTER]");
  std::vector<uint16_t> values(std::max<uint32_t>(board.counterBlocks * 3, 1));
  if (const uint32_t result = CTR_8254ReadAll(board.entry, values.data()))
    return LibraryFailure(kCommand, "CTR_8254ReadAll", result);
  for (uint32_t i = 0; i < board.counterBlocks * 3; ++i)
    std::printf("block %u counter %u: %u\n", i / 3, i % 3, values[i]);
  return kExitOk;
}

int Mode(const std::vector<std::string> &words, const BoardFacts &board) {
  const auto address = ParseAddress(words, 1);
  const auto mode = words.size() >= 4 ? ParseNumber(words[3], 0, 0xFFFFFFFF) : std::nullopt;
  const auto load = words.size() == 5 ? ParseNumber(words[4], 0, 0xFFFF) : std::nullopt;
  if (!address || !mode || words.size() > 5 || (words.size() == 5 && !load))
    return UsageFailure(kCommand, "want: mode BLOCK COUNTER MODE [LOAD]");
  if (load) {
    if (const uint32_t result = CTR_8254ModeLoad(board.entry, address->block, address->counter,
                                                 uint32_t(*mode), uint16_t(*load)))
      return LibraryFailure(kCommand, "CTR_8254ModeLoad", result);
  } else if (const uint32_t result =
                 CTR_8254Mode(board.entry, address->block, address->counter, uint32_t(*mode))) {
    return LibraryFailure(kCommand, "CTR_8254Mode", result);
  }
  return kExitOk;
}

int Load(const std::vector<std::string> &words, const BoardFacts &board) {
  const auto address = ParseAddress(words, 1);
  const auto value = words.size() == 4 ? ParseNumber(words[3], 0, 0xFFFF) : std::nullopt;
  if (!address || !value) return UsageFailure(kCommand, "want: load BLOCK COUNTER VALUE (0-65535)");
  if (const uint32_t result =
          CTR_8254Load(board.entry, address->block, address->counter, uint16_t(*value)))
    return LibraryFailure(kCommand, "CTR_8254Load", result);
  return kExitOk;
}

int Frequency(const std::vector<std::string> &words, const BoardFacts &board) {
  const auto block = words.size() == 3 ? ParseNumber(words[1], 0, 0xFFFFFFFF) : std::nullopt;
  auto hz = words.size() == 3 ? ParseReal(words[2]) : std::nullopt;
  if (!block || !hz || *hz < 0) return UsageFailure(kCommand, "want: freq BLOCK HZ (HZ >= 0)");
  if (const uint32_t result = CTR_StartOutputFreq(board.entry, uint32_t(*block), &*hz))
    return LibraryFailure(kCommand, "CTR_StartOutputFreq", result);
  std::printf("%.6g Hz\n", *hz);
  return kExitOk;
}

}  // namespace

int CounterCommand(const std::vector<std::string> &args) {
  const Arguments arguments(args, {}, {});
  char help[2048];
  std::snprintf(help, sizeof help, kHelp, kDeviceHelp);
  uint32_t device = 0;
  if (const auto exit = Prologue(kCommand, arguments, help, device)) return *exit;
  const auto &words = arguments.Words();
  if (words.empty()) return UsageFailure(kCommand, "want read, mode, load or freq");
  BoardFacts board;
  std::string function;
  if (const uint32_t result = QueryBoard(device, board, function))
    return LibraryFailure(kCommand, function, result);
  if (words[0] == "read") return Read(words, board);
  if (words[0] == "mode") return Mode(words, board);
  if (words[0] == "load") return Load(words, board);
  if (words[0] == "freq") return Frequency(words, board);
  return UsageFailure(kCommand, "want read, mode, load or freq");
}

}  // namespace mirbax::tool
