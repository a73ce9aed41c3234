// The firmware script parser on any script.  The input is the script up to
// the first NUL and, after it, the content of every image file the script
// names (a file named "missing..." does not exist, one named "bad..."
// cannot be read), so the fuzzer drives both the script lines and the
// images they point at.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "core/firmware_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char *>(data), size);
  const std::size_t split = input.find('\0');
  const std::string_view script = input.substr(0, split);
  const std::string image(split == std::string_view::npos ? std::string_view() : input.substr(split + 1));

  const mirbax::FirmwareFileReader reader = [&](const std::string &path) -> std::optional<std::string> {
    if (path.starts_with("missing")) return std::nullopt;
    if (path.starts_with("bad")) throw mirbax::FileReadError("unreadable");
    return image;
  };
  for (const mirbax::TPIDFirmData &firmware : mirbax::ParseFirmwareScript(script, reader)) {
    if (firmware.PID > 0x7FFF || firmware.FirmContent.empty()) std::abort();
  }
  return 0;
}
