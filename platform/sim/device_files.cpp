// Simulated backend: listing the device paths of a class, opening and
// closing them.
#include "platform/platform.h"
#include "platform/sim/handle_table.h"
#include "sim/bus.h"
#include "sim/errors.h"

namespace mirbax::platform {

namespace {

bool InClass(const sim::Board &board, DeviceClass deviceClass) {
  switch (deviceClass) {
    case DeviceClass::Loader:
      return board.isLoader();
    case DeviceClass::WinUSB:
      return !board.isLoader() && board.driver() == sim::Driver::WinUsb;
    case DeviceClass::CyUSB:
      return !board.isLoader() && board.driver() != sim::Driver::WinUsb;
  }
  return false;
}

}  // namespace

std::vector<std::string> ListDevicePaths(DeviceClass deviceClass) {
  std::vector<std::string> paths;
  for (const auto &board : sim::Bus::Instance().AttachedBoards()) {
    if (InClass(*board, deviceClass)) paths.push_back(board->devicePath());
  }
  return paths;
}

Handle OpenDevicePath(const std::string &path, bool shared) {
  std::shared_ptr<sim::Board> board = sim::Bus::Instance().FindAttachedByPath(path);
  if (!board) {
    SetLastError(sim::kErrorFileNotFound);
    return kInvalidHandle;
  }
  if (uint32_t error = board->OpenPath(shared)) {
    SetLastError(error);
    return kInvalidHandle;
  }
  return sim_backend::AddHandle({sim_backend::HandleKind::File, std::move(board), shared});
}

// Closing works on the handle of an unplugged board too, as it does on a
// real system.
bool CloseHandle(Handle handle) {
  std::optional<sim_backend::OpenHandle> closed =
      sim_backend::RemoveHandle(handle, sim_backend::HandleKind::File);
  if (!closed) return sim_backend::Fail(sim::kErrorInvalidHandle);
  closed->board->ReleasePath(closed->shared);
  return true;
}

}  // namespace mirbax::platform
