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
      {MIRBAX_ERROR_INVALID_DATA, "invalid data"},
      {MIRBAX_ERROR_BAD_LENGTH, "size beyond the memory area or limit"},
      {MIRBAX_ERROR_SEEK, "address outside the memory area"},
      {MIRBAX_ERROR_READ_FAULT, "short device descriptor"},
      {MIRBAX_ERROR_GEN_FAILURE, "the driver failed without saying why"},
      {MIRBAX_ERROR_HANDLE_EOF, "short descriptor"},
      {MIRBAX_ERROR_NOT_SUPPORTED, "not supported by this board or firmware"},
      {MIRBAX_ERROR_DUP_NAME, "more than one board matches"},
      {MIRBAX_ERROR_INVALID_PARAMETER, "invalid argument"},
      {MIRBAX_ERROR_INVALID_ADDRESS, "index beyond what the board has"},
      {MIRBAX_ERROR_NOACCESS, "a buffer could not be read or written"},
      {MIRBAX_ERROR_DEVICE_NOT_CONNECTED, "the board is not connected"},
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
