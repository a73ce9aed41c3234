// Build-time tool: writes the linker's export lists and alias names from the
// table of exported functions, so the table is the only place they are kept.
//
//   mirbax.map         version script of libmirbax.so (the exported names only)
//   mirbax-sim.map     the same plus the MIRBAXSIM_ control functions
//   aliases.ld         `_Name = Name;` and `VBName = Name;` assignments (ELF)
//   exports.txt        every exported name, one a line
//   mirbax.def         the export list of MIRBAX.dll (Windows)
//   vb_entries.cpp     the Windows `VB` entry points: __stdcall functions that
//                      pass their arguments on to the cdecl entry point
//   vb_arguments.txt   `VBName N`: the argument bytes each `VB` entry point
//                      removes on 32-bit Windows, for the check of the DLL
//
// Usage: mirbax_export_list_gen OUTPUT_DIR [--stdcall-decoration]
// With --stdcall-decoration (32-bit x86 Windows) the .def names the `VB`
// entry points by their decorated symbols (VBName@N).
#include <cctype>
#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct Parameter {
  std::string declaration;  // "uint32_t *pData"
  std::string name;         // "pData"
};

// One row of the table.
struct Row {
  std::string flavour;  // ALL, NO_VB, C_ONLY, PNP; ALIAS for another name of `target`
  std::string name;
  std::string target;   // the entry point (the name itself unless an alias)
  std::vector<Parameter> parameters;

  bool HasUnderscoreName() const { return flavour != "C_ONLY"; }
  bool HasVbName() const { return flavour == "ALL" || flavour == "PNP" || flavour == "ALIAS"; }
  std::string UnderscoreName() const {
    return flavour == "PNP" ? "_MIRBAX_GetPNPData" : "_" + name;
  }
};

std::vector<Row> rows;

std::string Trim(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  return std::string(text);
}

// "(uint32_t DeviceIndex, double *ClockHz)" -> the two parameters.
std::vector<Parameter> ParseParameters(std::string_view list) {
  list = list.substr(1, list.size() - 2);  // the parentheses
  std::vector<Parameter> parameters;
  if (Trim(list) == "void") return parameters;
  while (!list.empty()) {
    const std::size_t comma = list.find(',');
    const std::string declaration = Trim(list.substr(0, comma));
    std::size_t start = declaration.size();
    while (start > 0 && (std::isalnum(static_cast<unsigned char>(declaration[start - 1])) ||
                         declaration[start - 1] == '_'))
      --start;
    parameters.push_back({declaration, declaration.substr(start)});
    if (comma == std::string_view::npos) break;
    list.remove_prefix(comma + 1);
  }
  return parameters;
}

// Bytes a parameter takes on the 32-bit x86 stack: one 32-bit slot, two for
// a 64-bit integer or double passed by value.
unsigned StackBytes(const Parameter &parameter) {
  const std::string &d = parameter.declaration;
  if (d.find('*') != std::string::npos) return 4;
  const std::string type = Trim(std::string_view(d).substr(0, d.size() - parameter.name.size()));
  return (type == "uint64_t" || type == "int64_t" || type == "double") ? 8 : 4;
}

unsigned ArgumentBytes(const Row &row) {
  unsigned bytes = 0;
  for (const Parameter &parameter : row.parameters) bytes += StackBytes(parameter);
  return bytes;
}

void AddRow(const char *flavour, const char *name, const char *target, const char *parameters) {
  rows.push_back({flavour, name, target, ParseParameters(parameters)});
}

void CollectTable() {
#define MIRBAX_FN(flavour, name, params) AddRow(#flavour, #name, #name, #params);
#define MIRBAX_FN_ALIAS(name, target, params) AddRow("ALIAS", #name, #target, #params);
#include "mirbax_functions.h"
}

// An exported name and the entry point behind it.
struct ExportedName {
  std::string name;
  std::string target;
  bool stdcall;  // the target is a `VB` entry point
  unsigned argumentBytes;
};

std::vector<ExportedName> ExportedNames() {
  std::vector<ExportedName> names;
  for (const Row &row : rows) {
    const unsigned bytes = ArgumentBytes(row);
    names.push_back({row.name, row.target, false, bytes});
    if (row.HasUnderscoreName()) names.push_back({row.UnderscoreName(), row.target, false, bytes});
    if (row.HasVbName()) names.push_back({"VB" + row.name, "VB" + row.target, true, bytes});
  }
  return names;
}

bool WriteVersionScript(const std::string &path, bool withSimulatorApi) {
  std::ofstream out(path);
  out << "{\n  global:\n";
  for (const auto &entry : ExportedNames()) out << "    " << entry.name << ";\n";
  if (withSimulatorApi) out << "    MIRBAXSIM_*;\n";
  out << "  local:\n    *;\n};\n";
  return bool(out);
}

// On ELF every other name is an alias of the one cdecl entry point.
bool WriteAliases(const std::string &path) {
  std::ofstream out(path);
  out << "/* Generated from mirbax_functions.h: alias names of the entry points. */\n";
  for (const Row &row : rows) {
    if (row.name != row.target) out << row.name << " = " << row.target << ";\n";
    if (row.HasUnderscoreName()) out << row.UnderscoreName() << " = " << row.target << ";\n";
    if (row.HasVbName()) out << "VB" << row.name << " = " << row.target << ";\n";
  }
  return bool(out);
}

bool WriteNameList(const std::string &path) {
  std::ofstream out(path);
  for (const auto &entry : ExportedNames()) out << entry.name << "\n";
  return bool(out);
}

bool WriteModuleDefinition(const std::string &path, bool stdcallDecoration) {
  std::ofstream out(path);
  out << "; Generated from mirbax_functions.h: the export list of MIRBAX.dll.\n"
      << "EXPORTS\n";
  for (const auto &entry : ExportedNames()) {
    std::string symbol = entry.target;
    if (entry.stdcall && stdcallDecoration) symbol += "@" + std::to_string(entry.argumentBytes);
    out << "  " << entry.name;
    if (symbol != entry.name) out << " = " << symbol;
    out << "\n";
  }
  return bool(out);
}

bool WriteVbEntries(const std::string &path) {
  std::ofstream out(path);
  out << "// Generated from mirbax_functions.h: the `VB` entry points of the Windows\n"
         "// DLL.  Each takes exactly the arguments of its cdecl entry point, passes\n"
         "// them on unchanged and returns its result; being __stdcall, it removes\n"
         "// its own arguments from the stack.\n"
         "#include \"mirbax.h\"\n\nextern \"C\" {\n";
  for (const Row &row : rows) {
    if (!row.HasVbName() || row.flavour == "ALIAS") continue;
    out << "\nuint32_t MIRBAX_STDCALL VB" << row.name << "(";
    for (std::size_t i = 0; i < row.parameters.size(); ++i)
      out << (i ? ", " : "") << row.parameters[i].declaration;
    out << (row.parameters.empty() ? "void" : "") << ") {\n  return " << row.name << "(";
    for (std::size_t i = 0; i < row.parameters.size(); ++i)
      out << (i ? ", " : "") << row.parameters[i].name;
    out << ");\n}\n";
  }
  out << "\n}  // extern \"C\"\n";
  return bool(out);
}

bool WriteVbArguments(const std::string &path) {
  std::ofstream out(path);
  for (const auto &entry : ExportedNames())
    if (entry.stdcall) out << entry.name << " " << entry.argumentBytes << "\n";
  return bool(out);
}

}  // namespace

int main(int argc, char **argv) {
  const bool stdcallDecoration = argc == 3 && std::string_view(argv[2]) == "--stdcall-decoration";
  if (argc < 2 || (argc == 3 && !stdcallDecoration) || argc > 3) {
    std::fprintf(stderr, "usage: %s OUTPUT_DIR [--stdcall-decoration]\n", argv[0]);
    return 2;
  }
  CollectTable();
  const std::string dir = argv[1];
  const bool ok = WriteVersionScript(dir + "/mirbax.map", false) &&
                  WriteVersionScript(dir + "/mirbax-sim.map", true) &&
                  WriteAliases(dir + "/aliases.ld") && WriteNameList(dir + "/exports.txt") &&
                  WriteModuleDefinition(dir + "/mirbax.def", stdcallDecoration) &&
                  WriteVbEntries(dir + "/vb_entries.cpp") &&
                  WriteVbArguments(dir + "/vb_arguments.txt");
  if (!ok) std::fprintf(stderr, "%s: cannot write to %s\n", argv[0], dir.c_str());
  return ok ? 0 : 1;
}
