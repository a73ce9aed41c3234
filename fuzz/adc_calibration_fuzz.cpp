// The ADC calibration file parser on any file content: one or two tables,
// or 38 for a file shorter than a table; every table taken from the bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "adc/cal_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
  const mirbax::TCalFileContents contents = mirbax::ParseCalFile(std::span<const uint8_t>(data, size));
  if (contents.code != 0 && contents.code != 38) std::abort();
  if (contents.tables.size() > 2) std::abort();
  if (contents.tables.size() * mirbax::kCalTableBytes > size) std::abort();
  for (std::size_t t = 0; t < contents.tables.size(); ++t) {
    // Entry 0 of each table is the file's two little-endian bytes at its start.
    const std::size_t at = t * mirbax::kCalTableBytes;
    if (contents.tables[t][0] != uint16_t(data[at] | data[at + 1] << 8)) std::abort();
  }
  return 0;
}
