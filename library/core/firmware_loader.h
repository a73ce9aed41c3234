// The firmware loader: boards waiting for firmware (device-interface class
// D15LoClassGUID, bound to the CyUSB driver) get the Intel-hex image that a
// firmware script names for their product ID.  Each board is opened by path,
// its controller CPU held in reset, the image written into its RAM record by
// record, the CPU let run, and the board closed again; the device table is
// not touched.  Problems with one board go to the user as a message box
// (platform::MessageBox) and the loader goes on with the next board.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/firmware_text.h"

namespace mirbax {

// Loads every waiting board for which `firmwares` has an image (the last
// entry for an ID wins).  `count` is raised by one per board loaded, so a
// caller that catches an exception still knows how far it got.
void UploadFirmwaresByPID(const std::vector<TPIDFirmData> &firmwares, uint32_t &count);

}  // namespace mirbax
