#include "platform/binary_property_list_shape.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "platform/property_list.h"

namespace updater {
namespace {

constexpr size_t kNone = std::string_view::npos;

// The layout is the format's: a "bplist00" header, the objects, a
// table of object offsets, and a 32-byte trailer that says where the table is
// and how wide offsets and object references are.

struct Trailer {
  size_t offset_size;
  size_t ref_size;
  uint64_t object_count;
  uint64_t top_object;
  size_t table_offset;
};

uint64_t readBigEndian(std::string_view s, size_t pos, size_t width) {
  uint64_t value = 0;
  for (size_t i = 0; i < width; ++i) value = (value << 8) | static_cast<unsigned char>(s[pos + i]);
  return value;
}

std::optional<Trailer> readTrailer(std::string_view s) {
  constexpr size_t kHeader = 8, kTrailer = 32;
  if (s.size() < kHeader + kTrailer || s.substr(0, kHeader) != "bplist00") return std::nullopt;
  const size_t t = s.size() - kTrailer;
  Trailer trailer{static_cast<unsigned char>(s[t + 6]), static_cast<unsigned char>(s[t + 7]),
                  readBigEndian(s, t + 8, 8), readBigEndian(s, t + 16, 8), 0};
  const uint64_t table_offset = readBigEndian(s, t + 24, 8);
  // Widths above 8 are legal in principle but never written; refusing them
  // keeps every read a plain big-endian integer.
  if (trailer.offset_size < 1 || trailer.offset_size > 8 || trailer.ref_size < 1 ||
      trailer.ref_size > 8 || trailer.object_count == 0 ||
      trailer.top_object >= trailer.object_count || table_offset < kHeader || table_offset >= t ||
      trailer.object_count > (t - table_offset) / trailer.offset_size) {
    return std::nullopt;
  }
  trailer.table_offset = static_cast<size_t>(table_offset);
  return trailer;
}

// Where object `index` starts; kNone when the table points past the objects.
size_t objectOffset(std::string_view s, const Trailer& trailer, uint64_t index) {
  const uint64_t offset =
      readBigEndian(s, trailer.table_offset + static_cast<size_t>(index) * trailer.offset_size,
                    trailer.offset_size);
  return offset < trailer.table_offset ? static_cast<size_t>(offset) : kNone;
}

enum : uint8_t {
  kSimple = 0x0,
  kInteger = 0x1,
  kReal = 0x2,
  kDate = 0x3,
  kData = 0x4,
  kAsciiString = 0x5,
  kUtf16String = 0x6,
  kArray = 0xA,
  kSet = 0xC,  // libplist reads a set as an array
  kDictionary = 0xD,
};

struct BinaryObject {
  uint8_t type;
  uint64_t count;  // bytes, UTF-16 units or entries, by type
  size_t body;     // first byte after the marker and any length
  bool isContainer() const { return type == kArray || type == kSet || type == kDictionary; }
  uint64_t references() const { return type == kDictionary ? 2 * count : count; }
};

std::optional<BinaryObject> readObject(std::string_view s, const Trailer& trailer, size_t offset) {
  const size_t limit = trailer.table_offset;
  const auto marker = static_cast<unsigned char>(s[offset]);
  BinaryObject object{static_cast<uint8_t>(marker >> 4), marker & 0x0Fu, offset + 1};
  const unsigned info = marker & 0x0F;
  const bool sized = object.type == kData || object.type == kAsciiString ||
                     object.type == kUtf16String || object.isContainer();
  if (sized && info == 0x0F) {
    // The length follows as an integer object of 1, 2, 4 or 8 bytes.
    if (object.body >= limit) return std::nullopt;
    const auto length_marker = static_cast<unsigned char>(s[object.body]);
    const size_t width = size_t{1} << (length_marker & 0x0F);
    if ((length_marker >> 4) != kInteger || width > 8 || width > limit - object.body - 1) {
      return std::nullopt;
    }
    object.count = readBigEndian(s, object.body + 1, width);
    object.body += 1 + width;
  }
  const uint64_t room = limit - object.body;
  switch (object.type) {
    case kSimple:
      return info == 0x8 || info == 0x9 ? std::optional(object) : std::nullopt;
    case kInteger:
      return info <= 4 && (uint64_t{1} << info) <= room ? std::optional(object) : std::nullopt;
    case kReal:
      return (info == 2 || info == 3) && (uint64_t{1} << info) <= room ? std::optional(object)
                                                                       : std::nullopt;
    case kDate:
      return info == 3 && 8 <= room ? std::optional(object) : std::nullopt;
    case kData:
    case kAsciiString:
      return object.count <= room ? std::optional(object) : std::nullopt;
    case kUtf16String:
      return object.count <= room / 2 ? std::optional(object) : std::nullopt;
    case kArray:
    case kSet:
    case kDictionary:
      return object.count <= room / trailer.ref_size / (object.type == kDictionary ? 2 : 1)
                 ? std::optional(object)
                 : std::nullopt;
    default:
      // Identifiers (0x8) and the reserved types: not values this reader keeps.
      return std::nullopt;
  }
}

// libplist copies a UTF-16 NUL into the key and then asserts that the key's
// length matches strlen; an ASCII key is cut at its first NUL instead.
bool isUsableKey(std::string_view s, const BinaryObject& key) {
  if (key.type == kAsciiString) return true;
  if (key.type != kUtf16String) return false;
  for (uint64_t i = 0; i < key.count; ++i) {
    if (readBigEndian(s, key.body + 2 * i, 2) == 0) return false;
  }
  return true;
}

// An iterative depth-first walk over the object graph. Each object is read
// once; what a finished object contributes (its container height and the
// number of values it expands to) is remembered for its other references.
class BinaryShapeScan {
 public:
  BinaryShapeScan(std::string_view s, const Trailer& trailer)
      : s_(s),
        trailer_(trailer),
        state_(trailer.object_count, kUnseen),
        height_(trailer.object_count, 0),
        values_(trailer.object_count, 0),
        key_state_(trailer.object_count, kUnchecked) {}

  bool run() {
    if (!enter(trailer_.top_object, false)) return false;
    while (!stack_.empty()) {
      Frame& frame = stack_.back();
      if (frame.next < frame.object.references()) {
        const size_t at = frame.object.body + static_cast<size_t>(frame.next) * trailer_.ref_size;
        const bool is_key = frame.object.type == kDictionary && frame.next < frame.object.count;
        ++frame.next;
        if (!enter(readBigEndian(s_, at, trailer_.ref_size), is_key)) return false;
        continue;
      }
      const uint64_t index = frame.index;
      height_[index] = static_cast<uint16_t>(frame.child_height + 1);
      values_[index] = frame.values;
      state_[index] = kDone;
      stack_.pop_back();
      if (!stack_.empty() && !absorb(index)) return false;
    }
    return true;
  }

 private:
  enum State : uint8_t { kUnseen, kOpen, kDone };
  enum KeyState : uint8_t { kUnchecked, kUsable, kUnusable };

  struct Frame {
    uint64_t index;
    BinaryObject object;
    uint64_t next = 0;
    int child_height = 0;
    uint64_t values = 1;
  };

  // Follows one reference from the current container (or the top object).
  bool enter(uint64_t index, bool is_key) {
    if (index >= trailer_.object_count) return false;
    if (state_[index] == kOpen) return false;  // a reference cycle
    if (state_[index] == kDone) {
      if (is_key && !checkKey(index, std::nullopt)) return false;
      return absorb(index);
    }
    const size_t offset = objectOffset(s_, trailer_, index);
    if (offset == kNone) return false;
    const std::optional<BinaryObject> object = readObject(s_, trailer_, offset);
    if (!object || (is_key && !checkKey(index, object))) return false;
    if (!object->isContainer()) {
      state_[index] = kDone;
      values_[index] = 1;
      return stack_.empty() || absorb(index);
    }
    if (stack_.size() >= static_cast<size_t>(kMaxPropertyListDepth)) return false;
    state_[index] = kOpen;
    stack_.push_back({index, *object});
    return true;
  }

  // Whether object `index` may serve as a dictionary key. The answer is kept:
  // one long key referenced by many dictionaries is scanned once.
  bool checkKey(uint64_t index, std::optional<BinaryObject> object) {
    if (key_state_[index] == kUnchecked) {
      if (!object) object = readObject(s_, trailer_, objectOffset(s_, trailer_, index));
      key_state_[index] = isUsableKey(s_, *object) ? kUsable : kUnusable;
    }
    return key_state_[index] == kUsable;
  }

  // Adds a finished object to the container on top of the stack.
  bool absorb(uint64_t index) {
    Frame& parent = stack_.back();
    if (stack_.size() + height_[index] > static_cast<size_t>(kMaxPropertyListDepth)) return false;
    parent.child_height = std::max<int>(parent.child_height, height_[index]);
    parent.values += values_[index];
    return parent.values <= kMaxPropertyListValues;
  }

  std::string_view s_;
  Trailer trailer_;
  std::vector<uint8_t> state_;
  std::vector<uint16_t> height_;
  std::vector<uint64_t> values_;
  std::vector<uint8_t> key_state_;
  std::vector<Frame> stack_;
};

}  // namespace

bool binaryPropertyListShapeIsSafe(std::string_view bytes) {
  const std::optional<Trailer> trailer = readTrailer(bytes);
  // A list written by any real writer has no unreferenced objects, so more
  // objects than values means a list that could not pass anyway; refusing it
  // here also bounds the walk's bookkeeping.
  if (!trailer || trailer->object_count > kMaxPropertyListValues) return false;
  return BinaryShapeScan(bytes, *trailer).run();
}

std::optional<size_t> binaryTopObjectOffset(std::string_view bytes) {
  const std::optional<Trailer> trailer = readTrailer(bytes);
  if (!trailer) return std::nullopt;
  const size_t offset = objectOffset(bytes, *trailer, trailer->top_object);
  if (offset == kNone) return std::nullopt;
  return offset;
}

}  // namespace updater
