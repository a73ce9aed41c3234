// The calibration text file: reading it and parsing its values.
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <new>

#include "core/files.h"
#include "core/result_codes.h"
#include "dac/dac_calibration.h"

namespace mirbax {

namespace {

bool IsBlankByte(char c) { return static_cast<unsigned char>(c) <= 0x20; }

std::string_view Trimmed(std::string_view line) {
  while (!line.empty() && IsBlankByte(line.front())) line.remove_prefix(1);
  while (!line.empty() && IsBlankByte(line.back())) line.remove_suffix(1);
  return line;
}

// The digits of a magnitude, all of them used; false for none or junk.
bool ParseMagnitude(std::string_view digits, int base, uint64_t &magnitude) {
  if (digits.empty()) return false;
  const char *end = digits.data() + digits.size();
  const auto [stop, error] = std::from_chars(digits.data(), end, magnitude, base);
  return error == std::errc() && stop == end;
}

bool StartsWithHexMark(std::string_view text, std::size_t &markLength) {
  if (text.starts_with('$')) {
    markLength = 1;
    return true;
  }
  if (text.starts_with("0x") || text.starts_with("0X")) {
    markLength = 2;
    return true;
  }
  return false;
}

}  // namespace

bool ParseDACCalibrationValue(std::string_view line, int32_t &value) {
  std::string_view text = Trimmed(line);
  bool negative = false;
  if (text.starts_with('+') || text.starts_with('-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  uint64_t magnitude = 0;
  std::size_t markLength = 0;
  if (StartsWithHexMark(text, markLength)) {
    // Hexadecimal gives the 32-bit pattern: $FFFFFFFF is -1.
    if (!ParseMagnitude(text.substr(markLength), 16, magnitude) || magnitude > 0xFFFFFFFFu)
      return false;
    const uint32_t pattern = uint32_t(magnitude);
    value = int32_t(negative ? 0u - pattern : pattern);
    return true;
  }
  const uint64_t limit = negative ? 2147483648u : 2147483647u;
  if (!ParseMagnitude(text, 10, magnitude) || magnitude > limit) return false;
  value = int32_t(negative ? 0u - uint32_t(magnitude) : uint32_t(magnitude));
  return true;
}

uint32_t ParseDACCalibration(std::string_view text, TDACCalibrationTable &table) {
  TDACCalibrationTable parsed{};
  uint32_t values = 0;
  bool allIntegers = true;
  std::size_t lineStart = 0;
  while (values < kDACCalibrationEntries && lineStart < text.size()) {
    // CR and LF both end a line, so CR LF is one end and an empty line.
    std::size_t lineEnd = text.find_first_of("\r\n", lineStart);
    if (lineEnd == std::string_view::npos) lineEnd = text.size();
    const std::string_view line = text.substr(lineStart, lineEnd - lineStart);
    lineStart = lineEnd + 1;
    if (Trimmed(line).empty()) continue;
    int32_t value = 0;
    if (allIntegers && ParseDACCalibrationValue(line, value))
      parsed[values] = uint16_t(uint32_t(value));
    else
      allIntegers = false;
    ++values;
  }
  // Too few values decides before a bad one, so a short file always reads 38.
  if (values < kDACCalibrationEntries) return ERROR_HANDLE_EOF;
  if (!allIntegers) return ERROR_INVALID_DATA;
  table = parsed;
  return ERROR_SUCCESS;
}

uint32_t ReadDACCalibrationFile(const std::string &path, std::string &content) {
  ClearFileError();
  const TFile file(::open(path.c_str(), kOpenForReading));
  if (!file.IsOpen()) return FileError();
  struct stat status {};
  if (::fstat(file.fd(), &status) != 0) return FileError();
  if (S_ISDIR(status.st_mode)) return ERROR_ACCESS_DENIED;
  const uint64_t wanted = std::min<uint64_t>(uint64_t(status.st_size), kDACCalibrationFileLimit);
  try {
    content.assign(std::size_t(wanted), '\0');
  } catch (const std::bad_alloc &) {
    return ERROR_OUTOFMEMORY;
  }
  std::size_t done = 0;
  while (done < wanted) {
    ClearFileError();
    const ssize_t got = ::read(file.fd(), content.data() + done, wanted - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return FileError();
    if (got == 0) return ERROR_GEN_FAILURE;  // the file shrank: a short read
    done += std::size_t(got);
  }
  return ERROR_SUCCESS;
}

}  // namespace mirbax
