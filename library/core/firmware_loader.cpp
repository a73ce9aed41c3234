#include "core/firmware_loader.h"

#include "core/board_memory.h"
#include "core/caller_memory.h"
#include "core/frame.h"
#include "core/links.h"
#include "core/transport.h"
#include "platform/platform.h"

namespace mirbax {

namespace {

void LoaderMessage(const std::string &text) {
  platform::MessageBox(kLoaderCaption, text, kLoaderMessageType);
}

const TPIDFirmData *FindFirmware(const std::vector<TPIDFirmData> &firmwares, uint16_t pid) {
  for (auto it = firmwares.rbegin(); it != firmwares.rend(); ++it)
    if (it->PID == pid) return &*it;
  return nullptr;
}

// Closes the loader's own handle to a board on every way out.
struct BoardHandle {
  Handle handle;
  ~BoardHandle() { platform::CloseHandle(handle); }
};

}  // namespace

void UploadFirmwaresByPID(const std::vector<TPIDFirmData> &firmwares, uint32_t &count) {
  for (const std::string &path : GetDevicePaths(D15LoClassGUID)) {
    const TPathPID pid = PIDFromDevicePath(path);
    if (pid.kind == TPathPID::NoTag) continue;
    if (pid.kind == TPathPID::NotHex) {
      LoaderMessage(NotHexMessage(pid.Chars));
      continue;
    }
    const TPIDFirmData *firmware = FindFirmware(firmwares, pid.PID);
    if (firmware == nullptr) {
      LoaderMessage(NotRecognizedMessage(pid.PID));
      continue;
    }
    const Handle opened = platform::OpenDevicePath(path, /*shared=*/true);
    if (opened == platform::kInvalidHandle) {
      LoaderMessage(OpenFailedMessage());
      continue;
    }
    const BoardHandle board{opened};
    if (const uint32_t result = _hCy_GenericVendorWriteStr(board.handle, CUR_RAM_WRITE,
                                                           kCpuControlRegister, 0,
                                                           std::string_view("\x01", 1))) {
      LoaderMessage(ResetFailedMessage(result));
      continue;
    }
    // One control transfer per data record; the results are not examined.
    for (const THexChunk &chunk : firmware->FirmContent)
      _hCy_GenericVendorWriteStr(board.handle, CUR_RAM_WRITE, chunk.Addr, 0, chunk.Data);
    _hCy_GenericVendorWriteStr(board.handle, CUR_RAM_WRITE, kCpuControlRegister, 0,
                               std::string_view("\x00", 1));
    ++count;
  }
}

}  // namespace mirbax

using namespace mirbax;

MIRBAX_EXPORT uint32_t MIRBAX_UploadD15LoFirmwaresByPID(const char *pFirmScript) {
  uint32_t count = 0;
  try {
    const std::string script = ReadCallerString(pFirmScript);
    UploadFirmwaresByPID(ParseFirmwareScript(script, ReadFirmwareFile), count);
    SetCallerLastError(ERROR_SUCCESS);
  } catch (...) {
    SetCallerLastError(ERROR_INTERNAL_ERROR);
  }
  return count;
}

MIRBAX_EXPORT uint32_t MIRBAX_UploadFirmware(uint32_t, const void *, uint32_t) {
  return ERROR_NOT_SUPPORTED;
}
