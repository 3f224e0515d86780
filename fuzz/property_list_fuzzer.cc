// Feeds arbitrary bytes to both property-list readers. The readers must answer
// every input with a value or nothing, without crashing, asserting inside
// libplist, or stalling.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/property_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::optional<updater::PlistValue> value = updater::parsePropertyList(bytes);
  const std::optional<updater::PlistDictionary> dictionary =
      updater::parsePropertyListDictionary(bytes);
  // The two readers must agree on what a dictionary is.
  const bool is_dictionary = value && value->asDictionary() != nullptr;
  if (is_dictionary != dictionary.has_value()) __builtin_trap();
  if (value) value->isEqual(*value);  // walks the whole tree once more
  return 0;
}
