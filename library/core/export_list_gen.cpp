// Build-time tool: writes the linker's export lists and alias names from the
// table of exported functions, so the table is the only place they are kept.
//
//   mirbax.map       version script of libmirbax.so (the exported names only)
//   mirbax-sim.map   the same plus the MIRBAXSIM_ control functions
//   aliases.ld       `_Name = Name;` and `VBName = Name;` assignments
//   exports.txt      every exported name, one a line
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct ExportedName {
  std::string name;    // the exported symbol
  std::string target;  // the entry point it names (itself for the function)
};

std::vector<ExportedName> names;

void Add(const std::string &name, const std::string &target) { names.push_back({name, target}); }

void AddFunction(const char *flavour, const std::string &name) {
  const std::string kind = flavour;
  Add(name, name);
  if (kind == "ALL" || kind == "NO_VB") Add("_" + name, name);
  if (kind == "PNP") Add("_MIRBAX_GetPNPData", name);
  if (kind == "ALL" || kind == "PNP") Add("VB" + name, name);
}

void AddAlias(const std::string &name, const std::string &target) {
  Add(name, target);
  Add("_" + name, target);
  Add("VB" + name, target);
}

void CollectTable() {
#define MIRBAX_FN(flavour, name, params) AddFunction(#flavour, #name);
#define MIRBAX_FN_ALIAS(name, target, params) AddAlias(#name, #target);
#define TDACEntry void
#define PContCallback void *
#include "mirbax_functions.h"
}

bool WriteVersionScript(const std::string &path, bool withSimulatorApi) {
  std::ofstream out(path);
  out << "{\n  global:\n";
  for (const auto &entry : names) out << "    " << entry.name << ";\n";
  if (withSimulatorApi) out << "    MIRBAXSIM_*;\n";
  out << "  local:\n    *;\n};\n";
  return bool(out);
}

bool WriteAliases(const std::string &path) {
  std::ofstream out(path);
  out << "/* Generated from mirbax_functions.h: alias names of the entry points. */\n";
  for (const auto &entry : names)
    if (entry.name != entry.target) out << entry.name << " = " << entry.target << ";\n";
  return bool(out);
}

bool WriteNameList(const std::string &path) {
  std::ofstream out(path);
  for (const auto &entry : names) out << entry.name << "\n";
  return bool(out);
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
    return 2;
  }
  CollectTable();
  const std::string dir = argv[1];
  const bool ok = WriteVersionScript(dir + "/mirbax.map", false) &&
                  WriteVersionScript(dir + "/mirbax-sim.map", true) &&
                  WriteAliases(dir + "/aliases.ld") && WriteNameList(dir + "/exports.txt");
  if (!ok) std::fprintf(stderr, "%s: cannot write to %s\n", argv[0], dir.c_str());
  return ok ? 0 : 1;
}
