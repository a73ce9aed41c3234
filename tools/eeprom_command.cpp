// mirbax eeprom: the board's custom EEPROM area (addresses 0-255).
#include <cstdio>
#include <string>

#include "board_facts.h"
#include "cli.h"
#include "hex_bytes.h"
#include "library_api.h"

namespace mirbax::tool {

namespace {

constexpr const char *kCommand = "eeprom";
constexpr uint32_t kCustomAreaSize = 256;

constexpr const char *kHelp =
    "usage: mirbax eeprom [-d N] read [ADDRESS [SIZE]]\n"
    "       mirbax eeprom [-d N] write ADDRESS HEXBYTES\n"
    "       mirbax eeprom [-d N] write ADDRESS --text TEXT\n\n"
    "Reads and writes the custom EEPROM area, addresses 0-255, that the\n"
    "application may use for its own data.  'read' prints a hex dump (by\n"
    "default of the whole area); --raw prints the bytes in hex on one line.\n\n"
    "options:\n"
    "  --text TEXT       write: the bytes of TEXT\n"
    "  --raw             read: hex bytes only\n"
    "%s";

int Read(const Arguments &arguments, uint32_t entry) {
  const auto &words = arguments.Words();
  // Addresses and sizes outside the area are passed on for the library to
  // refuse (25, 24); the buffer always has room for what is asked.
  const auto address = words.size() >= 2 ? ParseNumber(words[1], 0, 0xFFFFFFFF)
                                         : std::optional<uint64_t>(0);
  if (!address || words.size() > 3) return UsageFailure(kCommand, "want: read [ADDRESS [SIZE]]");
  const auto size = words.size() == 3
                        ? ParseNumber(words[2], 0, 0xFFFF)
                        : std::optional<uint64_t>(kCustomAreaSize - std::min<uint64_t>(*address, kCustomAreaSize));
  if (!size) return UsageFailure(kCommand, "want: read [ADDRESS [SIZE]], SIZE up to 65535");
  std::vector<uint8_t> data(std::max<uint64_t>(*size, 1));
  uint32_t count = uint32_t(*size);
  if (const uint32_t result = CustomEEPROMRead(entry, uint32_t(*address), &count, data.data()))
    return LibraryFailure(kCommand, "CustomEEPROMRead", result);
  count = std::min<uint32_t>(count, uint32_t(data.size()));
  if (arguments.Has("raw"))
    std::printf("%s\n", HexBytes(data.data(), count).c_str());
  else
    std::fputs(HexDump(uint32_t(*address), data.data(), count).c_str(), stdout);
  return kExitOk;
}

int Write(const Arguments &arguments, uint32_t entry) {
  const auto &words = arguments.Words();
  const auto address = words.size() >= 2 ? ParseNumber(words[1], 0, 0xFFFFFFFF) : std::nullopt;
  std::optional<std::vector<uint8_t>> bytes;
  if (const auto text = arguments.Value("text"); text && words.size() == 2)
    bytes = std::vector<uint8_t>(text->begin(), text->end());
  else if (!arguments.Has("text") && words.size() == 3)
    bytes = ParseHexBytes(words[2]);
  if (!address || !bytes) return UsageFailure(kCommand, "want: write ADDRESS HEXBYTES | --text TEXT");
  if (const uint32_t result =
          CustomEEPROMWrite(entry, uint32_t(*address), uint32_t(bytes->size()), bytes->data()))
    return LibraryFailure(kCommand, "CustomEEPROMWrite", result);
  return kExitOk;
}

}  // namespace

int EepromCommand(const std::vector<std::string> &args) {
  const Arguments arguments(args, {"text"}, {"raw"});
  char help[2048];
  std::snprintf(help, sizeof help, kHelp, kDeviceHelp);
  uint32_t device = 0;
  if (const auto exit = Prologue(kCommand, arguments, help, device)) return *exit;
  const auto &words = arguments.Words();
  if (words.empty()) return UsageFailure(kCommand, "want read or write");
  BoardFacts board;
  std::string function;
  if (const uint32_t result = QueryBoard(device, board, function))
    return LibraryFailure(kCommand, function, result);
  if (words[0] == "read") return Read(arguments, board.entry);
  if (words[0] == "write") return Write(arguments, board.entry);
  return UsageFailure(kCommand, "want read or write");
}

}  // namespace mirbax::tool
