// The digital extensions of the simulated boards: latches, debounce,
// automap and PWM tables, SPI and synchronization (see dio_model.h).
#include <algorithm>

#include "sim/board.h"
#include "sim/dio_model.h"

namespace mirbax::sim {
namespace {

constexpr uint8_t kLatchRead = 0x14, kDebounceRead = 0x15, kAdvanced = 0x18,
                  kGenRegister = 0x3C, kSpiWrite = 0xC0, kSpiRead = 0xC1, kCustomClocks = 0xC4;
constexpr uint16_t kDebounceSet = 0x0100, kDebounceReadAll = 0x0101;
constexpr uint16_t kRegDebounceTable = 0x51, kRegLatchDivisor = 0x63, kRegPwm = 0x71,
                   kRegAutomapTable = 0x81, kRegAutomapClear = 0x82, kRegAutomapEntry = 0x84;

uint32_t Answer(std::span<const uint8_t> bytes, std::span<uint8_t> reply) {
  const std::size_t count = std::min(bytes.size(), reply.size());
  std::copy_n(bytes.begin(), count, reply.begin());
  return uint32_t(count);
}

// Stores a table as sent, zero after it; false when it does not fit.
template <std::size_t N>
bool StoreTable(std::array<uint8_t, N> &table, std::span<const uint8_t> sent) {
  if (sent.size() > N) return false;
  table.fill(0);
  std::copy(sent.begin(), sent.end(), table.begin());
  return true;
}

Reply ReadLatches(Board &board, const ControlRequest &request) {
  DioState &dio = board.dio;
  const uint32_t count = Answer(dio.latches, request.reply);
  std::fill(dio.latches.begin(), dio.latches.end(), 0);
  std::fill_n(dio.latches.begin(), dio.bytes, 0xFF);
  return count;
}

Reply ReadDebounced(Board &board, const ControlRequest &request) {
  return Answer(board.dio.inputs, request.reply);
}

Reply Advanced(Board &board, const ControlRequest &request) {
  DioState &dio = board.dio;
  if (!request.setup.IsRead() && request.setup.index == kDebounceSet) {
    dio.debounceCounts = request.setup.value;
    return 0;
  }
  if (request.setup.IsRead() && request.setup.index == kDebounceReadAll) {
    std::vector<uint8_t> pairs;
    for (const uint8_t level : dio.inputs) pairs.insert(pairs.end(), {level, level});
    return Answer(pairs, request.reply);
  }
  return kStall;
}

Reply RegisterWrite(Board &board, const ControlRequest &request) {
  DioState &dio = board.dio;
  const std::span<const uint8_t> sent = request.sent;
  if (request.setup.IsRead()) return kStall;
  switch (request.setup.index) {
    case kRegDebounceTable:
      return StoreTable(dio.debounceTable, sent) ? Reply(0) : kStall;
    case kRegLatchDivisor:
      if (sent.size() != 1) return kStall;
      dio.latchDivisor = sent[0];
      return 0;
    case kRegPwm:
      return sent.size() == kPwmRecordBytes && StoreTable(dio.pwmRecord, sent) ? Reply(0) : kStall;
    case kRegAutomapTable:
      if (sent.size() % 2 != 0 || !StoreTable(dio.automapTable, sent)) return kStall;
      dio.automapBytes = uint32_t(sent.size());
      return 0;
    case kRegAutomapClear:
      dio.automapTable.fill(0);
      dio.automapBytes = 0;
      return 0;
    case kRegAutomapEntry:
      if (sent.size() != 2 || dio.automapBytes + 2 > kAutomapTableBytes) return kStall;
      std::copy(sent.begin(), sent.end(), dio.automapTable.begin() + dio.automapBytes);
      dio.automapBytes += 2;
      return 0;
  }
  return kStall;
}

Reply SpiWrite(Board &board, const ControlRequest &request) {
  board.dio.spi[request.setup.index] = uint8_t(request.setup.value);
  return 0;
}

Reply SpiRead(Board &board, const ControlRequest &request) {
  const uint8_t value = board.dio.spi[request.setup.index];
  return Answer(std::span(&value, 1), request.reply);
}

// The synchronization set-up is the board's; the transfer log keeps it.
Reply CustomClocks(Board &, const ControlRequest &) { return 0; }

}  // namespace

void RegisterDioExtensionRequests(Board &board) {
  DioState &dio = board.dio;
  board.RegisterRegion("debounce_table", dio.debounceTable);
  board.RegisterRegion("automap_table", dio.automapTable);
  board.RegisterRegion("pwm_record", dio.pwmRecord);
  board.RegisterRegion("spi", dio.spi);

  board.RegisterRequest(kLatchRead, ReadLatches);
  board.RegisterRequest(kDebounceRead, ReadDebounced);
  board.RegisterRequest(kAdvanced, Advanced);
  for (const uint16_t reg : {kRegDebounceTable, kRegLatchDivisor, kRegPwm, kRegAutomapTable,
                             kRegAutomapClear, kRegAutomapEntry})
    board.RegisterRequest(kGenRegister, reg, RegisterWrite);
  board.RegisterRequest(kSpiWrite, SpiWrite);
  board.RegisterRequest(kSpiRead, SpiRead);
  board.RegisterRequest(kCustomClocks, CustomClocks);
}

}  // namespace mirbax::sim
