#include "cli.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "library_api.h"
#include "result_text.h"

namespace mirbax::tool {

namespace {

bool Contains(const std::vector<std::string> &list, const std::string &word) {
  return std::find(list.begin(), list.end(), word) != list.end();
}

}  // namespace

Arguments::Arguments(const std::vector<std::string> &args, std::vector<std::string> valued,
                     std::vector<std::string> flags) {
  valued.push_back("device");
  flags.push_back("help");
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string arg = args[i];
    if (arg == "-d") arg = "--device";
    if (arg == "-h") arg = "--help";
    // A lone "-" or a negative number is a word, not an option.
    if (arg.size() < 3 || arg.compare(0, 2, "--") != 0) {
      words_.push_back(arg);
      continue;
    }
    std::string name = arg.substr(2), value;
    const auto equals = name.find('=');
    const bool inlineValue = equals != std::string::npos;
    if (inlineValue) {
      value = name.substr(equals + 1);
      name.resize(equals);
    }
    if (Contains(flags, name) && !inlineValue) {
      options_.emplace_back(name, "");
    } else if (Contains(valued, name)) {
      if (!inlineValue) {
        if (i + 1 == args.size()) {
          error_ = "option --" + name + " needs a value";
          return;
        }
        value = args[++i];
      }
      options_.emplace_back(name, value);
    } else {
      error_ = "unknown option '" + arg + "'";
      return;
    }
  }
}

bool Arguments::Has(const std::string &name) const {
  return std::any_of(options_.begin(), options_.end(),
                     [&](const auto &option) { return option.first == name; });
}

std::optional<std::string> Arguments::Value(const std::string &name) const {
  // The last one given wins, as in most tools.
  for (auto it = options_.rbegin(); it != options_.rend(); ++it)
    if (it->first == name) return it->second;
  return std::nullopt;
}

std::optional<uint64_t> ParseNumber(const std::string &text, uint64_t low, uint64_t high) {
  if (text.empty() || text[0] == '-' || text[0] == '+' || text[0] == ' ') return std::nullopt;
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  char *end = nullptr;
  errno = 0;
  const unsigned long long value = std::strtoull(text.c_str() + (hex ? 2 : 0), &end, hex ? 16 : 10);
  if (errno != 0 || *end != '\0' || end == text.c_str() + (hex ? 2 : 0)) return std::nullopt;
  if (value < low || value > high) return std::nullopt;
  return value;
}

std::optional<double> ParseReal(const std::string &text) {
  if (text.empty()) return std::nullopt;
  char *end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (*end != '\0' || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<uint32_t> ParseDevice(const Arguments &arguments) {
  const std::string text = arguments.Value("device").value_or("first");
  if (text == "first") return diFirst;
  if (text == "only") return diOnly;
  if (const auto number = ParseNumber(text, 0, MIRBAX_MAX_DEVICES - 1)) return uint32_t(*number);
  return std::nullopt;
}

int LibraryFailure(const std::string &command, const std::string &function, uint32_t code) {
  std::fprintf(stderr, "mirbax %s: %s: %s\n", command.c_str(), function.c_str(),
               ResultText(code).c_str());
  return kExitLibraryError;
}

int UsageFailure(const std::string &command, const std::string &message) {
  std::fprintf(stderr, "mirbax %s: %s\n(see 'mirbax %s --help')\n", command.c_str(),
               message.c_str(), command.c_str());
  return kExitUsage;
}

std::optional<int> Prologue(const std::string &command, const Arguments &arguments,
                            const char *help, uint32_t &device) {
  if (!arguments.Ok()) return UsageFailure(command, arguments.Error());
  if (arguments.Help()) {
    std::fputs(help, stdout);
    return kExitOk;
  }
  const auto parsed = ParseDevice(arguments);
  if (!parsed) return UsageFailure(command, "bad --device: want 0-31, 'first' or 'only'");
  // Link the attached boards, so that an entry number means what 'list' shows.
  GetDevices();
  device = *parsed;
  return std::nullopt;
}

}  // namespace mirbax::tool
