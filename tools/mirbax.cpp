// mirbax: the command-line tool over the MIRBAX library.
//
//   mirbax [--sim PID[:driver]...] COMMAND [ARGS]
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "commands.h"
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
};

void PrintUsage(FILE *out) {
  std::fprintf(out,
               "usage: mirbax [--sim PID[:driver]...] COMMAND [ARGS]\n\n"
               "Drives MIRBAX data-acquisition boards.\n\n"
               "options:\n"
               "  --sim PID[:driver]...  run on simulated boards instead of real ones\n"
               "                         (PID in hex; driver 1 WinUSB, 2/3 CyUSB, default 3)\n"
               "  -h, --help             show this help\n\n"
               "commands:\n");
  for (const Command &command : kCommands)
    std::fprintf(out, "  %-8s %s\n", command.name, command.summary);
  std::fprintf(out, "\nexit codes: 0 success, 1 a library call failed, 2 bad command line\n");
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
  std::vector<std::string> simBoards;
  std::vector<std::string> rest;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--sim") {
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
  std::string error;
  if (!AttachSimulatedBoards(simBoards, error)) {
    std::fprintf(stderr, "mirbax: %s\n", error.c_str());
    return kExitUsage;
  }
  for (const Command &command : kCommands)
    if (rest[0] == command.name)
      return command.run(std::vector<std::string>(rest.begin() + 1, rest.end()));
  std::fprintf(stderr, "mirbax: unknown command '%s'\n\n", rest[0].c_str());
  PrintUsage(stderr);
  return kExitUsage;
}
