// The device-interface classes the maker's boards appear under, as the
// drivers' installation data gives them.  The build sets them
// (device_class_guids.h.in, cmake -DMIRBAX_CYUSB_CLASS_GUID=... and so on);
// a class the build was given no identifier for lists no board.
#pragma once

#include <optional>

#include "platform/win32/windows_api.h"

namespace mirbax::platform::win32 {

extern const std::optional<GUID> kCyUSBClassGuid;
extern const std::optional<GUID> kWinUSBClassGuid;
extern const std::optional<GUID> kLoaderClassGuid;

}  // namespace mirbax::platform::win32
