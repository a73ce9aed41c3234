// Byte strings on the command line and on the terminal, in hexadecimal.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace mirbax::tool {

// "ff00a5" or "ff:00:a5" -> {0xff, 0x00, 0xa5}; nullopt on anything else.
std::optional<std::vector<uint8_t>> ParseHexBytes(const std::string &text);

// {0xff, 0x00} -> "ff 00".
std::string HexBytes(const uint8_t *data, std::size_t size);

// A hex dump with offsets and printable characters, 16 bytes a line.
std::string HexDump(uint32_t firstAddress, const uint8_t *data, std::size_t size);

}  // namespace mirbax::tool
