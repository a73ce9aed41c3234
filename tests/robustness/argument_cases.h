// The argument cases the bad-input sweep gives every exported function.
//
// Each parameter has a baseline value (a linked device, buffers that are
// large enough, small sizes, a plain rate) and a list of bad variants chosen
// by its C type: null and unreadable pointers, pointers to sizes or rates
// that are out of range, NaN or infinite, strings without a terminator,
// indexes and sizes past every limit.  A case is the baseline with exactly
// one parameter replaced by one variant, so its result tells which check
// fired.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <limits>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include <mirbax.h>

namespace mirbax::testing {

struct ParameterInfo {
  std::string type;  // as written in the table, e.g. "const void *"
  std::string name;  // e.g. "pConfigBuf"
};

// Splits a parameter list as the function table writes it: "(uint32_t
// DeviceIndex, double *pHz)" or "(void)".
std::vector<ParameterInfo> ParseParameters(std::string_view text);

// What runs the cases: owns the memory the pointers point at, knows the
// device entry under test, and calls, watches and checks each case.
class CaseRunner {
 public:
  static constexpr std::size_t kRegionSize = 256 * 1024;

  virtual ~CaseRunner() = default;
  // The device entry the baseline names.
  virtual uint32_t DeviceIndex() const = 0;
  // Readable and writable memory for the pointer parameter at `position`,
  // kRegionSize bytes followed by an inaccessible page; zeroed before each
  // case (the first page, or all of it after MarkDirty).
  virtual std::byte *Region(std::size_t position) = 0;
  virtual void MarkDirty(std::size_t position) = 0;
  virtual void *Unreadable() = 0;
  // Runs one case: `parameter` is "" for the baseline.
  virtual void Run(const std::string &parameter, const std::string &variant,
                   const std::function<uint32_t()> &call) = 0;
};

template <typename T>
struct Variant {
  std::string label;
  T value;
  std::function<void()> prepare;  // sets up the memory the value points at
};

namespace detail {

inline bool NameHas(const ParameterInfo &parameter, std::string_view part) {
  return parameter.name.find(part) != std::string::npos;
}

// A callback that only counts: continuous acquisitions may call it.
inline void CountingCallback(uint16_t *, uint32_t, uint32_t, uint32_t) {}

template <typename Pointee>
void WriteDefaultPointee(std::byte *memory, const ParameterInfo &parameter) {
  if constexpr (std::is_same_v<Pointee, uint32_t>) {
    const uint32_t size = 64;  // sizes, counts: a small in-range value
    std::memcpy(memory, &size, sizeof size);
  } else if constexpr (std::is_same_v<Pointee, double>) {
    const double value = NameHas(parameter, "Timeout") ? 0.05 : 1000.0;  // rates in Hz, seconds
    std::memcpy(memory, &value, sizeof value);
  }
  // Everything else starts as zero bytes (an empty string, null handles).
}

inline bool NameIsOneOf(const ParameterInfo &parameter, std::initializer_list<std::string_view> names) {
  for (std::string_view name : names)
    if (parameter.name == name) return true;
  return false;
}

template <typename T>
T BaselineScalar(const ParameterInfo &parameter, CaseRunner &runner) {
  if constexpr (std::is_same_v<T, uint32_t>) {
    if (parameter.name == "DeviceIndex") return runner.DeviceIndex();
    // Byte sizes within the caller regions; element counts that stay small.
    if (NameIsOneOf(parameter, {"BufSize", "RingBufferSize", "DataSize", "BufLen", "BlockSize", "DataCount"}))
      return 4096;
    if (NameIsOneOf(parameter, {"FramePoints", "Samples", "NumPIDs", "DACDataCount", "BaseBufCount", "NewCount"}))
      return 16;
    return 0;
  } else if constexpr (std::is_same_v<T, uint8_t>) {
    // A request every board answers: the EEPROM (reads and writes).
    return parameter.name == "Request" || parameter.name == "VR" ? 0xA2 : 0;
  } else if constexpr (std::is_same_v<T, double>) {
    return NameHas(parameter, "Timeout") ? 0.05 : 1000.0;
  } else if constexpr (std::is_same_v<T, int32_t>) {
    return NameHas(parameter, "Timeout") ? 20 : 0;
  } else {
    return T{};
  }
}

template <typename T>
std::vector<T> BadScalars(const ParameterInfo &parameter) {
  constexpr double kInf = std::numeric_limits<double>::infinity();
  if constexpr (std::is_same_v<T, uint32_t>) {
    if (parameter.name == "DeviceIndex")
      return {32u, diNone, 0x7FFFFFFFu, 31u, diFirst, diOnly, diLoadAndOnly};
    return {0u, 32u, 0x7FFFFFFFu, 0xFFFFFFFFu};
  } else if constexpr (std::is_same_v<T, int32_t>) {
    // A long time-out is a legal long wait, not bad input.
    if (NameHas(parameter, "Timeout")) return {0, -1, std::numeric_limits<int32_t>::min()};
    return {-1, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()};
  } else if constexpr (std::is_same_v<T, uint16_t>) {
    return {32, 0xFFFF};
  } else if constexpr (std::is_same_v<T, uint8_t>) {
    return {32, 0xFF};
  } else if constexpr (std::is_same_v<T, uint64_t>) {
    return {0, ~uint64_t{0}};
  } else if constexpr (std::is_same_v<T, double>) {
    return {std::nan(""), kInf, -kInf, 0.0, -1.0, 1e300};
  } else {
    static_assert(sizeof(T) == 0, "a parameter type the sweep does not know");
  }
}

template <typename T>
std::string Describe(T value) {
  if constexpr (std::is_same_v<T, double>) {
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value > 0 ? "+inf" : "-inf";
    return std::to_string(value);
  } else if constexpr (std::is_signed_v<T>) {
    return std::to_string(static_cast<long long>(value));
  } else {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
    return text;
  }
}

}  // namespace detail

// The baseline of one parameter.
template <typename T>
Variant<T> BaselineOf(const ParameterInfo &parameter, std::size_t position, CaseRunner &runner) {
  if constexpr (std::is_pointer_v<T> && std::is_function_v<std::remove_pointer_t<T>>) {
    return {"null", nullptr, {}};  // no callback: the acquisition is read with ADC_GetBuf
  } else if constexpr (std::is_pointer_v<T>) {
    using Pointee = std::remove_cv_t<std::remove_pointer_t<T>>;
    std::byte *memory = runner.Region(position);
    return {"buffer", reinterpret_cast<T>(memory),
            [memory, parameter] { detail::WriteDefaultPointee<Pointee>(memory, parameter); }};
  } else {
    return {"baseline", detail::BaselineScalar<T>(parameter, runner), {}};
  }
}

// The bad variants of one parameter.
template <typename T>
std::vector<Variant<T>> VariantsOf(const ParameterInfo &parameter, std::size_t position, CaseRunner &runner) {
  std::vector<Variant<T>> variants;
  if constexpr (std::is_pointer_v<T> && std::is_function_v<std::remove_pointer_t<T>>) {
    variants.push_back({"callback", &detail::CountingCallback, {}});
  } else if constexpr (std::is_pointer_v<T>) {
    using Pointee = std::remove_cv_t<std::remove_pointer_t<T>>;
    std::byte *memory = runner.Region(position);
    auto at = [](std::byte *where) { return reinterpret_cast<T>(where); };
    variants.push_back({"null", nullptr, {}});
    variants.push_back({"unreadable", reinterpret_cast<T>(runner.Unreadable()), {}});
    // Readable for 4 bytes, then an inaccessible page.
    std::byte *edge = memory + CaseRunner::kRegionSize - 4;
    variants.push_back({"4 bytes before an unreadable page", at(edge), {}});
    if constexpr (std::is_same_v<Pointee, uint32_t>) {
      for (uint32_t value : {0u, 0x7FFFFFFFu, 0xFFFFFFFFu})
        variants.push_back({"-> " + detail::Describe(value), at(memory),
                            [memory, value] { std::memcpy(memory, &value, sizeof value); }});
    } else if constexpr (std::is_same_v<Pointee, double>) {
      for (double value : detail::BadScalars<double>(parameter))
        variants.push_back({"-> " + detail::Describe(value), at(memory),
                            [memory, value] { std::memcpy(memory, &value, sizeof value); }});
    } else if constexpr (std::is_same_v<Pointee, char>) {
      variants.push_back({"string without terminator", at(memory), [memory, position, &runner] {
                            std::memset(memory, 'A', CaseRunner::kRegionSize);
                            runner.MarkDirty(position);
                          }});
      variants.push_back({"missing file", at(memory), [memory] {
                            std::strcpy(reinterpret_cast<char *>(memory), "/nonexistent/mirbax/none.txt");
                          }});
    }
  } else {
    for (T value : detail::BadScalars<T>(parameter)) variants.push_back({detail::Describe(value), value, {}});
  }
  return variants;
}

// Runs the baseline and every one-parameter variant of `function`.
template <typename... Args>
void RunArgumentCases(uint32_t (*function)(Args...), const std::vector<ParameterInfo> &parameters,
                      CaseRunner &runner) {
  using Indexes = std::index_sequence_for<Args...>;
  auto baseline = [&]<std::size_t... I>(std::index_sequence<I...>) {
    return std::tuple<Variant<Args>...>{BaselineOf<Args>(parameters[I], I, runner)...};
  }(Indexes{});

  // Calls `function` with the baseline, parameter `Replaced` set to `variant`.
  auto callWith = [&]<std::size_t Replaced>(std::integral_constant<std::size_t, Replaced>, const auto *variant) {
    return [&, variant]() -> uint32_t {
      std::apply([](const auto &...each) { (..., (each.prepare ? each.prepare() : void())); }, baseline);
      if (variant && variant->prepare) variant->prepare();
      return [&]<std::size_t... I>(std::index_sequence<I...>) {
        return function([&] {
          if constexpr (I == Replaced) return variant ? variant->value : std::get<I>(baseline).value;
          else return std::get<I>(baseline).value;
        }()...);
      }(Indexes{});
    };
  };

  using First = std::tuple_element_t<0, std::tuple<Args..., int>>;
  if constexpr (sizeof...(Args) == 0) {
    runner.Run("", "baseline", [&] { return function(); });
  } else {
    const Variant<First> *none = nullptr;
    runner.Run("", "baseline", callWith(std::integral_constant<std::size_t, 0>{}, none));
  }
  [&]<std::size_t... I>(std::index_sequence<I...>) {
    (..., [&] {
      using T = std::tuple_element_t<I, std::tuple<Args...>>;
      for (const Variant<T> &variant : VariantsOf<T>(parameters[I], I, runner))
        runner.Run(parameters[I].name, variant.label, callWith(std::integral_constant<std::size_t, I>{}, &variant));
    }());
  }(Indexes{});
}

}  // namespace mirbax::testing
