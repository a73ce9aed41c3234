// mirbax info: what the library knows about one board.
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <string>

#include "cli.h"
#include "hex_bytes.h"
#include "library_api.h"
#include "result_text.h"

namespace mirbax::tool {

namespace {

constexpr const char *kHelp =
    "usage: mirbax info [-d N]\n\n"
    "Shows one board: its entry, product ID and name, digital bytes and counter\n"
    "blocks, serial number, capability record, pipes and ADC configuration block.\n"
    "Parts the board does not have are shown with the library's reason.\n\n"
    "options:\n"
    "%s";

void Line(const char *key, const std::string &value) { std::printf("%-14s %s\n", key, value.c_str()); }

std::string Unavailable(uint32_t code) { return "- (" + ResultText(code) + ")"; }

std::string SerialNumber(uint32_t device) {
  uint64_t serial = 0;
  const uint32_t result = GetDeviceSerialNumber(device, &serial);
  if (result != 0) return Unavailable(result);
  char text[24];
  std::snprintf(text, sizeof text, "%016" PRIX64, serial);
  return text;
}

std::string CapabilityRecord(uint32_t device) {
  uint8_t record[sizeof(TPNPData)] = {};
  uint32_t size = sizeof record - 1;  // the record without its size byte
  const uint32_t result = MIRBAX_QuerySimplePNPData(device, record, &size);
  if (result != 0) return Unavailable(result);
  if (size == 0) return "none";
  return HexBytes(record, std::min<uint32_t>(size, sizeof record - 1));
}

std::string Pipes(uint32_t device) {
  uint32_t pipes[16] = {};
  uint32_t count = 16;
  const uint32_t result = GetPipes(device, &count, pipes);
  if (result != 0) return Unavailable(result);
  static const char *const kTypes[] = {"control", "isochronous", "bulk", "interrupt"};
  std::string text;
  for (uint32_t i = 0; i < std::min<uint32_t>(count, 16); ++i) {
    char pipe[32];
    std::snprintf(pipe, sizeof pipe, "%s%02x %s", i ? ", " : "", pipes[i] & 0xFF,
                  kTypes[(pipes[i] >> 8) & 3]);
    text += pipe;
  }
  return text.empty() ? "none" : text;
}

std::string AdcConfiguration(uint32_t device) {
  uint8_t block[32] = {};
  uint32_t size = sizeof block;
  const uint32_t result = ADC_GetConfig(device, block, &size);
  if (result != 0) return Unavailable(result);
  return HexBytes(block, std::min<uint32_t>(size, sizeof block));
}

}  // namespace

int InfoCommand(const std::vector<std::string> &args) {
  const Arguments arguments(args, {}, {});
  char help[1024];
  std::snprintf(help, sizeof help, kHelp, kDeviceHelp);
  uint32_t device = 0;
  if (const auto exit = Prologue("info", arguments, help, device)) return *exit;
  if (!arguments.Words().empty()) return UsageFailure("info", "unexpected argument '" + arguments.Words()[0] + "'");

  const uint32_t entry = ResolveDeviceIndex(device);
  if (entry == diNone) return LibraryFailure("info", "ResolveDeviceIndex", uint32_t(errno));
  uint32_t pid = 0, dioBytes = 0, counters = 0;
  char name[128] = {};
  uint32_t nameSize = sizeof name - 1;
  if (const uint32_t result = QueryDeviceInfo(entry, &pid, &nameSize, name, &dioBytes, &counters))
    return LibraryFailure("info", "QueryDeviceInfo", result);
  char pidText[8];
  std::snprintf(pidText, sizeof pidText, "%04X", pid);
  Line("entry", std::to_string(entry));
  Line("product ID", pidText);
  Line("name", std::string(name, std::min<uint32_t>(nameSize, sizeof name - 1)));
  Line("digital bytes", std::to_string(dioBytes) + " (" + std::to_string(dioBytes * 8) + " lines)");
  Line("counters", std::to_string(counters) + " blocks of 3");
  Line("serial", SerialNumber(entry));
  Line("capabilities", CapabilityRecord(entry));
  Line("pipes", Pipes(entry));
  Line("ADC config", AdcConfiguration(entry));
  return kExitOk;
}

}  // namespace mirbax::tool
