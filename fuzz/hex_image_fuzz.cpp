// The Intel-hex image parser on any file content.  Each data record must
// come from a line of the input, so the records can never hold more bytes
// than the input has.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/firmware_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
  const std::string_view content(reinterpret_cast<const char *>(data), size);
  const mirbax::THexChunks chunks = mirbax::ParseHexImage(content);
  std::size_t bytes = 0;
  for (const mirbax::THexChunk &chunk : chunks) bytes += chunk.Data.size();
  if (bytes > size) std::abort();
  return 0;
}
