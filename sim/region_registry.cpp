#include "sim/region_registry.h"

#include <stdexcept>

namespace mirbax::sim {

void RegionRegistry::Register(std::string name, Region region) {
  std::string message = "region \"" + name + "\" registered twice";
  if (!regions_.emplace(std::move(name), std::move(region)).second) {
    throw std::logic_error(message);
  }
}

const Region *RegionRegistry::Find(std::string_view name) const {
  auto found = regions_.find(name);
  return found == regions_.end() ? nullptr : &found->second;
}

}  // namespace mirbax::sim
