#include "library_api.h"

#include <dlfcn.h>
#include <unistd.h>

#include <vector>

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

std::string ExecutableDirectory() {
  char path[4096];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return ".";
  const std::string executable(path, std::size_t(length));
  return executable.substr(0, executable.rfind('/'));
}

// The library beside an installed tool ($prefix/bin -> $prefix/lib), then
// the build tree's, then wherever the dynamic loader looks.  The paths are
// tried in full: a search by the tool's run path would not survive
// sanitizers, whose dlopen runs from their own library.
void *OpenLibrary(const char *file, std::string &error) {
  const std::vector<std::string> candidates{
      ExecutableDirectory() + "/" MIRBAX_INSTALLED_LIBRARY_DIR "/" + file,
      std::string(MIRBAX_BUILD_LIBRARY_DIR "/") + file, file};
  for (const std::string &candidate : candidates) {
    if (candidate != file && access(candidate.c_str(), F_OK) != 0) continue;
    if (void *library = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL)) return library;
    error = std::string("cannot load ") + file + ": " + dlerror();
    return nullptr;
  }
  return nullptr;
}

}  // namespace

bool LoadLibrary(bool wantSimulated, std::string &error) {
  // The file names are the sonames.
  const char *file = wantSimulated ? MIRBAX_SIM_LIBRARY_FILE : MIRBAX_LIBRARY_FILE;
  void *library = OpenLibrary(file, error);
  if (!library) return false;
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
