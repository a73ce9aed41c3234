// mirbax firmware: loads the boards that wait for firmware, from a script.
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "cli.h"
#include "library_api.h"

namespace mirbax::tool {

namespace {

constexpr const char *kCommand = "firmware";

constexpr const char *kHelp =
    "usage: mirbax firmware SCRIPT\n\n"
    "Loads firmware into every board waiting for it.  SCRIPT is a text file\n"
    "with one line per product ID:  PID=PATH  (PID in hex, PATH an Intel-hex\n"
    "image, relative to the current directory); empty lines and lines that\n"
    "start with ';' are ignored.  Prints the number of boards loaded; the\n"
    "library tells about boards it could not load on standard error.\n";

}  // namespace

int FirmwareCommand(const std::vector<std::string> &args) {
  const Arguments arguments(args, {}, {});
  if (!arguments.Ok()) return UsageFailure(kCommand, arguments.Error());
  if (arguments.Help()) {
    std::fputs(kHelp, stdout);
    return kExitOk;
  }
  if (arguments.Words().size() != 1) return UsageFailure(kCommand, "want: firmware SCRIPT");
  const std::string &path = arguments.Words()[0];
  std::ifstream file(path, std::ios::binary);
  if (!file) return UsageFailure(kCommand, "cannot read the script '" + path + "'");
  std::ostringstream script;
  script << file.rdbuf();
  errno = 0;
  const uint32_t loaded = MIRBAX_UploadD15LoFirmwaresByPID(script.str().c_str());
  if (const uint32_t code = uint32_t(errno))
    return LibraryFailure(kCommand, "MIRBAX_UploadD15LoFirmwaresByPID", code);
  std::printf("loaded %u board%s\n", loaded, loaded == 1 ? "" : "s");
  return kExitOk;
}

}  // namespace mirbax::tool
