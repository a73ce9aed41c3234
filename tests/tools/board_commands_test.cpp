// The subcommands that drive a board's families, on simulated boards.  A
// family whose library functions (or simulated model) have not landed yet
// makes its tests skip, saying so.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

#include "tool_runner.h"

namespace mirbax::testing {
namespace {

#define SKIP_UNLESS_BUILT(...)                                             \
  if (FamilyNotBuilt({__VA_ARGS__})) GTEST_SKIP() << "not built yet: " #__VA_ARGS__

TEST(ToolDio, ReadsEveryByteAndLine) {
  SKIP_UNLESS_BUILT("--sim", "8001", "dio", "read");
  const ToolRun run = RunTool({"--sim", "8001", "dio", "read"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(std::regex_match(run.out, std::regex("bytes: [0-9a-f]{2}( [0-9a-f]{2}){3}\n"
                                                   "lines: [01]{8}( [01]{8}){3}\n")))
      << run.out;
}

TEST(ToolDio, WritesByBitByteAndWhole) {
  SKIP_UNLESS_BUILT("--sim", "8001", "dio", "read");
  for (const std::vector<std::string> &args :
       {std::vector<std::string>{"write", "--bit", "3", "1"},
        std::vector<std::string>{"write", "--byte", "1", "0xa5"},
        std::vector<std::string>{"write", "00ff00ff"},
        std::vector<std::string>{"config", "0f", "00000000"}}) {
    std::vector<std::string> line{"--sim", "8001", "dio"};
    line.insert(line.end(), args.begin(), args.end());
    const ToolRun run = RunTool(line);
    EXPECT_EQ(run.exitCode, 0) << args[0] << " " << run.err;
  }
}

TEST(ToolDio, TheLibrarysRefusalsAreReported) {
  SKIP_UNLESS_BUILT("--sim", "8001", "dio", "read");
  const ToolRun beyond = RunTool({"--sim", "8001", "dio", "read", "--bit", "32"});
  EXPECT_EQ(beyond.exitCode, 1);
  EXPECT_EQ(beyond.err, "mirbax dio: DIO_Read1: 487 (index beyond what the board has)\n");
  const ToolRun noLines = RunTool({"--sim", "8020", "dio", "read"});
  EXPECT_EQ(noLines.exitCode, 1);
  EXPECT_EQ(noLines.err, "mirbax dio: DIO_ReadAll: 1349 (the board lacks this feature)\n");
}

TEST(ToolCounter, ReadsEveryCounterAndOutputsAFrequency) {
  SKIP_UNLESS_BUILT("--sim", "8001", "counter", "read");
  const ToolRun all = RunTool({"--sim", "8001", "counter", "read"});
  ASSERT_EQ(all.exitCode, 0) << all.err;
  const auto lines = Lines(all.out);
  ASSERT_EQ(lines.size(), 9u) << all.out;
  EXPECT_EQ(lines[8].rfind("block 2 counter 2: ", 0), 0u) << lines[8];
  // 10 MHz root clock: 100 kHz is reached exactly.
  const ToolRun freq = RunTool({"--sim", "8020", "counter", "freq", "0", "100000"});
  EXPECT_EQ(freq.exitCode, 0) << freq.err;
  EXPECT_EQ(freq.out, "100000 Hz\n");
  const ToolRun none = RunTool({"--sim", "8002", "counter", "read", "0", "0"});
  EXPECT_EQ(none.exitCode, 1);
  EXPECT_EQ(none.err, "mirbax counter: CTR_8254Read: 1349 (the board lacks this feature)\n");
}

TEST(ToolEeprom, DumpsTheCustomAreaAndRefusesBeyondIt) {
  SKIP_UNLESS_BUILT("--sim", "8001", "eeprom", "read");
  const ToolRun all = RunTool({"--sim", "8001", "eeprom", "read"});
  ASSERT_EQ(all.exitCode, 0) << all.err;
  const auto lines = Lines(all.out);
  ASSERT_EQ(lines.size(), 16u);
  EXPECT_EQ(lines[15].substr(0, 6), "00f0  ");
  const ToolRun raw = RunTool({"--sim", "8001", "eeprom", "read", "255", "1", "--raw"});
  EXPECT_EQ(raw.exitCode, 0) << raw.err;
  EXPECT_TRUE(std::regex_match(raw.out, std::regex("[0-9a-f]{2}\n"))) << raw.out;
  const ToolRun pastEnd = RunTool({"--sim", "8001", "eeprom", "read", "255", "2"});
  EXPECT_EQ(pastEnd.exitCode, 1);
  EXPECT_EQ(pastEnd.err,
            "mirbax eeprom: CustomEEPROMRead: 24 (size beyond the memory area or limit)\n");
  const ToolRun write = RunTool({"--sim", "8001", "eeprom", "write", "10", "--text", "hello"});
  EXPECT_EQ(write.exitCode, 0) << write.err;
}

TEST(ToolScan, PrintsOneLinePerChannel) {
  SKIP_UNLESS_BUILT("--sim", "8040", "scan");
  const ToolRun run = RunTool({"--sim", "8040", "scan", "--channels", "2-5"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const auto lines = Lines(run.out);
  ASSERT_EQ(lines.size(), 4u) << run.out;
  EXPECT_TRUE(std::regex_match(lines[0], std::regex("  2 [+-][0-9]+\\.[0-9]{6} V"))) << lines[0];
  const ToolRun counts = RunTool({"--sim", "8040", "scan", "--channels", "0-1", "--counts"});
  ASSERT_EQ(counts.exitCode, 0) << counts.err;
  EXPECT_EQ(Lines(counts.out).size(), 2u) << counts.out;
}

TEST(ToolDac, SetsOutputs) {
  SKIP_UNLESS_BUILT("--sim", "8073", "dac", "set", "0", "1000");
  EXPECT_EQ(RunTool({"--sim", "8073", "dac", "set", "0", "1000"}).exitCode, 0);
  EXPECT_EQ(RunTool({"--sim", "8073", "dac", "set", "0", "1", "3", "40000"}).exitCode, 0);
  const ToolRun none = RunTool({"--sim", "8001", "dac", "set", "0", "1"});
  EXPECT_EQ(none.exitCode, 1);
  EXPECT_TRUE(Contains(none.err, "DACDirect: 1349 (")) << none.err;
}

TEST(ToolFirmware, LoadsAWaitingBoardFromAScript) {
  ScratchDirectory directory;
  WriteFile(directory.File("image.hex"),
            ":0300000002000BF0\n:03E60000010203F3\n:00000001FF\n");
  WriteFile(directory.File("boards.txt"), "; the boards of this bench\n8001=image.hex\n");
  // Without a waiting board nothing is loaded; the placeholder of a loader
  // not built yet answers its code, 50, as the count.
  const ToolRun none = RunTool({"--sim", "firmware", "boards.txt"}, directory.Path());
  if (none.out == "loaded 50 boards\n") GTEST_SKIP() << "firmware loader not built yet";
  EXPECT_EQ(none.exitCode, 0) << none.err;
  EXPECT_EQ(none.out, "loaded 0 boards\n");
  const ToolRun run = RunTool({"--sim", "0001:loader", "firmware", "boards.txt"}, directory.Path());
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, "loaded 1 board\n");
}

}  // namespace
}  // namespace mirbax::testing

namespace mirbax::testing {
namespace {

// The width and height in a PNG file's header.
std::pair<uint32_t, uint32_t> PngSize(const std::string &png) {
  auto word = [&](std::size_t at) {
    return uint32_t(uint8_t(png[at])) << 24 | uint32_t(uint8_t(png[at + 1])) << 16 |
           uint32_t(uint8_t(png[at + 2])) << 8 | uint32_t(uint8_t(png[at + 3]));
  };
  if (png.size() < 24 || png.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0) return {0, 0};
  return {word(16), word(20)};
}

TEST(ToolAcquire, StreamsCsvWithoutLosingSamplesAndReports) {
  SKIP_UNLESS_BUILT("--sim", "8040", "acquire", "--samples", "512");
  ScratchDirectory directory;
  const std::string csv = directory.File("samples.csv");
  const ToolRun run = RunTool({"--sim", "8040", "acquire", "--samples", "20000", "--check-pattern",
                               "--output", csv});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(Contains(run.err, "acquired 20000 samples in ")) << run.err;
  EXPECT_TRUE(Contains(run.err, "samples/s achieved")) << run.err;
  EXPECT_TRUE(Contains(run.err, "samples lost: 0 (gaps in the running count)")) << run.err;
  const auto lines = Lines(ReadFile(csv));
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0].rfind("scan,ch", 0), 0u) << lines[0];
  std::size_t samples = 0;
  for (std::size_t i = 1; i < lines.size(); ++i)
    samples += std::count(lines[i].begin(), lines[i].end(), ',');
  EXPECT_EQ(samples, 20000u);
}

TEST(ToolAcquire, WritesRawBinaryAtAClockedRate) {
  SKIP_UNLESS_BUILT("--sim", "8040", "acquire", "--samples", "512");
  ScratchDirectory directory;
  const std::string raw = directory.File("samples.bin");
  const ToolRun run = RunTool({"--sim", "8040", "acquire", "--rate", "100000", "--samples", "4096",
                               "--format", "binary", "--output", raw, "--check-pattern"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(Contains(run.err, "(clock set to 100000 Hz)")) << run.err;
  const std::string bytes = ReadFile(raw);
  ASSERT_EQ(bytes.size(), 8192u);
  // A running count, little-endian: each sample one more than the last.
  for (std::size_t i = 2; i < bytes.size(); i += 2) {
    const uint16_t previous = uint16_t(uint8_t(bytes[i - 2]) | uint8_t(bytes[i - 1]) << 8);
    const uint16_t sample = uint16_t(uint8_t(bytes[i]) | uint8_t(bytes[i + 1]) << 8);
    ASSERT_EQ(sample, uint16_t(previous + 1)) << "at byte " << i;
  }
}

TEST(ToolAcquire, PlotsTheChannels) {
  SKIP_UNLESS_BUILT("--sim", "8040", "acquire", "--samples", "512");
  ScratchDirectory directory;
  const std::string png = directory.File("plot.png");
  const ToolRun run = RunTool({"--sim", "8040", "acquire", "--samples", "4096", "--output",
                               directory.File("samples.csv"), "--plot", png});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(PngSize(ReadFile(png)), std::make_pair(1200u, 700u));
}

TEST(ToolAcquire, ABoardWithoutAnalogInputsIsRefused) {
  SKIP_UNLESS_BUILT("--sim", "8040", "acquire", "--samples", "512");
  const ToolRun run = RunTool({"--sim", "8001", "acquire", "--samples", "10"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "mirbax acquire: ADC_GetConfig: 1349 (the board lacks this feature)\n");
}

}  // namespace
}  // namespace mirbax::testing
