#include "hex_bytes.h"

#include <cctype>
#include <cstdio>

namespace mirbax::tool {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::optional<std::vector<uint8_t>> ParseHexBytes(const std::string &text) {
  std::vector<uint8_t> bytes;
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] == ':' && !bytes.empty()) ++i;
    if (i + 1 >= text.size()) return std::nullopt;
    const int high = HexDigit(text[i]), low = HexDigit(text[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes.push_back(uint8_t(high << 4 | low));
    i += 2;
  }
  if (bytes.empty()) return std::nullopt;
  return bytes;
}

std::string HexBytes(const uint8_t *data, std::size_t size) {
  std::string text;
  char byte[4];
  for (std::size_t i = 0; i < size; ++i) {
    std::snprintf(byte, sizeof byte, i ? " %02x" : "%02x", data[i]);
    text += byte;
  }
  return text;
}

std::string HexDump(uint32_t firstAddress, const uint8_t *data, std::size_t size) {
  std::string text;
  for (std::size_t line = 0; line < size; line += 16) {
    char address[16];
    std::snprintf(address, sizeof address, "%04x  ", unsigned(firstAddress + line));
    const std::size_t count = std::min<std::size_t>(16, size - line);
    std::string hex = HexBytes(data + line, count);
    hex.resize(16 * 3 - 1, ' ');
    std::string printable;
    for (std::size_t i = 0; i < count; ++i)
      printable += std::isprint(data[line + i]) ? char(data[line + i]) : '.';
    text += address + hex + "  " + printable + "\n";
  }
  return text;
}

}  // namespace mirbax::tool
