#include "sim/descriptors.h"

namespace mirbax::sim {

namespace {

constexpr uint8_t kDeviceDescriptorType = 1;
constexpr uint8_t kStringDescriptorType = 3;
constexpr std::size_t kMaxStringUnits = 126;  // bLength is one byte: 2 + 2 * 126 = 254
constexpr char32_t kReplacement = 0xFFFD;

void PutLittleEndian16(uint8_t *where, uint16_t value) {
  where[0] = static_cast<uint8_t>(value);
  where[1] = static_cast<uint8_t>(value >> 8);
}

// Decodes one UTF-8 sequence at text[at], advancing `at`.
char32_t DecodeUtf8(std::string_view text, std::size_t &at) {
  const auto lead = static_cast<unsigned char>(text[at++]);
  int trailing = lead < 0x80    ? 0
                 : lead >= 0xF8 ? -1
                 : lead >= 0xF0 ? 3
                 : lead >= 0xE0 ? 2
                 : lead >= 0xC0 ? 1
                                : -1;
  if (trailing < 0) return kReplacement;
  char32_t code = trailing == 0 ? lead : lead & (0x3F >> trailing);
  for (; trailing > 0; --trailing) {
    if (at >= text.size()) return kReplacement;
    const auto next = static_cast<unsigned char>(text[at]);
    if ((next & 0xC0) != 0x80) return kReplacement;
    code = (code << 6) | (next & 0x3F);
    ++at;
  }
  return code > 0x10FFFF ? kReplacement : code;
}

std::vector<char16_t> ToUtf16(std::string_view text) {
  std::vector<char16_t> units;
  for (std::size_t at = 0; at < text.size();) {
    const char32_t code = DecodeUtf8(text, at);
    if (code < 0x10000) {
      units.push_back(static_cast<char16_t>(code));
    } else {
      units.push_back(static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10)));
      units.push_back(static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
    }
  }
  return units;
}

}  // namespace

std::array<uint8_t, kDeviceDescriptorSize> MakeDeviceDescriptor(uint16_t productId) {
  std::array<uint8_t, kDeviceDescriptorSize> descriptor{};
  descriptor[0] = kDeviceDescriptorSize;
  descriptor[1] = kDeviceDescriptorType;
  PutLittleEndian16(&descriptor[2], 0x0200);  // USB 2.0
  descriptor[4] = 0xFF;                       // vendor-specific class
  descriptor[7] = 64;                         // endpoint 0 packet size
  PutLittleEndian16(&descriptor[8], kSimVendorId);
  PutLittleEndian16(&descriptor[10], productId);
  PutLittleEndian16(&descriptor[12], 0x0100);  // device release 1.00
  descriptor[14] = kManufacturerStringIndex;
  descriptor[15] = kProductStringIndex;
  descriptor[16] = 0;  // no serial-number string: the serial lives in EEPROM
  descriptor[17] = 1;  // one configuration
  return descriptor;
}

std::vector<uint8_t> MakeLanguageDescriptor() { return {4, kStringDescriptorType, 0x09, 0x04}; }

std::vector<uint8_t> MakeStringDescriptor(std::string_view text) {
  std::vector<char16_t> units = ToUtf16(text);
  if (units.size() > kMaxStringUnits) {
    units.resize(kMaxStringUnits);
    // Never end on half a surrogate pair.
    if (units.back() >= 0xD800 && units.back() < 0xDC00) units.pop_back();
  }
  std::vector<uint8_t> descriptor(2 + 2 * units.size());
  descriptor[0] = static_cast<uint8_t>(descriptor.size());
  descriptor[1] = kStringDescriptorType;
  for (std::size_t i = 0; i < units.size(); ++i)
    PutLittleEndian16(&descriptor[2 + 2 * i], units[i]);
  return descriptor;
}

}  // namespace mirbax::sim
