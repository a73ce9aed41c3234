// mirbax: the command-line tool over the MIRBAX library.
//
//   mirbax [--sim PID[:driver]...] COMMAND [ARGS]
//
// The library is chosen at run time (library_api.h): --sim loads
// libmirbax-sim.so and attaches the simulated boards named; without it the
// tool loads libmirbax.so and works on the real boards.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "commands.h"
#include "library_api.h"
#include "sim_boards.h"

namespace {

using namespace mirbax::tool;

struct Command {
  const char *name;
  const char *summary;
  int (*run)(const std::vector<std::string> &args);
};

const Command kCommands[] = {
    {"list", "list the boards with their product ID, name, serial number and capabilities",
     ListCommand},
    {"info", "everything the library knows about one board", InfoCommand},
    {"dio", "configure, read and write the digital lines", DioCommand},
    {"counter", "program and read the 8254 counters, output a frequency", CounterCommand},
    {"eeprom", "read and write the custom EEPROM area", EepromCommand},
    {"scan", "read one scan of the analog inputs", ScanCommand},
    {"acquire", "stream analog samples to CSV or binary, optionally plot them", AcquireCommand},
    {"dac", "set analog outputs, or play a waveform from a CSV file", DacCommand},
    {"firmware", "load firmware into the boards waiting for it, from a script", FirmwareCommand},
};

void PrintUsage(FILE *out) {
  std::fprintf(out,
               "usage: mirbax [--sim PID[:driver]...] COMMAND [ARGS]\n\n"
               "Drives MIRBAX data-acquisition boards.\n\n"
               "options:\n"
               "  --sim PID[:driver]...  run on simulated boards instead of real ones\n"
               "                         (PID in hex; driver 1 WinUSB, 2/3 CyUSB, default 3;\n"
               "                         'loader': a board waiting for firmware)\n"
               "  -h, --help             show this help\n\n"
               "commands:\n");
  for (const Command &command : kCommands)
    std::fprintf(out, "  %-9s %s\n", command.name, command.summary);
  std::fprintf(out,
               "\n'mirbax COMMAND --help' tells more about each command.\n"
               "exit codes: 0 success, 1 a library call failed, 2 bad command line,\n"
               "            3 (acquire) samples lost or the stream ended early\n");
}

bool IsCommand(const std::string &word) {
  for (const Command &command : kCommands)
    if (word == command.name) return true;
  return false;
}

}  // namespace

int main(int argc, char **argv) {
  // --sim takes the words after it up to the next option or command name,
  // wherever it stands; everything else is the command and its arguments.
  bool simulated = false;
  std::vector<std::string> simBoards;
  std::vector<std::string> rest;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--sim") {
      simulated = true;
      while (i + 1 < argc && argv[i + 1][0] != '-' && !IsCommand(argv[i + 1]))
        simBoards.push_back(argv[++i]);
    } else if (rest.empty() && (arg == "-h" || arg == "--help")) {
      PrintUsage(stdout);
      return kExitOk;
    } else {
      rest.push_back(arg);
    }
  }
  if (rest.empty()) {
    PrintUsage(stderr);
    return kExitUsage;
  }
  const Command *command = nullptr;
  for (const Command &candidate : kCommands)
    if (rest[0] == candidate.name) command = &candidate;
  if (!command) {
    std::fprintf(stderr, "mirbax: unknown command '%s'\n\n", rest[0].c_str());
    PrintUsage(stderr);
    return kExitUsage;
  }
  std::string error;
  if (!LoadLibrary(simulated, error)) {
    std::fprintf(stderr, "mirbax: %s\n", error.c_str());
    return kExitLibraryError;
  }
  if (!AttachSimulatedBoards(simBoards, error)) {
    std::fprintf(stderr, "mirbax: %s\n", error.c_str());
    return kExitUsage;
  }
  return command->run(std::vector<std::string>(rest.begin() + 1, rest.end()));
}
