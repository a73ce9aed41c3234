// Deadlines of the data waits: a time-out in seconds as a double, positive
// infinity meaning no limit, measured on the monotonic clock in whole
// milliseconds rounded to nearest (ties to even).
#pragma once

#include <algorithm>
#include <chrono>
#include <cmath>
#include <optional>

namespace mirbax {

using Deadline = std::optional<std::chrono::steady_clock::time_point>;

// Waits longer than this are treated as unlimited (about 31 years).
inline constexpr double kLongestWaitSeconds = 1e9;

// The deadline `seconds` from now (in the past for negative values); none
// for infinite or very long waits.  NaN is the caller's to refuse.
inline Deadline DeadlineAfter(double seconds) {
  if (!(seconds < kLongestWaitSeconds)) return std::nullopt;
  seconds = std::max(seconds, -kLongestWaitSeconds);
  const auto ms = std::chrono::milliseconds(std::llrint(seconds * 1000.0));
  return std::chrono::steady_clock::now() + ms;
}

// The time left before the deadline, never negative; none without one.
inline std::optional<std::chrono::milliseconds> RemainingTime(const Deadline &deadline) {
  if (!deadline) return std::nullopt;
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      *deadline - std::chrono::steady_clock::now());
  return std::max(left, std::chrono::milliseconds(0));
}

}  // namespace mirbax
