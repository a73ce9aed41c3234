// mirbax list: every linked board with its entry, product ID, name, serial
// number and what it can do.
#include "library_api.h"

#include <cinttypes>
#include <cstdio>
#include <algorithm>
#include <string>

#include "commands.h"
#include "result_text.h"

namespace mirbax::tool {

namespace {

// The product name is Latin-1; the terminal wants UTF-8.
std::string Latin1ToUtf8(const std::string &latin1) {
  std::string utf8;
  for (unsigned char c : latin1) {
    if (c < 0x80) {
      utf8.push_back(char(c));
    } else {
      utf8.push_back(char(0xC0 | (c >> 6)));
      utf8.push_back(char(0x80 | (c & 0x3F)));
    }
  }
  return utf8;
}

std::string ProductName(uint32_t index) {
  char name[128] = {};
  uint32_t size = sizeof name - 1;
  if (QueryDeviceInfo(index, nullptr, &size, name, nullptr, nullptr) != 0) return "?";
  return Latin1ToUtf8(std::string(name, std::min<size_t>(size, sizeof name - 1)));
}

std::string SerialText(uint32_t index) {
  uint64_t serial = 0;
  const uint32_t result = GetDeviceSerialNumber(index, &serial);
  if (result != 0) return "-";
  char text[24];
  std::snprintf(text, sizeof text, "%016" PRIX64, serial);
  return text;
}

// What the capability record says, in words.
std::string Capabilities(uint32_t index, uint32_t dioBytes, uint32_t counters) {
  std::string words;
  auto add = [&](const std::string &word) { words += (words.empty() ? "" : ", ") + word; };
  if (dioBytes) add(std::to_string(dioBytes * 8) + " DIO lines");
  if (counters) add(std::to_string(counters * 3) + " counters");
  // The library hands out the record from its second field (Rev) on.
  TPNPData record{};
  uint32_t size = sizeof record - 1;
  if (MIRBAX_QuerySimplePNPData(index, reinterpret_cast<uint8_t *>(&record) + 1, &size) == 0 &&
      size > 0) {
    if (record.nADCConfigBytes) add("ADC");
    if (record.nDACWords) add(std::to_string(record.nDACWords) + " DAC words");
    if (record.HasDeb) add("debounce");
    if (record.HasLatch) add("latches");
  }
  return words.empty() ? "-" : words;
}

}  // namespace

int ListCommand(const std::vector<std::string> &args) {
  for (const std::string &arg : args) {
    if (arg == "-h" || arg == "--help") {
      std::printf("usage: mirbax list\n\n"
                  "Links the attached boards and lists each with its device index (entry),\n"
                  "USB product ID, product name, serial number and capabilities.\n");
      return kExitOk;
    }
    std::fprintf(stderr, "mirbax list: unexpected argument '%s'\n", arg.c_str());
    return kExitUsage;
  }
  const uint32_t mask = GetDevices();
  if (mask == 0) {
    std::printf("No boards found.\n");
    return 0;
  }
  std::printf("%-5s %-6s %-24s %-16s %s\n", "entry", "PID", "name", "serial", "capabilities");
  for (uint32_t index = 0; index < MIRBAX_MAX_DEVICES; ++index) {
    if (!(mask & (1u << index))) continue;
    uint32_t pid = 0, dioBytes = 0, counters = 0;
    const uint32_t result = QueryDeviceInfo(index, &pid, nullptr, nullptr, &dioBytes, &counters);
    if (result != 0) {
      std::printf("%-5u error %s\n", index, ResultText(result).c_str());
      continue;
    }
    std::printf("%-5u %04X   %-24s %-16s %s\n", index, pid, ProductName(index).c_str(),
                SerialText(index).c_str(), Capabilities(index, dioBytes, counters).c_str());
  }
  return 0;
}

}  // namespace mirbax::tool
