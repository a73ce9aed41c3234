// The samples an ADC board streams on pipe 0x86: a one-block acquisition,
// a continuous one, or the DIO-stream board's records, paced in real time
// at option "sample_rate" (samples per second; 0: as fast as they are read).
//
// With option "adc_pattern" 1, sample n of a stream carries n mod 65536, so
// that a reader can prove nothing was lost or reordered.  Otherwise a bulk
// board sends its conversions (the scan of its block, each channel converted
// Oversample + 1 times, through the calibration table), and the DIO-stream
// board 8-byte records: analog channel 0, analog channel 1, then the high
// and the low 16 bits of the record's sequence number.
#include <algorithm>
#include <chrono>
#include <cstring>

#include "sim/adc_model.h"
#include "sim/board.h"

namespace mirbax::sim {

namespace {

// A paced reader waits until this many samples are due (or the whole
// request, when smaller).
constexpr uint64_t kPacedChunkSamples = 256;
constexpr uint32_t kDioRecordWords = 4;

bool Streaming(AdcRun run) {
  return run == AdcRun::Block || run == AdcRun::Continuous || run == AdcRun::DioStream;
}

void FillPattern(AdcState &adc, uint8_t *out, uint64_t count) {
  uint16_t n = uint16_t(adc.streamSample);
  for (uint64_t i = 0; i < count; ++i, ++n) {
    out[2 * i] = uint8_t(n);
    out[2 * i + 1] = uint8_t(n >> 8);
  }
  adc.streamSample += count;
}

void FillConversions(Board &board, uint8_t *out, uint64_t count) {
  AdcState &adc = board.adc;
  for (uint64_t i = 0; i < count; ++i) {
    uint16_t value;
    if (adc.dioStream) {
      const uint64_t word = adc.streamSample % kDioRecordWords;
      const uint64_t record = adc.streamSample / kDioRecordWords;
      value = word < 2 ? AdcConvert(board, uint32_t(word))
                       : uint16_t(word == 2 ? record >> 16 : record);
    } else {
      const uint64_t perScan = adc.scanChannels.size() * uint64_t(adc.conversions);
      value = AdcConvert(board, adc.scanChannels[adc.scanPosition / adc.conversions]);
      adc.scanPosition = (adc.scanPosition + 1) % perScan;
    }
    out[2 * i] = uint8_t(value);
    out[2 * i + 1] = uint8_t(value >> 8);
    ++adc.streamSample;
  }
}

// Produces `count` samples into `out` (board's lock held).
void Produce(Board &board, uint8_t *out, uint64_t count) {
  AdcState &adc = board.adc;
  if (board.options.Value("adc_pattern") == 1)
    FillPattern(adc, out, count);
  else
    FillConversions(board, out, count);
  if (adc.run == AdcRun::Block) {
    adc.blockSamplesLeft -= count;
    if (adc.blockSamplesLeft == 0) adc.run = AdcRun::Idle;
  }
}

uint32_t ReadSamples(Board &board, std::span<uint8_t> buffer, BulkWait &wait) {
  for (;;) {
    Clock::time_point wakeAt;
    {
      auto lock = board.Lock();
      AdcState &adc = board.adc;
      if (!Streaming(adc.run)) return 0;  // wait for a start
      uint64_t want = buffer.size() / 2;
      if (adc.run == AdcRun::Block) want = std::min(want, adc.blockSamplesLeft);
      if (want == 0) return 0;
      const uint64_t rate = board.options.Value("sample_rate");
      if (rate == 0) {
        Produce(board, buffer.data(), want);
        return uint32_t(want * 2);
      }
      const auto elapsed = Clock::now() - adc.pacedSince;
      const uint64_t due =
          uint64_t(std::chrono::duration<double>(elapsed).count() * double(rate));
      const uint64_t produced = adc.streamSample - adc.pacedBase;
      const uint64_t available = due > produced ? due - produced : 0;
      const uint64_t needed = std::min(want, kPacedChunkSamples);
      if (available >= needed) {
        const uint64_t count = std::min(want, available);
        Produce(board, buffer.data(), count);
        return uint32_t(count * 2);
      }
      wakeAt = adc.pacedSince + std::chrono::duration_cast<Clock::duration>(
                                    std::chrono::duration<double>(double(produced + needed) /
                                                                  double(rate)));
    }
    if (!wait.WaitUntil(wakeAt)) return 0;
  }
}

}  // namespace

void InstallAdcSource(Board &board) {
  board.InPipe(0x86)->SetSource(
      [&board](std::span<uint8_t> buffer, BulkWait &wait) { return ReadSamples(board, buffer, wait); });
}

}  // namespace mirbax::sim
