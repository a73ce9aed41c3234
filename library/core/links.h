// Driver links: finding the attached boards and binding each to a free
// entry of the device table (driver handles, driver type, path).  Linking
// opens no board; EnsureOpen does that at the entry's first use.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/device_table.h"
#include "platform/platform.h"

namespace mirbax {

using platform::DeviceClass;

// The device-interface classes the boards appear under.
inline constexpr DeviceClass QELCyUSBClassGUID = DeviceClass::CyUSB;
inline constexpr DeviceClass QELWinUSBClassGUID = DeviceClass::WinUSB;
inline constexpr DeviceClass D15LoClassGUID = DeviceClass::Loader;

// True once the WinUSB entry points are available (set at library load).
extern bool bWinUSBLoaded;
void LoadWinUSB();

std::vector<std::string> GetDevicePaths(DeviceClass ClassGUID);
TUSBDriverType GetCyUSBDriverType(Handle hDevice);
void LoadCyUSBLinks(DeviceClass ByGUID);
void LoadWinUSBLinks(DeviceClass ByGUID);
// CyUSB-bound boards first, so they take the lower entries.
void LoadDriverLinks();

// MIRBAX_CloseDevice on a resolved index: 0, 6 (nothing to close) or the
// driver's error while releasing handles; the link is dropped in any case.
uint32_t CloseDeviceEntry(uint32_t DeviceIndex);

// The board linked at the entry has gone: close it and set the removal mark.
void MarkDeviceRemoved(uint32_t DeviceIndex);

}  // namespace mirbax
