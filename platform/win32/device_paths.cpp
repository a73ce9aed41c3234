// Enumeration of the boards' device interfaces through SetupAPI.

#include <cstddef>
#include <optional>
#include <vector>

#include "platform/platform.h"
#include "platform/win32/device_class_guids.h"
#include "platform/win32/windows_api.h"
// After <windows.h>, which it needs.
#include <setupapi.h>

namespace mirbax::platform {

namespace {

// The interface class of each kind of board; none when the build was given
// no identifier for it.
std::optional<GUID> ClassGuid(DeviceClass deviceClass) {
  switch (deviceClass) {
    case DeviceClass::CyUSB: return win32::kCyUSBClassGuid;
    case DeviceClass::WinUSB: return win32::kWinUSBClassGuid;
    case DeviceClass::Loader: return win32::kLoaderClassGuid;
  }
  return std::nullopt;
}

// The path of member `index` of the set; false when the enumeration ends.
// A member whose detail record cannot be fetched gives no path.
bool EnumeratePath(HDEVINFO set, const GUID &guid, DWORD index, std::vector<std::string> &paths) {
  SP_DEVICE_INTERFACE_DATA interfaceData{};
  interfaceData.cbSize = sizeof interfaceData;  // 28 bytes on 32-bit Windows
  if (!SetupDiEnumDeviceInterfaces(set, nullptr, &guid, index, &interfaceData)) return false;

  DWORD detailSize = 0;
  SetupDiGetDeviceInterfaceDetailA(set, &interfaceData, nullptr, 0, &detailSize, nullptr);
  constexpr DWORD kPathOffset = offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath);
  if (detailSize <= kPathOffset) return true;

  // The record is a size field followed by the NUL-terminated path; its
  // alignment is that of the size field.
  std::vector<DWORD> record((detailSize + sizeof(DWORD) - 1) / sizeof(DWORD));
  auto *detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A *>(record.data());
  detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);  // 5 bytes on 32-bit Windows
  if (!SetupDiGetDeviceInterfaceDetailA(set, &interfaceData, detail, detailSize, nullptr, nullptr))
    return true;

  const char *path = detail->DevicePath;
  const std::size_t room = detailSize - kPathOffset;
  std::size_t length = 0;
  while (length < room && path[length] != '\0') ++length;
  paths.emplace_back(path, length);
  return true;
}

}  // namespace

std::vector<std::string> ListDevicePaths(DeviceClass deviceClass) {
  std::vector<std::string> paths;
  const std::optional<GUID> guid = ClassGuid(deviceClass);
  if (!guid) return paths;
  const HDEVINFO set = SetupDiGetClassDevsA(&*guid, nullptr, nullptr,
                                            DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
  if (set == INVALID_HANDLE_VALUE) return paths;
  for (DWORD index = 0; EnumeratePath(set, *guid, index, paths); ++index) {
  }
  SetupDiDestroyDeviceInfoList(set);
  return paths;
}

}  // namespace mirbax::platform
