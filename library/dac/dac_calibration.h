// Per-channel DAC calibration tables: the text file format and its parser.
//
// A calibration file holds one integer per line: entry i is the count the
// board outputs when count i is requested on the channel.  Lines end with CR,
// LF or CR LF; blank lines (nothing but blanks and control characters) are
// skipped; each value may carry a sign and is decimal, or hexadecimal after
// `$` or `0x`.  The first 65536 values make the table, the rest of the file
// is ignored.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace mirbax {

inline constexpr uint32_t kDACCalibrationEntries = 65536;
inline constexpr uint32_t kDACCalibrationTableBytes = kDACCalibrationEntries * 2;
// No more of a calibration file is read than this.
inline constexpr uint64_t kDACCalibrationFileLimit = 134'217'728;  // 128 MiB

using TDACCalibrationTable = std::array<uint16_t, kDACCalibrationEntries>;

// Parses calibration text into `table` (the low 16 bits of each value).
// 0 on success; ERROR_HANDLE_EOF (38) when the text has fewer than 65536
// values; ERROR_INVALID_DATA (13) when one of the first 65536 non-blank lines
// is not an integer in the 32-bit range.  `table` is written only on success.
uint32_t ParseDACCalibration(std::string_view text, TDACCalibrationTable &table);

// Parses one value as the file format has it: blanks and control characters
// around it are ignored.  False when it is not an integer of the 32-bit range
// (decimal: -2147483648..2147483647; hexadecimal: up to 8 digits, the 32-bit
// pattern).
bool ParseDACCalibrationValue(std::string_view line, int32_t &value);

// Reads at most kDACCalibrationFileLimit bytes of a file.  0, or the system's
// error as a Windows-style code (2 not found, 3 path not found, 5 access
// denied; 31 for anything else and for a short read); 14 when no memory can
// be had for the content.
uint32_t ReadDACCalibrationFile(const std::string &path, std::string &content);

}  // namespace mirbax
