#include "sim/dio_stream_model.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "sim/board.h"
#include "sim/product_info.h"

namespace mirbax::sim {

namespace {

constexpr uint8_t kRequestBulkSram = 0xBB;
constexpr uint8_t kRequestBcControl = 0xBC;
constexpr uint8_t kRequestSetClocks = 0xBD;
constexpr std::size_t kClockRecordSize = 5;

// The time `words` words take at `hz`.
Clock::duration WordsTime(uint64_t words, double hz) {
  return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(words / hz));
}

Reply OpenStream(Board &board, const ControlRequest &request, StreamDirection direction) {
  if (request.setup.IsRead() || !request.sent.empty()) return kStall;
  DigitalStreamState &stream = board.dac.stream;
  stream.direction = direction;
  stream.writePacedWords = 0;
  stream.writePacedFrom = Clock::now();
  return 0u;
}

Reply SetClocks(Board &board, const ControlRequest &request) {
  if (request.setup.IsRead() || request.sent.size() != kClockRecordSize) return kStall;
  DigitalStreamState &stream = board.dac.stream;
  stream.disables = request.sent[0];
  stream.writeControlWord = uint16_t(request.sent[1] << 8 | request.sent[2]);
  stream.readControlWord = uint16_t(request.sent[3] << 8 | request.sent[4]);
  stream.writePacedWords = 0;
  stream.writePacedFrom = Clock::now();
  return 0u;
}

// Takes the words of one write at the write clock.
uint32_t TakeWrittenWords(Board &board, std::span<const uint8_t> data, BulkWait &wait) {
  Clock::time_point due;
  std::size_t bytes = 0;
  {
    auto lock = board.Lock();
    DigitalStreamState &stream = board.dac.stream;
    const double hz = StreamWriteHz(stream);
    if (stream.direction != StreamDirection::Write || hz == 0) return 0;
    const uint64_t limit = board.options.Value("stream_out_limit");
    bytes = limit != 0 ? std::min<std::size_t>(limit, data.size()) : data.size();
    bytes &= ~std::size_t(1);
    stream.writePacedWords += bytes / 2;
    due = stream.writePacedFrom + WordsTime(stream.writePacedWords, hz);
  }
  if (!wait.WaitUntil(due)) return 0;
  auto lock = board.Lock();
  for (std::size_t i = 0; i + 1 < bytes; i += 2) {
    const uint16_t word = uint16_t(data[i] | data[i + 1] << 8);
    board.dac.stream.received.push_back(word);
    if (board.dac.kind == DacKind::DigitalStream && !board.dac.outputs.empty())
      board.dac.outputs[0] = word;
  }
  return uint32_t(bytes);
}

// Makes the words of one read at the read clock.
uint32_t MakeReadWords(Board &board, std::span<uint8_t> buffer, BulkWait &wait) {
  uint32_t first = 0;
  std::size_t words = buffer.size() / 2;
  double hz = 0;
  {
    auto lock = board.Lock();
    DigitalStreamState &stream = board.dac.stream;
    hz = StreamReadHz(stream);
    if (stream.direction != StreamDirection::Read || hz == 0 || words == 0) return 0;
    first = stream.nextWord;
    stream.nextWord += uint32_t(words);
  }
  if (!wait.WaitUntil(Clock::now() + WordsTime(words, hz))) return 0;
  for (std::size_t i = 0; i < words; ++i) {
    const uint16_t word = uint16_t(first + i);
    buffer[2 * i] = uint8_t(word);
    buffer[2 * i + 1] = uint8_t(word >> 8);
  }
  return uint32_t(words * 2);
}

}  // namespace

double OscillatorHz(uint16_t controlWord) {
  const int octave = controlWord >> 12;
  const int offset = (controlWord >> 2) & 0x3FF;
  return std::ldexp(2078.0, octave) / (2.0 - offset / 1024.0);
}

double StreamWriteHz(const DigitalStreamState &stream) {
  return (stream.disables & 0x01) ? 0 : OscillatorHz(stream.writeControlWord);
}

double StreamReadHz(const DigitalStreamState &stream) {
  return (stream.disables & 0x02) ? 0 : OscillatorHz(stream.readControlWord);
}

void RegisterDigitalStream(Board &board) {
  const ProductInfo info = LookUpProduct(board.productId());
  if (!info.dioStream) return;
  board.dac.stream.present = true;
  board.RegisterRequest(kRequestSetClocks, SetClocks);
  if (info.adcConfigBytes != 0) return;  // the analog input owns the stream's data
  board.RegisterOption("stream_out_limit", 0);
  board.RegisterRequest(kRequestBulkSram, [](Board &b, const ControlRequest &request) {
    return OpenStream(b, request, StreamDirection::Write);
  });
  board.RegisterRequest(kRequestBcControl, [](Board &b, const ControlRequest &request) {
    const Reply reply = OpenStream(b, request, StreamDirection::Read);
    b.InPipe(0x86)->Wake();
    return reply;
  });
  board.OutPipe(0x02)->SetSink([&board](std::span<const uint8_t> data, BulkWait &wait) {
    return TakeWrittenWords(board, data, wait);
  });
  board.InPipe(0x86)->SetSource([&board](std::span<uint8_t> buffer, BulkWait &wait) {
    return MakeReadWords(board, buffer, wait);
  });
}

}  // namespace mirbax::sim
