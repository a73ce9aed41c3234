// Calibration tables and the calibration file.
//
// A table has 65536 16-bit entries: entry i is the count the board reports
// for a raw conversion of i.  A calibration file holds one or two tables
// back to back, each as 65536 little-endian 16-bit entries, with no header;
// a two-table file holds the bipolar table first.  The parser works on the
// file's bytes alone, so that it can be checked (and fuzzed) on its own.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace mirbax {

inline constexpr uint32_t kCalTableEntries = 65536;
inline constexpr uint32_t kCalTableBytes = kCalTableEntries * 2;

using TCalTable = std::array<uint16_t, kCalTableEntries>;

struct TCalFileContents {
  uint32_t code = 0;                // 0, or ERROR_HANDLE_EOF (38) for a file shorter than a table
  std::vector<TCalTable> tables;    // one or two; bytes beyond two tables are ignored
};

TCalFileContents ParseCalFile(std::span<const uint8_t> file);

// The table's file form (131072 bytes, little-endian).
std::vector<uint8_t> CalTableBytes(const TCalTable &table);

// The calibration source a name selects.  Pseudo names are compared exactly.
enum class TCalSource { Auto, Nominal, Identity, File, UnknownPseudoName };
TCalSource CalSourceOf(std::string_view CalFileName);

TCalTable IdentityCalTable();

// The linear correction from two readings to two references:
// F = (i - LoRead) / (HiRead - LoRead) x dRef + LoRef, then (F + 65536) / 2
// for a bipolar table; rounded to nearest (ties to even) and kept within
// 0..65535.  False (table untouched) when the readings give no finite slope.
bool BuildLinearCalTable(double LoRead, double HiRead, double LoRef, double dRef, bool bipolar,
                         TCalTable &table);

}  // namespace mirbax
