#include "sim/option_registry.h"

#include <stdexcept>

namespace mirbax::sim {

void OptionRegistry::Register(std::string name, uint64_t defaultValue, OptionHook onSet) {
  std::string message = "option \"" + name + "\" registered twice";
  if (!options_.emplace(std::move(name), Option{defaultValue, std::move(onSet)}).second) {
    throw std::logic_error(message);
  }
}

bool OptionRegistry::Set(Board &board, std::string_view name, uint64_t value) {
  auto found = options_.find(name);
  if (found == options_.end()) return false;
  found->second.value = value;
  if (found->second.onSet) found->second.onSet(board, value);
  return true;
}

std::optional<uint64_t> OptionRegistry::Find(std::string_view name) const {
  auto found = options_.find(name);
  if (found == options_.end()) return std::nullopt;
  return found->second.value;
}

uint64_t OptionRegistry::Value(std::string_view name) const {
  auto found = options_.find(name);
  if (found == options_.end()) throw std::logic_error("unknown option " + std::string(name));
  return found->second.value;
}

}  // namespace mirbax::sim
