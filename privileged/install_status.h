// Reading the install status from the install script's standard output.
//
// The install script reports its outcome by printing a status line such as
// "++++++++++ 0 ++++++++++". The reader is fed the output as it arrives, in
// chunks of any size, and keeps only a few bytes of state: the output itself
// is never stored, however much the script prints.
#pragma once

#include <cstdint>
#include <string_view>

namespace updater {

// Recognises install status lines in a byte stream.
//
// A status line is a line that begins, at its very first byte, with exactly
// ten '+' signs, followed by optional white space (blank, tab, vertical tab,
// form feed or carriage return), then a decimal integer with an optional '+'
// or '-' sign. The integer ends at the first byte that is not a digit; what
// follows it on the line does not matter. An eleventh '+' therefore reads as
// the integer's sign: "+++++++++++5" is a status line with status 5, while
// twelve '+' signs before the digits make an ordinary line.
//
// A status line counts only at the start of a real line, that is at the start
// of the output or right after a line feed, whatever the length of the line
// before it. A status whose value lies outside the signed 32-bit range is
// clamped to INT32_MIN or INT32_MAX, so it still reads as a failure.
//
// Every status line replaces the status found so far: the last one counts.
// Splitting the output into chunks at any byte gives the same result as
// feeding it whole.
class InstallStatusReader {
 public:
  // Consumes the next bytes of the output.
  void feed(std::string_view bytes);

  // The status of the last status line in the bytes fed so far, or -1 when
  // there was none. The bytes fed so far are taken as the whole output: a
  // final line without a line feed counts, with the digits read so far.
  int32_t status() const;

 private:
  enum class State : uint8_t {
    kPlusSigns,  // At the start of a line, counting the leading '+' signs.
    kBlanks,     // After ten '+' signs, before the sign or the first digit.
    kSign,       // After the integer's sign, before its first digit.
    kDigits,     // Inside the integer.
    kOrdinary,   // On a line that cannot be a status line; waiting for '\n'.
  };

  // The value of the integer read so far, clamped to the 32-bit range.
  int32_t pendingValue() const;

  State state_ = State::kPlusSigns;
  int plus_signs_ = 0;
  bool negative_ = false;
  // Saturates just above the largest magnitude that fits, so any longer run
  // of digits stays out of range without overflowing.
  uint64_t magnitude_ = 0;
  int32_t status_ = -1;
};

}  // namespace updater
