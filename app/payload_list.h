// The payload list of a patch (app_list.txt): which application bundles the
// install script is run for, which of them may be missing, and in which mode.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace updater {

struct PayloadList {
  // Field 1 of every line, in file order; index 0 names the primary application.
  std::vector<std::string> appList;
  // Same length as appList; index 0 is never optional.
  std::vector<bool> isAppOptionalList;
  bool isMultiplePayload = false;
};

// Splits the text at every line feed (a carriage return stays part of its
// line) and every line at tabs. Every line is an entry, the empty ones and the
// one after a final line feed included; flags compare exactly.
PayloadList parsePayloadList(std::string_view text);

// Field 1 of line 1: the bundle name the target application must have.
std::string primaryApplicationName(std::string_view text);

}  // namespace updater
