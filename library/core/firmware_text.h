// The small text and hex routines of the firmware loader (module
// TheseUtils), and the two parsers built on them: the firmware script and
// the Intel-hex image.
//
// Byte strings are std::string; positions count from 1 and 0 means "not
// found".  Every routine here is pure (no board, no device table) except
// DumpFileToString, which reads a file, so the parsers can be tested and
// fuzzed on their own:
//
//   ParseHex(StrToLines(text))            the lines of an image, already trimmed
//   ParseHexImage(fileContent)            trim, upper-case, split, ParseHex
//   ParseFirmwareScript(script, reader)   the script with a file reader of
//                                         the caller's choosing
//
// None of them crashes, hangs or allocates more than a small multiple of its
// input on any input.  The hex routines raise HexError for an invalid
// character; ParseHex checks its lines first and so never raises, and the
// script parser skips a line whose file cannot be read.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace mirbax {

// The error of HexToNybble and of everything that uses it.
struct HexError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The error of DumpFileToString: a missing or unreadable file.
struct FileReadError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The lines of a text.  CR, LF and CR LF each end a line; the text is read
// as if a CR followed its last character, so a text that ends in a line
// break gives a last, empty line (and an empty text one empty line).
std::vector<std::string> StrToLines(std::string_view text);

// The position (from 1) of the first C at or after StartIndex, or 0.  A
// StartIndex below 1 counts as 1.
std::size_t InStrC(char C, std::string_view S, std::size_t StartIndex);

// Splits S at the first SplitChar: Before gets the characters before it,
// After those after it, and the result is its position.  Without one,
// Before = S, After is empty and the result is 0.
std::size_t SplitStr(std::string_view S, char SplitChar, std::string &Before, std::string &After);

// True when every character is 0-9, A-F or a-f (and for the empty string).
bool IsHex(std::string_view S);

// 0 to 15 for 0-9, A-F, a-f; any other character raises HexError with the
// message  Invalid hex character "c"  (the character in the quotes).
uint8_t HexToNybble(char C);

// Pairs of digits to bytes, high digit first.  An odd length fails on the
// last pair with the invalid-character error; the missing second digit
// leaves the quotes of the message empty.
std::string HexToStr(std::string_view Hex);

// Each digit shifts the value left by 4 bits and adds the digit: more than
// eight digits wrap around, an empty text gives 0.  Raises HexError.
uint32_t HexToInt(std::string_view Hex);

// The whole file (opened for reading, other users not excluded); a missing
// or unreadable file raises FileReadError.
std::string DumpFileToString(const std::string &Path);

// Swaps the two bytes of the value.
inline uint16_t MotorolaWord(uint16_t Value) { return uint16_t((Value >> 8) | (Value << 8)); }

// ---- The firmware image -----------------------------------------------------

// One data record of an Intel-hex image: its 16-bit load address and bytes.
struct THexChunk {
  uint16_t Addr = 0;
  std::string Data;
  bool operator==(const THexChunk &) const = default;
};
using THexChunks = std::vector<THexChunk>;

// The data records of the lines of an image, in file order.  Every
// non-empty line must be ":" and hex digits with an odd length, or the whole
// image gives no chunk.  Only records of type 00 are kept; byte count and
// checksum are not checked.
THexChunks ParseHex(const std::vector<std::string> &HexStrs);

// The characters up to and including the blank (code 32 or less) cut from
// both ends, as an image file is trimmed (script lines are not).
std::string_view TrimBlanks(std::string_view S);

// A whole image file as read: trimmed, upper-cased (ASCII letters), split
// into lines and parsed.
THexChunks ParseHexImage(std::string_view FileContent);

// ---- The firmware script ------------------------------------------------------

// The image of one product ID (15 bits used).
struct TPIDFirmData {
  uint16_t PID = 0;
  THexChunks FirmContent;
};

// Reads a file named by the script: nullopt when there is no such file; it
// may throw for an unreadable one.  Either way the script line is skipped.
using FirmwareFileReader = std::function<std::optional<std::string>(const std::string &Path)>;

// The reader the loader uses: the file if it exists (DumpFileToString).
std::optional<std::string> ReadFirmwareFile(const std::string &Path);

// The usable lines of a script, in script order: a hex product ID, "=", the
// path of an image that exists, reads and holds at least one data record.
// Empty lines, lines starting with ";" and lines that do not fit are skipped
// without a word.  The same ID may appear more than once; the loader takes
// the last.
std::vector<TPIDFirmData> ParseFirmwareScript(std::string_view Script,
                                              const FirmwareFileReader &Reader);

// ---- Loader boards ----------------------------------------------------------------

// What the device path of a board waiting for firmware says about its ID.
struct TPathPID {
  enum Kind { NoTag, NotHex, Id } kind = NoTag;
  std::string Chars;  // the (up to) four characters after "PID_", as written
  uint16_t PID = 0;   // the ID reduced to 15 bits (kind Id)
};

// Finds "PID_" in the upper-cased path and reads the four characters after it.
TPathPID PIDFromDevicePath(std::string_view Path);

// The four message texts of the loader and their caption and type.
inline constexpr std::string_view kLoaderCaption = "MIRBAX_UploadD15LoFirmwaresByPID";
inline constexpr uint32_t kLoaderMessageType = 48;  // MB_ICONEXCLAMATION | MB_OK
std::string NotHexMessage(std::string_view Chars);
std::string NotRecognizedMessage(uint16_t PID);
std::string OpenFailedMessage();
std::string ResetFailedMessage(uint32_t Code);

}  // namespace mirbax
