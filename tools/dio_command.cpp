// mirbax dio: the digital lines, by bit, byte or all at once.
#include <cstdio>
#include <string>

#include "board_facts.h"
#include "cli.h"
#include "hex_bytes.h"
#include "library_api.h"

namespace mirbax::tool {

namespace {

constexpr const char *kCommand = "dio";

constexpr const char *kHelp =
    "usage: mirbax dio [-d N] read [--bit N | --byte N]\n"
    "       mirbax dio [-d N] write --bit N 0|1\n"
    "       mirbax dio [-d N] write --byte N VALUE\n"
    "       mirbax dio [-d N] write HEXBYTES\n"
    "       mirbax dio [-d N] config OUTMASK [HEXBYTES] [--tristate]\n\n"
    "Reads and writes the digital lines.  Line i is bit i mod 8 of byte i div 8.\n"
    "HEXBYTES give byte 0 first, e.g. ff00 or ff:00.  'read' prints every byte\n"
    "in hex and every line as 0/1 (line 0 first); 'config' makes the groups set\n"
    "in OUTMASK (one bit per group, hex bytes) outputs holding HEXBYTES.\n\n"
    "options:\n"
    "  --bit N           one line\n"
    "  --byte N          one byte (8 lines)\n"
    "  --tristate        config: float every line (tristate)\n"
    "%s";

// The lines of `bytes`, line 0 first, in groups of eight.
std::string Lines(const std::vector<uint8_t> &bytes) {
  std::string text;
  for (std::size_t byte = 0; byte < bytes.size(); ++byte) {
    if (byte) text += ' ';
    for (int bit = 0; bit < 8; ++bit) text += (bytes[byte] >> bit) & 1 ? '1' : '0';
  }
  return text;
}

int Read(const Arguments &arguments, const BoardFacts &board) {
  if (const auto bit = arguments.Value("bit")) {
    const auto index = ParseNumber(*bit, 0, 0xFFFFFFFF);
    if (!index) return UsageFailure(kCommand, "bad --bit '" + *bit + "'");
    uint8_t value = 0;
    if (const uint32_t result = DIO_Read1(board.entry, uint32_t(*index), &value))
      return LibraryFailure(kCommand, "DIO_Read1", result);
    std::printf("%u\n", value ? 1u : 0u);
    return kExitOk;
  }
  if (const auto byte = arguments.Value("byte")) {
    const auto index = ParseNumber(*byte, 0, 0xFFFFFFFF);
    if (!index) return UsageFailure(kCommand, "bad --byte '" + *byte + "'");
    uint8_t value = 0;
    if (const uint32_t result = DIO_Read8(board.entry, uint32_t(*index), &value))
      return LibraryFailure(kCommand, "DIO_Read8", result);
    std::printf("%02x\n", value);
    return kExitOk;
  }
  // One byte of room at least, so that a board without lines gets the
  // library's answer rather than a null buffer.
  std::vector<uint8_t> bytes(std::max<uint32_t>(board.dioBytes, 1));
  if (const uint32_t result = DIO_ReadAll(board.entry, bytes.data()))
    return LibraryFailure(kCommand, "DIO_ReadAll", result);
  bytes.resize(board.dioBytes);
  std::printf("bytes: %s\nlines: %s\n", HexBytes(bytes.data(), bytes.size()).c_str(),
              Lines(bytes).c_str());
  return kExitOk;
}

int Write(const Arguments &arguments, const BoardFacts &board) {
  const auto &words = arguments.Words();
  if (const auto bit = arguments.Value("bit")) {
    const auto index = ParseNumber(*bit, 0, 0xFFFFFFFF);
    const auto value = words.size() == 2 ? ParseNumber(words[1], 0, 1) : std::nullopt;
    if (!index || !value) return UsageFailure(kCommand, "want: write --bit N 0|1");
    if (const uint32_t result = DIO_Write1(board.entry, uint32_t(*index), uint8_t(*value)))
      return LibraryFailure(kCommand, "DIO_Write1", result);
    return kExitOk;
  }
  if (const auto byte = arguments.Value("byte")) {
    const auto index = ParseNumber(*byte, 0, 0xFFFFFFFF);
    const auto value = words.size() == 2 ? ParseNumber(words[1], 0, 255) : std::nullopt;
    if (!index || !value) return UsageFailure(kCommand, "want: write --byte N VALUE (0-255)");
    if (const uint32_t result = DIO_Write8(board.entry, uint32_t(*index), uint8_t(*value)))
      return LibraryFailure(kCommand, "DIO_Write8", result);
    return kExitOk;
  }
  auto bytes = words.size() == 2 ? ParseHexBytes(words[1]) : std::nullopt;
  // A board without lines gets its refusal from the library.
  if (bytes && board.dioBytes == 0) bytes->resize(1);
  else if (bytes && bytes->size() != board.dioBytes) bytes.reset();
  if (!bytes)
    return UsageFailure(kCommand, "want: write HEXBYTES, " + std::to_string(board.dioBytes) +
                                      " bytes for this board");
  if (const uint32_t result = DIO_WriteAll(board.entry, bytes->data()))
    return LibraryFailure(kCommand, "DIO_WriteAll", result);
  return kExitOk;
}

int Configure(const Arguments &arguments, const BoardFacts &board) {
  const auto &words = arguments.Words();
  if (words.size() < 2 || words.size() > 3) return UsageFailure(kCommand, "want: config OUTMASK [HEXBYTES]");
  auto mask = ParseHexBytes(words[1]);
  if (!mask) return UsageFailure(kCommand, "bad OUTMASK '" + words[1] + "'");
  std::vector<uint8_t> data(board.dioBytes, 0);
  if (words.size() == 3) {
    const auto given = ParseHexBytes(words[2]);
    if (!given || (board.dioBytes != 0 && given->size() != board.dioBytes))
      return UsageFailure(kCommand, "want " + std::to_string(board.dioBytes) + " data bytes");
    data = *given;
  }
  // The library reads as many mask bytes as the board has direction bits:
  // groups not given are inputs.
  mask->resize(std::max<std::size_t>(mask->size(), 32), 0);
  data.resize(std::max<std::size_t>(data.size(), 1), 0);
  const uint8_t tristate = arguments.Has("tristate") ? 1 : 0;
  if (const uint32_t result = DIO_Configure(board.entry, tristate, mask->data(), data.data()))
    return LibraryFailure(kCommand, "DIO_Configure", result);
  return kExitOk;
}

}  // namespace

int DioCommand(const std::vector<std::string> &args) {
  const Arguments arguments(args, {"bit", "byte"}, {"tristate"});
  char help[2048];
  std::snprintf(help, sizeof help, kHelp, kDeviceHelp);
  uint32_t device = 0;
  if (const auto exit = Prologue(kCommand, arguments, help, device)) return *exit;
  const auto &words = arguments.Words();
  if (words.empty()) return UsageFailure(kCommand, "want read, write or config");
  BoardFacts board;
  std::string function;
  if (const uint32_t result = QueryBoard(device, board, function))
    return LibraryFailure(kCommand, function, result);
  if (words[0] == "read" && words.size() == 1) return Read(arguments, board);
  if (words[0] == "write") return Write(arguments, board);
  if (words[0] == "config") return Configure(arguments, board);
  return UsageFailure(kCommand, "want read, write or config");
}

}  // namespace mirbax::tool
