// Every exported function of the library, built from the one function table
// (library/include/mirbax_functions.h): a function added to the table is in
// the sweeps without a line here.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "robustness/argument_cases.h"

namespace mirbax::testing {

struct ExportedFunction {
  std::string name;    // the exported name (an alias is called through its target)
  std::vector<ParameterInfo> parameters;
  bool takesDeviceIndex = false;
  // Runs the baseline and every bad-argument case through `runner`.
  std::function<void(CaseRunner &)> runCases;
};

const std::vector<ExportedFunction> &ExportedFunctions();

}  // namespace mirbax::testing
