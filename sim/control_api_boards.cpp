// The control API: plugging boards, their options and identity.
#include "mirbax_sim.h"
#include "sim/control_api_support.h"

using namespace mirbax::sim;

MIRBAXSIM_EXPORT uint32_t MIRBAXSIM_Reset(void) {
  return Guarded([] {
    Bus::Instance().Reset();
    return kOk;
  });
}

MIRBAXSIM_EXPORT uint32_t MIRBAXSIM_Attach(uint32_t pid, uint32_t driver, uint32_t *pBoard) {
  return Guarded([&]() -> uint32_t {
    if (pid > 0xFFFF || driver < MIRBAXSIM_DRIVER_WINUSB || driver > MIRBAXSIM_DRIVER_CYUSB3 ||
        !pBoard) {
      return kErrorInvalidParameter;
    }
    *pBoard = Bus::Instance().Attach(static_cast<uint16_t>(pid), static_cast<Driver>(driver))->id();
    return kOk;
  });
}

MIRBAXSIM_EXPORT uint32_t MIRBAXSIM_AttachLoader(const char *pathTag, uint32_t *pBoard) {
  return Guarded([&]() -> uint32_t {
    if (!pathTag || *pathTag == '\0' || !pBoard) return kErrorInvalidParameter;
    *pBoard = Bus::Instance().AttachLoader(pathTag)->id();
    return kOk;
  });
}

MIRBAXSIM_EXPORT uint32_t MIRBAXSIM_Detach(uint32_t board) {
  return Guarded([&] { return Bus::Instance().Detach(board) ? kOk : kErrorFileNotFound; });
}

MIRBAXSIM_EXPORT uint32_t MIRBAXSIM_SetOption(uint32_t board, const char *name, uint64_t value) {
  return WithBoard(board, [&](Board &found) -> uint32_t {
    if (!name) return kErrorInvalidParameter;
    auto lock = found.Lock();
    return found.options.Set(found, name, value) ? kOk : kErrorInvalidParameter;
  });
}

MIRBAXSIM_EXPORT uint32_t MIRBAXSIM_GetOption(uint32_t board, const char *name, uint64_t *pValue) {
  return WithBoard(board, [&](Board &found) -> uint32_t {
    if (!name || !pValue) return kErrorInvalidParameter;
    auto lock = found.Lock();
    std::optional<uint64_t> value = found.options.Find(name);
    if (!value) return kErrorInvalidParameter;
    *pValue = *value;
    return kOk;
  });
}

MIRBAXSIM_EXPORT uint32_t MIRBAXSIM_SetProductName(uint32_t board, const char *name) {
  return WithBoard(board, [&](Board &found) -> uint32_t {
    if (!name) return kErrorInvalidParameter;
    auto lock = found.Lock();
    found.core.productName = name;
    return kOk;
  });
}

MIRBAXSIM_EXPORT uint32_t MIRBAXSIM_GetDevicePath(uint32_t board, char *text, uint32_t *pSize) {
  return WithBoard(board, [&](Board &found) { return CopyText(found.devicePath(), text, pSize); });
}

MIRBAXSIM_EXPORT uint32_t MIRBAXSIM_GetOpenHandleCount(uint32_t board, uint32_t *pCount) {
  return WithBoard(board, [&](Board &found) -> uint32_t {
    if (!pCount) return kErrorInvalidParameter;
    *pCount = found.OpenCount();
    return kOk;
  });
}
