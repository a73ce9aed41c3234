#include "adc/cal_file.h"

#include <algorithm>
#include <cmath>

#include "core/result_codes.h"

namespace mirbax {

TCalFileContents ParseCalFile(std::span<const uint8_t> file) {
  TCalFileContents contents;
  const std::size_t tables = std::min<std::size_t>(file.size() / kCalTableBytes, 2);
  if (tables == 0) {
    contents.code = ERROR_HANDLE_EOF;
    return contents;
  }
  contents.tables.resize(tables);
  for (std::size_t t = 0; t < tables; ++t) {
    const uint8_t *bytes = file.data() + t * kCalTableBytes;
    for (uint32_t i = 0; i < kCalTableEntries; ++i)
      contents.tables[t][i] = uint16_t(bytes[2 * i] | bytes[2 * i + 1] << 8);
  }
  return contents;
}

std::vector<uint8_t> CalTableBytes(const TCalTable &table) {
  std::vector<uint8_t> bytes(kCalTableBytes);
  for (uint32_t i = 0; i < kCalTableEntries; ++i) {
    bytes[2 * i] = uint8_t(table[i]);
    bytes[2 * i + 1] = uint8_t(table[i] >> 8);
  }
  return bytes;
}

TCalSource CalSourceOf(std::string_view CalFileName) {
  if (CalFileName == ":AUTO:") return TCalSource::Auto;
  if (CalFileName == ":NORM:") return TCalSource::Nominal;
  if (CalFileName == ":1TO1:" || CalFileName == ":NONE:") return TCalSource::Identity;
  if (CalFileName.starts_with(':')) return TCalSource::UnknownPseudoName;
  return TCalSource::File;
}

TCalTable IdentityCalTable() {
  TCalTable table;
  for (uint32_t i = 0; i < kCalTableEntries; ++i) table[i] = uint16_t(i);
  return table;
}

bool BuildLinearCalTable(double LoRead, double HiRead, double LoRef, double dRef, bool bipolar,
                         TCalTable &table) {
  const double dRead = HiRead - LoRead;
  const double slope = dRef / dRead;
  if (!std::isfinite(slope) || !std::isfinite(LoRead) || !std::isfinite(LoRef)) return false;
  for (uint32_t i = 0; i < kCalTableEntries; ++i) {
    double F = (double(i) - LoRead) / dRead * dRef + LoRef;
    if (bipolar) F = (F + 65536.0) * 0.5;
    table[i] = uint16_t(std::clamp(std::nearbyint(F), 0.0, 65535.0));
  }
  return true;
}

}  // namespace mirbax
