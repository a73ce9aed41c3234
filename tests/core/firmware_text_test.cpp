// The text and hex routines of the firmware loader, and its two parsers, on
// their own (no board).
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>

#include "core/firmware_text.h"

namespace mirbax::testing {
namespace {

using Lines = std::vector<std::string>;

TEST(StrToLines, CrLfEndsOneLine) { EXPECT_EQ(StrToLines("a\r\nb"), (Lines{"a", "b"})); }

TEST(StrToLines, TwoLineFeedsGiveTwoEmptyLines) {
  EXPECT_EQ(StrToLines("a\n\n"), (Lines{"a", "", ""}));
}

TEST(StrToLines, EachKindOfBreakEndsALine) {
  EXPECT_EQ(StrToLines("a\rb\nc\r\nd"), (Lines{"a", "b", "c", "d"}));
  EXPECT_EQ(StrToLines("a\n\rb"), (Lines{"a", "", "b"})) << "LF CR is two breaks";
  EXPECT_EQ(StrToLines("a\r\r\nb"), (Lines{"a", "", "b"}));
}

TEST(StrToLines, ATextEndingInABreakHasALastEmptyLine) {
  EXPECT_EQ(StrToLines("a\r\n"), (Lines{"a", ""}));
  EXPECT_EQ(StrToLines("a\r"), (Lines{"a", ""}));
  EXPECT_EQ(StrToLines("a"), (Lines{"a"}));
}

TEST(StrToLines, AnEmptyTextIsOneEmptyLine) { EXPECT_EQ(StrToLines(""), (Lines{""})); }

TEST(StrToLines, ManyLinesGrowPastTheFirstSlots) {
  std::string text;
  for (int i = 0; i < 100; ++i) text += std::to_string(i) + "\n";
  const Lines lines = StrToLines(text);
  ASSERT_EQ(lines.size(), 101u);
  EXPECT_EQ(lines[0], "0");
  EXPECT_EQ(lines[99], "99");
  EXPECT_EQ(lines[100], "");
}

TEST(StrToLines, KeepsOtherBytesAsTheyAre) {
  const std::string text("a\0b\tc", 5);
  EXPECT_EQ(StrToLines(text), (Lines{text}));
}

TEST(InStrC, FindsTheFirstAtOrAfterTheStart) {
  EXPECT_EQ(InStrC('=', "ab=c=d", 1), 3u);
  EXPECT_EQ(InStrC('=', "ab=c=d", 3), 3u);
  EXPECT_EQ(InStrC('=', "ab=c=d", 4), 5u);
  EXPECT_EQ(InStrC('=', "ab=c=d", 6), 0u);
  EXPECT_EQ(InStrC('=', "ab=c=d", 100), 0u);
  EXPECT_EQ(InStrC('=', "", 1), 0u);
  EXPECT_EQ(InStrC('a', "abc", 0), 1u) << "a start below 1 counts as 1";
}

TEST(SplitStr, SplitsAtTheFirstCharacter) {
  std::string before = "x", after = "y";
  EXPECT_EQ(SplitStr("8001=a=b.hex", '=', before, after), 5u);
  EXPECT_EQ(before, "8001");
  EXPECT_EQ(after, "a=b.hex");
}

TEST(SplitStr, WithoutTheCharacterAllIsBefore) {
  std::string before = "x", after = "y";
  EXPECT_EQ(SplitStr("8001", '=', before, after), 0u);
  EXPECT_EQ(before, "8001");
  EXPECT_EQ(after, "");
}

TEST(SplitStr, AtTheEnds) {
  std::string before, after;
  EXPECT_EQ(SplitStr("=x", '=', before, after), 1u);
  EXPECT_EQ(before, "");
  EXPECT_EQ(after, "x");
  EXPECT_EQ(SplitStr("x=", '=', before, after), 2u);
  EXPECT_EQ(before, "x");
  EXPECT_EQ(after, "");
}

TEST(IsHex, DigitsAndBothCases) {
  EXPECT_TRUE(IsHex("0123456789abcdefABCDEF"));
  EXPECT_TRUE(IsHex("")) << "the empty string is hex";
  EXPECT_FALSE(IsHex("8G01"));
  EXPECT_FALSE(IsHex(" 8001"));
  EXPECT_FALSE(IsHex("0x10"));
  EXPECT_FALSE(IsHex(std::string("1\0", 2)));
}

TEST(HexToNybble, EveryDigit) {
  EXPECT_EQ(HexToNybble('0'), 0);
  EXPECT_EQ(HexToNybble('9'), 9);
  EXPECT_EQ(HexToNybble('a'), 10);
  EXPECT_EQ(HexToNybble('F'), 15);
}

TEST(HexToNybble, AnyOtherCharacterRaisesTheError) {
  try {
    HexToNybble('G');
    FAIL() << "no error";
  } catch (const HexError &error) {
    EXPECT_STREQ(error.what(), "Invalid hex character \"G\"");
  }
  EXPECT_THROW(HexToNybble(' '), HexError);
  EXPECT_THROW(HexToNybble('/'), HexError);
  EXPECT_THROW(HexToNybble(':'), HexError);
  EXPECT_THROW(HexToNybble('@'), HexError);
  EXPECT_THROW(HexToNybble('g'), HexError);
}

TEST(HexToStr, PairsHighDigitFirst) {
  EXPECT_EQ(HexToStr("0aFF10"), std::string("\x0a\xff\x10", 3));
  EXPECT_EQ(HexToStr(""), "");
  EXPECT_EQ(HexToStr("00"), std::string(1, '\0'));
}

TEST(HexToStr, AnOddLengthFailsOnTheLastPair) {
  try {
    HexToStr("ABC");
    FAIL() << "no error";
  } catch (const HexError &error) {
    EXPECT_STREQ(error.what(), "Invalid hex character \"\"");
  }
  EXPECT_THROW(HexToStr("zz"), HexError);
}

TEST(HexToInt, ShiftsAndWraps) {
  EXPECT_EQ(HexToInt(""), 0u);
  EXPECT_EQ(HexToInt("8001"), 0x8001u);
  EXPECT_EQ(HexToInt("ffffffff"), 0xFFFFFFFFu);
  EXPECT_EQ(HexToInt("FFFFFFFFF"), 0xFFFFFFFFu) << "nine digits wrap";
  EXPECT_EQ(HexToInt("123456789"), 0x23456789u);
  EXPECT_THROW(HexToInt("12 3"), HexError);
}

TEST(MotorolaWord, SwapsTheBytes) {
  EXPECT_EQ(MotorolaWord(0x1234), 0x3412);
  EXPECT_EQ(MotorolaWord(0x00FF), 0xFF00);
  EXPECT_EQ(MotorolaWord(0), 0);
}

class TempFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("mirbax_text_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string Write(const std::string &name, const std::string &content) {
    const std::filesystem::path path = dir_ / name;
    std::ofstream(path, std::ios::binary) << content;
    return path.string();
  }
  std::filesystem::path dir_;
};

using DumpFile = TempFiles;

TEST_F(DumpFile, ReadsTheWholeFile) {
  std::string content(200000, '\0');
  for (std::size_t i = 0; i < content.size(); ++i) content[i] = char(i * 7);
  EXPECT_EQ(DumpFileToString(Write("big.bin", content)), content);
  EXPECT_EQ(DumpFileToString(Write("empty.bin", "")), "");
}

TEST_F(DumpFile, AMissingOrUnreadableFileRaisesAnError) {
  EXPECT_THROW(DumpFileToString((dir_ / "missing.hex").string()), FileReadError);
  EXPECT_THROW(DumpFileToString(dir_.string()), FileReadError) << "a directory";
  EXPECT_EQ(ReadFirmwareFile((dir_ / "missing.hex").string()), std::nullopt);
  EXPECT_EQ(ReadFirmwareFile(dir_.string()), std::nullopt);
}

// ---- ParseHex -----------------------------------------------------------------

TEST(ParseHex, DataRecordsInFileOrder) {
  const THexChunks chunks = ParseHex({":03010000AABBCC00", ":0200100012345600", ":00000001FF"});
  ASSERT_EQ(chunks.size(), 2u);
  EXPECT_EQ(chunks[0].Addr, 0x0100);
  EXPECT_EQ(chunks[0].Data, "\xAA\xBB\xCC");
  EXPECT_EQ(chunks[1].Addr, 0x0010);
  EXPECT_EQ(chunks[1].Data, "\x12\x34\x56");
}

TEST(ParseHex, OnlyDataRecordsAreUsed) {
  const THexChunks chunks =
      ParseHex({":020000040001F9", ":02123400C0DE00", ":0400000500001234AA", ":00000001FF"});
  ASSERT_EQ(chunks.size(), 1u);
  EXPECT_EQ(chunks[0].Addr, 0x1234) << "addresses stay 16-bit; extended addresses are ignored";
  EXPECT_EQ(chunks[0].Data, "\xC0\xDE");
}

TEST(ParseHex, ByteCountAndChecksumAreNotChecked) {
  const THexChunks chunks = ParseHex({":FF000000010203"});
  ASSERT_EQ(chunks.size(), 1u);
  EXPECT_EQ(chunks[0].Data, "\x01\x02");
}

TEST(ParseHex, EmptyLinesAreSkipped) {
  const THexChunks chunks = ParseHex({"", ":0100000042BD", "", ""});
  ASSERT_EQ(chunks.size(), 1u);
  EXPECT_EQ(chunks[0].Data, "\x42");
}

TEST(ParseHex, OneBadLineRejectsTheWholeImage) {
  const Lines good = {":0100000042BD", ":0100010043BB"};
  EXPECT_EQ(ParseHex(good).size(), 2u);
  for (const std::string &bad : {std::string(":01000100 43BB"), std::string("0100010043BB"),
                                 std::string(":0100010043B"), std::string(":01000100G3BB"),
                                 std::string(";comment"), std::string(" :0100010043BB")}) {
    Lines lines = good;
    lines.push_back(bad);
    EXPECT_TRUE(ParseHex(lines).empty()) << bad;
  }
}

TEST(ParseHex, ShortRecordsGiveNoDataOrNoChunk) {
  EXPECT_TRUE(ParseHex({":"}).empty()) << "too short to carry a record type";
  EXPECT_TRUE(ParseHex({":0100000042BD", ":001234000"}).empty()) << "an even length";
  // Type 00 at characters 8-9 with nothing between it and the checksum, or
  // no checksum at all.
  const THexChunks chunks = ParseHex({":00123400FF", ":00567800", ":"});
  ASSERT_EQ(chunks.size(), 2u);
  EXPECT_EQ(chunks[0].Addr, 0x1234);
  EXPECT_EQ(chunks[0].Data, "");
  EXPECT_EQ(chunks[1].Addr, 0x5678);
  EXPECT_EQ(chunks[1].Data, "");
}

TEST(ParseHex, LowerCaseDigitsPassTheCheck) {
  const THexChunks chunks = ParseHex({":01abcd00efBD"});
  ASSERT_EQ(chunks.size(), 1u);
  EXPECT_EQ(chunks[0].Addr, 0xABCD);
  EXPECT_EQ(chunks[0].Data, "\xEF");
}

TEST(ParseHexImage, TrimsUpperCasesAndSplits) {
  const THexChunks chunks = ParseHexImage("  \r\n:02e60000ab01cc\r\n:00000001ff\r\n\x1a  ");
  ASSERT_EQ(chunks.size(), 1u);
  EXPECT_EQ(chunks[0].Addr, 0xE600);
  EXPECT_EQ(chunks[0].Data, "\xAB\x01");
}

TEST(ParseHexImage, ABlankInsideARecordRejectsTheImage) {
  EXPECT_TRUE(ParseHexImage(":0100000042BD\n:01000100 43BB\n").empty());
}

TEST(ParseHexImage, NothingButBlanks) {
  EXPECT_TRUE(ParseHexImage("").empty());
  EXPECT_TRUE(ParseHexImage(" \r\n\t ").empty());
}

TEST(TrimBlanks, CutsControlCharactersAndBlanks) {
  EXPECT_EQ(TrimBlanks("\x01 a b \x1f"), "a b");
  EXPECT_EQ(TrimBlanks("   "), "");
  EXPECT_EQ(TrimBlanks("\x80x\x80"), "\x80x\x80") << "bytes above 127 are kept";
}

// ---- ParseFirmwareScript ---------------------------------------------------------

class Script : public ::testing::Test {
 protected:
  FirmwareFileReader Reader() {
    return [this](const std::string &path) -> std::optional<std::string> {
      read_.push_back(path);
      if (path == "throws") throw FileReadError("unreadable");
      const auto it = files_.find(path);
      if (it == files_.end()) return std::nullopt;
      return it->second;
    };
  }
  std::map<std::string, std::string> files_{
      {"a.hex", ":0100000011EE\n:00000001FF\n"},
      {"b.hex", ":0100000022DD\n"},
      {"dir/with blank.hex", ":0100000033CC\n"},
      {"bad.hex", ":01000000 33CC\n"},
      {"eof-only.hex", ":00000001FF\n"},
  };
  std::vector<std::string> read_;
};

TEST_F(Script, ReducesTheIDToFifteenBits) {
  const auto firmwares = ParseFirmwareScript("8001=a.hex", Reader());
  ASSERT_EQ(firmwares.size(), 1u);
  EXPECT_EQ(firmwares[0].PID, 0x0001);
  ASSERT_EQ(firmwares[0].FirmContent.size(), 1u);
  EXPECT_EQ(firmwares[0].FirmContent[0].Data, "\x11");
  EXPECT_EQ(ParseFirmwareScript("1234FFFF=a.hex", Reader()).at(0).PID, 0x7FFF);
}

TEST_F(Script, SkipsLinesThatDoNotFit) {
  const auto firmwares = ParseFirmwareScript(
      "; comment\r\n\r\n 8001=a.hex\r\n=a.hex\r\n8002=\r\n8003\r\n80x4=a.hex\r\n8005=missing.hex\r\n"
      "8006=bad.hex\r\n8007=eof-only.hex\r\n8008=throws\r\n8009= a.hex\r\n800A=a.hex ",
      Reader());
  EXPECT_TRUE(firmwares.empty());
  EXPECT_EQ(read_, (std::vector<std::string>{"missing.hex", "bad.hex", "eof-only.hex", "throws",
                                             " a.hex", "a.hex "}))
      << "files are looked up only for lines of the right shape, the path exactly as written";
}

TEST_F(Script, KeepsScriptOrderAndDuplicates) {
  const auto firmwares =
      ParseFirmwareScript("0001=a.hex\n0002=dir/with blank.hex\n8001=b.hex\n", Reader());
  ASSERT_EQ(firmwares.size(), 3u);
  EXPECT_EQ(firmwares[0].PID, 1);
  EXPECT_EQ(firmwares[1].PID, 2);
  EXPECT_EQ(firmwares[1].FirmContent.at(0).Data, "\x33");
  EXPECT_EQ(firmwares[2].PID, 1);
  EXPECT_EQ(firmwares[2].FirmContent.at(0).Data, "\x22");
}

TEST_F(Script, TheLineIsSplitAtItsFirstEqualsSign) {
  files_["x=y.hex"] = ":0100000044BB\n";
  const auto firmwares = ParseFirmwareScript("10=x=y.hex", Reader());
  ASSERT_EQ(firmwares.size(), 1u);
  EXPECT_EQ(firmwares[0].PID, 0x10);
}

TEST_F(Script, AnEmptyScriptNamesNothing) {
  EXPECT_TRUE(ParseFirmwareScript("", Reader()).empty());
}

using ScriptFiles = TempFiles;

TEST_F(ScriptFiles, TheLoaderReaderReadsRealFiles) {
  const std::string path = Write("fw.hex", ":0100000055AA\n:00000001FF\n");
  const auto firmwares = ParseFirmwareScript("8001=" + path + "\r\n", ReadFirmwareFile);
  ASSERT_EQ(firmwares.size(), 1u);
  EXPECT_EQ(firmwares[0].FirmContent.at(0).Data, "\x55");
}

// ---- Device paths and messages -----------------------------------------------------

TEST(PathPID, TheFourCharactersAfterTheTag) {
  TPathPID pid = PIDFromDevicePath("\\\\?\\usb#vid_0000&pid_8001#5&1");
  EXPECT_EQ(pid.kind, TPathPID::Id);
  EXPECT_EQ(pid.Chars, "8001");
  EXPECT_EQ(pid.PID, 0x0001);

  pid = PIDFromDevicePath("sim/loader/1/vid_0000&PiD_abcd");
  EXPECT_EQ(pid.kind, TPathPID::Id);
  EXPECT_EQ(pid.Chars, "abcd") << "as written";
  EXPECT_EQ(pid.PID, 0x2BCD);

  pid = PIDFromDevicePath("vid_0000&pid_8G01");
  EXPECT_EQ(pid.kind, TPathPID::NotHex);
  EXPECT_EQ(pid.Chars, "8G01");

  EXPECT_EQ(PIDFromDevicePath("vid_0000&pod_8001").kind, TPathPID::NoTag);
  pid = PIDFromDevicePath("x&pid_12");
  EXPECT_EQ(pid.kind, TPathPID::Id) << "fewer than four characters are taken as they are";
  EXPECT_EQ(pid.PID, 0x12);
}

TEST(LoaderMessages, TheFourTexts) {
  EXPECT_EQ(NotHexMessage("8G01"), "Device PID 8G01 not hex!");
  EXPECT_EQ(NotRecognizedMessage(0x0001), "Device PID 0001 not recognized!");
  EXPECT_EQ(NotRecognizedMessage(0x7abc), "Device PID 7ABC not recognized!");
  EXPECT_EQ(OpenFailedMessage(), "Unable to open CyUSB device!");
  EXPECT_EQ(ResetFailedMessage(1167), "Error 1167 putting CPU into reset!");
}

}  // namespace
}  // namespace mirbax::testing
