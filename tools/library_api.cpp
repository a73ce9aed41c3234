#include "library_api.h"

#include <dlfcn.h>

namespace mirbax::tool {

namespace {

LibraryApi api;
bool simulated = false;

// Looks up `name` into `pointer`; false when the library lacks it.
template <typename Pointer>
bool Bind(void *library, const char *name, Pointer &pointer, std::string &missing) {
  pointer = reinterpret_cast<Pointer>(dlsym(library, name));
  if (!pointer && missing.empty()) missing = name;
  return pointer != nullptr;
}

}  // namespace

bool LoadLibrary(bool wantSimulated, std::string &error) {
  // The file names are the sonames; the tool's run path finds them beside
  // the build's or the installation's libraries.
  const char *file = wantSimulated ? MIRBAX_SIM_LIBRARY_FILE : MIRBAX_LIBRARY_FILE;
  void *library = dlopen(file, RTLD_NOW | RTLD_LOCAL);
  if (!library) {
    error = std::string("cannot load ") + file + ": " + dlerror();
    return false;
  }
  std::string missing;
#define MIRBAX_FN(flavour, name, params) Bind(library, #name, api.name, missing);
#define MIRBAX_FN_ALIAS(name, target, params) MIRBAX_FN(ALL, name, params)
#include <mirbax_functions.h>
#undef MIRBAX_FN
#undef MIRBAX_FN_ALIAS
  if (wantSimulated) {
    Bind(library, "MIRBAXSIM_Attach", api.MIRBAXSIM_Attach, missing);
    Bind(library, "MIRBAXSIM_AttachLoader", api.MIRBAXSIM_AttachLoader, missing);
    Bind(library, "MIRBAXSIM_SetOption", api.MIRBAXSIM_SetOption, missing);
    Bind(library, "MIRBAXSIM_SetAnalogInput", api.MIRBAXSIM_SetAnalogInput, missing);
    Bind(library, "MIRBAXSIM_SetDigitalInputs", api.MIRBAXSIM_SetDigitalInputs, missing);
    Bind(library, "MIRBAXSIM_Peek", api.MIRBAXSIM_Peek, missing);
  }
  if (!missing.empty()) {
    error = std::string(file) + " lacks " + missing;
    return false;
  }
  simulated = wantSimulated;
  return true;
}

const LibraryApi &Api() { return api; }

bool Simulated() { return simulated; }

}  // namespace mirbax::tool
