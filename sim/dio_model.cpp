#include "sim/dio_model.h"

#include <algorithm>

#include "sim/board.h"
#include "sim/errors.h"
#include "sim/product_info.h"

namespace mirbax::sim {
namespace {

constexpr uint8_t kDioWrite = 0x10, kDioRead = 0x11, kDioConfig = 0x12, kDioConfigQuery = 0x13,
                  kDioConfigMasked = 0x1F, kDacDioWriteAll = 0x8C;
constexpr uint32_t kPnpHasDioWrite1 = 14;

uint32_t DirectionBytes(const DioState &dio) { return (dio.configBits + 7) / 8; }

bool IsOutput(const DioState &dio, uint32_t line) {
  const uint32_t bit = dio.configBits >= 8 * dio.bytes ? line : line / 8;
  return bit / 8 < dio.directions.size() && (dio.directions[bit / 8] >> (bit % 8) & 1);
}

bool Floating(const DioState &dio) {
  return std::any_of(dio.tristates.begin(), dio.tristates.end(), [](uint8_t b) { return b != 0; });
}

// Copies up to `to.size()` bytes of `from`, starting at `offset`.
void CopyPart(std::span<const uint8_t> from, std::size_t offset, std::span<uint8_t> to) {
  if (offset >= from.size()) return;
  const std::size_t count = std::min(to.size(), from.size() - offset);
  std::copy_n(from.begin() + offset, count, to.begin());
}

void ApplyMasked(std::span<const uint8_t> from, std::size_t &offset, std::span<uint8_t> target) {
  const std::size_t length = target.size();
  if (offset + 2 * length > from.size()) return;
  for (std::size_t i = 0; i < length; ++i) {
    const uint8_t mask = from[offset + i], value = from[offset + length + i];
    target[i] = uint8_t((target[i] & ~mask) | (value & mask));
  }
  offset += 2 * length;
}

Reply Write(Board &board, const ControlRequest &request) {
  DioState &dio = board.dio;
  if (!request.sent.empty()) {
    CopyPart(request.sent, 0, dio.outputs);
    return 0;
  }
  // The single-bit write of boards that report it.
  const auto &pnp = board.core.pnp;
  if (pnp[0] < kPnpSize || pnp[kPnpHasDioWrite1] == 0) return kStall;
  const uint32_t line = request.setup.index;
  if (line / 8 >= dio.bytes) return kStall;
  const uint8_t bit = uint8_t(1u << (line % 8));
  uint8_t &byte = dio.outputs[line / 8];
  byte = request.setup.value ? uint8_t(byte | bit) : uint8_t(byte & ~bit);
  return 0;
}

Reply Read(Board &board, const ControlRequest &request) {
  const std::vector<uint8_t> levels = DioLineLevels(board.dio);
  CopyPart(levels, 0, request.reply);
  return uint32_t(std::min(levels.size(), request.reply.size()));
}

Reply Configure(Board &board, const ControlRequest &request) {
  DioState &dio = board.dio;
  const uint32_t D = dio.bytes, M = DirectionBytes(dio);
  CopyPart(request.sent, 0, dio.outputs);
  CopyPart(request.sent, D, dio.directions);
  if (request.setup.index == D && D != 0) {
    dio.tristates.fill(0);
    CopyPart(request.sent, D + M, dio.tristates);
  } else {
    CopyPart(request.sent, D + M, dio.changeOfState);
    dio.tristates.fill(0);
    dio.tristates[0] = request.setup.value != 0 ? 0x01 : 0x00;
  }
  return 0;
}

Reply QueryConfiguration(Board &board, const ControlRequest &request) {
  DioState &dio = board.dio;
  std::vector<uint8_t> reply(dio.directions);
  reply.insert(reply.end(), dio.tristates.begin(), dio.tristates.end());
  CopyPart(reply, 0, request.reply);
  return uint32_t(std::min(reply.size(), request.reply.size()));
}

Reply ConfigureMasked(Board &board, const ControlRequest &request) {
  DioState &dio = board.dio;
  const std::size_t M = DirectionBytes(dio), D = dio.bytes;
  if (request.sent.size() < 2 * M + 2 * D) return kStall;
  const std::size_t T = std::min<std::size_t>((request.sent.size() - 2 * M - 2 * D) / 2,
                                              kMaxTristateBytes);
  std::size_t offset = 0;
  ApplyMasked(request.sent, offset, dio.directions);
  ApplyMasked(request.sent, offset, dio.outputs);
  ApplyMasked(request.sent, offset, std::span(dio.tristates).first(T));
  return 0;
}

// The combined write: D, the digital bytes, the DAC byte count, the counts.
Reply WriteDacsAndDigital(Board &board, const ControlRequest &request) {
  DioState &dio = board.dio;
  const std::span<const uint8_t> sent = request.sent;
  if (sent.empty() || sent[0] != dio.bytes || sent.size() < 2u + dio.bytes) return kStall;
  CopyPart(sent, 1, dio.outputs);
  dio.dacdioCounts.fill(0);
  CopyPart(sent, 2 + dio.bytes, dio.dacdioCounts);
  return 0;
}

}  // namespace

std::vector<uint8_t> DioLineLevels(const DioState &dio) {
  std::vector<uint8_t> levels(dio.bytes);
  const bool floating = Floating(dio);
  for (uint32_t line = 0; line < 8 * dio.bytes; ++line) {
    const uint8_t *source = !floating && IsOutput(dio, line) ? dio.outputs.data() : dio.inputs.data();
    levels[line / 8] |= uint8_t(source[line / 8] & (1u << (line % 8)));
  }
  return levels;
}

void RegisterDioRequests(Board &board) {
  const ProductInfo product = LookUpProduct(board.productId());
  DioState &dio = board.dio;
  dio.bytes = product.dioBytes;
  dio.configBits = product.dioConfigBits ? product.dioConfigBits : product.dioBytes;
  dio.outputs.assign(dio.bytes, 0);
  dio.inputs.assign(dio.bytes, 0);
  dio.directions.assign(DirectionBytes(dio), 0);
  dio.changeOfState.assign(DirectionBytes(dio), 0);
  dio.latches.assign(3 * dio.bytes, 0);
  std::fill_n(dio.latches.begin(), dio.bytes, 0xFF);  // nothing latched yet

  board.RegisterRegion("dio_outputs", dio.outputs);
  board.RegisterRegion("dio_inputs", dio.inputs);
  board.RegisterRegion("dio_directions", dio.directions);
  board.RegisterRegion("dio_tristates", dio.tristates);
  board.RegisterRegion("dio_latches", dio.latches);
  board.RegisterRegion("dacdio_counts", dio.dacdioCounts);

  board.RegisterRequest(kDioWrite, Write);
  board.RegisterRequest(kDioRead, Read);
  board.RegisterRequest(kDioConfig, Configure);
  board.RegisterRequest(kDioConfigQuery, QueryConfiguration);
  board.RegisterRequest(kDioConfigMasked, ConfigureMasked);
  board.RegisterRequest(kDacDioWriteAll, WriteDacsAndDigital);
  RegisterDioExtensionRequests(board);
  RegisterWatchdogRequests(board);
}

uint32_t DioSetDigitalInputs(Board &board, std::span<const uint8_t> levels) {
  DioState &dio = board.dio;
  if (levels.size() > dio.bytes) return kErrorInvalidParameter;
  std::copy(levels.begin(), levels.end(), dio.inputs.begin());
  // The latches remember every level a line has shown since their last read.
  const uint32_t D = dio.bytes;
  for (uint32_t i = 0; i < D; ++i) {
    dio.latches[D + i] |= uint8_t(~dio.inputs[i]);     // low
    dio.latches[2 * D + i] |= dio.inputs[i];          // high
    dio.latches[i] = uint8_t(~(dio.latches[D + i] | dio.latches[2 * D + i]));
  }
  return kOk;
}

}  // namespace mirbax::sim
