// The watchdog of the simulated boards: register 0x41 takes the timeout and
// table; request 0x2E (index 0x41) returns the status and counts as a pet.
#include <algorithm>

#include "sim/board.h"
#include "sim/dio_model.h"

namespace mirbax::sim {
namespace {

constexpr uint8_t kGenRegister = 0x3C, kWatchdogStatus = 0x2E;
constexpr uint16_t kRegWatchdog = 0x41;

Reply Configure(Board &board, const ControlRequest &request) {
  DioState &dio = board.dio;
  if (request.setup.IsRead() || request.sent.size() < 2 ||
      request.sent.size() > dio.watchdogConfig.size())
    return kStall;
  dio.watchdogConfig.fill(0);
  std::copy(request.sent.begin(), request.sent.end(), dio.watchdogConfig.begin());
  std::copy_n(request.sent.begin(), 2, dio.watchdogStatus.begin());  // the timeout
  return 0;
}

Reply Status(Board &board, const ControlRequest &request) {
  DioState &dio = board.dio;
  if (!request.setup.IsRead() || request.setup.index != kRegWatchdog) return kStall;
  const std::size_t count = std::min(dio.watchdogStatus.size(), request.reply.size());
  std::copy_n(dio.watchdogStatus.begin(), count, request.reply.begin());
  // Every read pets the watchdog.
  const uint16_t pets = uint16_t((dio.watchdogStatus[2] | dio.watchdogStatus[3] << 8) + 1);
  dio.watchdogStatus[2] = uint8_t(pets);
  dio.watchdogStatus[3] = uint8_t(pets >> 8);
  return uint32_t(count);
}

}  // namespace

void RegisterWatchdogRequests(Board &board) {
  board.RegisterRegion("watchdog_config", board.dio.watchdogConfig);
  board.RegisterRegion("watchdog_status", board.dio.watchdogStatus);
  board.RegisterRequest(kGenRegister, kRegWatchdog, Configure);
  board.RegisterRequest(kWatchdogStatus, Status);
}

}  // namespace mirbax::sim
