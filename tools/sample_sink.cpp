#include "sample_sink.h"

namespace mirbax::tool {

namespace {
// A plot of more scans than this shows the first ones only: the picture has
// no more pixels than that anyway, and memory stays bounded.
constexpr std::size_t kMaxPlotScans = 200000;
}  // namespace

SampleSink::SampleSink(std::FILE *out, OutputFormat format, const ScanLayout &layout,
                       uint64_t limit, bool checkPattern, bool keepForPlot)
    : out_(out), format_(format), layout_(layout), limit_(limit), checkPattern_(checkPattern),
      keepForPlot_(keepForPlot), scanSums_(layout.Channels(), 0.0),
      plotValues_(layout.Channels()) {}

void SampleSink::WriteHeader() {
  if (!out_ || format_ != OutputFormat::Csv) return;
  std::fputs("scan", out_);
  for (uint32_t channel = layout_.startChannel; channel <= layout_.endChannel; ++channel)
    for (uint32_t conversion = 0; conversion < layout_.conversionsPerChannel; ++conversion) {
      if (layout_.conversionsPerChannel == 1)
        std::fprintf(out_, ",ch%u", channel);
      else
        std::fprintf(out_, ",ch%u.%u", channel, conversion);
    }
  std::fputc('\n', out_);
}

bool SampleSink::Take(std::span<const uint16_t> samples) {
  if (Full()) return false;
  if (limit_ != 0 && samples.size() > limit_ - samples_)
    samples = samples.first(std::size_t(limit_ - samples_));
  if (out_ && format_ == OutputFormat::Binary) {
    // Little-endian 16-bit samples, as they come from the board.
    std::vector<uint8_t> bytes;
    bytes.reserve(samples.size() * 2);
    for (uint16_t sample : samples) {
      bytes.push_back(uint8_t(sample));
      bytes.push_back(uint8_t(sample >> 8));
    }
    if (std::fwrite(bytes.data(), 1, bytes.size(), out_) != bytes.size()) writeFailed_ = true;
  }
  for (uint16_t sample : samples) {
    if (out_ && format_ == OutputFormat::Csv) WriteCsv(sample);
    if (checkPattern_) CheckPattern(sample);
    if (keepForPlot_) KeepForPlot(sample);
    ++samples_;
  }
  return !Full();
}

void SampleSink::WriteCsv(uint16_t sample) {
  const uint64_t inScan = samples_ % layout_.SamplesPerScan();
  if (inScan == 0) std::fprintf(out_, "%llu", (unsigned long long)(samples_ / layout_.SamplesPerScan()));
  std::fprintf(out_, ",%u", sample);
  if (inScan + 1 == layout_.SamplesPerScan() && std::fputc('\n', out_) == EOF) writeFailed_ = true;
}

void SampleSink::CheckPattern(uint16_t sample) {
  // A gap in the running count is the number of samples that went missing.
  if (expected_ && sample != *expected_) lost_ += uint16_t(sample - *expected_);
  expected_ = uint16_t(sample + 1);
}

void SampleSink::KeepForPlot(uint16_t sample) {
  const uint64_t inScan = samples_ % layout_.SamplesPerScan();
  const std::size_t channel = std::size_t(inScan / layout_.conversionsPerChannel);
  scanSums_[channel] += sample;
  if (inScan + 1 != layout_.SamplesPerScan()) return;
  if (plotValues_[0].size() < kMaxPlotScans)
    for (std::size_t c = 0; c < scanSums_.size(); ++c)
      plotValues_[c].push_back(scanSums_[c] / layout_.conversionsPerChannel);
  std::fill(scanSums_.begin(), scanSums_.end(), 0.0);
}

std::vector<PlotSeries> SampleSink::PlotData() const {
  std::vector<PlotSeries> series;
  for (std::size_t c = 0; c < plotValues_.size(); ++c)
    series.push_back({"ch " + std::to_string(layout_.startChannel + c), plotValues_[c]});
  return series;
}

}  // namespace mirbax::tool
