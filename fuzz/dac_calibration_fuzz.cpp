// The DAC calibration text parser on any file content: it either fills the
// whole table or leaves it untouched, and answers one of its three codes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "dac/dac_calibration.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char *>(data), size);
  auto table = std::make_unique<mirbax::TDACCalibrationTable>();
  table->fill(0xA5A5);
  const uint32_t result = mirbax::ParseDACCalibration(text, *table);
  if (result != 0 && result != 13 && result != 38) std::abort();
  if (result != 0)
    for (uint16_t entry : *table)
      if (entry != 0xA5A5) std::abort();  // a refused file must not change the table
  return 0;
}
