#include "robustness/exported_functions.h"

#include <mirbax.h>

namespace mirbax::testing {

std::vector<ParameterInfo> ParseParameters(std::string_view text) {
  std::vector<ParameterInfo> parameters;
  if (text.size() >= 2 && text.front() == '(' && text.back() == ')') text = text.substr(1, text.size() - 2);
  auto trim = [](std::string_view part) {
    while (!part.empty() && part.front() == ' ') part.remove_prefix(1);
    while (!part.empty() && part.back() == ' ') part.remove_suffix(1);
    return part;
  };
  if (trim(text) == "void" || trim(text).empty()) return parameters;
  while (!text.empty()) {
    const std::size_t comma = text.find(',');
    const std::string_view declaration = trim(text.substr(0, comma));
    const std::size_t nameStart = declaration.find_last_of(" *") + 1;
    parameters.push_back({std::string(trim(declaration.substr(0, nameStart))),
                          std::string(declaration.substr(nameStart))});
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  return parameters;
}

namespace {

ExportedFunction Describe(const char *name, auto *function, const char *parameterText) {
  ExportedFunction described{name, ParseParameters(parameterText), false, {}};
  described.takesDeviceIndex =
      !described.parameters.empty() && described.parameters.front().name == "DeviceIndex";
  described.runCases = [function, parameters = described.parameters](CaseRunner &runner) {
    RunArgumentCases(function, parameters, runner);
  };
  return described;
}

std::vector<ExportedFunction> CollectTable() {
  return {
#define MIRBAX_FN(flavour, Name, params) Describe(#Name, &::Name, #params),
#define MIRBAX_FN_ALIAS(Name, Target, params) Describe(#Name, &::Target, #params),
#include "mirbax_functions.h"
#undef MIRBAX_FN
#undef MIRBAX_FN_ALIAS
  };
}

}  // namespace

const std::vector<ExportedFunction> &ExportedFunctions() {
  static const std::vector<ExportedFunction> table = CollectTable();
  return table;
}

}  // namespace mirbax::testing
