#include "platform/property_list.h"

#include <plist/plist.h>

#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <utility>

#include "platform/binary_property_list_shape.h"
#include "platform/xml_property_list_shape.h"

namespace updater {
namespace {

struct PlistFree {
  void operator()(plist_t node) const { plist_free(node); }
};
using PlistTree = std::unique_ptr<void, PlistFree>;

struct MallocFree {
  void operator()(void* memory) const { std::free(memory); }
};

constexpr std::string_view kBinaryMagic = "bplist";
constexpr std::string_view kBinaryMagicAndVersion = "bplist00";
constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// libplist 2.2 keeps facts its getters do not hand out: whether an integer
// above INT64_MAX was written negative, and a date's exact seconds (the getter
// truncates them to 32 bits). Its own binary writer spells both out, so the
// node is written alone and the top object's bytes are read back.
std::string topObjectOfSerialized(plist_t node) {
  char* raw = nullptr;
  uint32_t length = 0;
  plist_to_bin(node, &raw, &length);
  const std::unique_ptr<char, MallocFree> owner(raw);
  if (raw == nullptr) return {};
  const std::string_view bytes(raw, length);
  const std::optional<size_t> offset = binaryTopObjectOffset(bytes);
  if (!offset) return {};
  return std::string(bytes.substr(*offset));
}

int64_t integerValue(plist_t node) {
  uint64_t raw = 0;
  plist_get_uint_val(node, &raw);
  if (raw <= static_cast<uint64_t>(std::numeric_limits<int64_t>::max())) {
    return static_cast<int64_t>(raw);
  }
  // A 16-byte integer marks an unsigned value that no int64_t holds; anything
  // else above INT64_MAX is a negative number in two's complement.
  const std::string object = topObjectOfSerialized(node);
  if (!object.empty() && static_cast<unsigned char>(object[0]) == 0x14) {
    return std::numeric_limits<int64_t>::max();
  }
  return static_cast<int64_t>(raw);
}

double dateValue(plist_t node) {
  const std::string object = topObjectOfSerialized(node);
  if (object.size() >= 9 && static_cast<unsigned char>(object[0]) == 0x33) {
    uint64_t bits = 0;
    for (int i = 1; i <= 8; ++i) bits = (bits << 8) | static_cast<unsigned char>(object[i]);
    double seconds = 0;
    std::memcpy(&seconds, &bits, sizeof seconds);
    return seconds;
  }
  int32_t seconds = 0, microseconds = 0;
  plist_get_date_val(node, &seconds, &microseconds);
  return seconds + (seconds < 0 ? -1.0 : 1.0) * microseconds / 1e6;
}

// The shape checks bound the depth before libplist builds the tree; the
// check here keeps this recursion bounded on its own terms as well.
std::optional<PlistValue> convert(plist_t node, int depth) {
  switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
      uint8_t flag = 0;
      plist_get_bool_val(node, &flag);
      return PlistValue::boolean(flag != 0);
    }
    case PLIST_UINT:
      return PlistValue::integer(integerValue(node));
    case PLIST_REAL: {
      double number = 0;
      plist_get_real_val(node, &number);
      return PlistValue::real(number);
    }
    case PLIST_STRING: {
      // The pointer getter, because the copying one asserts when a string
      // holds a NUL character.
      uint64_t length = 0;
      const char* text = plist_get_string_ptr(node, &length);
      return PlistValue::string(text ? std::string(text, length) : std::string());
    }
    case PLIST_DATE:
      return PlistValue::date(dateValue(node));
    case PLIST_DATA: {
      uint64_t length = 0;
      const auto* bytes = reinterpret_cast<const uint8_t*>(plist_get_data_ptr(node, &length));
      return PlistValue::data(bytes ? std::vector<uint8_t>(bytes, bytes + length)
                                    : std::vector<uint8_t>());
    }
    case PLIST_ARRAY: {
      if (depth >= kMaxPropertyListDepth) return std::nullopt;
      // The iterator walks sibling links; fetching by index would rescan the
      // list for every item.
      plist_array_iter raw_iter = nullptr;
      plist_array_new_iter(node, &raw_iter);
      const std::unique_ptr<void, MallocFree> iter(raw_iter);
      PlistArray items;
      for (;;) {
        plist_t item = nullptr;
        plist_array_next_item(node, iter.get(), &item);
        if (item == nullptr) break;
        std::optional<PlistValue> value = convert(item, depth + 1);
        if (!value) return std::nullopt;
        items.push_back(std::move(*value));
      }
      return PlistValue::array(std::move(items));
    }
    case PLIST_DICT: {
      if (depth >= kMaxPropertyListDepth) return std::nullopt;
      plist_dict_iter raw_iter = nullptr;
      plist_dict_new_iter(node, &raw_iter);
      const std::unique_ptr<void, MallocFree> iter(raw_iter);
      PlistDictionary entries;
      for (;;) {
        char* raw_key = nullptr;
        plist_t item = nullptr;
        plist_dict_next_item(node, iter.get(), &raw_key, &item);
        const std::unique_ptr<char, MallocFree> key(raw_key);
        if (item == nullptr) break;
        if (key == nullptr) return std::nullopt;
        std::optional<PlistValue> value = convert(item, depth + 1);
        if (!value) return std::nullopt;
        // A repeated key keeps its last value, as libplist's XML reader does.
        entries.insert_or_assign(std::string(key.get()), std::move(*value));
      }
      return PlistValue::dictionary(std::move(entries));
    }
    default:
      // Keys outside a dictionary, keyed-archiver identifiers, no type.
      return std::nullopt;
  }
}

PlistTree readTree(std::string_view bytes) {
  plist_t root = nullptr;
  if (bytes.substr(0, kBinaryMagic.size()) == kBinaryMagic) {
    if (bytes.substr(0, kBinaryMagicAndVersion.size()) != kBinaryMagicAndVersion ||
        !binaryPropertyListShapeIsSafe(bytes)) {
      return nullptr;
    }
    plist_from_bin(bytes.data(), static_cast<uint32_t>(bytes.size()), &root);
    return PlistTree(root);
  }
  if (bytes.substr(0, kUtf8ByteOrderMark.size()) == kUtf8ByteOrderMark) {
    bytes.remove_prefix(kUtf8ByteOrderMark.size());
  }
  // Only XML reaches libplist's text reader: the check refuses anything that
  // does not open with markup, which leaves out the old text formats too.
  if (!xmlPropertyListShapeIsSafe(bytes)) return nullptr;
  plist_from_xml(bytes.data(), static_cast<uint32_t>(bytes.size()), &root);
  return PlistTree(root);
}

}  // namespace

std::optional<PlistValue> parsePropertyList(std::string_view bytes) {
  if (bytes.size() > kMaxPropertyListBytes) return std::nullopt;
  const PlistTree tree = readTree(bytes);
  if (!tree) return std::nullopt;
  return convert(tree.get(), 0);
}

std::optional<PlistDictionary> parsePropertyListDictionary(std::string_view bytes) {
  std::optional<PlistValue> value = parsePropertyList(bytes);
  if (!value || value->asDictionary() == nullptr) return std::nullopt;
  return *value->asDictionary();
}

}  // namespace updater
