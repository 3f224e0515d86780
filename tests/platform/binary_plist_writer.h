// Writes binary property lists byte by byte, for tests of the reader.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace updater {

// Writes "bplist00" bytes object by object, so that tests can build lists no
// writer would produce: deep chains, cycles, bad references.
class BinaryPlist {
 public:
  explicit BinaryPlist(size_t ref_size = 4) : ref_size_(ref_size) {}

  // A slot to fill later, for references to objects not built yet.
  size_t reserve() {
    objects_.emplace_back();
    return objects_.size() - 1;
  }
  void set(size_t index, std::string bytes) { objects_[index] = std::move(bytes); }
  size_t add(std::string bytes) {
    objects_.push_back(std::move(bytes));
    return objects_.size() - 1;
  }

  size_t boolean(bool flag) { return add(std::string(1, flag ? '\x09' : '\x08')); }
  size_t integer(int64_t value) { return add('\x13' + bigEndian(static_cast<uint64_t>(value), 8)); }
  size_t unsigned128(uint64_t low) { return add('\x14' + bigEndian(0, 8) + bigEndian(low, 8)); }
  size_t real(double value) { return add('\x23' + bigEndian(bits(value), 8)); }
  size_t date(double value) { return add('\x33' + bigEndian(bits(value), 8)); }
  size_t data(const std::string& bytes) { return add(marker(0x4, bytes.size()) + bytes); }
  size_t ascii(const std::string& text) { return add(marker(0x5, text.size()) + text); }
  size_t utf16(const std::u16string& text) {
    std::string bytes = marker(0x6, text.size());
    for (char16_t unit : text) bytes += bigEndian(unit, 2);
    return add(bytes);
  }
  std::string array(const std::vector<size_t>& refs) const {
    std::string bytes = marker(0xA, refs.size());
    for (size_t ref : refs) bytes += bigEndian(ref, ref_size_);
    return bytes;
  }
  std::string dictionary(const std::vector<std::pair<size_t, size_t>>& entries) const {
    std::string bytes = marker(0xD, entries.size());
    for (const auto& entry : entries) bytes += bigEndian(entry.first, ref_size_);
    for (const auto& entry : entries) bytes += bigEndian(entry.second, ref_size_);
    return bytes;
  }

  std::string build(size_t top) const {
    std::string out = "bplist00";
    std::vector<uint64_t> offsets;
    for (const std::string& object : objects_) {
      offsets.push_back(out.size());
      out += object;
    }
    const uint64_t table = out.size();
    for (uint64_t offset : offsets) out += bigEndian(offset, 4);
    out += std::string(6, '\0') + '\x04' + static_cast<char>(ref_size_);
    out += bigEndian(objects_.size(), 8) + bigEndian(top, 8) + bigEndian(table, 8);
    return out;
  }

 private:
  static std::string bigEndian(uint64_t value, size_t width) {
    std::string bytes(width, '\0');
    for (size_t i = 0; i < width; ++i) bytes[width - 1 - i] = static_cast<char>(value >> (8 * i));
    return bytes;
  }
  static uint64_t bits(double value) {
    uint64_t out;
    std::memcpy(&out, &value, sizeof out);
    return out;
  }
  static std::string marker(uint8_t type, size_t count) {
    if (count < 15) return std::string(1, static_cast<char>(type << 4 | count));
    return std::string(1, static_cast<char>(type << 4 | 0xF)) + '\x13' + bigEndian(count, 8);
  }

  size_t ref_size_;
  std::vector<std::string> objects_;
};

}  // namespace updater
