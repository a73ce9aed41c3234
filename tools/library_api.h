// The MIRBAX library the tool runs on, chosen at run time: libmirbax.so for
// real boards, libmirbax-sim.so with --sim.  The tool links neither; it
// loads one with dlopen and reaches every exported function through a
// pointer of the function's own type, taken from the one table of exported
// functions (<mirbax_functions.h>), so a signature can never drift.
//
// Inside namespace mirbax::tool the calls read as plain C calls
// (`GetDevices()`, `DIO_ReadAll(index, data)`): the forwarding functions
// below hide the C declarations of <mirbax.h>, which are never linked.
#pragma once

#include <mirbax.h>
#include <mirbax_sim.h>

#include <string>
#include <utility>

namespace mirbax::tool {

struct LibraryApi {
#define MIRBAX_FN(flavour, name, params) decltype(&::name) name = nullptr;
#define MIRBAX_FN_ALIAS(name, target, params) decltype(&::name) name = nullptr;
#include <mirbax_functions.h>
#undef MIRBAX_FN
#undef MIRBAX_FN_ALIAS
  // The simulated boards' control API: null in the library of real boards.
  decltype(&::MIRBAXSIM_Attach) MIRBAXSIM_Attach = nullptr;
  decltype(&::MIRBAXSIM_AttachLoader) MIRBAXSIM_AttachLoader = nullptr;
  decltype(&::MIRBAXSIM_SetOption) MIRBAXSIM_SetOption = nullptr;
  decltype(&::MIRBAXSIM_SetAnalogInput) MIRBAXSIM_SetAnalogInput = nullptr;
  decltype(&::MIRBAXSIM_SetDigitalInputs) MIRBAXSIM_SetDigitalInputs = nullptr;
  decltype(&::MIRBAXSIM_Peek) MIRBAXSIM_Peek = nullptr;
};

// Loads libmirbax-sim.so (simulated) or libmirbax.so.  False with a message
// when the library or one of its functions cannot be found.
bool LoadLibrary(bool simulated, std::string &error);

// The loaded library; LoadLibrary must have succeeded.
const LibraryApi &Api();

// True when the simulated library is loaded.
bool Simulated();

#define MIRBAX_FN(flavour, name, params)                           \
  template <typename... Args>                                      \
  inline uint32_t name(Args &&...args) {                           \
    return Api().name(std::forward<Args>(args)...);                \
  }
#define MIRBAX_FN_ALIAS(name, target, params) MIRBAX_FN(ALL, name, params)
#include <mirbax_functions.h>
#undef MIRBAX_FN
#undef MIRBAX_FN_ALIAS

}  // namespace mirbax::tool
