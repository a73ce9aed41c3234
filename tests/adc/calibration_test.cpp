// Calibration: the file parser and table builder on their own, then the
// four sources against a simulated board's tables.
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <fstream>

#include "adc/cal_file.h"
#include "adc_fixture.h"

namespace mirbax::testing {
namespace {

TEST(CalFile, ParsesOneOrTwoTablesAndRefusesShortFiles) {
  std::vector<uint8_t> bytes(2 * kCalTableBytes + 10);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = uint8_t(i * 7);
  const TCalFileContents two = ParseCalFile(bytes);
  ASSERT_EQ(two.code, 0u);
  ASSERT_EQ(two.tables.size(), 2u);
  EXPECT_EQ(two.tables[0][1], uint16_t(bytes[2] | bytes[3] << 8));
  EXPECT_EQ(two.tables[1][0], uint16_t(bytes[kCalTableBytes] | bytes[kCalTableBytes + 1] << 8));
  EXPECT_EQ(ParseCalFile(std::span(bytes).first(kCalTableBytes)).tables.size(), 1u);
  EXPECT_EQ(ParseCalFile(std::span(bytes).first(100000)).code, 38u);
  EXPECT_EQ(ParseCalFile({}).code, 38u);
  EXPECT_EQ(CalTableBytes(two.tables[0]), std::vector<uint8_t>(bytes.begin(), bytes.begin() + kCalTableBytes));
}

TEST(CalFile, NamesAndTables) {
  EXPECT_EQ(CalSourceOf(":AUTO:"), TCalSource::Auto);
  EXPECT_EQ(CalSourceOf(":auto:"), TCalSource::UnknownPseudoName);
  EXPECT_EQ(CalSourceOf(":NORM:"), TCalSource::Nominal);
  EXPECT_EQ(CalSourceOf(":1TO1:"), TCalSource::Identity);
  EXPECT_EQ(CalSourceOf(":NONE:"), TCalSource::Identity);
  EXPECT_EQ(CalSourceOf("cal.bin"), TCalSource::File);
  TCalTable table;
  ASSERT_TRUE(BuildLinearCalTable(66.0, 65087.0, 0.0, 65102.80704, false, table));
  EXPECT_EQ(table[66], 0);
  EXPECT_EQ(table[65087], 65103);
  EXPECT_EQ(table[0], 0);
  EXPECT_EQ(table[65535], 65535);
  EXPECT_FALSE(BuildLinearCalTable(100.0, 100.0, 0.0, 1.0, false, table));
  EXPECT_FALSE(BuildLinearCalTable(NAN, 100.0, 0.0, 1.0, false, table));
}

class Calibration : public AdcTest {
 protected:
  void SetUp() override {
    AdcTest::SetUp();
    char name[] = "/tmp/mirbax-cal-XXXXXX";
    const int fd = mkstemp(name);
    ASSERT_GE(fd, 0);
    close(fd);
    path_ = name;
  }
  void TearDown() override {
    std::remove(path_.c_str());
    AdcTest::TearDown();
  }
  void WriteFile(const std::vector<uint8_t> &bytes) const {
    std::ofstream(path_, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
  }
  std::vector<uint8_t> ReadFile() const {
    std::ifstream in(path_, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
  }
  void ScrambleTables() const {
    std::vector<uint16_t> junk(65536, 0x1234);
    for (uint32_t t = 0; t < 2; ++t)
      MIRBAXSIM_Poke(board_, "caltable", t * 131072, junk.data(), 131072);
  }
  static std::vector<uint16_t> Identity() {
    std::vector<uint16_t> table(65536);
    for (uint32_t i = 0; i < 65536; ++i) table[i] = uint16_t(i);
    return table;
  }
  std::string path_;
};

TEST_F(Calibration, AutoRoundTripsThroughASavedFile) {
  Plug(kAdc16);
  const uint8_t noRef[2] = {0xFF, 0xFF};  // the board stores no high reference
  MIRBAXSIM_Poke(board_, "eeprom", 0x1DF2, noRef, 2);
  std::vector<uint8_t> block(20, 0);
  block[0] = 3;
  block[19] = 9;
  SetBoardBlock(block);
  ASSERT_EQ(ADC_SetCalAndSave(0, ":AUTO:", path_.c_str()), 0u);
  EXPECT_EQ(BoardBlock(20), block);  // restored
  const std::vector<uint16_t> bipolar = BoardTable(0), unipolar = BoardTable(1);
  // The board reads its references as 65103 and 0 counts (unipolar), so the
  // tables map those readings onto 65102.80704 and 0.
  EXPECT_EQ(unipolar[0], 0);
  EXPECT_EQ(unipolar[65103], 65103);
  EXPECT_EQ(bipolar[32768], 32768);
  EXPECT_EQ(bipolar[65320], 65319);
  const std::vector<uint8_t> saved = ReadFile();
  ASSERT_EQ(saved.size(), 2 * kCalTableBytes);
  ScrambleTables();
  ASSERT_EQ(ADC_SetCal(0, path_.c_str()), 0u);
  EXPECT_EQ(BoardTable(0), bipolar);
  EXPECT_EQ(BoardTable(1), unipolar);
  // Readings are taken with 256 conversions at high speed.
  bool sawScan = false;
  for (const std::string &line : ControlLines(board_, 0xBC)) sawScan |= line == "C 40 bc 0000 0100 0004 05000000";
  EXPECT_TRUE(sawScan);
}

TEST_F(Calibration, ReferenceOutsideItsWindowFails) {
  Plug(kAdc16);
  SetOption("adc_ref_low", 664);  // reads 33100 in bipolar coding, 332 counts off
  EXPECT_EQ(ADC_SetCal(0, ":AUTO:"), MIRBAX_ERROR_INVALID_DATA);
  EXPECT_EQ(BoardBlock(20), std::vector<uint8_t>(20, 0));
  SetOption("adc_ref_low", 0);
  SetOption("adc_ref_high", 60000);  // 5103 counts off
  EXPECT_EQ(ADC_SetCal(0, ":AUTO:"), MIRBAX_ERROR_INVALID_DATA);
}

TEST_F(Calibration, NominalAndIdentityTables) {
  Plug(kAdc16);
  ASSERT_EQ(ADC_SetCal(0, ":NORM:"), 0u);
  for (int t = 0; t < 2; ++t) {
    const std::vector<uint16_t> table = BoardTable(t);
    EXPECT_EQ(table[66], 0);
    EXPECT_EQ(table[65087], 65103);
    EXPECT_EQ(table[65535], 65535);
  }
  for (const char *name : {":1TO1:", ":NONE:"}) {
    ScrambleTables();
    ASSERT_EQ(ADC_SetCalAndSave(0, name, path_.c_str()), 0u);
    EXPECT_EQ(BoardTable(0), Identity());
    EXPECT_EQ(BoardTable(1), Identity());
    const std::vector<uint8_t> saved = ReadFile();
    ASSERT_EQ(saved.size(), 2 * kCalTableBytes);
    EXPECT_TRUE(std::equal(saved.begin(), saved.begin() + kCalTableBytes, saved.begin() + kCalTableBytes));
  }
}

TEST_F(Calibration, FilesOfOneOrTwoTables) {
  Plug(kAdc16);
  std::vector<uint8_t> bytes(2 * kCalTableBytes);
  for (uint32_t i = 0; i < 2 * 65536; ++i) {
    const uint16_t v = uint16_t(i < 65536 ? 65535 - i : i / 2);
    bytes[2 * i] = uint8_t(v);
    bytes[2 * i + 1] = uint8_t(v >> 8);
  }
  WriteFile(bytes);
  ASSERT_EQ(ADC_SetCal(0, path_.c_str()), 0u);
  EXPECT_EQ(BoardTable(0)[0], 65535);
  EXPECT_EQ(BoardTable(1)[100], (65536 + 100) / 2);
  // One table goes where the board's block directs it: unipolar here.
  bytes.resize(kCalTableBytes);
  WriteFile(bytes);
  ScrambleTables();
  ASSERT_EQ(ADC_SetCal(0, path_.c_str()), 0u);
  EXPECT_EQ(BoardTable(1)[0], 65535);
  EXPECT_EQ(BoardTable(0)[0], 0x1234);
  bytes.resize(100000);
  WriteFile(bytes);
  EXPECT_EQ(ADC_SetCal(0, path_.c_str()), MIRBAX_ERROR_HANDLE_EOF);
  // A path through a missing directory: Windows says so (3), POSIX says
  // only that the file is not there (2).
#if defined(_WIN32)
  constexpr uint32_t kMissingDirectory = 3;  // ERROR_PATH_NOT_FOUND
#else
  constexpr uint32_t kMissingDirectory = MIRBAX_ERROR_FILE_NOT_FOUND;
#endif
  EXPECT_EQ(ADC_SetCal(0, "/nonexistent/cal.bin"), kMissingDirectory);
  EXPECT_EQ(ADC_SetCal(0, ":auto:"), 126u);
  EXPECT_EQ(ADC_SetCalAndSave(0, ":NONE:", "/nonexistent/dir/save.bin"), kMissingDirectory);
}

TEST_F(Calibration, FullSpeedSendsSmallerChunks) {
  Plug(kAdc16);
  SetOption("high_speed", 0);  // the speed is probed at the first calibration
  ASSERT_EQ(ADC_SetCal(0, ":AUTO:"), 0u);
  for (const std::string &line : LinesStarting("B 02")) ASSERT_EQ(line, "B 02 00000080 00000080");
  // 512 chunks of 64 entries a table, the first sent twice, four loads.
  EXPECT_EQ(LinesStarting("B 02").size(), 4u * 1025);
  EXPECT_EQ(ControlLines(board_, 0xBB)[1], "C 40 bb 0000 0040 0000");
  EXPECT_EQ(ControlLines(board_, 0xBB)[2], "C 40 bb 0040 0040 0000");
  bool sawScan = false;
  for (const std::string &line : ControlLines(board_, 0xBC)) sawScan |= line == "C 40 bc 0000 0040 0004 05000000";
  EXPECT_TRUE(sawScan);  // 64 conversions
  EXPECT_EQ(BoardTable(1)[65103], 65103);
}

TEST_F(Calibration, ShortTableTransfersEndTheLoad) {
  Plug(kAdc16);
  SetOption("adc_table_accept", 100);  // less than one 512-byte packet
  EXPECT_EQ(ADC_SetCal(0, ":NONE:"), MIRBAX_ERROR_GEN_FAILURE);
  EXPECT_EQ(LinesStarting("B 02").size(), 2u);  // the first chunk twice, then no progress
}

TEST_F(Calibration, ProbeAndCapability) {
  Plug(kAdc16);
  ASSERT_EQ(ADC_QueryCal(0), 0u);
  SetOption("cal_supported", 0);
  EXPECT_EQ(ADC_QueryCal(0), MIRBAX_ERROR_NOT_SUPPORTED);
  EXPECT_EQ(ADC_SetCal(0, ":NONE:"), MIRBAX_ERROR_NOT_SUPPORTED);
  Replug();
  Plug(kAdcDioStream);
  EXPECT_EQ(ADC_QueryCal(0), MIRBAX_ERROR_BAD_TOKEN_TYPE);
  EXPECT_EQ(ADC_SetCal(0, ":NONE:"), MIRBAX_ERROR_BAD_TOKEN_TYPE);
}

TEST_F(Calibration, AFailedTableLoadIsReported) {
  Plug(kAdc16);
  // Let the probe, the block read, the first block write and a few chunks
  // pass; then every transfer fails.
  ASSERT_EQ(MIRBAXSIM_FailTransfersAfter(board_, 12, 0xFFFFFFFF, 31), 0u);
  EXPECT_EQ(ADC_SetCal(0, ":NONE:"), MIRBAX_ERROR_GEN_FAILURE);
  MIRBAXSIM_FailTransfers(board_, 0, 0);
  EXPECT_LT(LinesStarting("B 02").size(), 1025u);  // the load stopped
}

}  // namespace
}  // namespace mirbax::testing
