// The one table of result codes and their texts: the library's codes
// (mirbax.h) and the driver codes the libusb backend passes on.
#include "result_text.h"

#include <mirbax.h>

#include <map>

namespace mirbax::tool {

std::string ResultText(uint32_t code) {
  static const std::map<uint32_t, const char *> kTexts = {
      {MIRBAX_ERROR_SUCCESS, "success"},
      {MIRBAX_ERROR_FILE_NOT_FOUND, "no board at that index"},
      {MIRBAX_ERROR_TOO_MANY_OPEN_FILES, "a stream or acquisition is already running"},
      {MIRBAX_ERROR_INVALID_HANDLE, "nothing to close at that index"},
      {5, "access denied: the board is in use, or the udev rules are not installed"},
      {MIRBAX_ERROR_NOT_ENOUGH_MEMORY, "out of memory"},
      {MIRBAX_ERROR_INVALID_DATA, "invalid data"},
      {MIRBAX_ERROR_BAD_LENGTH, "size beyond the memory area or limit"},
      {MIRBAX_ERROR_SEEK, "address outside the memory area"},
      {MIRBAX_ERROR_READ_FAULT, "short device descriptor"},
      {MIRBAX_ERROR_GEN_FAILURE, "the driver failed without saying why"},
      {MIRBAX_ERROR_HANDLE_EOF, "short descriptor"},
      {MIRBAX_ERROR_NOT_SUPPORTED, "not supported by this board or firmware"},
      {MIRBAX_ERROR_DUP_NAME, "more than one board matches"},
      {MIRBAX_ERROR_INVALID_PARAMETER, "invalid argument"},
      {121, "the board did not answer in time"},
      {MIRBAX_ERROR_INSUFFICIENT_BUFFER, "buffer too small"},
      {170, "the board is in use by another program"},
      {232, "no data: the acquisition has ended or the wait timed out"},
      {234, "the board sent more data than asked for"},
      {MIRBAX_ERROR_INVALID_ADDRESS, "index beyond what the board has"},
      {MIRBAX_ERROR_NOACCESS, "a buffer could not be read or written"},
      {995, "the transfer was aborted"},
      {1117, "USB input/output error"},
      {MIRBAX_ERROR_DEVICE_NOT_CONNECTED, "the board is not connected"},
      {1168, "the board does not know the request"},
      {MIRBAX_ERROR_BAD_TOKEN_TYPE, "the board lacks this feature"},
      {MIRBAX_ERROR_INTERNAL_ERROR, "internal error in the library"},
      {MIRBAX_ERROR_INVALID_INDEX, "device index out of range"},
      {MIRBAX_ERROR_TIMEOUT, "timed out"},
      {MIRBAX_ERROR_DEVICE_REMOVED, "the board has been removed; close the index and relink"},
      {MIRBAX_ERROR_INVALID_USER_BUFFER, "buffer size not allowed"},
  };
  const auto found = kTexts.find(code);
  return std::to_string(code) + " (" + (found != kTexts.end() ? found->second : "system error") +
         ")";
}

}  // namespace mirbax::tool
