#include "platform/libusb/device_path.h"

#include <charconv>
#include <cstdio>

namespace mirbax::platform::usb {

namespace {

// USB allows at most seven tiers below the root hub.
constexpr std::size_t kMaxPortDepth = 7;

// Reads what FormatDevicePath writes, one piece at a time, from the front.
class Reader {
 public:
  explicit Reader(std::string_view text) : rest_(text) {}

  bool Literal(std::string_view literal) {
    if (!rest_.starts_with(literal)) return false;
    rest_.remove_prefix(literal.size());
    return true;
  }

  // Exactly four lower-case hexadecimal digits.
  bool Hex16(uint16_t &value) {
    if (rest_.size() < 4) return false;
    unsigned result = 0;
    for (char c : rest_.substr(0, 4)) {
      const bool digit = c >= '0' && c <= '9';
      const bool letter = c >= 'a' && c <= 'f';
      if (!digit && !letter) return false;
      result = result * 16 + unsigned(digit ? c - '0' : c - 'a' + 10);
    }
    value = uint16_t(result);
    rest_.remove_prefix(4);
    return true;
  }

  // A decimal number from `low` to 255, written without leading zeros.
  bool Decimal8(uint8_t &value, unsigned low) {
    unsigned result = 0;
    const auto [end, error] = std::from_chars(rest_.data(), rest_.data() + rest_.size(), result);
    const std::size_t length = std::size_t(end - rest_.data());
    if (error != std::errc() || length == 0 || result < low || result > 255) return false;
    if (length > 1 && rest_[0] == '0') return false;
    value = uint8_t(result);
    rest_.remove_prefix(length);
    return true;
  }

  bool AtEnd() const { return rest_.empty(); }

 private:
  std::string_view rest_;
};

}  // namespace

std::string FormatDevicePath(const DevicePath &path) {
  char head[32];
  std::snprintf(head, sizeof head, "usb#vid_%04x&pid_%04x#%u-", path.vendorId, path.productId,
                unsigned(path.location.bus));
  std::string text = head;
  for (std::size_t i = 0; i < path.location.ports.size(); ++i) {
    if (i > 0) text += '.';
    text += std::to_string(path.location.ports[i]);
  }
  text += '#';
  text += std::to_string(path.location.address);
  return text;
}

std::optional<DevicePath> ParseDevicePath(std::string_view text) {
  Reader reader(text);
  DevicePath path;
  if (!reader.Literal("usb#vid_") || !reader.Hex16(path.vendorId) || !reader.Literal("&pid_") ||
      !reader.Hex16(path.productId) || !reader.Literal("#") ||
      !reader.Decimal8(path.location.bus, 0) || !reader.Literal("-"))
    return std::nullopt;
  do {
    uint8_t port = 0;
    if (path.location.ports.size() == kMaxPortDepth || !reader.Decimal8(port, 1))
      return std::nullopt;
    path.location.ports.push_back(port);
  } while (reader.Literal("."));
  if (!reader.Literal("#") || !reader.Decimal8(path.location.address, 1) || !reader.AtEnd())
    return std::nullopt;
  return path;
}

}  // namespace mirbax::platform::usb
