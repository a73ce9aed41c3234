#include "sim/transfer_log.h"

#include <cstdio>

namespace mirbax::sim {

std::string FormatControlLine(const ControlSetup &setup, std::span<const uint8_t> data) {
  char head[32];
  std::snprintf(head, sizeof head, "C %02x %02x %04x %04x %04x", setup.requestType, setup.request,
                setup.value, setup.index, setup.length);
  std::string line = head;
  if (!data.empty()) {
    static constexpr char kDigits[] = "0123456789abcdef";
    line += ' ';
    for (uint8_t byte : data) {
      line += kDigits[byte >> 4];
      line += kDigits[byte & 0x0F];
    }
  }
  return line;
}

std::string FormatBulkLine(uint8_t endpoint, uint32_t requested, uint32_t transferred) {
  char line[32];
  std::snprintf(line, sizeof line, "B %02x %08x %08x", endpoint, requested, transferred);
  return line;
}

std::string FormatAbortLine(uint8_t endpoint) {
  char line[8];
  std::snprintf(line, sizeof line, "A %02x", endpoint);
  return line;
}

void TransferLog::Add(std::string line) {
  if (lines_.size() == kMaxLines) lines_.pop_front();
  lines_.push_back(std::move(line));
}

std::string TransferLog::Text() const {
  std::string text;
  for (const std::string &line : lines_) {
    text += line;
    text += '\n';
  }
  return text;
}

}  // namespace mirbax::sim
