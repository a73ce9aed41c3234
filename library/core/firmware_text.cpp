#include "core/firmware_text.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace mirbax {

std::vector<std::string> StrToLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.emplace_back(text.substr(start, i - start));
      i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
      start = i;
    } else {
      ++i;
    }
  }
  // The CR the text is read as ending in closes the last line, empty or not.
  lines.emplace_back(text.substr(start));
  return lines;
}

std::size_t InStrC(char C, std::string_view S, std::size_t StartIndex) {
  if (StartIndex < 1) StartIndex = 1;
  if (StartIndex > S.size()) return 0;
  const std::size_t found = S.find(C, StartIndex - 1);
  return found == std::string_view::npos ? 0 : found + 1;
}

std::size_t SplitStr(std::string_view S, char SplitChar, std::string &Before, std::string &After) {
  const std::size_t p = InStrC(SplitChar, S, 1);
  if (p == 0) {
    Before = std::string(S);
    After.clear();
    return 0;
  }
  Before = std::string(S.substr(0, p - 1));
  After = std::string(S.substr(p));
  return p;
}

namespace {

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

[[noreturn]] void ThrowInvalidHex(std::string_view character) {
  throw HexError("Invalid hex character \"" + std::string(character) + "\"");
}

}  // namespace

bool IsHex(std::string_view S) {
  for (const char c : S)
    if (!IsHexDigit(c)) return false;
  return true;
}

uint8_t HexToNybble(char C) {
  if (C >= '0' && C <= '9') return uint8_t(C - '0');
  if (C >= 'A' && C <= 'F') return uint8_t(C - 'A' + 10);
  if (C >= 'a' && C <= 'f') return uint8_t(C - 'a' + 10);
  ThrowInvalidHex(std::string_view(&C, 1));
}

std::string HexToStr(std::string_view Hex) {
  std::string bytes;
  bytes.reserve(Hex.size() / 2 + 1);
  for (std::size_t i = 0; i < Hex.size(); i += 2) {
    const uint8_t high = HexToNybble(Hex[i]);
    if (i + 1 >= Hex.size()) ThrowInvalidHex("");
    bytes.push_back(char(high << 4 | HexToNybble(Hex[i + 1])));
  }
  return bytes;
}

uint32_t HexToInt(std::string_view Hex) {
  uint32_t value = 0;
  for (const char c : Hex) value = (value << 4) + HexToNybble(c);
  return value;
}

std::string DumpFileToString(const std::string &Path) {
  std::FILE *file = std::fopen(Path.c_str(), "rb");
  if (file == nullptr) throw FileReadError("cannot open " + Path);
  std::string content;
  char buffer[65536];
  for (;;) {
    const std::size_t got = std::fread(buffer, 1, sizeof buffer, file);
    content.append(buffer, got);
    if (got < sizeof buffer) break;
  }
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) throw FileReadError("cannot read " + Path);
  return content;
}

// ---- The firmware image -----------------------------------------------------

THexChunks ParseHex(const std::vector<std::string> &HexStrs) {
  for (const std::string &line : HexStrs) {
    if (line.empty()) continue;
    if (line[0] != ':' || !IsHex(std::string_view(line).substr(1)) || line.size() % 2 == 0)
      return {};
  }
  THexChunks chunks;
  chunks.reserve(HexStrs.size());
  for (const std::string &line : HexStrs) {
    // Characters 8 and 9 (from 1) are the record type.
    if (line.size() < 9 || line[7] != '0' || line[8] != '0') continue;
    THexChunk chunk;
    chunk.Addr = uint16_t(HexToInt(std::string_view(line).substr(3, 4)));
    // The data: from character 10 up to the checksum's two digits.
    if (line.size() > 11) chunk.Data = HexToStr(std::string_view(line).substr(9, line.size() - 11));
    chunks.push_back(std::move(chunk));
  }
  chunks.shrink_to_fit();
  return chunks;
}

std::string_view TrimBlanks(std::string_view S) {
  std::size_t first = 0;
  std::size_t last = S.size();
  while (first < last && static_cast<unsigned char>(S[first]) <= ' ') ++first;
  while (last > first && static_cast<unsigned char>(S[last - 1]) <= ' ') --last;
  return S.substr(first, last - first);
}

THexChunks ParseHexImage(std::string_view FileContent) {
  std::string text(TrimBlanks(FileContent));
  for (char &c : text)
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  return ParseHex(StrToLines(text));
}

// ---- The firmware script ------------------------------------------------------

std::optional<std::string> ReadFirmwareFile(const std::string &Path) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(Path, error);
  if (error || !std::filesystem::exists(status) || std::filesystem::is_directory(status))
    return std::nullopt;
  return DumpFileToString(Path);
}

std::vector<TPIDFirmData> ParseFirmwareScript(std::string_view Script,
                                              const FirmwareFileReader &Reader) {
  std::vector<TPIDFirmData> firmwares;
  for (const std::string &line : StrToLines(Script)) {
    if (line.empty() || line[0] == ';') continue;
    std::string before, after;
    SplitStr(line, '=', before, after);
    if (before.empty() || !IsHex(before) || after.empty()) continue;
    THexChunks chunks;
    try {
      const std::optional<std::string> content = Reader(after);
      if (!content) continue;
      chunks = ParseHexImage(*content);
    } catch (const std::exception &) {
      continue;  // unreadable file, invalid character: the line is skipped
    }
    if (chunks.empty()) continue;
    firmwares.push_back({uint16_t(HexToInt(before) & 0x7FFF), std::move(chunks)});
  }
  return firmwares;
}

// ---- Loader boards ----------------------------------------------------------------

TPathPID PIDFromDevicePath(std::string_view Path) {
  std::string upper(Path);
  for (char &c : upper)
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  const std::size_t tag = upper.find("PID_");
  TPathPID result;
  if (tag == std::string::npos) return result;
  result.Chars = std::string(Path.substr(tag + 4, 4));
  if (!IsHex(result.Chars)) {
    result.kind = TPathPID::NotHex;
    return result;
  }
  result.kind = TPathPID::Id;
  result.PID = uint16_t(HexToInt(result.Chars) & 0x7FFF);
  return result;
}

std::string NotHexMessage(std::string_view Chars) {
  return "Device PID " + std::string(Chars) + " not hex!";
}

std::string NotRecognizedMessage(uint16_t PID) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%04X", unsigned(PID));
  return "Device PID " + std::string(digits) + " not recognized!";
}

std::string OpenFailedMessage() { return "Unable to open CyUSB device!"; }

std::string ResetFailedMessage(uint32_t Code) {
  return "Error " + std::to_string(Code) + " putting CPU into reset!";
}

}  // namespace mirbax
