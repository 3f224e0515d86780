#include "privileged/install_status.h"

#include <cstring>
#include <limits>

namespace updater {

namespace {

constexpr int kStatusPlusSigns = 10;

// One past the magnitude of INT32_MIN: enough to tell every out-of-range
// value from an in-range one.
constexpr uint64_t kMagnitudeCap = uint64_t{1} << 32;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// White space as the C library's isspace() sees it in the "C" locale, minus
// the line feed, which ends the line instead.
bool isLineSpace(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r'; }

}  // namespace

int32_t InstallStatusReader::pendingValue() const {
  if (negative_) {
    constexpr uint64_t kMinMagnitude = uint64_t{1} << 31;
    if (magnitude_ >= kMinMagnitude) return std::numeric_limits<int32_t>::min();
    return -static_cast<int32_t>(magnitude_);
  }
  if (magnitude_ > static_cast<uint64_t>(std::numeric_limits<int32_t>::max())) {
    return std::numeric_limits<int32_t>::max();
  }
  return static_cast<int32_t>(magnitude_);
}

void InstallStatusReader::feed(std::string_view bytes) {
  size_t i = 0;
  while (i < bytes.size()) {
    // Almost all of a script's output is ordinary text: jump straight to the
    // next line feed instead of walking it byte by byte.
    if (state_ == State::kOrdinary) {
      const void* newline = std::memchr(bytes.data() + i, '\n', bytes.size() - i);
      if (newline == nullptr) return;
      i = static_cast<size_t>(static_cast<const char*>(newline) - bytes.data()) + 1;
      state_ = State::kPlusSigns;
      plus_signs_ = 0;
      continue;
    }

    const char c = bytes[i++];
    if (c == '\n') {
      if (state_ == State::kDigits) status_ = pendingValue();
      state_ = State::kPlusSigns;
      plus_signs_ = 0;
      continue;
    }

    switch (state_) {
      case State::kPlusSigns:
        if (c != '+') {
          state_ = State::kOrdinary;
        } else if (++plus_signs_ == kStatusPlusSigns) {
          state_ = State::kBlanks;
        }
        break;
      case State::kBlanks:
        if (isLineSpace(c)) break;
        negative_ = false;
        magnitude_ = 0;
        if (c == '+' || c == '-') {
          negative_ = c == '-';
          state_ = State::kSign;
        } else if (isDigit(c)) {
          magnitude_ = static_cast<uint64_t>(c - '0');
          state_ = State::kDigits;
        } else {
          state_ = State::kOrdinary;
        }
        break;
      case State::kSign:
        if (isDigit(c)) {
          magnitude_ = static_cast<uint64_t>(c - '0');
          state_ = State::kDigits;
        } else {
          state_ = State::kOrdinary;
        }
        break;
      case State::kDigits:
        if (isDigit(c)) {
          if (magnitude_ < kMagnitudeCap) {
            magnitude_ = magnitude_ * 10 + static_cast<uint64_t>(c - '0');
          }
        } else {
          // The integer is taken as soon as it ends: the rest of the line,
          // normally " ++++++++++", is not checked.
          status_ = pendingValue();
          state_ = State::kOrdinary;
        }
        break;
      case State::kOrdinary:
        break;  // Handled above.
    }
  }
}

int32_t InstallStatusReader::status() const {
  // A script may end without a final line feed; its last line still counts.
  if (state_ == State::kDigits) return pendingValue();
  return status_;
}

}  // namespace updater
