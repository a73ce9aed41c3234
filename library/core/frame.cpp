#include "core/frame.h"

#include "core/links.h"

namespace mirbax {

uint32_t Validate(uint32_t &DeviceIndex) {
  if (DeviceIndex == diLoadAndOnly) {
    for (uint32_t i = 0; i < kDeviceCount; ++i) CloseDeviceEntry(i);
    LoadDriverLinks();
    DeviceIndex = diOnly;
  }
  if (DeviceIndex == diOnly || DeviceIndex == diFirst) {
    const bool onlyOne = DeviceIndex == diOnly;
    for (uint32_t i = 0; i < kDeviceCount; ++i) {
      if (!Dev[i].bGotHandle) continue;
      if (DeviceIndex < kDeviceCount) return ERROR_DUP_NAME;  // a second linked entry
      DeviceIndex = i;
      if (!onlyOne) return ERROR_SUCCESS;
    }
    return DeviceIndex < kDeviceCount ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
  }
  return DeviceIndex < kDeviceCount ? ERROR_SUCCESS : ERROR_INVALID_INDEX;
}

uint32_t ValidateAndEnsureOpen(uint32_t &DeviceIndex) {
  if (const uint32_t result = Validate(DeviceIndex)) return result;
  return EnsureOpen(DeviceIndex);
}

}  // namespace mirbax

using namespace mirbax;

MIRBAX_EXPORT uint32_t ResolveDeviceIndex(uint32_t DeviceIndex) {
  try {
    const uint32_t result = Validate(DeviceIndex);
    SetCallerLastError(result);
    return result == ERROR_SUCCESS ? DeviceIndex : diNone;
  } catch (...) {
    return ERROR_INTERNAL_ERROR;
  }
}

MIRBAX_EXPORT uint32_t SelectDeviceViaUI(uint32_t, const uint32_t *, const char *, const char *,
                                         const char *, const char *, uint32_t *) {
  return ERROR_NOT_SUPPORTED;
}
