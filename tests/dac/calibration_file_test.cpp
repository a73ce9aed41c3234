// The calibration text file: line ends, blank lines, number forms, the
// 65536-value table and the reading of the file itself.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "core/result_codes.h"
#include "dac/dac_calibration.h"
#include "common/temporary_directory.h"

namespace mirbax {
namespace {

// The value of entry i in the test tables: distinct, spanning 16 bits.
uint16_t Entry(uint32_t i) { return uint16_t(65535 - i); }

std::string TableText(const std::string &lineEnd, const std::string &between = "") {
  std::string text;
  for (uint32_t i = 0; i < kDACCalibrationEntries; ++i) {
    text += std::to_string(Entry(i)) + lineEnd;
    if (i % 1000 == 0) text += between;
  }
  return text;
}

void ExpectTestTable(const TDACCalibrationTable &table) {
  for (uint32_t i = 0; i < kDACCalibrationEntries; ++i)
    ASSERT_EQ(table[i], Entry(i)) << "entry " << i;
}

struct LayoutCase {
  const char *name;
  std::string lineEnd;
  std::string between;  // text inserted after every 1000th line
};

class CalibrationLayouts : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(CalibrationLayouts, LoadTheSameTable) {
  TDACCalibrationTable table{};
  ASSERT_EQ(ParseDACCalibration(TableText(GetParam().lineEnd, GetParam().between), table), 0u);
  ExpectTestTable(table);
}

INSTANTIATE_TEST_SUITE_P(
    LineEnds, CalibrationLayouts,
    ::testing::Values(LayoutCase{"Lf", "\n", ""}, LayoutCase{"CrLf", "\r\n", ""},
                      LayoutCase{"Cr", "\r", ""}, LayoutCase{"EmptyLines", "\n", "\n\n\r\n"},
                      LayoutCase{"BlankLines", "\r\n", " \t \r\n\x01\n"},
                      LayoutCase{"PaddedValues", " \t\n", "   "}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(CalibrationFile, OnlyTheFirst65536ValuesAreRead) {
  std::string text = TableText("\n");
  text += "not a number\n";  // value 65537 and on: ignored
  text += "12\n";
  TDACCalibrationTable table{};
  ASSERT_EQ(ParseDACCalibration(text, table), 0u);
  ExpectTestTable(table);
}

TEST(CalibrationFile, TooFewValuesGive38AndLeaveTheTable) {
  std::string text = TableText("\n");
  text.resize(text.rfind('\n', text.size() - 2) + 1);  // drop the last line
  TDACCalibrationTable table{};
  table[0] = 7;
  EXPECT_EQ(ParseDACCalibration(text, table), ERROR_HANDLE_EOF);
  EXPECT_EQ(table[0], 7);
  EXPECT_EQ(ParseDACCalibration("", table), ERROR_HANDLE_EOF);
  // A bad line does not change that a short file is short.
  EXPECT_EQ(ParseDACCalibration("1\nbad\n3\n", table), ERROR_HANDLE_EOF);
}

TEST(CalibrationFile, ABadLineGives13AndLeavesTheTable) {
  std::string text = TableText("\n");
  text.replace(0, text.find('\n'), "12x");
  TDACCalibrationTable table{};
  table[1] = 7;
  EXPECT_EQ(ParseDACCalibration(text, table), ERROR_INVALID_DATA);
  EXPECT_EQ(table[1], 7);
}

TEST(CalibrationFile, StoresTheLow16BitsOfEachValue) {
  std::string text = "-1\n65536\n$12345\n0x7FFFFFFF\n-2147483648\n";
  for (uint32_t i = 5; i < kDACCalibrationEntries; ++i) text += "0\n";
  TDACCalibrationTable table{};
  ASSERT_EQ(ParseDACCalibration(text, table), 0u);
  EXPECT_EQ(table[0], 0xFFFF);
  EXPECT_EQ(table[1], 0x0000);
  EXPECT_EQ(table[2], 0x2345);
  EXPECT_EQ(table[3], 0xFFFF);
  EXPECT_EQ(table[4], 0x0000);
}

struct ValueCase {
  const char *text;
  bool valid;
  int32_t value;
};

class CalibrationValues : public ::testing::TestWithParam<ValueCase> {};

TEST_P(CalibrationValues, ParseAsTheFormatSays) {
  const ValueCase &c = GetParam();
  int32_t value = 12345;
  ASSERT_EQ(ParseDACCalibrationValue(c.text, value), c.valid) << '"' << c.text << '"';
  if (c.valid) {
    EXPECT_EQ(value, c.value) << '"' << c.text << '"';
  }
}

INSTANTIATE_TEST_SUITE_P(
    Forms, CalibrationValues,
    ::testing::Values(
        ValueCase{"0", true, 0}, ValueCase{"  42\t", true, 42}, ValueCase{"+42", true, 42},
        ValueCase{"-42", true, -42}, ValueCase{"$ff", true, 255}, ValueCase{"$FF", true, 255},
        ValueCase{"0x1F", true, 31}, ValueCase{"0X1f", true, 31}, ValueCase{"-$10", true, -16},
        ValueCase{"$FFFFFFFF", true, -1}, ValueCase{"2147483647", true, 2147483647},
        ValueCase{"-2147483648", true, INT32_MIN}, ValueCase{"007", true, 7},
        ValueCase{"2147483648", false, 0}, ValueCase{"-2147483649", false, 0},
        ValueCase{"$100000000", false, 0}, ValueCase{"99999999999999999999999", false, 0},
        ValueCase{"", false, 0}, ValueCase{"-", false, 0}, ValueCase{"$", false, 0},
        ValueCase{"0x", false, 0}, ValueCase{"1 2", false, 0}, ValueCase{"12a", false, 0},
        ValueCase{"--1", false, 0}, ValueCase{"+-1", false, 0}, ValueCase{"1.5", false, 0},
        ValueCase{"$-1", false, 0}, ValueCase{"0x+1", false, 0}, ValueCase{"ff", false, 0},
        ValueCase{"1e3", false, 0}));

// A file in a temporary directory, removed with it.
class CalibrationFileOnDisk : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = mirbax::testing::MakeTemporaryDirectory("mirbax-dac-cal");
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string Write(const std::string &name, const std::string &content) {
    const std::string path = dir_ + "/" + name;
    std::ofstream(path, std::ios::binary) << content;
    return path;
  }

  std::string dir_;
};

TEST_F(CalibrationFileOnDisk, ReadsTheWholeFile) {
  const std::string text = TableText("\r\n");
  std::string content;
  ASSERT_EQ(ReadDACCalibrationFile(Write("cal.txt", text), content), 0u);
  EXPECT_EQ(content, text);
}

// A file past the limit is read up to it: a sparse file of 200 MiB whose
// table stands at its start.
TEST_F(CalibrationFileOnDisk, ReadsNoMoreThan128MiB) {
  const std::string path = Write("big.txt", TableText("\n"));
  std::filesystem::resize_file(path, 200u << 20);
  std::string content;
  ASSERT_EQ(ReadDACCalibrationFile(path, content), 0u);
  EXPECT_EQ(content.size(), kDACCalibrationFileLimit);
  TDACCalibrationTable table{};
  ASSERT_EQ(ParseDACCalibration(content, table), 0u);
  ExpectTestTable(table);
}

TEST_F(CalibrationFileOnDisk, ReportsWhyAFileCannotBeRead) {
  std::string content;
  EXPECT_EQ(ReadDACCalibrationFile(dir_ + "/missing.txt", content), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(ReadDACCalibrationFile(Write("plain", "1") + "/below", content), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(ReadDACCalibrationFile(dir_, content), ERROR_ACCESS_DENIED);
}

}  // namespace
}  // namespace mirbax
