// The tool's own pieces: result texts, hex byte strings and the sample sink
// of acquire (CSV and binary layout, sample limit, running-count check).
#include <gtest/gtest.h>
#include <mirbax.h>

#include <cstdio>
#include <set>
#include <string>

#include "hex_bytes.h"
#include "result_text.h"
#include "sample_sink.h"

namespace mirbax::tool {
namespace {

bool Contains(const std::string &text, const char *part) {
  return text.find(part) != std::string::npos;
}

TEST(ResultText, EveryNamedCodeHasItsOwnText) {
  const uint32_t kCodes[] = {
      MIRBAX_ERROR_FILE_NOT_FOUND, MIRBAX_ERROR_TOO_MANY_OPEN_FILES, MIRBAX_ERROR_INVALID_HANDLE,
      MIRBAX_ERROR_NOT_ENOUGH_MEMORY, MIRBAX_ERROR_INVALID_DATA, MIRBAX_ERROR_BAD_LENGTH,
      MIRBAX_ERROR_SEEK, MIRBAX_ERROR_READ_FAULT, MIRBAX_ERROR_GEN_FAILURE,
      MIRBAX_ERROR_HANDLE_EOF, MIRBAX_ERROR_NOT_SUPPORTED, MIRBAX_ERROR_DUP_NAME,
      MIRBAX_ERROR_INVALID_PARAMETER, MIRBAX_ERROR_INSUFFICIENT_BUFFER, MIRBAX_ERROR_TIMEOUT,
      MIRBAX_ERROR_INVALID_ADDRESS, MIRBAX_ERROR_NOACCESS, MIRBAX_ERROR_DEVICE_NOT_CONNECTED,
      MIRBAX_ERROR_BAD_TOKEN_TYPE, MIRBAX_ERROR_INTERNAL_ERROR, MIRBAX_ERROR_INVALID_INDEX,
      MIRBAX_ERROR_DEVICE_REMOVED, MIRBAX_ERROR_INVALID_USER_BUFFER};
  std::set<std::string> texts;
  for (uint32_t code : kCodes) {
    const std::string text = ResultText(code);
    EXPECT_EQ(text.rfind(std::to_string(code) + " (", 0), 0u) << text;
    EXPECT_FALSE(Contains(text, "system error")) << text;
    EXPECT_TRUE(texts.insert(text.substr(text.find('('))).second) << "two codes share " << text;
  }
}

TEST(ResultText, OtherCodesStillShowTheirNumber) {
  EXPECT_EQ(ResultText(4242), "4242 (system error)");
  EXPECT_EQ(ResultText(0), "0 (success)");
}

TEST(HexBytes, ParsesAndPrints) {
  EXPECT_EQ(ParseHexBytes("ff00A5"), (std::vector<uint8_t>{0xff, 0x00, 0xa5}));
  EXPECT_EQ(ParseHexBytes("ff:00:a5"), (std::vector<uint8_t>{0xff, 0x00, 0xa5}));
  for (const char *bad : {"", "f", "fg", ":ff", "ff::00", "ff 00", "ff:"})
    EXPECT_FALSE(ParseHexBytes(bad).has_value()) << bad;
  const uint8_t bytes[] = {0x01, 0xab};
  EXPECT_EQ(HexBytes(bytes, 2), "01 ab");
  const uint8_t text[] = {'H', 'i', 0x00};
  EXPECT_EQ(HexDump(0x10, text, 3),
            "0010  48 69 00                                         Hi.\n");
}

// A sink writing into a memory file that the test reads back.
struct MemoryFile {
  char *data = nullptr;
  size_t size = 0;
  FILE *file = open_memstream(&data, &size);
  ~MemoryFile() {
    if (file) std::fclose(file);
    std::free(data);
  }
  std::string Text() {
    std::fflush(file);
    return std::string(data, size);
  }
};

TEST(SampleSink, CsvHasOneLinePerScanAndAColumnPerConversion) {
  MemoryFile out;
  SampleSink sink(out.file, OutputFormat::Csv, ScanLayout{2, 3, 2}, 0, false, false);
  sink.WriteHeader();
  const uint16_t samples[] = {1, 2, 3, 4, 5, 6, 7, 8};
  sink.Take(samples);
  EXPECT_EQ(out.Text(), "scan,ch2.0,ch2.1,ch3.0,ch3.1\n0,1,2,3,4\n1,5,6,7,8\n");
}

TEST(SampleSink, StopsAtTheSampleLimitAcrossBuffers) {
  MemoryFile out;
  SampleSink sink(out.file, OutputFormat::Binary, ScanLayout{0, 0, 1}, 3, false, false);
  const uint16_t first[] = {0x0102, 0x0304};
  const uint16_t second[] = {0x0506, 0x0708};
  EXPECT_TRUE(sink.Take(first));
  EXPECT_FALSE(sink.Take(second));
  EXPECT_TRUE(sink.Full());
  EXPECT_EQ(sink.Samples(), 3u);
  EXPECT_EQ(out.Text(), std::string("\x02\x01\x04\x03\x06\x05", 6));  // little-endian
}

TEST(SampleSink, CountsTheGapsOfARunningCount) {
  SampleSink sink(nullptr, OutputFormat::Csv, ScanLayout{0, 0, 1}, 0, true, false);
  const uint16_t unbroken[] = {65534, 65535, 0, 1};  // wraps without a gap
  sink.Take(unbroken);
  EXPECT_EQ(sink.Lost(), 0u);
  const uint16_t gaps[] = {4, 5, 9};  // 2 and 3 missing, then 6, 7, 8
  sink.Take(gaps);
  EXPECT_EQ(sink.Lost(), 5u);
}

TEST(SampleSink, PlotsTheMeanOfEachChannelPerScan) {
  SampleSink sink(nullptr, OutputFormat::Csv, ScanLayout{4, 5, 2}, 0, false, true);
  const uint16_t samples[] = {10, 20, 100, 200, 30, 40, 300, 400, 7};  // last scan incomplete
  sink.Take(samples);
  const auto series = sink.PlotData();
  ASSERT_EQ(series.size(), 2u);
  EXPECT_EQ(series[0].name, "ch 4");
  EXPECT_EQ(series[0].values, (std::vector<double>{15, 35}));
  EXPECT_EQ(series[1].values, (std::vector<double>{150, 350}));
}

}  // namespace
}  // namespace mirbax::tool
