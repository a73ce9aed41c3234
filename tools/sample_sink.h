// Where acquire puts the samples: a CSV or raw binary file, a check of the
// running count that simulated boards can send, and the series of a plot.
// Fed from the library's buffer worker, one buffer at a time, in order.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "adc_block.h"
#include "plot.h"

namespace mirbax::tool {

enum class OutputFormat { Csv, Binary };

class SampleSink {
 public:
  // `out` may be null (no file).  `limit`: samples to take at most (0: no
  // limit).  `checkPattern`: the samples are a running count n mod 65536.
  SampleSink(std::FILE *out, OutputFormat format, const ScanLayout &layout, uint64_t limit,
             bool checkPattern, bool keepForPlot);

  void WriteHeader();
  // Takes the samples of one buffer; false once the limit is reached.
  bool Take(std::span<const uint16_t> samples);

  uint64_t Samples() const { return samples_; }
  uint64_t Lost() const { return lost_; }
  bool Full() const { return limit_ != 0 && samples_ >= limit_; }
  bool WriteFailed() const { return writeFailed_; }

  // One series per channel, the mean of its conversions in each scan.
  std::vector<PlotSeries> PlotData() const;

 private:
  void WriteCsv(uint16_t sample);
  void CheckPattern(uint16_t sample);
  void KeepForPlot(uint16_t sample);

  std::FILE *out_;
  OutputFormat format_;
  ScanLayout layout_;
  uint64_t limit_;
  bool checkPattern_;
  bool keepForPlot_;
  uint64_t samples_ = 0;
  uint64_t lost_ = 0;
  std::optional<uint16_t> expected_;
  bool writeFailed_ = false;
  std::vector<double> scanSums_;               // per channel, the scan being filled
  std::vector<std::vector<double>> plotValues_;  // per channel, per scan
};

}  // namespace mirbax::tool
