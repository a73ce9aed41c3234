// A new, empty directory under the system's temporary directory, for a test
// that writes files.  The caller removes it.
#pragma once

#include <filesystem>
#include <random>
#include <string>

namespace mirbax::testing {

inline std::string MakeTemporaryDirectory(const std::string &prefix) {
  std::random_device random;
  for (;;) {
    const std::filesystem::path path = std::filesystem::temp_directory_path() /
                                       (prefix + "-" + std::to_string(random()));
    if (std::filesystem::create_directory(path)) return path.string();
  }
}

}  // namespace mirbax::testing
