#include "locate/version_range.h"

#include <cstddef>
#include <limits>
#include <vector>

namespace updater {
namespace {

bool isSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

std::vector<std::string_view> splitAtDots(std::string_view text) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  while (true) {
    const size_t dot = text.find('.', start);
    if (dot == std::string_view::npos) {
      parts.push_back(text.substr(start));
      return parts;
    }
    parts.push_back(text.substr(start, dot - start));
    start = dot + 1;
  }
}

uint64_t pack(const std::vector<std::string_view>& components, size_t n) {
  uint64_t packed = 0;
  for (size_t j = 0; j < n; ++j) {
    const int32_t number = j < components.size() ? versionComponentNumber(components[j]) : 0;
    // Sign-widening then reinterpreting as unsigned is what makes a negative
    // component add (almost) 2^64; unsigned arithmetic gives the wrap for free.
    packed = (packed << 8) + static_cast<uint64_t>(static_cast<int64_t>(number));
  }
  return packed;
}

}  // namespace

int32_t versionComponentNumber(std::string_view component) {
  size_t i = 0;
  while (i < component.size() && isSpace(component[i])) ++i;
  bool negative = false;
  if (i < component.size() && (component[i] == '+' || component[i] == '-')) {
    negative = component[i] == '-';
    ++i;
  }
  // Accumulate the magnitude with a ceiling just above what either end of the
  // range needs, so arbitrarily long digit runs cannot overflow.
  constexpr int64_t kCeiling = int64_t{std::numeric_limits<int32_t>::max()} + 1;
  int64_t magnitude = 0;
  while (i < component.size() && component[i] >= '0' && component[i] <= '9') {
    magnitude = magnitude * 10 + (component[i] - '0');
    if (magnitude > kCeiling) magnitude = kCeiling;
    ++i;
  }
  const int64_t value = negative ? -magnitude : magnitude;
  if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(value);
}

bool versionInRange(std::string_view lower, std::string_view upper, std::string_view version) {
  const std::vector<std::string_view> lower_parts = splitAtDots(lower);
  const std::vector<std::string_view> upper_parts = splitAtDots(upper);
  const size_t n = lower_parts.size();
  if (upper_parts.size() < n) return false;
  const uint64_t low = pack(lower_parts, n);
  const uint64_t high = pack(upper_parts, n);
  const uint64_t packed = pack(splitAtDots(version), n);
  return low <= packed && packed <= high;
}

}  // namespace updater
