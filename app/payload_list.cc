#include "app/payload_list.h"

namespace updater {
namespace {

std::vector<std::string_view> split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  for (;;) {
    size_t end = text.find(separator, start);
    if (end == std::string_view::npos) {
      parts.push_back(text.substr(start));
      return parts;
    }
    parts.push_back(text.substr(start, end - start));
    start = end + 1;
  }
}

}  // namespace

PayloadList parsePayloadList(std::string_view text) {
  PayloadList list;
  const std::vector<std::string_view> lines = split(text, '\n');
  list.appList.reserve(lines.size());
  list.isAppOptionalList.reserve(lines.size());
  for (size_t index = 0; index < lines.size(); ++index) {
    const std::vector<std::string_view> fields = split(lines[index], '\t');
    list.appList.emplace_back(fields[0]);
    const bool has_flag = fields.size() >= 2;
    if (index == 0) {
      list.isAppOptionalList.push_back(false);
      list.isMultiplePayload = has_flag && fields[1] == "multiple_payload";
    } else {
      list.isAppOptionalList.push_back(has_flag && fields[1] == "optional");
    }
  }
  return list;
}

std::string primaryApplicationName(std::string_view text) {
  std::string_view line = text.substr(0, text.find('\n'));
  return std::string(line.substr(0, line.find('\t')));
}

}  // namespace updater
